// trigwave-scan's command line.
#pragma once

#include <cstdio>
#include <string>

#include "input_kind.h"

struct scan_options {
    std::string file;
    std::string crank;        // a channel number (audio) or a signal name (VCD); empty: the first
    std::string cam;          // the same, empty: the second
    bool cam_none = false;
    input_choice input = input_choice::automatic;
    std::string csv, plot;
    bool json = false;
    bool help = false, version = false;
};

// Reads the arguments after the program's name; on a usage error returns false with
// the reason in error.
bool parse_options(int argc, char* const argv[], scan_options& out, std::string& error);

void print_usage(const char* name, FILE* out);
