// trigwave-scan's command line.
#pragma once

#include <cstdio>
#include <string>

#include "input.h"

struct scan_options {
    input_request recording;
    std::string csv, plot;
    std::string wheel;       // --wheel: the wheel file to follow, not told from the recording
    std::string save_wheel;  // --save-wheel: where the wheel learned is written
    bool json = false;
    bool help = false, version = false;
};

// Reads the arguments after the program's name; on a usage error returns false with
// the reason in error.
bool parse_options(int argc, char* const argv[], scan_options& out, std::string& error);

void print_usage(const char* name, FILE* out);
