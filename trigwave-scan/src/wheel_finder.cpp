#include "wheel_finder.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "known_wheels.h"
#include "library_wheels.h"
#include "median.h"
#include "pattern_follower.h"
#include "wheel_learner.h"

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
// Patterns that fit within this share of odd teeth of each other fit alike.
constexpr double same_share = 0.01;
constexpr double learned_odd_share = 0.03;
constexpr double structured_odd_share = 0.02;
// A pattern followed only by calling one tooth in ten odd is not the wheel: a sensor that
// sticks over teeth can be read as nearly any pattern so.
constexpr double most_odd_share = 0.1;
// A pattern whose spacings stray from the wheel's by this much on average (a fifth of a
// spacing) follows it only by the follower's tolerance: one that fits in half that passes
// over it, whatever their ranks.
constexpr double loose_misfit = 0.1;
bool far_closer(double misfit, double other) { return other > loose_misfit && misfit < other / 2; }
// Cam pulses a period apart fall within this share of a period of each other.
constexpr double cam_slack = 0.05;
constexpr int most_cam_periods = 8;

// A sensor that drops out leaves a pause that no wheel's gap comes near, even slowed by
// a compression stroke: the wheel is told from the longest run of edges between pauses.
constexpr double pause_ratio = 20;
constexpr std::size_t pause_history = 8;

// The first and one past the last of the longest run of crank edges without a pause: a
// rise that comes pause_ratio times later than the median spacing of the rises before it.
std::pair<std::size_t, std::size_t> longest_run(const std::vector<edge>& crank) {
    std::pair<std::size_t, std::size_t> best{0, 0};
    std::size_t from = 0;
    const auto close = [&](std::size_t end) {
        if (end - from > best.second - best.first) best = {from, end};
        from = end;
    };
    std::vector<double> spacings;
    double last_rise = -1;
    for (std::size_t i = 0; i < crank.size(); ++i) {
        if (!crank[i].rising) continue;
        if (last_rise >= 0) {
            const double d = crank[i].at - last_rise;
            const double m = spacings.size() < pause_history
                                 ? 0
                                 : median(std::vector<double>(spacings.end() - pause_history, spacings.end()));
            if (m > 0 && d > pause_ratio * m) {
                close(i);  // the next run opens at the rise after the pause
                spacings.clear();
            } else {
                spacings.push_back(d);
            }
        }
        last_rise = crank[i].at;
    }
    close(crank.size());
    return best;
}

std::vector<double> times_of(const std::vector<edge>& edges, bool rising, std::size_t skip = settle_edges) {
    std::vector<double> t;
    for (std::size_t i = std::min(skip, edges.size()); i < edges.size(); ++i)
        if (edges[i].rising == rising) t.push_back(edges[i].at);
    return t;
}

struct tooth {
    double at;
    std::size_t position;
    double angle;     // crank angle in the pattern's units, counted through the stretch
    long stretch;     // a run of teeth followed without losing sync
};

struct fit {
    std::size_t accepted = 0;
    int odd = 0;          // teeth called extra or missing, and losses of sync
    double misfit = 0;    // mean stray of the spacings from the pattern
    bool whole = false;   // followed long enough to judge
    std::vector<tooth> teeth;

    double share() const { return accepted ? static_cast<double>(odd) / static_cast<double>(accepted) : 1.0; }
};

fit follow(const std::vector<double>& pattern, const std::vector<double>& times, bool keep_teeth = false) {
    pattern_follower f(pattern);
    fit r;
    std::vector<pattern_follower::step> steps;
    double angle = 0;
    long stretch = 0;
    bool in_sync = false;
    const auto take = [&] {
        for (const auto& s : steps) {
            using kind = pattern_follower::kind;
            if (s.what == kind::lost) {
                ++r.odd;
                ++stretch;
                in_sync = false;
            }
            if (s.what == kind::extra) ++r.odd;
            if (s.what != kind::accepted) continue;
            ++r.accepted;
            r.misfit += s.misfit;
            r.odd += s.missing_before;
            if (in_sync) {
                angle += f.spanned(s);
            } else {
                angle = 0;
                in_sync = true;
            }
            if (keep_teeth) r.teeth.push_back({s.at, s.position, angle, stretch});
        }
        steps.clear();
    };
    for (double t : times) {
        f.feed(t, steps);
        take();
    }
    f.finish(steps);
    take();
    r.whole = 2 * r.accepted >= std::max<std::size_t>(24, 3 * pattern.size());
    if (r.accepted > 0) r.misfit /= static_cast<double>(r.accepted);
    return r;
}

