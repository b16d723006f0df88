#include "utf8_arguments.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

std::wstring utf8_to_wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(size > 0 ? static_cast<std::size_t>(size - 1) : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
    return out;
}

std::string wide_to_utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}
#endif

std::vector<std::string> utf8_arguments(int argc, char* argv[]) {
#ifdef _WIN32
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        std::vector<std::string> args;
        for (int i = 0; i < count; ++i) args.push_back(wide_to_utf8(wide[i]));
        LocalFree(wide);
        return args;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}

FILE* open_utf8(const std::string& path, const char* mode) {
#ifdef _WIN32
    return _wfopen(utf8_to_wide(path).c_str(), utf8_to_wide(mode).c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}
