// The dimensions of the wheel patterns, shared by the samplers that draw them and by the
// list of types that tells other programs where their edges fall.
#pragma once

#include <cstdint>

#include "trigwave.h"

namespace wheel_geometry {

constexpr uint32_t cycle_units = 65536;  // 720 crank degrees
constexpr uint32_t units_per_rev = 32768;

// A slot's phase runs from 0 to phase_top over its width; the tooth is high from tooth_rise on.
constexpr uint32_t phase_top = 65535;
constexpr uint32_t tooth_rise = 32768;

// The wheel that a type string's three digits give (at least four characters). Characters
// are used as plain codes; non-digits give whatever the arithmetic yields.
inline wheel_param_t wheel_of_type(const char* type) {
    const int c1 = type[1], c2 = type[2], c3 = type[3];
    return wheel_param_t{static_cast<uint8_t>(10 * (c1 - 48) + (c2 - 48)),
                         static_cast<uint8_t>(c3 - 48)};
}

// Tooth slots of the missing-tooth and Lotus wheels: toothcnt + missing of them per revolution.
inline uint32_t slot_count(wheel_param_t wheel) {
    return static_cast<uint8_t>(wheel.toothcnt + wheel.missing);
}

// A zero slot count is refused when the arguments are read; keep this total anyway.
inline uint16_t slot_width(wheel_param_t wheel) {
    const uint32_t slots = slot_count(wheel);
    return static_cast<uint16_t>(slots != 0 ? units_per_rev / slots : units_per_rev);
}

// The Lotus gaps stand in these slots whatever the type's digits say.
constexpr uint8_t lotus_gaps[] = {0, 14, 17, 32};

inline bool is_lotus_gap(uint8_t slot) {
    for (uint8_t g : lotus_gaps)
        if (slot == g) return true;
    return false;
}

// The coil's square periods per cycle: the type's three digits read as one number.
inline uint32_t coil_periods(wheel_param_t wheel) { return 10u * wheel.toothcnt + wheel.missing; }

// The sawtooth: three ramps from 0 to just under full level, repeated from angle 0.
constexpr int fiat_ramps[] = {5460, 8190, 2730};
constexpr int fiat_period = fiat_ramps[0] + fiat_ramps[1] + fiat_ramps[2];

// The Subaru crank's high windows (start <= angle < start + width).
constexpr uint16_t subaru_windows[] = {7555,  10467, 15474, 23938, 26851, 31857,
                                       40322, 43235, 48241, 56706, 59619, 64625};
constexpr uint16_t subaru_window_width = 600;

// Every other type's cam: one low pulse from the cam position.
constexpr uint16_t simple_cam_width = 455;

// The Subaru cam's high pulses, in half-angle units (angle / 2).
constexpr uint16_t subaru_cam_starts[] = {455, 1365, 2276, 10012, 18204, 19114, 27396};
constexpr uint16_t subaru_cam_width = 455;

}  // namespace wheel_geometry
