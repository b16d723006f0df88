// trigwave's wheel types as patterns of edges, taken from the list of types trigwave
// exports, so that the two programs cannot disagree about a wheel.
#pragma once

#include <string>
#include <vector>

#include "wheel_catalog.h"

struct known_wheel {
    std::string type;             // as trigwave's first argument, lower case
    std::string description;      // "60-2", "40 periods per cycle" ...
    bool per_cycle = false;       // no mark of the revolution: periods counted from the cam, 720 degrees
    bool even_teeth = false;      // every tooth alike: the cam counts them and names the type
    bool rising_teeth = true;     // the tooth edge of normal polarity rises (else falls)
    polarity_clue mark = polarity_clue::none;  // what tells normal polarity from reversed
    std::vector<double> teeth;    // spacings of the tooth edges over one period, in angle units
    std::vector<double> cam;      // spacings of the cam pulses' first edges over one cycle
    bool cam_pulse_high = false;  // the cam's pulses are high (else low)
};

const std::vector<known_wheel>& known_wheels();
