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
// A comparator's pulse no wider than this (in samples), where the latest stretches between
// edges all lasted glitch_context or more, is a click on the line (a spike), not a tooth: a
// controller's input filter never passes it, and its two edges are dropped. Each edge is
// held until the samples after it show whether it opened such a pulse.
constexpr double glitch_width = 1.5;
constexpr double glitch_context = 8;

// The thresholds never come nearer the noise than these multiples of its RMS: two samples
// in a row beyond four RMS, or a swing of eight between turning points, come from white
// noise less than once in many millions of samples. Once a tooth is known they never pass
// these shares of its half-swing either: a resampler's ringing near the Nyquist frequency
// reads as noise, and a tooth is found through it as a comparator's fixed hysteresis would.
constexpr float noise_hysteresis = 4, noise_turn = 8, noise_arm = 5;
constexpr float noise_hysteresis_most = 0.25f, noise_turn_most = 1.0f, noise_arm_most = 0.5f;
// Noise below this moves none of them above the least the comparator keeps anyway.
constexpr float quiet = least_hysteresis / noise_arm;
// The noise gauge's scales: the medians of its measures on white noise of RMS 1. A
// sample this near full scale is clipped, and tells nothing of the noise.
constexpr float curve_of_noise = 0.676f, bend_of_noise = 5.64f;
constexpr double median_of_normal = 0.6745;
constexpr float clipped = 0.999f;

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

bool edge_finder::noise_gauge::renew() {
    const bool early = seen_ < block;
    const bool skipped = !early && ++stretches_ > blocks_.values.size() && stretches_ % 4 != 0;
    const float e = skipped ? -1.0f : estimate();
    if (!early) {
        std::copy(x_.end() - kept, x_.end(), x_.begin());
        filled_ = kept;
        if (e >= 0) blocks_.add(e);
    }
    if (e < 0) return false;
    rms_ = early ? e : blocks_.median();
    return true;
}

