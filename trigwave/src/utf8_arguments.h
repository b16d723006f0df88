// The command line and file names as UTF-8 on every system. Linux hands a program its
// arguments as bytes, which are UTF-8 in any locale a person uses today; Windows hands main()
// its arguments in the ANSI code page, which cannot hold every file name, so there they are
// taken from the wide command line instead, and names reach the system as wide characters.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

std::vector<std::string> utf8_arguments(int argc, char* argv[]);

// fopen for a UTF-8 name (on Windows through _wfopen).
FILE* open_utf8(const std::string& path, const char* mode);

#ifdef _WIN32
std::wstring utf8_to_wide(const std::string& text);
std::string wide_to_utf8(const std::wstring& text);
#endif
