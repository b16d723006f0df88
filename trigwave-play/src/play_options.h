// trigwave-play's command line: its own options (--device, --hold), then trigwave's
// (a wheel file, effects) and the six arguments, read as trigwave reads them.
#pragma once

#include <cstdio>
#include <string>

#include "options.h"
#include "trigwave.h"

struct play_options {
    std::string device;  // empty: the system's default
    bool hold = false;
    file_options file;
};

// Reads the command line into the options and the generator; false after saying what is
// wrong on standard error (the caller adds the usage text).
bool read_play_options(int argc, char* argv[], play_options& out, Trigwave& generator);

void print_play_usage(const char* name, FILE* out);
