#include "edge_finder.h"

#include <algorithm>
#include <cmath>

namespace {

// Peaks relax with a time constant of 2 s: longer than the slowest engine cycle of
// interest (100 RPM, 1.2 s), so one cam pulse per cycle keeps its threshold.
constexpr double relax_seconds = 2.0;
constexpr float hysteresis_share = 0.25f;
// Below this half-swing (about -46 dBFS) nothing counts as an edge: hiss alone.
constexpr float least_hysteresis = 0.005f;

}  // namespace

edge_finder::edge_finder(double rate)
    : relax_(static_cast<float>(1.0 - std::exp(-1.0 / (relax_seconds * std::max(rate, 1.0))))) {}

void edge_finder::feed(const float* samples, std::size_t count, std::size_t stride,
                       std::vector<edge>& out) {
    float hi = high_peak_, lo = low_peak_, prev = previous_;
    int state = state_;
    if (!started_ && count > 0) {
        hi = lo = prev = samples[0];
        started_ = true;
    }
    const float relax = relax_;
    for (std::size_t i = 0; i < count; ++i) {
        const float v = samples[i * stride];
        // NaN or infinity from a float file: hold the last sample.
        const float x = std::isfinite(v) ? v : prev;
        hi = x > hi ? x : hi + (x - hi) * relax;
        lo = x < lo ? x : lo + (x - lo) * relax;
        const float swing = hi - lo;
        const float mid = (hi + lo) * 0.5f;
        const float h = std::max(swing * 0.5f * hysteresis_share, least_hysteresis);
        if (state <= 0 && x > mid + h) {
            if (state < 0)
                out.push_back(edge{position_ + static_cast<double>(i), true, (x - prev) / swing});
            state = 1;
        } else if (state >= 0 && x < mid - h) {
            if (state > 0)
                out.push_back(edge{position_ + static_cast<double>(i), false, (prev - x) / swing});
            state = -1;
        }
        prev = x;
    }
    high_peak_ = hi;
    low_peak_ = lo;
    previous_ = prev;
    state_ = state;
    position_ += static_cast<double>(count);
}
