// Comma-separated text as logic analyzers and tuning software write it: lines, fields,
// numbers. Pure: bytes in, lines out.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "edge_source.h"

// Splits a line at its commas; each field without the spaces, tabs and double quotes
// around it ("Time [s], Channel 0" gives "Time [s]" and "Channel 0").
void split_fields(std::string_view line, std::vector<std::string_view>& out);

// A whole field as a finite number ("1", "-2.5e-3", "+7", "9.85E-5"); false for anything else.
bool parse_number(std::string_view field, double& out);

// Whether every field is a number: a row, not a header.
bool all_numbers(const std::vector<std::string_view>& fields);

// ASCII letters in lower case, for names compared without regard to case.
std::string lowercase(std::string_view text);

// A line that holds no row: blank, a writer's comment ('#' or ';' first) or a composite
// log's "MARK nnn" between rows.
bool passed_over(std::string_view line);

// Cuts text into lines without their "\n" or "\r\n", wherever the pieces it is fed end.
class line_splitter {
public:
    // Calls each(line) for every line the text completes. Throws input_error on a line
    // with a NUL byte (not text) or beyond longest_line bytes, after the lines before it
    // wherever the pieces end.
    template <class F>
    void feed(const char* data, std::size_t size, F&& each) {
        const char* end = data + size;
        while (data < end) {
            const auto* nl = static_cast<const char*>(std::memchr(data, '\n', static_cast<std::size_t>(end - data)));
            if (!nl) {
                if (partial_.size() + static_cast<std::size_t>(end - data) > longest_line)
                    refuse(line_ + 1, "a line longer than 64 KiB");
                partial_.append(data, end);
                return;
            }
            ++line_;
            if (partial_.empty()) {
                hand(std::string_view(data, static_cast<std::size_t>(nl - data)), each);
            } else {
                partial_.append(data, nl);
                hand(partial_, each);
                partial_.clear();
            }
            data = nl + 1;
        }
    }
    // The last line when the text ends without a newline; false when there is none.
    template <class F>
    bool finish(F&& each) {
        if (partial_.empty()) return false;
        ++line_;
        hand(partial_, each);
        partial_.clear();
        return true;
    }
    // The number of the line handed out last, from 1.
    long line() const { return line_; }

    static constexpr std::size_t longest_line = 1 << 16;

private:
    // A line without its "\r", once it is known to be text.
    template <class F>
    void hand(std::string_view s, F&& each) {
        if (s.size() > longest_line) refuse(line_, "a line longer than 64 KiB");
        if (std::memchr(s.data(), '\0', s.size())) refuse(line_, "a NUL byte: not text");
        if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
        each(s);
    }
    // A line still being read is refused as line_ + 1: it is not counted yet.
    [[noreturn]] static void refuse(long line, const char* why);

    std::string partial_;
    long line_ = 0;
};
