#include "wheel_learner.h"

#include <algorithm>
#include <cmath>

#include "median.h"

namespace {

constexpr double gap_ratio = 1.6;
// Spacings looked at: a few revolutions of a dense wheel are plenty, and bound the work.
constexpr std::size_t most_spacings = 1500;

std::vector<double> spacings(const std::vector<double>& t) {
    std::vector<double> d;
    for (std::size_t i = 1; i < t.size() && d.size() < most_spacings; ++i) d.push_back(t[i] - t[i - 1]);
    return d;
}

// The spacings around i, i left out: the teeth's pace there.
double pace(const std::vector<double>& d, std::size_t i, std::size_t half) {
    std::vector<double> near;
    for (std::size_t j = i >= half ? i - half : 0; j < std::min(d.size(), i + half + 1); ++j)
        if (j != i) near.push_back(d[j]);
    return upper_median(near);
}

// Rotated to open after its widest spacing (the first of equals).
std::vector<double> opened_at_widest(const std::vector<double>& p) {
    const std::size_t w = static_cast<std::size_t>(std::max_element(p.begin(), p.end()) - p.begin());
    std::vector<double> out;
    for (std::size_t k = 0; k < p.size(); ++k) out.push_back(p[(w + k) % p.size()]);
    return out;
}

}  // namespace

std::vector<double> learn_slots(const std::vector<double>& times) {
    std::vector<double> d = spacings(times);
    if (d.size() < 24) return {};
    // A glitch (a microsecond's pulse) splits a spacing: put it back together.
    std::vector<double> merged;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const double p = pace(d, i, 4);
        if (!(p > 0)) return {};
        if (d[i] < 0.3 * p && i + 1 < d.size()) {
            d[i + 1] += d[i];
            continue;
        }
        merged.push_back(d[i]);
    }
    d = merged;
    std::vector<double> ratio(d.size());
    std::vector<int> kind(d.size());  // 1 a tooth's spacing, 2 or more a gap's slots
    for (std::size_t i = 0; i < d.size(); ++i) {
        ratio[i] = d[i] / pace(d, i, 4);
        kind[i] = ratio[i] > gap_ratio ? 2 : 1;
    }
    // A gap's slots against the teeth on either side of it: a cranking engine's speed
    // changes across a gap, and the teeth next to it show the speed there best.
    for (std::size_t i = 1; i + 1 < d.size(); ++i)
        if (kind[i] > 1 && kind[i - 1] == 1 && kind[i + 1] == 1) ratio[i] = 2 * d[i] / (d[i - 1] + d[i + 1]);
    const std::size_t n = d.size();
    for (std::size_t len = 2; 3 * len <= n && len <= 400; ++len) {
        // gaps where gaps were one period before, but for a few odd spacings
        std::size_t same = 0, compared = 0;
        for (std::size_t i = 0; i + len < n; ++i) {
            ++compared;
            same += (kind[i] > 1) == (kind[i + len] > 1);
        }
        if (static_cast<double>(same) < 0.95 * static_cast<double>(compared)) continue;
        std::vector<double> p(len, 0.0);
        bool any_gap = false;
        for (std::size_t k = 0; k < len; ++k) {
            int gaps = 0, teeth = 0;
            double sum = 0;
            for (std::size_t i = k; i < n; i += len) {
                if (kind[i] > 1) {
                    ++gaps;
                    sum += ratio[i];
                } else {
                    ++teeth;
                }
            }
            if (gaps > teeth) {
                p[k] = std::max(2.0, std::round(sum / gaps));
                any_gap = true;
            } else {
                p[k] = 1;
            }
        }
        if (!any_gap) return {};
        return opened_at_widest(p);
    }
    return {};
}

namespace {

// The uneven pattern that the spacings d repeat, or empty; `repeated` tells whether some
// period repeated at all (even teeth do).
std::vector<double> uneven_in(const std::vector<double>& d, std::size_t max_teeth, bool& repeated) {
    repeated = false;
    for (std::size_t len = 2; len <= max_teeth && 5 * len <= 2 * d.size(); ++len) {
        // each spacing's share of the period centred on it
        std::vector<double> share;
        double sum = 0;
        for (std::size_t j = 0; j < len; ++j) sum += d[j];
        std::vector<double> window_sum(d.size() - len + 1);
        for (std::size_t s = 0; s + len <= d.size(); ++s) {
            if (s > 0) sum += d[s + len - 1] - d[s - 1];
            window_sum[s] = sum;
        }
        for (std::size_t i = 0; i < d.size(); ++i) {
            const std::size_t s = std::min(i >= len / 2 ? i - len / 2 : 0, d.size() - len);
            share.push_back(d[i] / window_sum[s]);
        }
        std::vector<double> p(len);
        for (std::size_t k = 0; k < len; ++k) {
            std::vector<double> at;
            for (std::size_t i = k; i < d.size(); i += len) at.push_back(share[i]);
            p[k] = upper_median(at);
        }
        std::vector<double> stray;
        for (std::size_t i = 0; i < d.size(); ++i) stray.push_back(std::fabs(std::log(share[i] / p[i % len])));
        const double lo = *std::min_element(p.begin(), p.end()), hi = *std::max_element(p.begin(), p.end());
        if (!(lo > 0)) return {};
        // the same shares period after period (three in four within 10 %), and not merely
        // even teeth
        std::sort(stray.begin(), stray.end());
        const bool repeats = stray[stray.size() * 3 / 4] < 0.1;
        repeated = repeats;
        if (repeats && hi / lo > 1.25) {
            for (double& x : p) x /= lo;
            return opened_at_widest(p);
        }
        if (repeats) return {};
    }
    return {};
}

}  // namespace

std::vector<double> learn_uneven(const std::vector<double>& times, std::size_t max_teeth) {
    const std::vector<double> d = spacings(times);
    // edges at one time (a capture's simultaneous changes) give no share to compare
    if (std::any_of(d.begin(), d.end(), [](double x) { return !(x > 0); })) return {};
    bool repeated = false;
    std::vector<double> p = uneven_in(d, max_teeth, repeated);
    if (!p.empty() || repeated) return p;
    // An extra tooth or a lost one moves the pattern's phase for every spacing after it:
    // each half is tried alone, the later first.
    const auto half = static_cast<long>(d.size() / 2);
    for (const auto& part : {std::vector<double>(d.begin() + half, d.end()), std::vector<double>(d.begin(), d.begin() + half)}) {
        p = uneven_in(part, max_teeth, repeated);
        if (!p.empty()) return p;
    }
    return {};
}
