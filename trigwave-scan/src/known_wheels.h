// trigwave's wheel types as patterns of edges, taken from the list of types trigwave
// exports, so that the two programs cannot disagree about a wheel; and the wheels of the
// library (wheel files), which come after them.
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

    // A wheel of the library: no trigwave type, reported by its name. Wheels whose crank
    // edges are the same share one entry, their names in the library's order, each with
    // its cam's teeth per cycle (0: the file gives no cam).
    bool library = false;
    std::vector<std::string> names;
    std::vector<int> cam_teeth;
    int periods_per_cycle = 2;    // the teeth's period repeats this often in 720 degrees
    // The wheel's tooth edges repeat within a revolution, so its cycles are counted from the
    // cam, whichever point of a tooth a sensor times (a VR sensor's centres may repeat less).
    bool counted_from_cam = false;
};

// The wheels a scan may tell besides trigwave's types: the library's, or one given wheel
// (--wheel) that is followed alone.
struct wheel_choice {
    std::vector<known_wheel> library;
    bool given = false;
    std::vector<known_wheel> library_vr;  // the same with each tooth at its centre (empty: as library)
};

const std::vector<known_wheel>& known_wheels();
