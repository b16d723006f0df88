// Trigger wheel patterns: turn a cycle angle (65536 units per 720 crank degrees)
// into the crank and cam sample values.
#include <cmath>

#include "frame_math.h"
#include "trigwave.h"

namespace {

constexpr int high = 32767;
constexpr int low = -32767;
constexpr uint32_t units_per_rev = 32768;

// Slot geometry shared by the missing-tooth and Lotus wheels.
struct slot_pos {
    uint16_t width;
    uint8_t index;
    uint16_t phase;
};

slot_pos locate_slot(wheel_param_t wheel, uint16_t angle) {
    const uint32_t a = angle % units_per_rev;
    const uint32_t slots = static_cast<uint8_t>(wheel.toothcnt + wheel.missing);
    // A zero slot count is refused when the arguments are read; keep this total anyway.
    const uint16_t w = static_cast<uint16_t>(slots != 0 ? units_per_rev / slots : units_per_rev);
    const uint32_t rem = a % w;
    return slot_pos{w, static_cast<uint8_t>(a / w), static_cast<uint16_t>(rem * 65535u / w)};
}

}  // namespace

int16_t Trigwave::onetooth(uint16_t phase) {
    return static_cast<int16_t>(phase >= 32768 ? high : low);
}

int16_t Trigwave::trigger_coil(wheel_param_t wheel, uint16_t angle) {
    const uint32_t periods = 10u * wheel.toothcnt + wheel.missing;
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
    if (slot.index == 0 || slot.index == 14 || slot.index == 17 || slot.index == 32) return low;
    return scale_level(onetooth(slot.phase), relative);
}

int16_t Trigwave::trigger_fiat_stilo(uint16_t angle) {
    const int c = angle % 16380;
    if (c < 5460) return static_cast<int16_t>(c * high / 5460);
    if (c < 13650) return static_cast<int16_t>((c - 5460) * high / 8190);
    return static_cast<int16_t>((c - 13650) * high / 2730);
}

int16_t Trigwave::trigger_subaru_crank(wheel_param_t, uint16_t angle, double relative) {
    static const uint16_t starts[] = {7555,  10467, 15474, 23938, 26851, 31857,
                                      40322, 43235, 48241, 56706, 59619, 64625};
    for (uint16_t start : starts) {
        if (angle >= start && angle < start + 600) return scale_level(high, relative);
    }
    return scale_level(low, relative);
}

int16_t Trigwave::trigger_simple_cam(uint16_t angle, uint16_t cam_pos, double amplitude) {
    // The end is not wrapped: a pulse starting near 65536 is cut short.
    const bool inside = angle >= cam_pos && angle < cam_pos + 455;
    return scale_level(inside ? low : high, amplitude);
}

int16_t Trigwave::trigger_subaru_cam(uint16_t angle, uint16_t, double amplitude) {
    static const uint16_t starts[] = {455, 1365, 2276, 10012, 18204, 19114, 27396};
    const uint16_t h = angle / 2;
    const double factor = amplitude * 0.5;
    for (uint16_t start : starts) {
        if (h >= start && h < start + 455) return scale_level(high, factor);
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
    if (polarity != 0) d = -d;
    return scale_level(d, amplitude);
}

int16_t Trigwave::cam_trigger_sample(uint16_t angle, uint16_t cam_pos, double amplitude) const {
    return trigger_type == 's' ? trigger_subaru_cam(angle, cam_pos, amplitude)
                               : trigger_simple_cam(angle, cam_pos, amplitude);
}
