// The two options, each answered only when it is the whole command line; a first
// argument that merely looks like one is refused by process_param.
#pragma once

#include <cstdio>

enum class cli_option { none, help, version };

cli_option lone_option(int argc, char* const argv[]);

// The usage text, then the line about the two options.
void print_help(const char* name, FILE* out);
