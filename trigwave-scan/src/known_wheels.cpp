#include "known_wheels.h"

#include <cstdint>

#include "trigwave.h"

namespace {

constexpr uint32_t cycle_units = 65536;
constexpr uint32_t revolution_units = 32768;

// Spacings between successive marked angles of one period, the last closing the period.
std::vector<double> spacings(const std::vector<uint32_t>& at, uint32_t period) {
    std::vector<double> out;
    for (std::size_t k = 0; k < at.size(); ++k) {
        const uint32_t before = k == 0 ? at.back() : at[k - 1];
        out.push_back(k == 0 ? static_cast<double>(at[0] + period - before)
                             : static_cast<double>(at[k] - before));
    }
    return out;
}

known_wheel make(const char* type, const char* description, bool per_cycle) {
    Trigwave tw;
    tw.trigger_type = type[0];
    tw.wheel.toothcnt = static_cast<uint8_t>(10 * (type[1] - '0') + (type[2] - '0'));
    tw.wheel.missing = static_cast<uint8_t>(type[3] - '0');
    tw.polarity = 0;
    known_wheel w;
    w.type = type;
    w.description = description;
    w.per_cycle = per_cycle;
    w.falling_teeth = type[0] == 'f';
    const uint32_t period = per_cycle ? cycle_units : revolution_units;
    std::vector<uint32_t> teeth, cam_starts;
    int prev = tw.primary_trigger_sample(static_cast<uint16_t>(cycle_units - 1), 1.0, 0.9);
    int prev_cam = tw.cam_trigger_sample(static_cast<uint16_t>(cycle_units - 1), 0, 1.0);
    for (uint32_t a = 0; a < cycle_units; ++a) {
        const int s = tw.primary_trigger_sample(static_cast<uint16_t>(a), 1.0, 0.9);
        const int c = tw.cam_trigger_sample(static_cast<uint16_t>(a), 0, 1.0);
        // Square teeth rise through zero; the sawtooth's sharp edge is its drop.
        const bool tooth = w.falling_teeth ? s < prev - 16000 : prev <= 0 && s > 0;
        if (tooth && a < period) teeth.push_back(a);
        w.cam_pulse_high = type[0] == 's';
        if (w.cam_pulse_high ? (prev_cam <= 0 && c > 0) : (prev_cam > 0 && c <= 0)) cam_starts.push_back(a);
        prev = s;
        prev_cam = c;
    }
    w.teeth = spacings(teeth, period);
    w.cam = spacings(cam_starts, cycle_units);
    return w;
}

}  // namespace

const std::vector<known_wheel>& known_wheels() {
    static const std::vector<known_wheel> wheels = {
        make("m582", "60-2", false),
        make("m351", "36-1", false),
        make("e324", "36 slots, 4 gaps", false),
        make("f000", "three-ramp sawtooth", true),
        make("s060", "12 windows per cycle", true),
        make("c040", "40 periods per cycle", true),
        make("c080", "80 periods per cycle", true),
        make("c270", "270 periods per cycle", true),
    };
    return wheels;
}
