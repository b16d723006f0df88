// What the scan found out about a recording's wheel and cam, before following it.
#pragma once

#include <string>
#include <vector>

enum class polarity { normal, reversed, unknown };

struct wheel_model {
    bool found = false;
    std::string problem;          // why nothing was found
    std::string type;             // trigwave's type ("m582", "M582" reversed), or empty
    std::string description;      // "60-2", "36-2-2-2", "4 uneven teeth" ...
    std::string name;             // a library wheel's name, or empty
    std::vector<std::string> also;  // other library wheels with the same edges
    bool given = false;           // the wheel file of --wheel, not told from the recording
    polarity crank_polarity = polarity::unknown;
    bool tooth_rising = true;     // which edges are the tooth edges
    bool per_cycle = false;       // periods run from the cam's reference pulse, 720 degrees
    bool cycle_from_teeth = false;  // per cycle, but the teeth mark the cycle themselves (a
                                    // library wheel whose pattern spans 720 degrees once)
    std::vector<double> teeth;    // expected tooth spacings over one period, in any unit
    int teeth_per_period = 0;
    int slots = 0, missing = 0;   // N-M, for wheels of equal slots (slots = N + M)
    std::vector<int> other_gaps;  // slots of gaps besides the one that opens the period
    std::string told_by_cam;      // how the cam placed a crank pattern that repeats within the period

    bool has_cam = false;
    bool cam_pulse_high = false;
    int cam_pulses = 0;           // per cycle
    double cam_reference = 0;     // crank angle since the previous pulse that marks the reference pulse, in
                                  // the teeth's units; 0: every pulse is a reference
    double cam_reference_slack = 0;  // how far that angle may stray, as |log(ratio)|
};

std::string polarity_name(polarity p);
