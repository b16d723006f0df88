#ifdef _WIN32
// sf_wchar_open is declared only after <windows.h> and with this switch.
#include <windows.h>
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#include <sndfile.h>
#endif

#include "open_file.h"

#include <algorithm>
#include <cerrno>

#include "utf8_arguments.h"

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(utf8_to_wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

SNDFILE* open_sound(const std::string& path, SF_INFO* info) {
    return sf_wchar_open(utf8_to_wide(path).c_str(), SFM_READ, info);
}
#else
bool is_folder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}


SNDFILE* open_sound(const std::string& path, SF_INFO* info) { return sf_open(path.c_str(), SFM_READ, info); }
#endif

namespace {

bool ends_with(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

FILE* open_for_reading(const std::string& path) { return open_utf8(path, "rb"); }

FILE* open_for_writing(const std::string& path) { return open_utf8(path, "wb"); }

bool read_whole_file(const std::string& path, std::string& out, std::size_t limit) {
    if (is_folder(path)) return false;
    FILE* f = open_for_reading(path);
    if (!f) return false;
    out.clear();
    char block[8192];
    std::size_t n;
    while (out.size() <= limit && (n = std::fread(block, 1, sizeof block, f)) > 0) out.append(block, n);
    const bool ok = !std::ferror(f) && out.size() <= limit;
    std::fclose(f);
    if (out.size() > limit) errno = EFBIG;
    return ok;
}

#ifdef _WIN32
std::vector<std::string> files_in_folder(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> out;
    WIN32_FIND_DATAW found;
    const HANDLE h = FindFirstFileW(utf8_to_wide(folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::string name = wide_to_utf8(found.cFileName);
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ends_with(name, suffix)) out.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

std::string program_folder() {
    // a long path may not fit the first buffer: grow it until it does
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : wide_to_utf8(path.substr(0, slash));
}
#else
std::vector<std::string> files_in_folder(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> out;
    DIR* d = opendir(folder.c_str());
    if (!d) return out;
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (ends_with(name, suffix) && !is_folder(folder + "/" + name)) out.push_back(name);
    }
    closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

std::string program_folder() {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
#endif
