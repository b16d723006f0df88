// A recording's text read 64 KiB at a time: the one reading loop of the VCD and CSV
// readers. It owns the file and closes it.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

class file_blocks {
public:
    explicit file_blocks(FILE* file) : file_(file), block_(1 << 16) {}
    ~file_blocks() { close(); }
    file_blocks(const file_blocks&) = delete;
    file_blocks& operator=(const file_blocks&) = delete;

    // The next block; empty once the file is read to its end, or a read failed.
    std::string_view next() {
        const std::size_t got = ended_ ? 0 : std::fread(block_.data(), 1, block_.size(), file_);
        if (got == 0 && !ended_) {
            ended_ = true;
            failed_ = std::ferror(file_) != 0;
        }
        return {block_.data(), got};
    }
    bool ended() const { return ended_; }
    // A read error ended it.
    bool failed() const { return failed_; }
    void close() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
        ended_ = true;
    }

private:
    FILE* file_;
    std::vector<char> block_;
    bool ended_ = false, failed_ = false;
};
