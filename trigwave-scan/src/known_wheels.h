// trigwave's wheel types as patterns of edges, taken from trigwave's own samplers so
// that the two programs cannot disagree about a wheel.
#pragma once

#include <string>
#include <vector>

struct known_wheel {
    std::string type;             // as trigwave's first argument, lower case
    std::string description;      // "60-2", "4-cylinder coil" ...
    bool per_cycle = false;       // no gap: periods counted from the cam, 720 degrees
    bool falling_teeth = false;   // the sharp edge of normal polarity falls (the sawtooth)
    std::vector<double> teeth;    // spacings of the tooth edges over one period, in angle units
    std::vector<double> cam;      // spacings of the cam pulses' first edges over one cycle
    bool cam_pulse_high = false;  // the cam's pulses are high (else low)
};

const std::vector<known_wheel>& known_wheels();
