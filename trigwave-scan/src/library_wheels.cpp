#include "library_wheels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Thousandths of a degree between two angles of a cycle, going forward from a to b.
double forward(int32_t a, int32_t b, int32_t cycle) { return static_cast<double>(((b - a) % cycle + cycle) % cycle); }

// Spacing k is the one before edge k, the first closing the cycle from the last.
std::vector<double> spacings(const std::vector<int32_t>& at, int32_t cycle) {
    std::vector<double> out;
    for (std::size_t k = 0; k < at.size(); ++k) {
        const double d = forward(at[(k + at.size() - 1) % at.size()], at[k], cycle);
        out.push_back(d > 0 ? d : cycle);  // a lone edge spans the whole cycle
    }
    return out;
}

// The shortest shift that maps the spacings onto themselves: angles are read to the
// thousandth, so equal spacings are equal within a rounding of each end.
std::size_t symmetry(const std::vector<double>& d) {
    const std::size_t n = d.size();
    for (std::size_t s = 1; s < n; ++s) {
        if (n % s != 0) continue;
        bool same = true;
        for (std::size_t i = 0; i < n && same; ++i) same = std::fabs(d[i] - d[(i + s) % n]) <= 2.0;
        if (same) return s;
    }
    return n;
}

// Rotated to open at the widest spacing, the first of equals from start on.
std::vector<double> opened_at_widest(const std::vector<double>& p, std::size_t start) {
    std::size_t w = start % p.size();
    for (std::size_t k = 0; k < p.size(); ++k) {
        const std::size_t i = (start + k) % p.size();
        if (p[i] > p[w] + 2.0) w = i;
    }
    std::vector<double> out;
    for (std::size_t k = 0; k < p.size(); ++k) out.push_back(p[(w + k) % p.size()]);
    return out;
}

// Whether a gap is low in normal polarity: the crank high for less than half of the
// widest spacing's stretch (from the tooth before it to the tooth that ends it).
bool widest_mostly_low(const wheel_file& f, int32_t cycle) {
    const std::vector<wheel_tooth>& t = f.crank;
    std::size_t w = 0;
    double widest = -1;
    for (std::size_t k = 0; k < t.size(); ++k) {
        const double d = forward(t[(k + t.size() - 1) % t.size()].rise, t[k].rise, cycle);
        if (d > widest + 2.0) {
            widest = d;
            w = k;
        }
    }
    const wheel_tooth& before = t[(w + t.size() - 1) % t.size()];
    const double high = forward(before.rise, before.fall, cycle);
    return 2 * high < (widest > 0 ? widest : cycle);
}

// A wheel of equal slots with gaps (N-M), as slots: each spacing within a quarter slot of
// whole slots of the median spacing, some of more than one; empty for any other pattern.
// A wheel measured from a recording has its teeth a degree or two off their slots, which
// no decoder that follows a cranking engine can tell from the plain wheel.
std::vector<double> as_slots(const std::vector<double>& p) {
    std::vector<double> sorted = p;
    std::sort(sorted.begin(), sorted.end());
    const double slot = sorted[sorted.size() / 2];
    std::vector<double> out;
    bool gap = false;
    for (double d : p) {
        const double slots = d / slot;
        if (std::fabs(slots - std::round(slots)) > 0.25 || std::round(slots) < 1) return {};
        out.push_back(std::round(slots));
        gap = gap || out.back() > 1;
    }
    return gap ? out : std::vector<double>{};
}

}  // namespace