// The crank angle of each cam pulse, between the two followed teeth around it.
struct pulse {
    double angle;
    long stretch;
};

std::vector<pulse> place(const std::vector<tooth>& teeth, const std::vector<double>& starts) {
    std::vector<pulse> out;
    for (double t : starts) {
        const auto after = std::upper_bound(teeth.begin(), teeth.end(), t, [](double v, const tooth& x) { return v < x.at; });
        if (after == teeth.begin() || after == teeth.end()) continue;
        const tooth& b = *after;
        const tooth& a = *(after - 1);
        if (a.stretch != b.stretch || !(b.at > a.at)) continue;
        out.push_back({a.angle + (t - a.at) / (b.at - a.at) * (b.angle - a.angle), a.stretch});
    }
    return out;
}

// How far, as a share of the cycle, the spacings of the first run of pulses that follow one
// another stray from a cam's spacings (any unit) at their best turn; 1 without such a run.
double cam_stray(const std::vector<pulse>& p, double cycle, const std::vector<double>& want) {
    const std::size_t n = want.size();
    double total = 0;
    for (double w : want) total += w;
    for (std::size_t i = 0; n > 0 && total > 0 && i + n < p.size(); ++i) {
        if (p[i + n].stretch != p[i].stretch) continue;
        double best = 1.0;
        for (std::size_t turn = 0; turn < n; ++turn) {
            double worst = 0;
            for (std::size_t k = 0; k < n; ++k)
                worst = std::max(worst, std::fabs((p[i + k + 1].angle - p[i + k].angle) / cycle - want[(k + turn) % n] / total));
            best = std::min(best, worst);
        }
        return best;
    }
    return 1.0;
}

// Whether the cam's pulses repeat every m periods of the crank's pattern.
bool repeats_every(const std::vector<pulse>& p, double period, int m) {
    std::size_t checked = 0, found = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double want = p[i].angle + m * period;
        bool later = false, hit = false;
        for (std::size_t j = i + 1; j < p.size() && p[j].stretch == p[i].stretch; ++j) {
            if (p[j].angle > want - cam_slack * period) later = true;
            if (std::fabs(p[j].angle - want) < cam_slack * period) hit = true;
            if (p[j].angle > want + period) break;
        }
        if (!later) continue;
        ++checked;
        found += hit;
    }
    return checked >= 2 && found * 10 >= checked * 8;
}

// A cam's pulses are the state it spends the less time in.
bool high_is_shorter(const std::vector<edge>& edges) {
    double high = 0, low = 0;
    for (std::size_t i = std::min(settle_edges, edges.size()) + 1; i < edges.size(); ++i)
        (edges[i - 1].rising ? high : low) += edges[i].at - edges[i - 1].at;
    return high < low;
}

// Whether the crank is high for most of its widest spacings: a gap is low in normal
// polarity. A vote over the gaps, so that a glitch in one does not decide.
bool gaps_high(const std::vector<edge>& crank, const fit& f, const std::vector<double>& pattern) {
    const double widest = *std::max_element(pattern.begin(), pattern.end());
    long vote = 0;
    for (std::size_t k = 1; k < f.teeth.size(); ++k) {
        const tooth& a = f.teeth[k - 1];
        const tooth& b = f.teeth[k];
        if (a.stretch != b.stretch || pattern[b.position] < widest) continue;
        auto e = std::upper_bound(crank.begin(), crank.end(), a.at, [](double v, const edge& x) { return v < x.at; });
        bool high = e != crank.begin() && (e - 1)->rising;
        double t = a.at, high_time = 0;
        for (; e != crank.end() && e->at < b.at; ++e) {
            if (high) high_time += e->at - t;
            t = e->at;
            high = e->rising;
        }
        if (high) high_time += b.at - t;
        vote += 2 * high_time > b.at - a.at ? 1 : -1;
    }
    return vote > 0;
}

