#include "edge_finder.h"

#include <algorithm>
#include <cmath>

namespace {

// A share of the half-swing: teeth at a tenth of a full-scale reference tooth clear it.
constexpr float hysteresis_share = 0.08f;
// A VR's lobes wobble at their peaks (a scope's quantisation): its turning points need more.
constexpr float vr_turning_share = 0.25f;
// Below this (about -46 dBFS) nothing counts as an edge: hiss alone, on a crank that stopped.
constexpr float least_hysteresis = 0.005f;
// A single sample this far past the middle, in half-swings, is an edge by itself.
constexpr float single_sample_share = 0.5f;
// While edges come, a tooth teaches the levels when its swing is at least this share of
// the usual one: the ringing after a short cam pulse's steps is smaller.
constexpr float least_tooth = 0.25f;
// A VR conditioner arms at this share of the positive peak above the baseline.
constexpr float arm_share = 1.0f / 3.0f;
// A band-limited step passes from the middle to the threshold, and stays there a second
// sample, within a few samples.
constexpr double recent_crossing = 4.0;
// In tooth periods (the median of the latest five): a VR's positive peak decays within
// one, so the large swing at a gap does not blind the tooth after it; after two without
// an edge any tooth teaches the levels, so a signal that no longer crosses the middle is
// found again.
constexpr double vr_peak_periods = 1.0;
constexpr double quiet_periods = 2.0;
constexpr std::size_t periods_needed = 3;
// A turning point counts once the signal has been back from it for this share of the
// shortest recent stretch: hiss on a long flat stretch and a resampler's ringing after a
// step would outnumber the teeth.
constexpr double settle_share = 1.0 / 8;

// Where between the previous sample and this one the signal crossed level, from 0 to 1.
double part_between(float prev, float x, float level) {
    const float step = x - prev;
    return step != 0 ? std::clamp(static_cast<double>((level - prev) / step), 0.0, 1.0) : 1.0;
}

float share_of(float step, float swing) { return step / std::max(swing, least_hysteresis); }

}  // namespace

template <typename T>
T edge_finder::latest<T>::median() const {
    std::array<T, 5> v = values;
    const std::size_t n = std::min(count, v.size());
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(n / 2), v.begin() + static_cast<std::ptrdiff_t>(n));
    return v[n / 2];
}

edge_finder::thresholds edge_finder::current() const {
    const float share = kind_ == input_kind::vr ? vr_turning_share : hysteresis_share;
    const float h = std::max(half_ * hysteresis_share, least_hysteresis);
    // A turn smaller than the comparator's least swing teaches nothing. Before the first
    // tooth no single sample makes an edge: the one that completes the tooth, a sample
    // after the step, is then the first reported.
    const float single = middles_.count > 0 ? std::max(half_ * single_sample_share, h) : HUGE_VALF;
    return {middle_, half_, h, single, std::max(half_ * share, 2 * least_hysteresis)};
}

void edge_finder::tooth(float trough, double now) {
    const float middle = (peak_ + trough) * 0.5f, half = (peak_ - trough) * 0.5f;
    // Before the spacing is known, and after a while without an edge, the latest tooth
    // alone sets the levels: an AC-coupled input still settling moves faster than the
    // median of five rare cam pulses would follow.
    const bool alone = period_ == 0 || now > quiet_from_;
    if (!alone && half < least_tooth * half_) return;
    middles_.add(middle);
    halves_.add(half);
    middle_ = alone ? middle : middles_.median();
    half_ = alone ? half : halves_.median();
    // The latest tooth must clear the comparator's thresholds: an AC-coupled input
    // settling, or a drop to levels the old middle lies outside of, is followed at once.
    const float least = current().hysteresis;
    if (peak_ < middle_ + least || trough > middle_ - least) {
        middle_ = middle;
        half_ = std::min(half_, half);
    }
}

bool edge_finder::turn(double now, bool rising) {
    // Before the first whole tooth the levels are guesses: an AC-coupled input settling
    // from its first level droops through the middle of a swing only half seen.
    if (middles_.count == 0) return false;
    const double other = last_turn_[rising ? 0 : 1];
    if (other >= 0) stretches_.add(now - other);
    double& last = last_turn_[rising ? 1 : 0];
    if (last >= 0) periods_.add(now - last);
    last = now;
    // The spacing moves little from one edge to the next: it is worked out every few.
    if (periods_.count >= periods_needed && periods_.count % periods_needed == 0) {
        period_ = std::max(periods_.median(), 1.0);
        vr_peak_decay_ = static_cast<float>(1.0 / (vr_peak_periods * period_));
        const double shortest = *std::min_element(stretches_.values.begin(), stretches_.values.begin() +
                                                  static_cast<std::ptrdiff_t>(std::min(stretches_.count, stretches_.values.size())));
        settle_ = std::max(1, static_cast<int>(shortest * settle_share));
    }
    quiet_from_ = now + quiet_periods * period_;
    return true;
}

