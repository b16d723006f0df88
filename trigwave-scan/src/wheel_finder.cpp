#include "wheel_finder.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "known_wheels.h"
#include "pattern_follower.h"

std::string polarity_name(polarity p) {
    switch (p) {
    case polarity::normal: return "normal";
    case polarity::reversed: return "reversed";
    default: break;
    }
    return "cannot be told";
}

namespace {

// The first edges may come from the input stage settling, not from the wheel.
constexpr std::size_t settle_edges = 4;

std::vector<double> times_of(const std::vector<edge>& edges, bool rising, std::size_t skip = settle_edges) {
    std::vector<double> t;
    for (std::size_t i = std::min(skip, edges.size()); i < edges.size(); ++i)
        if (edges[i].rising == rising) t.push_back(edges[i].at);
    return t;
}

struct fit {
    bool whole = false;     // followed for long enough, losing sync seldom if ever
    int lost = 0;           // times sync was lost
    int odd = 0;            // extra or missing edges while following
    double misfit = 0;      // mean stray of the spacings from the pattern

    // Fewer losses, then fewer odd teeth, then the closer spacing (patterns alike within
    // the follower's tolerance, the sawtooth's 2:3:1 and the Subaru windows' spacing).
    bool better_than(const fit& o) const {
        if (lost != o.lost) return lost < o.lost;
        if (odd != o.odd) return odd < o.odd;
        return misfit < o.misfit - 0.01;
    }
};

fit follow(const std::vector<double>& pattern, const std::vector<double>& times) {
    pattern_follower f(pattern);
    fit r;
    std::size_t accepted = 0;
    for (double t : times) {
        const auto s = f.feed(t);
        if (s.what == pattern_follower::kind::lost) ++r.lost;
        if (s.what == pattern_follower::kind::extra) ++r.odd;
        if (s.what == pattern_follower::kind::accepted) {
            ++accepted;
            r.misfit += s.misfit;
            if (s.missing_before) ++r.odd;
        }
    }
    // At least two periods followed (a long pattern), or a dozen edges (a short one); a
    // fault in the first seconds may cost sync, but not often.
    const std::size_t period = pattern.size();
    r.whole = accepted >= std::max<std::size_t>(12, 2 * period) &&
              static_cast<std::size_t>(r.lost) * 2 * period <= accepted;
    if (accepted > 0) r.misfit /= static_cast<double>(accepted);
    return r;
}

// Whether the long stretches between edges (over twice the typical one: gaps) are
// mostly high. A vote, so that one odd stretch while the input stage settles does not decide.
bool gaps_high(const std::vector<edge>& edges) {
    std::vector<double> d;
    for (std::size_t i = std::min(settle_edges, edges.size()) + 1; i < edges.size(); ++i)
        d.push_back(edges[i].at - edges[i - 1].at);
    if (d.empty()) return false;
    std::vector<double> sorted = d;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
    const double typical = sorted[sorted.size() / 2];
    long vote = 0;
    for (std::size_t k = 0; k < d.size(); ++k) {
        const std::size_t i = std::min(settle_edges, edges.size()) + k;  // the edge opening stretch k
        if (d[k] > 2 * typical) vote += edges[i].rising ? 1 : -1;
    }
    return vote > 0;
}

// A cam's pulses are the state it spends the less time in.
bool high_is_shorter(const std::vector<edge>& edges) {
    double high = 0, low = 0;
    for (std::size_t i = std::min(settle_edges, edges.size()) + 1; i < edges.size(); ++i)
        (edges[i - 1].rising ? high : low) += edges[i].at - edges[i - 1].at;
    return high < low;
}

float median_sharpness(const std::vector<edge>& edges, bool rising) {
    std::vector<float> s;
    for (const edge& e : edges)
        if (e.rising == rising) s.push_back(e.sharpness);
    if (s.empty()) return 0;
    std::nth_element(s.begin(), s.begin() + static_cast<long>(s.size() / 2), s.end());
    return s[s.size() / 2];
}

// A wheel of equal slots with some missing: the spacings in slots over one revolution,
// the revolution opening after its longest gap.
std::vector<double> slotted_pattern(const std::vector<double>& t) {
    if (t.size() < 40) return {};
    // A few revolutions of the densest wheel are enough, and keep the search for the
    // period short whatever the input.
    constexpr std::size_t most_spacings = 800;
    std::vector<double> d;
    for (std::size_t i = 1; i < t.size() && d.size() < most_spacings; ++i) d.push_back(t[i] - t[i - 1]);
    std::vector<int> slots;
    for (std::size_t i = 0; i < d.size(); ++i) {
        // the slot is the typical spacing around this one
        const std::size_t from = i >= 8 ? i - 8 : 0, to = std::min(d.size(), i + 9);
        std::vector<double> near(d.begin() + static_cast<long>(from), d.begin() + static_cast<long>(to));
        std::nth_element(near.begin(), near.begin() + static_cast<long>(near.size() / 2), near.end());
        // Edges at one time (a capture's simultaneous changes) give no slot to count in.
        const double typical = near[near.size() / 2];
        if (!(typical > 0) || !(d[i] < 1000 * typical)) return {};
        const double q = d[i] / typical;
        const double r = std::round(q);
        if (r < 1 || std::fabs(q - r) > 0.2) return {};
        slots.push_back(static_cast<int>(r));
    }
    for (std::size_t len = 2; 2 * len <= slots.size(); ++len) {
        bool periodic = true;
        for (std::size_t i = 0; i + len < slots.size() && periodic; ++i) periodic = slots[i] == slots[i + len];
        if (!periodic) continue;
        const auto widest = std::max_element(slots.begin(), slots.begin() + static_cast<long>(len));
        if (*widest < 2) return {};
        std::vector<double> p;
        for (std::size_t k = 0; k < len; ++k)
            p.push_back(slots[(static_cast<std::size_t>(widest - slots.begin()) + k) % len]);
        return p;
    }
    return {};
}

// Slots from the spacings: the usual spacing is one slot.
void describe_slots(wheel_model& m) {
    std::vector<double> sorted = m.teeth;
    std::sort(sorted.begin(), sorted.end());
    const double slot = sorted[sorted.size() / 2];
    int slots = 0, widest = 0, at = 0;
    std::vector<int> in_slots;
    for (double s : m.teeth) {
        in_slots.push_back(std::max(1, static_cast<int>(std::lround(s / slot))));
        slots += in_slots.back();
        widest = std::max(widest, in_slots.back());
    }
    m.slots = slots;
    m.missing = widest - 1;
    // Gaps other than the one that opens the revolution are listed by slot, counted
    // from the slot of its first tooth.
    for (std::size_t k = 0; k < in_slots.size(); ++k) {
        if (k != 0 && in_slots[k] > 1)
            for (int g = 1; g < in_slots[k]; ++g) m.other_gaps.push_back(at + g);
        at += in_slots[k];
    }
}

void find_cam(wheel_model& m, const std::vector<edge>& cam, const known_wheel* w) {
    // A cam pulses once or a few times a cycle: at a slow speed a short recording holds
    // few of them, so none is passed over.
    if (cam.size() < 4) return;
    const bool pulse_high = high_is_shorter(cam);
    const std::vector<double> starts = times_of(cam, pulse_high, 0);
    std::vector<std::vector<double>> tries;
    if (w) tries.push_back(w->cam);
    for (const known_wheel& k : known_wheels()) tries.push_back(k.cam);
    tries.push_back({1.0});
    for (const auto& p : tries) {
        if (p.size() == 1) {
            // one pulse per cycle: each is the cycle's mark, evenly spaced at a steady speed
            if (starts.size() < 2) continue;
            m.has_cam = true;
            m.cam_pulse_high = pulse_high;
            m.cam = p;
            return;
        }
        pattern_follower f(p, 2);
        bool lost = false;
        std::size_t accepted = 0;
        for (double t : starts) {
            const auto s = f.feed(t);
            lost = lost || (s.what != pattern_follower::kind::unsynced && s.what != pattern_follower::kind::accepted);
            accepted += s.what == pattern_follower::kind::accepted;
        }
        if (!lost && accepted >= std::min<std::size_t>(2 * p.size(), starts.size() / 2) && accepted > 0) {
            m.has_cam = true;
            m.cam_pulse_high = pulse_high;
            m.cam = p;
            return;
        }
    }
}

// Even teeth carry no mark of their own: their number per cycle is counted between the
// cam's pulses, and names the coil type.
void count_coil_periods(wheel_model& m, const std::vector<edge>& crank, const std::vector<edge>& cam) {
    const std::vector<double> teeth = times_of(crank, true), pulses = times_of(cam, m.cam_pulse_high, 0);
    std::vector<int> counts;
    for (std::size_t i = 1; i < pulses.size(); ++i) {
        if (m.cam.size() != 1) break;
        counts.push_back(static_cast<int>(std::count_if(teeth.begin(), teeth.end(), [&](double t) {
            return t >= pulses[i - 1] && t < pulses[i];
        })));
    }
    if (counts.empty()) return;
    std::sort(counts.begin(), counts.end());
    const int n = counts[counts.size() / 2];
    m.teeth.assign(static_cast<std::size_t>(std::max(n, 1)), 1.0);
    m.teeth_per_period = n;
    m.type.clear();
    m.description = std::to_string(n) + " periods per cycle";
    for (const known_wheel& w : known_wheels())
        if (w.type[0] == 'c' && static_cast<int>(w.teeth.size()) == n) {
            m.type = w.type;
            m.description = w.description;
        }
}

}  // namespace

