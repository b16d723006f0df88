// Buffered output of 16-bit little-endian samples to an open stream. Every
// sample is handed over by its own put(), whose failure is reported: a put
// fails when the buffer it fills cannot be passed on to the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class sample_writer {
public:
    explicit sample_writer(FILE* file);
    sample_writer(const sample_writer&) = delete;
    sample_writer& operator=(const sample_writer&) = delete;

    bool put(int16_t sample) {
        if (next_ == end_ && !drain()) return false;
        *next_++ = to_little_endian(static_cast<uint16_t>(sample));
        return true;
    }

    // Passes what is buffered on to the stream; false when the stream refuses it.
    bool drain();

private:
    static constexpr std::size_t capacity = 32 * 1024;  // samples

    // Samples are buffered as 16-bit words, which stores cannot confuse with
    // the renderer's other state; the file's byte order is little-endian.
    static uint16_t to_little_endian(uint16_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        return static_cast<uint16_t>(v << 8 | v >> 8);
#else
        return v;
#endif
    }

    FILE* file_;
    std::vector<uint16_t> buffer_;
    uint16_t* next_;
    uint16_t* end_;
};
