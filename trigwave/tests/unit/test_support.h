// Helpers shared by the unit tests: writable argument vectors and stderr capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

// Owns writable copies of the arguments, as the process's argument vector is.
class arg_vector {
public:
    explicit arg_vector(std::vector<std::string> args) : storage_(std::move(args)) {
        for (auto& s : storage_) pointers_.push_back(&s[0]);
        pointers_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(storage_.size()); }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> storage_;
    std::vector<char*> pointers_;
};

inline std::string pointer_text(const void* p) {
    char text[64];
    std::snprintf(text, sizeof text, "%p", p);
    return text;
}

// Runs fn with standard error captured and returns what it printed.
template <typename Fn>
std::string stderr_of(Fn fn) {
    testing::internal::CaptureStderr();
    fn();
    return testing::internal::GetCapturedStderr();
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
