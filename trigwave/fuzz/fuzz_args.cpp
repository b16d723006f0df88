#include "fuzz_args.h"

#include <cstdio>
#include <cstring>

FuzzArgs::FuzzArgs(const uint8_t* data, std::size_t size) {
    originals_.emplace_back("trigwave");
    if (size > 0) {
        const char* p = reinterpret_cast<const char*>(data);
        const char* end = p + size;
        while (originals_.size() <= max_args) {
            const char* nul = static_cast<const char*>(std::memchr(p, '\0', end - p));
            originals_.emplace_back(p, nul != nullptr ? nul : end);
            if (nul == nullptr) break;
            p = nul + 1;
        }
    }
    for (const std::string& text : originals_) {
        auto block = std::make_unique<char[]>(text.size() + 1);
        std::memcpy(block.get(), text.c_str(), text.size() + 1);
        argv_.push_back(block.get());
        blocks_.push_back(std::move(block));
    }
    argv_.push_back(nullptr);  // argv[argc] is a null pointer, as in a real process
}

std::string FuzzArgs::current(std::size_t i) const {
    return std::string(blocks_[i].get(), originals_[i].size() + 1);
}

void silence_program_stderr() {
    static FILE* const sink = std::fopen("/dev/null", "w");
    if (sink != nullptr) stderr = sink;
}
