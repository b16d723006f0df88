#include "input_kind.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "edge_finder.h"
#include "median.h"

namespace {

// Edges needed before the signal's shape is judged.
constexpr std::size_t least_edges = 8;
// The steepest one-sample step where the signal crosses its middle, as a share of the
// swing there. A hall sensor steps across in a sample or two (half the swing or more, on
// at least one side: a sawtooth's sharp fall); a VR's sine-like crossing climbs about 3.3
// swings per lobe pair, so at P samples a pair its step is 3.3 / P of the swing. A hall
// signal through a low-pass at a slow speed still steps several times faster for the time
// it holds its levels either side. Held means beyond a quarter of the swing from the
// middle: a hall level holds until the next edge, a VR lobe falls back to the middle between
// teeth, so narrow teeth far apart (Subaru's windows) are judged by their lobes, not by the
// space between them.
constexpr double step_share = 0.4;
constexpr double steps_per_hold = 10;
// White noise adds to the steepest step around a crossing up to about this many times its
// RMS (the largest of a few differences of two noisy samples): that much is taken off.
constexpr float noise_step = 4;

// Walking from a crossing at `at` towards `bound` (a step of +1 or -1): how many samples
// the signal holds beyond a quarter of the swing from its middle, in its first stretch
// there (the crossing itself and any flat stretch at the middle are not counted).
double held_samples(const std::vector<float>& x, std::size_t bound, std::size_t at, float lo, float hi, int step) {
    const float middle = (lo + hi) / 2, band = (hi - lo) / 4;
    double n = 0;
    for (std::size_t m = at; m != bound; m += static_cast<std::size_t>(step)) {
        const bool out = std::abs(x[m] - middle) > band;
        if (n > 0 && !out) break;
        n += out;
    }
    return n;
}

}  // namespace

const char* input_kind_name(input_kind kind) { return kind == input_kind::vr ? "vr" : "hall"; }

std::string input_line(const char* crank, const char* cam, bool decided) {
    std::string line = std::string("crank ") + crank;
    if (cam) line += std::string(", cam ") + cam;
    return line + (decided ? " (decided from the signal)" : " (as asked)");
}

bool parse_input_choice(const std::string& text, input_choice& out) {
    if (text == "auto") out = input_choice::automatic;
    else if (text == "hall") out = input_choice::hall;
    else if (text == "vr") out = input_choice::vr;
    else return false;
    return true;
}

input_kind decide_input(const float* samples, std::size_t count, std::size_t stride) {
    std::vector<float> x(count);
    float held = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const float v = samples[i * stride];
        x[i] = held = std::isfinite(v) ? v : held;
    }
    edge_finder finder(input_kind::hall);
    std::vector<edge> edges;
    finder.feed(x.data(), count, 1, edges);
    if (edges.size() < least_edges) return input_kind::hall;
    const float noise_part = noise_step * finder.noise();

    // Each edge between its neighbours: the swing there, and the steepest step around it.
    std::vector<double> shares[2], per_hold[2];
    for (std::size_t k = 1; k + 1 < edges.size(); ++k) {
        const auto first = static_cast<std::size_t>(std::max(edges[k - 1].at, 0.0));
        const auto last = std::min(static_cast<std::size_t>(std::ceil(edges[k + 1].at)), count - 1);
        const auto at = static_cast<std::size_t>(std::ceil(edges[k].at));
        const auto [lo, hi] = std::minmax_element(x.begin() + static_cast<std::ptrdiff_t>(first),
                                                  x.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        const float swing = *hi - *lo;
        if (swing <= 0) continue;
        float step = 0;
        for (std::size_t m = std::max(at, first + 2) - 1; m <= std::min(at + 2, last); ++m)
            step = std::max(step, std::abs(x[m] - x[m - 1]));
        const double share = std::max(step - noise_part, 0.0f) / swing;
        shares[edges[k].rising].push_back(share);
        const std::size_t mid_at = std::min(at, last);
        per_hold[edges[k].rising].push_back(share * (held_samples(x, first, mid_at, *lo, *hi, -1) + held_samples(x, last, mid_at, *lo, *hi, 1)));
    }
    for (int side = 0; side < 2; ++side) {
        if (shares[side].empty()) continue;
        if (upper_median(shares[side]) >= step_share || upper_median(per_hold[side]) >= steps_per_hold) return input_kind::hall;
    }
    return input_kind::vr;
}
