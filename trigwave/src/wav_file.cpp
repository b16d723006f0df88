// The output file's name and opening: the one place that touches the disk.
#include <cstring>

#include "trigwave.h"

void Trigwave::generateFileName(const char* prefix) {
    if (prefix != nullptr) {
        char previous[filename_size];
        std::memcpy(previous, filename, filename_size);
        std::snprintf(filename, filename_size, "%s%s", prefix, previous);
    }
    std::fprintf(stderr, "Filename: %s\n", filename);
}

bool Trigwave::openWavFile() {
    wavfile = std::fopen(filename, "wb");
    if (wavfile == nullptr) {
        std::fprintf(stderr, "cannot open file %s for writing, reverting to stdout\n", filename);
        return false;
    }
    std::fprintf(stderr, "writing to file: %s\n", filename);
    return true;
}
