// An independent reading of the six arguments, built on the C library's strtoll
// instead of the program's own integer reader, for the harnesses to compare with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct reference_sweep {
    int code = 0;                  // parse_tokens' code: 0, 7 (no number), 8 (too big), 9 (no token)
    std::vector<uint16_t> points;  // the points stored, in order (at most 999)
};

struct reference_params {
    int code = 0;  // what process_param returns
    char trigger_type = 0;
    uint8_t polarity = 0;
    uint8_t toothcnt = 0;
    uint8_t missing = 0;
    int32_t length_sec = 0;
    std::string filename;
    reference_sweep rpm, cam_pos, amplitude, fading;
};

reference_sweep reference_parse_sweep(const std::string& text);

// args[0] is the program name; args.size() is the argument count (argc).
reference_params reference_process_param(const std::vector<std::string>& args);
