// The edges of each type, worked out from the dimensions the samplers draw it with.
#include "wheel_catalog.h"

#include <iterator>

#include "wheel_geometry.h"

using namespace wheel_geometry;

namespace {

wheel_type named(const char* type, const char* description, const char* usage) {
    wheel_type t;
    t.type = type;
    t.description = description;
    t.usage = usage;
    t.cam_starts = {0};  // the simple cam's pulse, low from the cam position
    return t;
}

// A tooth rises at the first remainder in its slot whose phase (rem x phase_top / w) reaches
// tooth_rise; slots without a tooth stay low.
template <typename Has_tooth>
std::vector<uint16_t> slot_rises(wheel_param_t wheel, Has_tooth has_tooth) {
    const uint32_t w = slot_width(wheel), rise = (tooth_rise * w + phase_top - 1) / phase_top;
    std::vector<uint16_t> at;
    for (uint32_t k = 0; k < slot_count(wheel); ++k)
        if (has_tooth(k)) at.push_back(static_cast<uint16_t>(k * w + rise));
    return at;
}

wheel_type coil(const char* type, const char* description, const char* usage) {
    wheel_type t = named(type, description, usage);
    t.per_cycle = true;
    t.even_teeth = true;
    // Period k's phase, (angle x n) mod 65536, reaches tooth_rise at the first angle from
    // (k x 65536 + tooth_rise) / n on.
    const uint32_t n = coil_periods(wheel_of_type(type));
    for (uint32_t k = 0; k < n; ++k)
        t.teeth.push_back(static_cast<uint16_t>((k * cycle_units + tooth_rise + n - 1) / n));
    return t;
}

wheel_type missing_tooth(const char* type, const char* description, const char* usage) {
    wheel_type t = named(type, description, usage);
    t.clue = polarity_clue::gap_low;
    const wheel_param_t wheel = wheel_of_type(type);
    t.teeth = slot_rises(wheel, [&](uint32_t k) { return k < wheel.toothcnt; });
    return t;
}

wheel_type lotus(const char* type, const char* description, const char* usage) {
    wheel_type t = named(type, description, usage);
    t.clue = polarity_clue::gap_low;
    t.teeth = slot_rises(wheel_of_type(type),
                         [](uint32_t k) { return !is_lotus_gap(static_cast<uint8_t>(k)); });
    return t;
}

wheel_type sawtooth(const char* type, const char* description, const char* usage) {
    wheel_type t = named(type, description, usage);
    t.per_cycle = true;
    t.rising_teeth = false;
    t.clue = polarity_clue::sharp_fall;
    // Every ramp ends in a drop to 0. The ramp begun at 65520 is cut short by the cycle's
    // end 16 units later: its fall back to 0 is too small to be a tooth.
    uint32_t end = 0;
    for (std::size_t k = 0;; k = (k + 1) % std::size(fiat_ramps)) {
        end += static_cast<uint32_t>(fiat_ramps[k]);
        if (end >= cycle_units) break;
        t.teeth.push_back(static_cast<uint16_t>(end));
    }
    return t;
}

wheel_type windows(const char* type, const char* description, const char* usage) {
    wheel_type t = named(type, description, usage);
    t.per_cycle = true;
    t.clue = polarity_clue::short_high;
    t.teeth.assign(std::begin(subaru_windows), std::end(subaru_windows));
    t.cam_starts.clear();
    for (uint16_t h : subaru_cam_starts) t.cam_starts.push_back(static_cast<uint16_t>(2 * h));
    t.cam_pulse_high = true;
    return t;
}

}  // namespace

const std::vector<wheel_type>& wheel_types() {
    static const std::vector<wheel_type> types = {
        coil("c040", "40 periods per cycle", "coiltype with 4 cyl"),
        coil("c080", "80 periods per cycle", "coiltype with 8 cyl"),
        coil("c270", "270 periods per cycle",
             "auditrigger (1 sectrig pulse for every 270 primtrig pulse)"),
        missing_tooth("m582", "60-2", "multitooth 60-2"),
        missing_tooth("m351", "36-1", "multitooth 36-1"),
        sawtooth("f000", "three-ramp sawtooth", "fiatstilo"),
        lotus("e324", "36 slots, 4 gaps", "Lotus Elise"),
        windows("s060", "12 windows per cycle", "Subaru EJ series"),
    };
    return types;
}
