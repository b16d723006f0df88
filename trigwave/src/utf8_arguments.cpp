#include "utf8_arguments.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

std::vector<std::string> utf8_arguments(int argc, char* argv[]) {
#ifdef _WIN32
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        std::vector<std::string> args;
        for (int i = 0; i < count; ++i) {
            int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string arg(size > 0 ? static_cast<size_t>(size - 1) : 0, '\0');
            if (size > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
            args.push_back(arg);
        }
        LocalFree(wide);
        return args;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}
