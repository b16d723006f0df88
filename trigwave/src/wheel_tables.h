// The wheel patterns laid out by cycle angle. Every crank sample is one of a few
// levels (full, tooth, unknown-type) with a sign, chosen by the angle alone; the
// table holds that choice with the polarity folded in, and the levels of the
// moment fill the slots it points at.
#pragma once

#include <cstdint>
#include <vector>

#include "trigwave.h"

enum crank_slot : uint8_t {
    slot_full_high,
    slot_full_low,
    slot_tooth_high,
    slot_tooth_low,
    slot_other_high,
    slot_other_low,
    slot_count
};

struct wheel_tables {
    bool ramps = false;               // Fiat: every angle has its own level
    std::vector<uint8_t> crank_slot;  // by angle, when not ramps
    std::vector<int16_t> ramp_level;  // by angle, when ramps: the level before scaling
    std::vector<uint8_t> cam_high;    // by angle, Subaru cam: 1 inside a pulse
};

// Built from the plain samplers: with amplitude 1.0 and relative 0.5 the
// levels 32767, 16383 and 8531 tell the slots apart.
wheel_tables make_wheel_tables(const Trigwave& tw);