void edge_finder::emit(std::vector<edge>& out, double at, bool rising, float sharpness) {
    // In time order even where a droop put the last crossing before the previous edge.
    at = std::max(at, last_edge_);
    last_edge_ = at;
    out.push_back(edge{at, rising, sharpness});
}

void edge_finder::feed(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out) {
    if (count == 0) return;
    if (!started_) {
        middle_ = peak_ = extreme_ = reached_high_ = reached_low_ = previous_ = before_ = std::isfinite(samples[0]) ? samples[0] : 0.0f;
        started_ = true;
    }
    const bool vr = kind_ == input_kind::vr;
    float prev = previous_, before = before_, extreme = extreme_, vr_peak = vr_peak_;
    bool rising = rising_, above = above_;
    int lasting = lasting_, state = state_;
    double crossed = crossed_;
    thresholds t = current();
    bool learnt = middles_.count > 0;
    for (std::size_t i = 0; i < count; ++i) {
        const float v = samples[i * stride];
        // NaN or infinity from a float file: hold the last sample.
        const float x = std::isfinite(v) ? v : prev;
        const float held_high = std::min(x, prev), held_low = std::max(x, prev);
        const auto now = [&] { return position_ + static_cast<double>(i); };

        // Until the first tooth, the levels are what the signal has reached so far.
        if (!learnt && (held_high > reached_high_ || held_low < reached_low_)) {
            reached_high_ = std::max(reached_high_, held_high);
            reached_low_ = std::min(reached_low_, held_low);
            middle_ = (reached_high_ + reached_low_) * 0.5f;
            half_ = (reached_high_ - reached_low_) * 0.5f;
            t = current();
        }
        // The turning points, from what the signal held for two samples.
        if (rising ? held_high > extreme : held_low < extreme) {
            extreme = rising ? held_high : held_low;
            lasting = 0;
        } else if (!(rising ? held_low < extreme - t.turn : held_high > extreme + t.turn)) {
            lasting = 0;
        } else if (++lasting >= settle_) {
            if (rising) {
                peak_ = extreme;
            } else {
                tooth(extreme, now());
                t = current();
                learnt = middles_.count > 0;
            }
            rising = !rising;
            extreme = rising ? held_high : held_low;
            lasting = 0;
        }

        if (vr) {
            // The baseline, the teeth's usual middle: a scope's capture sits on the sensor's
            // offset, a sound card's near 0, and the larger lobes beside a gap do not move it.
            vr_peak = std::max(vr_peak - vr_peak * vr_peak_decay_, held_high - t.middle);
            const float arm = t.middle + std::max(vr_peak * arm_share, least_hysteresis);
            if (state <= 0 && held_high > arm) {
                if (turn(now(), true)) emit(out, now() - 1.0 + part_between(prev, x, arm), true, share_of(x - prev, 2 * t.half));
                state = 1;
            } else if (state > 0 && x < t.middle) {
                // The tooth's centre: where its positive lobe gives way to the negative one.
                if (turn(now(), false))
                    emit(out, now() - 1.0 + part_between(prev, x, t.middle), false, share_of(prev - x, 2 * t.half));
                state = -1;
            }
        } else {
            // The edge is placed where the signal last crossed the middle, between two
            // samples: a tooth a few samples long is then timed to a fraction of one.
            if ((x > t.middle) != above) {
                above = !above;
                crossed = now() - 1.0 + part_between(prev, x, t.middle);
            }
            // An edge once the signal has stayed past the threshold for two samples, or gone
            // halfway to the usual peak in one: a resampler's ringing before a step makes
            // none, a cam pulse two samples long through it still does. A crossing of the
            // middle long before is a droop drifting over it, not this edge: then the edge is
            // placed where the threshold was crossed.
            const auto place = [&](float threshold) {
                if (now() - crossed <= recent_crossing) return crossed;
                return (prev > threshold) == (x > threshold) ? now() - 2.0 + part_between(before, prev, threshold)
                                                             : now() - 1.0 + part_between(prev, x, threshold);
            };
            if (state <= 0 && (held_high > t.middle + t.hysteresis || x > t.middle + t.single)) {
                if (turn(now(), true))
                    emit(out, place(t.middle + t.hysteresis), true, share_of(std::max(x - prev, prev - before), 2 * t.half));
                state = 1;
            } else if (state >= 0 && (held_low < t.middle - t.hysteresis || x < t.middle - t.single)) {
                if (turn(now(), false))
                    emit(out, place(t.middle - t.hysteresis), false, share_of(std::max(prev - x, before - prev), 2 * t.half));
                state = -1;
            }
        }
        before = prev;
        prev = x;
    }
    previous_ = prev;
    before_ = before;
    extreme_ = extreme;
    vr_peak_ = vr_peak;
    rising_ = rising;
    above_ = above;
    lasting_ = lasting;
    state_ = state;
    crossed_ = crossed;
    position_ += static_cast<double>(count);
}
