// The command line as UTF-8 on every system. Linux hands a program its arguments as bytes,
// which are UTF-8 in any locale a person uses today; Windows hands main() its arguments in
// the ANSI code page, which cannot hold every file name, so there they are taken from the
// wide command line instead.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> utf8_arguments(int argc, char* argv[]);
