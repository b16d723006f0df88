// Turns one fuzz input into a command line: the bytes split at each NUL into at
// most eight arguments, each in a heap block of exactly its own size so that a
// read or write past an argument's end is caught by AddressSanitizer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FuzzArgs {
public:
    static constexpr std::size_t max_args = 8;

    FuzzArgs(const uint8_t* data, std::size_t size);

    int argc() const { return static_cast<int>(argv_.size()) - 1; }
    char** argv() { return argv_.data(); }
    // The arguments as they were before the program tokenised them (index 0 is the program).
    const std::string& original(std::size_t i) const { return originals_[i]; }
    // The current bytes of argument i, up to and including its terminator.
    std::string current(std::size_t i) const;

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<std::string> originals_;
    std::vector<char*> argv_;
};

// Diagnostics go to standard error on every call; a run of millions would drown in them.
// Only the program's stream is pointed elsewhere: libFuzzer keeps its own copy of the old
// stream and the sanitizers write to descriptor 2 directly, so their reports still show.
void silence_program_stderr();
