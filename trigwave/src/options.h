// The command line's options. --help and --version are each answered only when they are
// the whole command line; the others come before the type, and a first argument that
// merely looks like an option is refused as a type would be.
#pragma once

#include <cstdio>

#include "effects.h"

enum class cli_option { none, help, version };

cli_option lone_option(int argc, char* const argv[]);

// The options before the type (or the wheel file's sweeps).
struct file_options {
    const char* wheel = nullptr;   // --wheel FILE: a wheel file in the type's place
    const char* output = nullptr;  // --output FILE: the WAV's name outright
    bool reverse = false;          // --reverse: the wheel file's crank upside down
    effects fx;                    // --vr, --cranking, --noise, --fault ... and --truth
    int first = 1;                 // the first argument after the options
};

// Reads the options; false, with the line on standard error, for one given twice, one
// without its file or value, a value out of range, or --reverse without a wheel file.
bool read_file_options(int argc, char* const argv[], file_options& out);

// The usage text, then the lines about the options.
void print_help(const char* name, FILE* out);