wheel_model find_wheel(const std::vector<edge>& crank, const std::vector<edge>& cam, bool cam_wanted) {
    wheel_model m;
    const std::vector<double> rises = times_of(crank, true), falls = times_of(crank, false);
    if (rises.size() < 8 || falls.size() < 8) {
        m.problem = "no trigger wheel found: too few edges on the crank channel";
        return m;
    }
    const known_wheel* best = nullptr;
    fit best_fit;
    for (const known_wheel& w : known_wheels()) {
        for (bool rising : {true, false}) {
            const fit f = follow(w.teeth, rising ? rises : falls);
            if (f.whole && (!best || f.better_than(best_fit))) {
                best = &w;
                best_fit = f;
            }
        }
    }
    std::vector<double> slotted;
    if (!best || best_fit.odd > 0 || best_fit.lost > 0) {
        slotted = slotted_pattern(rises);
        if (!slotted.empty() && !follow(slotted, rises).whole) slotted.clear();
    }
    if (!slotted.empty()) {
        best = nullptr;
        m.teeth = slotted;
        m.per_cycle = false;
    } else if (best) {
        m.teeth = best->teeth;
        m.per_cycle = best->per_cycle;
        m.description = best->description;
    } else {
        m.problem = "no trigger wheel found: the crank's edges follow no pattern of teeth";
        return m;
    }
    m.teeth_per_period = static_cast<int>(m.teeth.size());

    // Polarity: a gap is low in normal polarity, a Subaru window high, and the
    // sawtooth's sharp edge falls. A square wave of equal halves reversed is the same
    // wave shifted by half a period: that cannot be told.
    const bool coil = best && best->type[0] == 'c';
    if (coil) {
        m.crank_polarity = polarity::unknown;
        m.tooth_rising = true;
    } else if (best && best->falling_teeth) {
        const bool falls_fit = follow(best->teeth, falls).whole, rises_fit = follow(best->teeth, rises).whole;
        const bool sharp_falls = falls_fit && (!rises_fit || median_sharpness(crank, false) >= median_sharpness(crank, true));
        m.crank_polarity = sharp_falls ? polarity::normal : polarity::reversed;
        m.tooth_rising = !sharp_falls;
    } else if (best && best->type[0] == 's') {
        m.crank_polarity = high_is_shorter(crank) ? polarity::normal : polarity::reversed;
        m.tooth_rising = m.crank_polarity == polarity::normal;
    } else {
        m.crank_polarity = gaps_high(crank) ? polarity::reversed : polarity::normal;
        m.tooth_rising = m.crank_polarity == polarity::normal;
        if (best) describe_slots(m);
    }
    if (!slotted.empty()) {
        describe_slots(m);
        m.description = std::to_string(m.slots) + "-" + std::to_string(m.missing);
        // A slotted wheel read on its rising edges; reversed, the falling ones carry the same spacing.
    }
    if (best) {
        m.type = best->type;
        if (m.crank_polarity == polarity::reversed) m.type[0] = static_cast<char>(std::toupper(m.type[0]));
    }
    if (cam_wanted) find_cam(m, cam, best);
    if (coil && m.has_cam) count_coil_periods(m, crank, cam);
    if (m.per_cycle && !m.has_cam) {
        m.problem = cam_wanted ? "ambiguous wheel: " + m.description + " has no gap, and no cam pulse was found to count its cycle by"
                               : "ambiguous wheel: evenly spaced teeth without a gap, and no cam (--cam none) to count a cycle by";
        return m;
    }
    m.found = true;
    return m;
}
