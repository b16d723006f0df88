// The files trigwave touches, the one place that does: the wheel file it reads and the WAV
// it writes. A name from the wide command line is UTF-8 and opens through open_utf8.
#include <cerrno>
#include <cstring>
#include <string>

#include "trigwave.h"
#include "utf8_arguments.h"
#include "wheel_text.h"

void Trigwave::generateFileName(const char* prefix) {
    if (prefix != nullptr) {
        char previous[filename_size];
        std::memcpy(previous, filename, filename_size);
        std::snprintf(filename, filename_size, "%s%s", prefix, previous);
    }
    std::fprintf(stderr, "Filename: %s\n", filename);
}

void Trigwave::name_output(const char* name, bool utf8) {
    std::snprintf(filename, filename_size, "%s", name);
    utf8_filename = utf8;
}

bool Trigwave::openWavFile() {
    wavfile = utf8_filename ? open_utf8(filename, "wb") : std::fopen(filename, "wb");
    if (wavfile == nullptr) {
        std::fprintf(stderr, "cannot open file %s for writing, reverting to stdout\n", filename);
        return false;
    }
    std::fprintf(stderr, "writing to file: %s\n", filename);
    return true;
}

bool read_wheel_text(const char* path, std::string& text, std::string& error) {
    FILE* file = open_utf8(path, "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    text.clear();
    char block[4096];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0 && text.size() <= wheel_text_limit)
        text.append(block, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) error = "it cannot be read (a folder?)";
    else if (text.size() > wheel_text_limit) error = "it is over 1 MiB, far more than any wheel";
    return error.empty();
}
