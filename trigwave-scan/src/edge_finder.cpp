#include "edge_finder.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float hysteresis_share = 0.25f;
// Below this half-swing (about -46 dBFS) nothing counts as an edge: hiss alone.
constexpr float least_hysteresis = 0.005f;
// The first turns only teach the peaks: an AC-coupled input settling from its first
// level droops through the middle of a swing it has only half seen.
constexpr int settling_turns = 2;
// A band-limited step passes from the middle to the threshold within a few samples.
constexpr double recent_crossing = 3.0;

}  // namespace

void edge_finder::feed(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out) {
    float hi = high_peak_, lo = low_peak_, prev = previous_;
    int state = state_, turns = turns_;
    bool above = above_;
    double crossed = crossed_;
    if (!started_ && count > 0) {
        hi = lo = prev = std::isfinite(samples[0]) ? samples[0] : 0.0f;
        started_ = true;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const float v = samples[i * stride];
        // NaN or infinity from a float file: hold the last sample.
        const float x = std::isfinite(v) ? v : prev;
        if (state >= 0) hi = std::max(hi, x);
        if (state <= 0) lo = std::min(lo, x);
        const float swing = hi - lo;
        const float mid = (hi + lo) * 0.5f;
        const float h = std::max(swing * 0.5f * hysteresis_share, least_hysteresis);
        // The edge is placed where the signal last crossed the middle, between two
        // samples: a tooth a few samples long is then timed to a fraction of one.
        if ((x > mid) != above) {
            above = x > mid;
            const float step = x - prev;
            const double part = step != 0 ? std::clamp(static_cast<double>((mid - prev) / step), 0.0, 1.0) : 1.0;
            crossed = position_ + static_cast<double>(i) - 1.0 + part;
        }
        // A crossing long before the threshold was reached is a droop drifting over the
        // middle, not this edge: then the edge is placed where the threshold was crossed.
        const double now = position_ + static_cast<double>(i);
        const auto place = [&](float threshold) {
            if (now - crossed <= recent_crossing) return crossed;
            const float step = x - prev;
            return now - 1.0 + (step != 0 ? std::clamp(static_cast<double>((threshold - prev) / step), 0.0, 1.0) : 1.0);
        };
        if (state <= 0 && x > mid + h) {
            if (turns >= settling_turns) out.push_back(edge{place(mid + h), true, (x - prev) / swing});
            turns += turns < settling_turns;
            state = 1;
            hi = x;  // a new high stretch: its peak is yet to come
        } else if (state >= 0 && x < mid - h) {
            if (turns >= settling_turns) out.push_back(edge{place(mid - h), false, (prev - x) / swing});
            turns += turns < settling_turns;
            state = -1;
            lo = x;
        }
        prev = x;
    }
    high_peak_ = hi;
    low_peak_ = lo;
    previous_ = prev;
    state_ = state;
    turns_ = turns;
    above_ = above;
    crossed_ = crossed;
    position_ += static_cast<double>(count);
}
