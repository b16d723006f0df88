// The command line and file names as UTF-8 on every system. Linux hands a program its
// arguments as bytes, which are UTF-8 in any locale a person uses today; Windows hands main()
// its arguments in the ANSI code page, which cannot hold every file name, so there they are
// taken from the wide command line instead, and names reach the system as wide characters.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

std::vector<std::string> utf8_arguments(int argc, char* argv[]);

// The same as a command line of its own: argv points into text, and ends with a null.
struct utf8_command_line {
    std::vector<std::string> text;
    std::vector<char*> argv;

    utf8_command_line(int argc, char* raw[]) : text(utf8_arguments(argc, raw)) {
        for (std::string& arg : text) argv.push_back(arg.data());
        argv.push_back(nullptr);
    }
};

// fopen for a UTF-8 name (on Windows through _wfopen).
FILE* open_utf8(const std::string& path, const char* mode);

#ifdef _WIN32
std::wstring utf8_to_wide(const std::string& text);
std::string wide_to_utf8(const std::wstring& text);
#endif
