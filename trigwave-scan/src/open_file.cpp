#ifdef _WIN32
// sf_wchar_open is declared only after <windows.h> and with this switch.
#include <windows.h>
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#include <sndfile.h>
#endif

#include "open_file.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#ifdef _WIN32

namespace {
// Paths arrive as UTF-8 (utf8_arguments); Windows opens any name only in wide characters.
std::wstring wide(const std::string& path) {
    int size = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring out(size > 0 ? static_cast<size_t>(size - 1) : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, out.data(), size);
    return out;
}
}  // namespace

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FILE* open_for_reading(const std::string& path) { return _wfopen(wide(path).c_str(), L"rb"); }

FILE* open_for_writing(const std::string& path) { return _wfopen(wide(path).c_str(), L"wb"); }

SNDFILE* open_sound(const std::string& path, SF_INFO* info) {
    return sf_wchar_open(wide(path).c_str(), SFM_READ, info);
}
#else
bool is_folder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FILE* open_for_reading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

FILE* open_for_writing(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

SNDFILE* open_sound(const std::string& path, SF_INFO* info) { return sf_open(path.c_str(), SFM_READ, info); }
#endif
