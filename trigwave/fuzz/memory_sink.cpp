#include "memory_sink.h"

std::FILE* MemorySink::open() {
    cookie_io_functions_t io{};
    io.write = &MemorySink::write;
    io.close = &MemorySink::close;
    std::FILE* f = fopencookie(this, "wb", io);
    if (f != nullptr) setvbuf(f, nullptr, _IOFBF, 64);
    return f;
}

ssize_t MemorySink::write(void* cookie, const char* buf, std::size_t size) {
    auto* self = static_cast<MemorySink*>(cookie);
    // Once full, always full: the stream may still hand over what it buffered after a
    // refused write, and that must not land behind the gap.
    if (self->full_ || self->bytes_.size() + size > self->limit_) {
        self->full_ = true;
        return -1;
    }
    self->bytes_.insert(self->bytes_.end(), buf, buf + size);
    return static_cast<ssize_t>(size);
}

int MemorySink::close(void* cookie) {
    static_cast<MemorySink*>(cookie)->closed_ = true;
    return 0;
}
