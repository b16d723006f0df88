#include "sample_writer.h"

sample_writer::sample_writer(FILE* file)
    : file_(file), buffer_(capacity), next_(buffer_.data()), end_(buffer_.data() + capacity) {}

bool sample_writer::drain() {
    const std::size_t bytes = static_cast<std::size_t>(next_ - buffer_.data()) * sizeof(uint16_t);
    next_ = buffer_.data();
    if (bytes == 0) return true;
    return std::fwrite(buffer_.data(), 1, bytes, file_) == bytes;
}