float median_sharpness(const std::vector<edge>& edges, bool rising) {
    std::vector<float> s;
    for (const edge& e : edges)
        if (e.rising == rising) s.push_back(e.sharpness);
    return upper_median(s);
}

// "36-2-2-2", "36-2-1": slots, then each gap's missing teeth in the order met.
void describe_slots(wheel_model& m, const std::vector<double>& slots_of) {
    int slots = 0, at = 0;
    std::string gaps;
    for (std::size_t k = 0; k < slots_of.size(); ++k) {
        const int s = static_cast<int>(std::lround(slots_of[k]));
        slots += s;
        if (s > 1) {
            gaps += "-" + std::to_string(s - 1);
            if (k != 0)
                for (int g = 1; g < s; ++g) m.other_gaps.push_back(at + g);
        }
        at += s;
    }
    m.slots = slots;
    m.missing = static_cast<int>(std::lround(slots_of[0])) - 1;
    m.description = std::to_string(slots) + gaps;
}

// The cam's reference pulse follows the widest spacing of its pulses that recurs cycle after
// cycle (a stretch misread while cranking does not set it), or the spacing trigwave's cam
// opens its cycle with where the cam is trigwave's.
void place_reference(wheel_model& m, const std::vector<pulse>& pulses, const known_wheel* known) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < pulses.size(); ++i)
        if (pulses[i].stretch == pulses[i - 1].stretch && pulses[i].angle > pulses[i - 1].angle)
            gaps.push_back(pulses[i].angle - pulses[i - 1].angle);
    if (gaps.empty()) return;  // pulses at one crank angle space nothing
    std::sort(gaps.begin(), gaps.end());
    const auto alike = [](double a, double b) { return std::fabs(std::log(a / b)) < 0.03; };
    const double cycles = static_cast<double>(gaps.size()) / m.cam_pulses;
    double reference = gaps.back();
    for (std::size_t i = gaps.size(); i-- > 0;) {
        const auto n = std::count_if(gaps.begin(), gaps.end(), [&](double g) { return alike(g, gaps[i]); });
        if (static_cast<double>(n) >= std::max(2.0, 0.25 * cycles)) {
            reference = gaps[i];
            break;
        }
    }
    // A known wheel's own reference spacing, where a gap comes near it: the crank angles
    // measured while the wheel was being told may be a few degrees off.
    const auto near_known = [&](double g) { return std::fabs(std::log(g / known->cam[0])) < 0.1; };
    if (known && known->cam.size() > 1 && std::any_of(gaps.begin(), gaps.end(), near_known))
        reference = known->cam[0];
    // the nearest other spacing sets how closely the reference must be matched
    double nearest = 1e9;
    for (double g : gaps)
        if (!alike(g, reference)) nearest = std::min(nearest, std::fabs(std::log(g / reference)));
    m.cam_reference = reference;
    m.cam_reference_slack = std::min(std::log(1.15), 0.5 * nearest);
}

struct candidate {
    std::vector<double> teeth;
    const known_wheel* known = nullptr;
    bool slotted = false;   // learned: equal slots and gaps
    bool even = false;      // every tooth alike, no mark of the period
};

// Among patterns that fit alike: trigwave's own types, the library's wheels, then learned
// slots, uneven teeth, even teeth.
int rank(const candidate& c) { return c.known ? (c.known->library ? 1 : 0) : c.slotted ? 2 : c.even ? 4 : 3; }