float edge_finder::noise_gauge::estimate() {
    const std::size_t m = filled_;
    // Every sample's curvature (the least of the latest three second differences), and
    // whether a clipped sample lies among the five it depends on.
    for (std::size_t n = 0; n < m; ++n) clipped_[n] = std::abs(x_[n]) >= clipped;
    for (std::size_t n = 2; n < m; ++n) bends_[n] = std::abs(x_[n] - 2 * x_[n - 1] + x_[n - 2]);
    std::size_t quiet_curves = 0, clear = 0;
    for (std::size_t n = 4; n < m; ++n) {
        work_[n] = std::min({bends_[n], bends_[n - 1], bends_[n - 2]});
        near_clip_[n] = clipped_[n] | clipped_[n - 1] | clipped_[n - 2] | clipped_[n - 3] | clipped_[n - 4];
        clear += !near_clip_[n];
        quiet_curves += (work_[n] <= quiet * curve_of_noise && !near_clip_[n]);
    }
    if (clear == 0 || clear < (m - kept) / 2) return -1.0f;
    // Most often that is all there is to know: noise this faint moves no threshold, and the
    // rest could only find it fainter.
    if (quiet_curves > clear / 2) return 0.0f;
    // The curvature and the fourth difference of every sample clear of clipping.
    std::size_t count = 0;
    for (std::size_t n = 4; n < m; ++n)
        if (!near_clip_[n]) {
            work_[count] = work_[n];
            bends_[count++] = std::abs(x_[n] - 4 * x_[n - 1] + 6 * x_[n - 2] - 4 * x_[n - 3] + x_[n - 4]);
        }
    // The median of n values over what white noise of RMS 1 gives.
    const auto median = [](auto& v, std::size_t n, double of_noise) {
        const auto mid = v.begin() + static_cast<std::ptrdiff_t>(n / 2);
        std::nth_element(v.begin(), mid, v.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<float>(*mid / of_noise);
    };
    float least = std::min(median(work_, count, curve_of_noise), median(bends_, count, bend_of_noise));
    if (least <= quiet) return 0.0f;
    const auto x = [&](std::size_t n) { return static_cast<double>(x_[n]); };
    std::size_t unclipped = 0;
    for (std::size_t n = 0; n < m; ++n) unclipped_[n] = unclipped = clipped_[n] ? 0 : unclipped + 1;

    // Each step x[n] - x[n-1] foreseen from the ones before it (autocorrelation and
    // Levinson-Durbin), fewer of them for the first estimates.
    const std::size_t p = std::min(order, m / 4 - 1);
    const auto step = [&](std::size_t n) { return x(n) - x(n - 1); };
    std::array<double, order + 1> r{}, a{}, previous{};
    for (std::size_t k = 0; k <= p; ++k)
        for (std::size_t n = 1 + k; n < m; ++n) r[k] += step(n) * step(n - k);
    if (r[0] > 0) {
        double error = r[0];
        for (std::size_t i = 1; i <= p && error > r[0] * 1e-9; ++i) {
            double acc = r[i];
            for (std::size_t k = 1; k < i; ++k) acc -= a[k] * r[i - k];
            const double reflection = acc / error;
            previous = a;
            a[i] = reflection;
            for (std::size_t k = 1; k < i; ++k) a[k] = previous[k] - reflection * previous[i - k];
            error *= 1 - reflection * reflection;
        }
    }
    std::size_t errors = 0;
    for (std::size_t n = p + 1; n < m; ++n)
        if (unclipped_[n] > p + 1) {
            double e = step(n);
            for (std::size_t k = 1; k <= p; ++k) e -= a[k] * step(n - k);
            work_[errors++] = static_cast<float>(std::abs(e));
        }
    // White noise through the difference and the prediction: the RMS it comes out with.
    double gain = 0;
    for (std::size_t k = 0; k <= p + 1; ++k) {
        const double h = (k <= p ? (k == 0 ? 1 : -a[k]) : 0) - (k >= 1 ? (k == 1 ? 1 : -a[k - 1]) : 0);
        gain += h * h;
    }
    if (errors >= (m - kept) / 2 && errors > 0) least = std::min(least, median(work_, errors, median_of_normal * std::sqrt(gain)));
    return least;
}

edge_finder::thresholds edge_finder::current() const {
    const float share = kind_ == input_kind::vr ? vr_turning_share : hysteresis_share;
    const bool known = middles_.count > 0;
    const auto above_noise = [&](float times, float most) {
        return known ? std::min(noise_.rms() * times, half_ * most) : noise_.rms() * times;
    };
    const float h = std::max({half_ * hysteresis_share, least_hysteresis, above_noise(noise_hysteresis, noise_hysteresis_most)});
    // A turn smaller than the comparator's least swing teaches nothing. Before the first
    // tooth no single sample makes an edge: the one that completes the tooth, a sample
    // after the step, is then the first reported.
    const float single = middles_.count > 0 ? std::max(half_ * single_sample_share, h) : HUGE_VALF;
    const float turn = std::max({half_ * share, 2 * least_hysteresis, above_noise(noise_turn, noise_turn_most)});
    const float arm = std::max(least_hysteresis, above_noise(noise_arm, noise_arm_most));
    return {middle_, half_, h, single, turn, arm};
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
    before_turn_ = remembered();
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

int edge_finder::smoothing() const {
    if (kind_ != input_kind::vr || noise_.rms() <= least_hysteresis) return 1;
    return std::min(settle_, static_cast<int>(most_smoothing));
}

float edge_finder::smoothed(float x) {
    // The span moves a sample at a time toward what is wanted, so the average never jumps.
    const std::size_t size = recent_.size(), at = taken_++;
    recent_[at % size] = x;
    const auto span = static_cast<std::size_t>(smooth_);
    const auto oldest = [&](std::size_t k) { return recent_[(at - span + k) % size]; };
    const int wanted = smoothing();
    if (wanted > smooth_ && at > span) {
        smooth_sum_ += x;
        ++smooth_;
    } else if (wanted < smooth_) {
        smooth_sum_ += x - oldest(0) - oldest(1);
        --smooth_;
    } else if (smooth_ > 1) {
        smooth_sum_ += x - oldest(0);
    }
    if (smooth_ == 1) smooth_sum_ = x;
    return static_cast<float>(smooth_sum_ / smooth_);
}

void edge_finder::emit(std::vector<edge>& out, double at, bool rising, float sharpness) {
    // In time order even where a droop put the last crossing before the previous edge.
    at = std::max(at, last_edge_);
    last_edge_ = at;
    if (kind_ == input_kind::vr) {
        out.push_back(edge{at, rising, sharpness});
        return;
    }
    if (waiting_ && waiting_->rising != rising && at - waiting_->at <= glitch_width && waiting_among_long_) {
        waiting_.reset();
        recall(before_waiting_);  // the click taught nothing
        return;
    }
    release(out);
    waiting_ = edge{at, rising, sharpness};
    before_waiting_ = before_turn_;
    // the stretches before this edge's own (a click may come anywhere within a tooth)
    const latest<double>& known = before_turn_.stretches;
    waiting_among_long_ = known.count >= known.values.size() &&
                          *std::min_element(known.values.begin(), known.values.end()) >= glitch_context;
}

edge_finder::spacing_memory edge_finder::remembered() const {
    return {periods_, stretches_, last_turn_, period_, quiet_from_, vr_peak_decay_, settle_};
}

void edge_finder::recall(const spacing_memory& m) {
    periods_ = m.periods;
    stretches_ = m.stretches;
    last_turn_ = m.last_turn;
    period_ = m.period;
    quiet_from_ = m.quiet_from;
    vr_peak_decay_ = m.vr_peak_decay;
    settle_ = m.settle;
}

void edge_finder::release(std::vector<edge>& out) {
    if (waiting_) out.push_back(*waiting_);
    waiting_.reset();
}

void edge_finder::finish(std::vector<edge>& out) { release(out); }

void edge_finder::feed(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out) {
    // The first samples wait until the noise they carry is measured, then are read with it.
    std::size_t i = 0;
    if (start_.size() < first_samples) {
        for (; i < count && start_.size() < first_samples; ++i) {
            const float v = samples[i * stride];
            start_held_ = std::isfinite(v) ? v : start_.empty() ? 0.0f : start_held_;
            start_.push_back(v);
            noise_.add(start_held_);
        }
        if (start_.size() < first_samples) return;
        read(start_.data(), start_.size(), 1, out, false);
    }
    read(samples + i * stride, count - i, stride, out, true);
}

void edge_finder::read(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out, bool gauged) {
    if (count == 0) return;
    if (!started_) {
        middle_ = peak_ = extreme_ = reached_high_ = reached_low_ = previous_ = before_ = smoothed_ =
            std::isfinite(samples[0]) ? samples[0] : 0.0f;
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
        if (waiting_ && now() > waiting_->at + glitch_width + 1) release(out);
        if (gauged && noise_.add(x)) t = current();

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
            // Where noise sets the thresholds, the crossings are read through a moving average
            // (its delay taken off): a slow lobe's crossing then moves less with the noise.
            const float y = smoothed(x), y_prev = smoothed_;
            const double delay = 0.5 * (smooth_ - 1);
            // The baseline, the teeth's usual middle: a scope's capture sits on the sensor's
            // offset, a sound card's near 0, and the larger lobes beside a gap do not move it.
            vr_peak = std::max(vr_peak - vr_peak * vr_peak_decay_, held_high - t.middle);
            const float arm = t.middle + std::max(vr_peak * arm_share, t.arm);
            if (state <= 0 && std::min(y, y_prev) > arm) {
                if (turn(now(), true))
                    emit(out, now() - 1.0 - delay + part_between(y_prev, y, arm), true, share_of(y - y_prev, 2 * t.half));
                state = 1;
            } else if (state > 0 && y < t.middle) {
                // The tooth's centre: where its positive lobe gives way to the negative one.
                if (turn(now(), false))
                    emit(out, now() - 1.0 - delay + part_between(y_prev, y, t.middle), false, share_of(y_prev - y, 2 * t.half));
                state = -1;
            }
            smoothed_ = y;
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
