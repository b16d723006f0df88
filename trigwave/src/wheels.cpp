// Trigger wheel patterns: turn a cycle angle (65536 units per 720 crank degrees)
// into the crank and cam sample values.
#include <cmath>

#include "frame_math.h"
#include "trigwave.h"
#include "wheel_geometry.h"

using namespace wheel_geometry;

namespace {

constexpr int high = 32767;
constexpr int low = -32767;

// Slot geometry shared by the missing-tooth and Lotus wheels.
struct slot_pos {
    uint16_t width;
    uint8_t index;
    uint16_t phase;
};

slot_pos locate_slot(wheel_param_t wheel, uint16_t angle) {
    const uint32_t a = angle % units_per_rev;
    const uint16_t w = slot_width(wheel);
    const uint32_t rem = a % w;
    return slot_pos{w, static_cast<uint8_t>(a / w), static_cast<uint16_t>(rem * phase_top / w)};
}

}  // namespace

int16_t Trigwave::onetooth(uint16_t phase) {
    return static_cast<int16_t>(phase >= tooth_rise ? high : low);
}

int16_t Trigwave::trigger_coil(wheel_param_t wheel, uint16_t angle) {
    const uint32_t periods = coil_periods(wheel);
    return onetooth(static_cast<uint16_t>((angle * periods) & 0xFFFFu));
}

int16_t Trigwave::trigger_missing_tooth(wheel_param_t wheel, uint16_t angle, double relative) {
    const slot_pos slot = locate_slot(wheel, angle);
    // Missing slots, and the few units at the end that no whole slot covers.
    if (slot.index >= wheel.toothcnt) return low;
    const int16_t s = onetooth(slot.phase);
    // The first tooth after the gap is always at full level.
    return slot.index == 0 ? s : scale_level(s, relative);
}

int16_t Trigwave::trigger_lotus_elise(wheel_param_t wheel, uint16_t angle, double relative) {
    const slot_pos slot = locate_slot(wheel, angle);
    if (is_lotus_gap(slot.index)) return low;
    return scale_level(onetooth(slot.phase), relative);
}

int16_t Trigwave::trigger_fiat_stilo(uint16_t angle) {
    const int c = angle % fiat_period;
    const int second = fiat_ramps[0], third = fiat_ramps[0] + fiat_ramps[1];
    if (c < second) return static_cast<int16_t>(c * high / fiat_ramps[0]);
    if (c < third) return static_cast<int16_t>((c - second) * high / fiat_ramps[1]);
    return static_cast<int16_t>((c - third) * high / fiat_ramps[2]);
}

int16_t Trigwave::trigger_subaru_crank(wheel_param_t, uint16_t angle, double relative) {
    for (uint16_t start : subaru_windows) {
        if (angle >= start && angle < start + subaru_window_width)
            return scale_level(high, relative);
    }
    return scale_level(low, relative);
}

int16_t Trigwave::trigger_simple_cam(uint16_t angle, uint16_t cam_pos, double amplitude) {
    // The end is not wrapped: a pulse starting near 65536 is cut short.
    const bool inside = angle >= cam_pos && angle < cam_pos + simple_cam_width;
    return scale_level(inside ? low : high, amplitude);
}

int16_t Trigwave::trigger_subaru_cam(uint16_t angle, uint16_t, double amplitude) {
    const uint16_t h = angle / 2;
    const double factor = amplitude * 0.5;
    for (uint16_t start : subaru_cam_starts) {
        if (h >= start && h < start + subaru_cam_width) return scale_level(high, factor);
    }
    return scale_level(low, factor);
}

int16_t Trigwave::subaru_vr_signal(uint16_t a, uint16_t b, uint16_t c) {
    if (c == 0) return 0;
    const uint16_t diff = static_cast<uint16_t>(b - a);
    const double value = std::sin(diff * (1.0 / c) * 6.2831853) * 32767;
    if (!std::isfinite(value)) return 0;
    return static_cast<int16_t>(value);
}

int16_t Trigwave::primary_trigger_sample(uint16_t angle, double amplitude, double relative) const {
    int d;
    if (wheel_drawing) {
        d = wheel_drawing->crank(angle, relative);
    } else {
        switch (trigger_type) {
        case 'c': d = trigger_coil(wheel, angle); break;
        case 'e': d = trigger_lotus_elise(wheel, angle, relative); break;
        case 'f':
            d = trigger_fiat_stilo(angle);
            if (wheel.toothcnt % 2 != 0) d = -d;
            break;
        case 'm': d = trigger_missing_tooth(wheel, angle, relative); break;
        case 's': d = trigger_subaru_crank(wheel, angle, relative); break;
        default: d = static_cast<int16_t>(0xDEAD); break;  // a recognisable constant: -8531
        }
    }
    if (polarity != 0) d = -d;
    return scale_level(d, amplitude);
}

int16_t Trigwave::cam_trigger_sample(uint16_t angle, uint16_t cam_pos, double amplitude) const {
    if (wheel_drawing) return wheel_drawing->cam(angle, cam_pos, amplitude);
    return trigger_type == 's' ? trigger_subaru_cam(angle, cam_pos, amplitude)
                               : trigger_simple_cam(angle, cam_pos, amplitude);
}