// The library wheels of an entry whose cam agrees with the recording's: as many teeth a
// cycle, or either has no cam to compare (named after those that agree whole: a recording
// without a cam, a wheel without one first). A given wheel is named whatever its cam.
void name_library_wheel(wheel_model& m, const known_wheel& w, bool given) {
    m.given = given;
    // those whose cam has the recording's teeth first, then those without a cam to compare
    std::vector<std::string> fit, fit_without_cam;
    for (std::size_t i = 0; i < w.names.size(); ++i) {
        if (given || (m.has_cam && w.cam_teeth[i] == m.cam_pulses) || (!m.has_cam && w.cam_teeth[i] == 0))
            fit.push_back(w.names[i]);
        else if (!m.has_cam || w.cam_teeth[i] == 0)
            fit_without_cam.push_back(w.names[i]);
    }
    fit.insert(fit.end(), fit_without_cam.begin(), fit_without_cam.end());
    if (fit.empty()) return;
    m.name = fit[0];
    m.also.assign(fit.begin() + 1, fit.end());
}

}  // namespace

wheel_model find_wheel(const std::vector<edge>& all_crank, const std::vector<edge>& all_cam, bool cam_wanted,
                       bool prefer_falling, const wheel_choice& choice) {
    const auto [first, last] = longest_run(all_crank);
    const std::vector<edge> crank(all_crank.begin() + static_cast<long>(first), all_crank.begin() + static_cast<long>(last));
    std::vector<edge> cam;
    for (const edge& e : all_cam)
        if (crank.empty() || (e.at >= crank.front().at && e.at <= crank.back().at)) cam.push_back(e);
    // A VR conditioner times each tooth at its centre: the library's teeth taken there.
    const std::vector<known_wheel>& wheels_known =
        prefer_falling && !choice.library_vr.empty() ? choice.library_vr : choice.library;
    wheel_model m;
    const std::vector<double> rises = times_of(crank, true), falls = times_of(crank, false);
    if (rises.size() < 8 || falls.size() < 8) {
        m.problem = "no trigger wheel found: too few edges on the crank channel";
        return m;
    }
    std::vector<candidate> tries;
    if (!choice.given)
        for (const known_wheel& w : known_wheels()) tries.push_back({w.teeth, &w, false, w.even_teeth});
    // The library's even wheels are told by counting, after the even teeth fit; a given
    // one is followed as even teeth.
    for (const known_wheel& w : wheels_known)
        if (choice.given || !w.even_teeth) tries.push_back({w.even_teeth ? std::vector<double>{1.0} : w.teeth, &w, false, w.even_teeth});
    if (!choice.given) {
        for (const auto* t : {&rises, &falls}) {
            std::vector<double> s = learn_slots(*t);
            if (!s.empty()) tries.push_back({s, nullptr, true, false});
            std::vector<double> u = learn_uneven(*t);
            if (!u.empty()) tries.push_back({u, nullptr, false, false});
        }
        tries.push_back({{1.0}, nullptr, false, true});
    }

    // The fewest odd teeth wins; among equals trigwave's own types, then the closer fit.
    const candidate* best = nullptr;
    bool best_rising = true;
    fit best_fit;
    for (const candidate& c : tries) {
        // A library wheel passes over one of trigwave's types only by fitting better by more
        // than same_share: none can, once a type fits that well.
        if (c.known && c.known->library && best && best->known && !best->known->library && !best->even &&
            best_fit.share() <= same_share && best_fit.misfit <= loose_misfit)
            continue;
        for (bool rising : {true, false}) {
            // A VR conditioner times a tooth at its falling crossing; where it rose past its
            // threshold moves with the swing, and tells the wheel less exactly.
            if (rising && prefer_falling) continue;
            const fit f = follow(c.teeth, rising ? rises : falls);
            // A pattern learned from the recording must explain it almost whole: one that
            // needs odd teeth to fit is a wheel the signal does not show.
            if (!f.whole || f.share() > most_odd_share || (!c.known && f.share() > learned_odd_share)) continue;
            bool better = !best;
            // Even teeth tell nothing of the revolution: a pattern that does wins when it
            // fits almost as well.
            const bool structured = !c.even, best_structured = best && !best->even;
            // A library wheel of one missing tooth in many fits even teeth but for that one
            // tooth a revolution: it must fit better than that to pass over even teeth.
            const candidate* pattern_candidate = structured ? &c : best;
            const double structured_share = pattern_candidate && pattern_candidate->known && pattern_candidate->known->library
                                                ? same_share : structured_odd_share;
            if (best && structured != best_structured &&
                (structured ? f.share() : best_fit.share()) <= structured_share) {
                better = structured;
                // unless the pattern is followed only by the follower's tolerance
                if (far_closer(structured ? best_fit.misfit : f.misfit, structured ? f.misfit : best_fit.misfit))
                    better = !structured;
            } else if (best) {
                const double d = f.share() - best_fit.share();
                if (d < -same_share) better = true;
                else if (d <= same_share) {
                    const int r = rank(c), best_r = rank(*best);
                    better = r < best_r || (r == best_r && f.misfit < best_fit.misfit - 0.01);
                    if (far_closer(f.misfit, best_fit.misfit)) better = true;
                    else if (far_closer(best_fit.misfit, f.misfit)) better = false;
                }
            }
            if (better) {
                best = &c;
                best_rising = rising;
                best_fit = f;
            }
        }
    }
    if (!best) {
        m.problem = choice.given && !wheels_known.empty()
                        ? "no trigger wheel found: the crank's edges do not follow " + wheels_known[0].names[0]
                        : "no trigger wheel found: the crank's edges follow no pattern of teeth";
        return m;
    }
    // A library wheel with a type's crank and a cam of its own (a real engine's, where the
    // type has trigwave's): the spacings of the cam's pulses tell which it is, the library's
    // where they fit it within the slack and twice as closely as the type's.
    if (best->known && !best->known->library && !best->known->cam.empty() && cam_wanted && cam.size() >= 4) {
        const fit kept = follow(best->teeth, best_rising ? rises : falls, true);
        const std::vector<pulse> p = place(kept.teeth, times_of(cam, high_is_shorter(cam), 0));
        double cycle = 0;
        for (double s : best->teeth) cycle += s;
        if (!best->known->per_cycle) cycle *= 2;
        const double own = cam_stray(p, cycle, best->known->cam);
        for (const candidate& c : tries) {
            if (!c.known || !c.known->library || c.known->cam.empty()) continue;
            const double theirs = cam_stray(p, cycle, c.known->cam);
            if (theirs >= cam_slack || theirs >= own / 2) continue;
            const fit f = follow(c.teeth, best_rising ? rises : falls);
            if (f.share() <= best_fit.share() + same_share) {
                best = &c;
                best_fit = f;
                break;
            }
        }
    }
    const known_wheel* library = best->known && best->known->library ? best->known : nullptr;
    // Either direction may fit alike (a square tooth's two edges): then the tooth edge of
    // the polarity found is followed, or a VR conditioner's timed crossing.
    const std::vector<double>& pattern = best->teeth;
    const fit other = follow(pattern, best_rising ? falls : rises);
    const bool both_fit = other.whole && other.share() <= best_fit.share() + same_share;
    best_fit = follow(pattern, best_rising ? rises : falls, true);

    const polarity_clue mark = best->known ? best->known->mark : best->even ? polarity_clue::none
                             : best->slotted ? polarity_clue::gap_low : polarity_clue::none;
    const bool normal_rising = best->known ? best->known->rising_teeth : true;
    switch (mark) {
    case polarity_clue::none: m.crank_polarity = polarity::unknown; break;
    case polarity_clue::gap_low:
        // The tooth edge that alone fits names it (a stray edge in a gap spoils the
        // other); where both fit, the gaps' level.
        if (!both_fit) m.crank_polarity = best_rising ? polarity::normal : polarity::reversed;
        else m.crank_polarity = gaps_high(crank, best_fit, pattern) ? polarity::reversed : polarity::normal;
        break;
    case polarity_clue::short_high:
        m.crank_polarity = high_is_shorter(crank) ? polarity::normal : polarity::reversed;
        break;
    case polarity_clue::sharp_fall: {
        const bool falls_sharper = median_sharpness(crank, false) >= median_sharpness(crank, true);
        const bool falling = both_fit ? falls_sharper : !best_rising;
        m.crank_polarity = falling == !normal_rising ? polarity::normal : polarity::reversed;
        break;
    }
    }
    // A VR sensor has no levels: its lobes say nothing of polarity.
    if (prefer_falling && mark != polarity_clue::none) m.crank_polarity = polarity::unknown;
    bool rising = best_rising;
    if (both_fit) {
        if (prefer_falling) rising = false;
        else if (m.crank_polarity != polarity::unknown) rising = normal_rising == (m.crank_polarity == polarity::normal);
        else rising = normal_rising;
    }
    m.tooth_rising = rising;
    m.teeth = pattern;
    if (rising != best_rising) best_fit = follow(pattern, rising ? rises : falls, true);

    if (library) {
        m.per_cycle = library->per_cycle;
        m.cycle_from_teeth = library->per_cycle && !library->even_teeth;
    } else if (best->known) {
        m.type = best->known->type;
        m.description = best->known->description;
        m.per_cycle = best->known->per_cycle;
        if (m.crank_polarity == polarity::reversed)
            for (char& ch : m.type) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
    }
    if (best->slotted || (best->known && mark == polarity_clue::gap_low)) {
        std::vector<double> slots_of = pattern;
        const double slot = *std::min_element(pattern.begin(), pattern.end());
        for (double& s : slots_of) s /= slot;
        const std::string known_description = m.description;
        describe_slots(m, slots_of);
        if (best->known && !library) m.description = known_description;
    } else if ((!best->known || library) && !best->even) {
        m.description = std::to_string(pattern.size()) + " uneven teeth";
    }
    m.teeth_per_period = static_cast<int>(pattern.size());

    // The cam: its pulses placed by crank angle along the teeth followed.
    const bool pulse_high = high_is_shorter(cam);
    const std::vector<double> starts = times_of(cam, pulse_high, 0);
    const std::vector<pulse> pulses = cam_wanted && cam.size() >= 4 ? place(best_fit.teeth, starts) : std::vector<pulse>{};
    double period = 0;
    for (double s : pattern) period += s;
    if (library && pulses.size() >= 2) {
        // Library wheels of one shape over periods of other lengths (a 12-2 wheel, three
        // groups of ten teeth a revolution): the cam repeats once a cycle, which says how
        // many periods make one.
        std::vector<const known_wheel*> alike;
        for (const known_wheel& w : wheels_known)
            if (!w.even_teeth && same_shape(w, *library)) alike.push_back(&w);
        for (int k = 1; alike.size() > 1 && k <= most_cam_periods; ++k) {
            if (!repeats_every(pulses, period, k)) continue;
            // one cam pattern a cycle of k periods, or one that repeats within its cycle
            const known_wheel* pick = nullptr;
            for (const known_wheel* w : alike)
                if (!pick && w->periods_per_cycle == k) pick = w;
            for (const known_wheel* w : alike)
                if (!pick && w->periods_per_cycle % k == 0) pick = w;
            if (pick) library = pick;
            break;
        }
        m.per_cycle = library->per_cycle;
        m.cycle_from_teeth = library->per_cycle;
    }
    int per_cycle_periods = library ? library->periods_per_cycle : best->known ? (best->known->per_cycle ? 1 : 2) : 2;
    if (!best->known && !best->even && pulses.size() >= 2) {
        // A learned pattern may repeat within the revolution (three groups of ten teeth):
        // the cam's pattern repeats once a cycle, which says how many periods make one.
        for (int k = 1; k <= most_cam_periods; ++k)
            if (repeats_every(pulses, period, k)) {
                per_cycle_periods = k;
                break;
            }
    }
    if (best->even && pulses.size() >= 2) per_cycle_periods = 1;
    if (pulses.size() >= 2) {
        // pulses per cycle: over the crank angle they were seen in
        double span = 0;
        std::size_t counted = 0;
        for (std::size_t i = 1; i < pulses.size(); ++i)
            if (pulses[i].stretch == pulses[i - 1].stretch) {
                span += pulses[i].angle - pulses[i - 1].angle;
                ++counted;
            }
        const double cycle = per_cycle_periods * period;
        if (counted > 0 && span > 0) {
            m.has_cam = true;
            m.cam_pulse_high = pulse_high;
            m.cam_pulses = std::max(1, static_cast<int>(std::lround(counted * cycle / span)));
            if (best->even) m.cam_pulses = 1;
        }
        if (m.has_cam && m.cam_pulses > 1) place_reference(m, pulses, best->known);
    }
    // the pattern repeats within a revolution: the cycle is told by the cam
    const bool cam_places = per_cycle_periods > 2 || (library && library->counted_from_cam && per_cycle_periods == 2);
    if ((!best->known || library) && !best->even && m.has_cam && cam_places) {
        // the pattern repeats within the period: the cycle is told by the cam
        std::vector<double> cycle;
        for (int k = 0; k < per_cycle_periods; ++k) cycle.insert(cycle.end(), pattern.begin(), pattern.end());
        m.teeth = cycle;
        m.per_cycle = true;
        m.teeth_per_period = static_cast<int>(cycle.size());
        m.told_by_cam = "the crank's pattern repeats " + std::to_string(per_cycle_periods) +
                        " times a cycle; the cam places it";
        m.other_gaps.clear();
        if (m.slots > 0) {
            m.description = std::to_string(m.slots * per_cycle_periods / 2);
            for (int k = 0; k < per_cycle_periods / 2; ++k) m.description += "-" + std::to_string(m.missing);
            m.slots *= per_cycle_periods;
        }
    }
    if (best->even) {
        // Even teeth carry no mark of their own: their number per cycle is counted between
        // the cam's pulses, and names the coil type.
        if (!m.has_cam) {
            m.problem = cam_wanted ? "ambiguous wheel: evenly spaced teeth without a gap, and no cam pulse was found to count its cycle by"
                                   : "ambiguous wheel: evenly spaced teeth without a gap, and no cam (--cam none) to count a cycle by";
            return m;
        }
        std::vector<int> counts;
        for (std::size_t i = 1; i < pulses.size(); ++i)
            if (pulses[i].stretch == pulses[i - 1].stretch)
                counts.push_back(static_cast<int>(std::lround((pulses[i].angle - pulses[i - 1].angle) / pattern[0])));
        std::sort(counts.begin(), counts.end());
        // a given wheel says how many teeth make its cycle
        const int n = library && choice.given ? static_cast<int>(library->teeth.size())
                    : counts.empty() ? 1 : std::max(1, counts[counts.size() / 2]);
        m.teeth.assign(static_cast<std::size_t>(n), 1.0);
        m.teeth_per_period = n;
        m.per_cycle = true;
        m.type.clear();
        m.description = std::to_string(n) + " periods per cycle";
        for (const known_wheel& w : known_wheels())
            if (w.even_teeth && static_cast<int>(w.teeth.size()) == n && !choice.given) {
                m.type = w.type;
                m.description = w.description;
            }
        // the library's even wheels of as many teeth, where no type of trigwave's has them
        if (m.type.empty())
            for (const known_wheel& w : wheels_known)
                if (w.even_teeth && static_cast<int>(w.teeth.size()) == n) {
                    name_library_wheel(m, w, choice.given);
                    break;
                }
    } else if (library) {
        name_library_wheel(m, *library, choice.given);
    }
    if (library && !library->even_teeth && cam_places && !m.has_cam) {
        const std::string what = library->names[0];
        m.problem = cam_wanted ? "ambiguous wheel: " + what + " repeats within a revolution, and no cam pulse was found to place it by"
                               : "ambiguous wheel: " + what + " repeats within a revolution, and no cam (--cam none) to place it by";
        return m;
    }
    if (m.per_cycle && !m.cycle_from_teeth && !m.has_cam) {
        m.problem = cam_wanted ? "ambiguous wheel: " + m.description + " repeats within a cycle, and no cam pulse was found to place the cycle by"
                               : "ambiguous wheel: " + m.description + " repeats within a cycle, and no cam (--cam none) to place the cycle by";
        return m;
    }
    if (!best->known && !best->slotted && !best->even && !m.has_cam && pattern.size() <= 2) {
        m.problem = "ambiguous wheel: " + m.description + " repeat within a revolution; it cannot be told without the cam";
        return m;
    }
    m.found = true;
    return m;
}
