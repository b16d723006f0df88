// The wheel types trigwave makes, with where each one's edges fall, for the usage text
// and for programs that read trigwave's files back (trigwave-scan).
#pragma once

#include <cstdint>
#include <vector>

// What tells a type's normal polarity from its reversed one.
enum class polarity_clue {
    none,        // a square wave of equal halves: reversed, it is the same wave shifted
    gap_low,     // the missing-teeth gaps are low in normal polarity
    short_high,  // the teeth are short high windows
    sharp_fall,  // a sawtooth whose sharp edge falls
};

struct wheel_type {
    const char* type = "";         // the first argument, lower case
    const char* description = "";  // "60-2", "40 periods per cycle" ...
    const char* usage = "";        // its words in the usage text
    bool per_cycle = false;        // the pattern repeats every cycle (720 degrees), not revolution
    bool even_teeth = false;       // every tooth alike
    bool rising_teeth = true;      // the edge a decoder follows rises in normal polarity, or falls
    polarity_clue clue = polarity_clue::none;
    // Cycle angles (65536 per 720 degrees) of that edge within one period, ascending.
    std::vector<uint16_t> teeth;
    // Cycle angles where the cam's pulses begin, ascending (the simple cam at cam position 0).
    std::vector<uint16_t> cam_starts;
    bool cam_pulse_high = false;  // the cam's pulses are high (else low)
};

// In the usage text's order.
const std::vector<wheel_type>& wheel_types();
