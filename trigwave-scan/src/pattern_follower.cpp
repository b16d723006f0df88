#include "pattern_follower.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// How far a spacing may stray from its prediction: wider than any change of speed
// from one tooth to the next, narrower than the step from one slot to two.
const double tolerance = std::log(1.3);
constexpr int extras_before_loss = 3;

bool near(double ratio, double expected) {
    return ratio > 0 && expected > 0 && std::fabs(std::log(ratio / expected)) < tolerance;
}

std::size_t shortest_shift(const std::vector<double>& p) {
    const std::size_t n = p.size();
    for (std::size_t s = 1; s < n; ++s) {
        if (n % s != 0) continue;
        bool same = true;
        for (std::size_t k = 0; k < n && same; ++k) same = near(p[k], p[(k + s) % n]);
        if (same) return s;
    }
    return n;
}

}  // namespace

pattern_follower::pattern_follower(std::vector<double> intervals, std::size_t checks_to_sync)
    : intervals_(std::move(intervals)),
      symmetry_(shortest_shift(intervals_)),
      checks_to_sync_(checks_to_sync > 0 ? checks_to_sync
                                         : std::max<std::size_t>(3, std::min(intervals_.size(), 2 * symmetry_))) {}

bool pattern_follower::fits(double ratio, double expected) const { return near(ratio, expected); }

void pattern_follower::restart(double at, double interval) {
    synced_ = false;
    candidates_.clear();
    for (std::size_t p = 0; p < intervals_.size(); ++p) candidates_.push_back(p);
    last_at_ = at;
    last_interval_ = interval;
    extras_in_row_ = 0;
    missed_last_ = false;
    checks_ = 0;
}

pattern_follower::step pattern_follower::feed(double at) {
    const std::size_t n = intervals_.size();
    if (!have_last_) {
        have_last_ = true;
        restart(at, 0);
        return {};
    }
    const double interval = at - last_at_;
    if (!(interval > 0)) return {kind::extra, (position_ + 1) % n, false};

    if (synced_) {
        const std::size_t next = (position_ + 1) % n;
        const double due = unit_ * intervals_[next];
        const double ratio = interval / due;
        if (near(ratio, 1.0)) {
            position_ = next;
            // The speed is smoothed over a few teeth: one edge timed a sample off must
            // not make the next look early or late.
            unit_ += (interval / intervals_[next] - unit_) * 0.5;
            last_at_ = at;
            extras_in_row_ = 0;
            missed_last_ = false;
            return {kind::accepted, next, false, std::fabs(std::log(ratio))};
        }
        if (ratio < 1.0 && ++extras_in_row_ < extras_before_loss) return {kind::extra, next, false};
        const std::size_t after = (next + 1) % n;
        const double both = intervals_[next] + intervals_[after];
        // Teeth missing one after another are no wheel's fault: a speed misjudged by
        // half makes every tooth look like that.
        if (ratio > 1.0 && near(interval / (unit_ * both), 1.0) && !missed_last_) {
            missed_last_ = true;
            position_ = after;
            unit_ = interval / both;
            last_at_ = at;
            extras_in_row_ = 0;
            return {kind::accepted, after, true, std::fabs(std::log(interval / (unit_ * both)))};
        }
        restart(at, interval);
        return {kind::lost, next, false};
    }

    if (last_interval_ > 0) {
        const double ratio = interval / last_interval_;
        std::vector<std::size_t> kept;
        for (std::size_t p : candidates_) {
            const std::size_t next = (p + 1) % n;
            if (fits(ratio, intervals_[next] / intervals_[p])) kept.push_back(next);
        }
        candidates_ = std::move(kept);
        ++checks_;
    } else {
        // The first spacing: every place is still possible, one step on.
        for (std::size_t& p : candidates_) p = (p + 1) % n;
    }
    last_at_ = at;
    const double previous_interval = last_interval_;
    last_interval_ = interval;
    if (candidates_.empty()) {
        restart(at, interval);
        return {};
    }
    // Synced once the places left are one place of the pattern and the spacings have
    // matched it for a whole period (a few spacings for a pattern that repeats within).
    bool one_place = previous_interval > 0 && checks_ >= checks_to_sync_;
    for (std::size_t p : candidates_) one_place = one_place && ((p + n - candidates_[0]) % n) % symmetry_ == 0;
    if (!one_place) return {};
    synced_ = true;
    position_ = candidates_[0];
    unit_ = interval / intervals_[position_];
    extras_in_row_ = 0;
    return {kind::accepted, position_, false};
}
