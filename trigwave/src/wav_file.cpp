// The files trigwave touches, the one place that does: the wheel file it reads and the WAV
// it writes. A name from the wide command line is UTF-8 and opens through open_utf8.
#include <cerrno>
#include <cstdio>
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

void Trigwave::add_to_name(const std::string& part) {
    const std::size_t length = std::strlen(filename);
    if (part.empty() || length < 4) return;
    const std::string named = std::string(filename, length - 4) + part + ".wav";
    std::snprintf(filename, filename_size, "%s", named.c_str());
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

void Trigwave::remove_output() {
#ifdef _WIN32
    if (utf8_filename) {
        _wremove(utf8_to_wide(filename).c_str());
        return;
    }
#endif
    std::remove(filename);
}

bool Trigwave::write_text_file(const char* path, const std::string& text) const {
    FILE* file = utf8_filename ? open_utf8(path, "wb") : std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot open %s for writing: %s\n", path, std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return false;
    }
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
