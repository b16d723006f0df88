// An output stream that keeps what is written in memory and refuses any byte past
// a fixed limit, so a render of any length stops after its first frames.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

class MemorySink {
public:
    // The whole limit is reserved at once, rather than grown write by write.
    explicit MemorySink(std::size_t limit) : limit_(limit) { bytes_.reserve(limit); }
    MemorySink(const MemorySink&) = delete;
    MemorySink& operator=(const MemorySink&) = delete;

    // A small buffer, so the limit is met within a few frames. (Not unbuffered: glibc's
    // unbuffered streams report a failed write as a success.) The renderer closes the
    // stream itself; closing only marks the sink closed.
    std::FILE* open();

    const std::vector<unsigned char>& bytes() const { return bytes_; }
    bool closed() const { return closed_; }

private:
    static ssize_t write(void* cookie, const char* buf, std::size_t size);
    static int close(void* cookie);

    std::size_t limit_;
    std::vector<unsigned char> bytes_;
    bool full_ = false;
    bool closed_ = false;
};
