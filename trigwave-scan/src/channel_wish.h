// The channels asked for on the command line, for every reader: a name, a channel number
// from 1, or empty for the reader's default.
#pragma once

#include <string>

struct channel_wish {
    std::string crank, cam;
    bool cam_wanted = true;  // --cam none: a recording without a cam
};

// A channel number from 1, or 0 when the text is not one.
inline int channel_number(const std::string& text) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoi(text);
}
