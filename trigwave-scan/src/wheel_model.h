// What the scan found out about a recording's wheel and cam, before following it.
#pragma once

#include <string>
#include <vector>

enum class polarity { normal, reversed, unknown };

struct wheel_model {
    bool found = false;
    std::string problem;          // why nothing was found, or why the wheel is ambiguous
    std::string type;             // trigwave's type ("m582", "M582" reversed), or empty
    std::string description;      // "60-2" ...
    polarity crank_polarity = polarity::unknown;
    bool tooth_rising = true;     // which edges are the tooth edges
    bool per_cycle = false;       // periods run from cam pulse to cam pulse
    std::vector<double> teeth;    // expected tooth spacings over one period
    int teeth_per_period = 0;
    int slots = 0, missing = 0;   // N-M, for wheels with a gap (slots = N + M)
    std::vector<int> other_gaps;  // slots of gaps besides the missing-teeth gap

    bool has_cam = false;
    bool cam_pulse_high = false;
    std::vector<double> cam;      // expected spacings of the cam pulses over one cycle
};

std::string polarity_name(polarity p);
