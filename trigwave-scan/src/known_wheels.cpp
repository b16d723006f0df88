#include "known_wheels.h"

#include <algorithm>
#include <cstdint>

#include "wheel_catalog.h"

namespace {

constexpr double cycle_units = 65536;
constexpr double revolution_units = 32768;

// Spacings between successive angles of one period, the first closing the period from the last.
std::vector<double> spacings(const std::vector<uint16_t>& at, double period) {
    std::vector<double> out;
    for (std::size_t k = 0; k < at.size(); ++k)
        out.push_back(k == 0 ? at[0] + period - at.back() : static_cast<double>(at[k] - at[k - 1]));
    return out;
}

known_wheel from(const wheel_type& t) {
    known_wheel w;
    w.type = t.type;
    w.description = t.description;
    w.per_cycle = t.per_cycle;
    w.even_teeth = t.even_teeth;
    w.rising_teeth = t.rising_teeth;
    w.mark = t.clue;
    w.teeth = spacings(t.teeth, t.per_cycle ? cycle_units : revolution_units);
    w.cam = spacings(t.cam_starts, cycle_units);
    w.cam_pulse_high = t.cam_pulse_high;
    return w;
}

// Wheels with a mark of the revolution first, even teeth last: on an equal fit the first
// tried wins, and the more particular pattern is the likelier.
int rank(const known_wheel& w) { return w.even_teeth ? 2 : w.per_cycle ? 1 : 0; }

}  // namespace

const std::vector<known_wheel>& known_wheels() {
    static const std::vector<known_wheel> wheels = [] {
        std::vector<known_wheel> out;
        for (const wheel_type& t : wheel_types()) out.push_back(from(t));
        std::stable_sort(out.begin(), out.end(),
                         [](const known_wheel& a, const known_wheel& b) { return rank(a) < rank(b); });
        return out;
    }();
    return wheels;
}