known_wheel known_from_file(const wheel_file& file, bool centres) {
    known_wheel w;
    w.library = true;
    w.names = {file.name};
    w.cam_teeth = {static_cast<int>(file.cam.size())};
    const int32_t cycle = file.cycle * 1000;
    std::vector<int32_t> rises;
    for (const wheel_tooth& t : file.crank)
        rises.push_back(centres ? static_cast<int32_t>((t.rise + static_cast<int32_t>(forward(t.rise, t.fall, cycle)) / 2) % cycle) : t.rise);
    const auto full = std::find_if(file.crank.begin(), file.crank.end(), [](const wheel_tooth& t) { return t.full; });
    const std::size_t reference = full == file.crank.end() ? 0 : static_cast<std::size_t>(full - file.crank.begin());
    const std::vector<double> all = spacings(rises, cycle);
    // teeth measured from a recording lie a little off even: within a tenth of a spacing
    // they are the even teeth a decoder sees
    std::vector<double> sorted = all;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    const bool even = std::all_of(all.begin(), all.end(), [&](double d) { return std::fabs(d / median - 1) <= 0.1; });
    const std::size_t period = even ? 1 : symmetry(all);
    const std::size_t repeats = all.size() / period;
    // periods per 720 degrees, at least one
    w.periods_per_cycle = static_cast<int>(std::max<std::size_t>(1, repeats * 720 / static_cast<std::size_t>(file.cycle)));
    if (period == 1) {
        // evenly spaced: the cam counts the teeth of a cycle
        w.even_teeth = true;
        w.per_cycle = true;
        w.teeth.assign(static_cast<std::size_t>(w.periods_per_cycle), 1.0);
        w.periods_per_cycle = 1;
    } else {
        std::vector<double> one(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(period));
        for (double& d : one) d /= 1000.0;
        w.teeth = opened_at_widest(one, reference % period);
        w.per_cycle = w.periods_per_cycle == 1;
        const std::vector<double> slots = as_slots(w.teeth);
        if (!slots.empty()) {
            w.teeth = slots;
            if (widest_mostly_low(file, cycle)) w.mark = polarity_clue::gap_low;
        }
    }
    if (!file.cam.empty()) {
        double high = 0;
        for (const wheel_tooth& t : file.cam) high += forward(t.rise, t.fall, 720000);
        w.cam_pulse_high = 2 * high < 720000;
        std::vector<int32_t> starts;
        for (const wheel_tooth& t : file.cam) starts.push_back(w.cam_pulse_high ? t.rise : t.fall);
        std::sort(starts.begin(), starts.end());
        std::vector<double> d = spacings(starts, 720000);
        for (double& x : d) x /= 1000.0;
        w.cam = starts.size() > 1 ? opened_at_widest(d, 0) : d;
    }
    w.counted_from_cam = !w.even_teeth && w.periods_per_cycle > 2;
    if (centres) w.counted_from_cam = known_from_file(file, false).counted_from_cam;
    return w;
}

bool same_shape(const known_wheel& a, const known_wheel& b) {
    if (a.even_teeth != b.even_teeth || a.teeth.size() != b.teeth.size()) return false;
    if (a.even_teeth) return true;
    double sum_a = 0, sum_b = 0;
    for (std::size_t i = 0; i < a.teeth.size(); ++i) {
        sum_a += a.teeth[i];
        sum_b += b.teeth[i];
    }
    const std::size_t n = a.teeth.size();
    for (std::size_t s = 0; s < n; ++s) {
        bool same = true;
        for (std::size_t i = 0; i < n && same; ++i)
            same = std::fabs(a.teeth[i] / sum_a - b.teeth[(i + s) % n] / sum_b) * 360.0 <= 0.5;
        if (same) return true;
    }
    return false;
}

bool same_crank(const known_wheel& a, const known_wheel& b) {
    return a.per_cycle == b.per_cycle && a.periods_per_cycle == b.periods_per_cycle && same_shape(a, b);
}

std::vector<known_wheel> library_wheels(const std::vector<wheel_file>& files, bool centres) {
    std::vector<known_wheel> out;
    for (const wheel_file& f : files) {
        known_wheel w = known_from_file(f, centres);
        const auto same = std::find_if(out.begin(), out.end(), [&](const known_wheel& o) { return same_crank(o, w); });
        if (same == out.end()) {
            out.push_back(std::move(w));
        } else {
            same->names.push_back(f.name);
            same->cam_teeth.push_back(w.cam_teeth[0]);
        }
    }
    return out;
}
