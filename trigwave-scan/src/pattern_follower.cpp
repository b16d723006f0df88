#include "pattern_follower.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "median.h"

namespace {

// A tooth's spacing may stray this far from the speed of the teeth around it (a
// cranking engine slows and speeds up within a revolution, a tooth log jitters)...
const double tolerance = std::log(1.75);
// ...but a fault is named only where the spacings fit it closely, and clearly better
// than they fit the tooth due.
const double fault_fit = std::log(1.3);
constexpr double fault_margin = 0.1;
constexpr double after_margin = 0.05;
constexpr double bend_margin = 0.1;
// At an even speed (the teeth before the edge and after it all within steady of it) an
// edge off its tooth by moved_fit is no ripple's doing, nor jitter's, nor the rounding of
// its edges to a tick each where its spacing spans more than rounded_ticks.
const double moved_fit = std::log(1.4);
constexpr double steady = 0.02;
constexpr double rounded_ticks = 12;
// How far a spacing's shape may stray while the place is being found.
const double shape_tolerance = std::log(1.5);
constexpr int extras_before_loss = 3;
constexpr std::size_t lookahead = 3;       // edges after the one decided
constexpr std::size_t recent = 3;          // accepted spacings before it
constexpr std::size_t shape_span = 4;      // spacings before each one that set its scale

bool near(double a, double b) { return a > 0 && b > 0 && std::fabs(std::log(a / b)) < std::log(1.1); }

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

// log(x[i]) against the median of the spacings before it (or around it): the shape of a
// pattern at any speed.
double shape_at(const std::vector<double>& before, double x) {
    const double m = median(before);
    return m > 0 && x > 0 ? std::log(x / m) : 0;
}

}  // namespace

pattern_follower::pattern_follower(std::vector<double> intervals)
    : intervals_(std::move(intervals)), symmetry_(shortest_shift(intervals_)),
      window_(std::max<std::size_t>(3, symmetry_ + 1)),
      relock_window_(std::max(window_, std::min<std::size_t>(2 * symmetry_ + 1, 12))),
      longest_(*std::max_element(intervals_.begin(), intervals_.end())) {
    const std::size_t n = intervals_.size();
    for (std::size_t k = 0; k < n; ++k) {
        std::vector<double> before;
        for (std::size_t j = 1; j <= shape_span; ++j) before.push_back(intervals_[(k + shape_span * n - j) % n]);
        shape_.push_back(shape_at(before, intervals_[k]));
        around_shape_.push_back(shape_at({intervals_[(k + 2 * n - 2) % n], intervals_[(k + n - 1) % n],
                                          intervals_[(k + 1) % n], intervals_[(k + 2) % n]},
                                         intervals_[k]));
    }
}

void pattern_follower::feed(double at, std::vector<step>& out) {
    pending_.push_back(at);
    while (pending_.size() > lookahead) decide(out);
}

void pattern_follower::finish(std::vector<step>& out) {
    while (!pending_.empty()) decide(out);
}

pattern_follower::reading pattern_follower::read_on(std::size_t shift, bool dropped) const {
    // The accepted spacings before the edge, and those after it as this reading of the edge
    // places them (its tooth due, or `shift` teeth on, or the edge `dropped` as an extra
    // one). Read on from a wrong place, an uneven wheel's teeth after an odd one all misfit:
    // they would move the speed, and they stray from it.
    std::vector<double> units(recent_units_.begin(), recent_units_.end());
    const std::size_t first_after = units.size();
    const std::size_t n = intervals_.size();
    for (std::size_t k = dropped ? 2 : 1; k < pending_.size(); ++k) {
        const double d = pending_[k] - pending_[k - 1];
        if (d > 0) units.push_back(d / intervals_[(position_ + 1 + k + shift - (dropped ? 1 : 0)) % n]);
    }
    reading r;
    if (pending_.size() == 1 && recent_units_.size() >= 2) {
        // The recording's last edge: no teeth after it, so the speed goes on as it went
        // (an engine coasting to a stop slows tooth after tooth).
        const double last = recent_units_.back(), before = recent_units_[recent_units_.size() - 2];
        r.unit = before > 0 ? last * std::clamp(last / before, 0.8, 1.25) : last;
        return r;
    }
    r.unit = units.empty() ? unit_ : median(units);
    if (units.size() > first_after) r.next_unit = units[first_after];
    // no speed to stray from where edges came at one time (a capture's simultaneous changes)
    if (r.unit > 0 && units.size() > first_after) {
        std::vector<double> strays;
        for (std::size_t k = first_after; k < units.size(); ++k) strays.push_back(std::fabs(std::log(units[k] / r.unit)));
        r.stray = median(std::move(strays));
    }
    return r;
}

void pattern_follower::decide(std::vector<step>& out) {
    const double at = pending_.front();
    if (!synced_) {
        pending_.pop_front();
        try_sync(at, out);
        return;
    }
    const std::size_t n = intervals_.size();
    const std::size_t next = (position_ + 1) % n, after = (next + 1) % n;
    const reading plain = read_on(0, false);
    const double u = plain.unit;
    const double spacing = at - last_at_;
    const auto misfit = [&](double d, double units, double unit) {
        return d > 0 && units > 0 && unit > 0 ? std::fabs(std::log(d / (unit * units))) : 1e9;
    };
    const double ok = misfit(spacing, intervals_[next], u);
    // Taken as its tooth, the edge would leave the next one no place, not even as an extra
    // tooth: jitter may have brought the teeth either side apart, and the extra one nearer.
    const bool next_lost = pending_.size() > 1 && misfit(pending_[1] - at, intervals_[after], u) >= tolerance &&
                           (pending_.size() < 3 || misfit(pending_[2] - at, intervals_[after], u) >= fault_fit);
    // ...nor as the tooth after a missing one.
    const bool next_unplaced =
        next_lost && misfit(pending_[1] - at, intervals_[after] + intervals_[(after + 1) % n], u) >= tolerance;
    // A fault is read only where the teeth after the edge fit its reading no worse than
    // the plain one: under a cranking ripple a long spacing may fit two teeth as closely.
    // Where the edge fits its tooth within the margin no fault can win: not worked out.
    // A fault's reading must also bend the speed at the edge no more than the plain one does
    // (the speed there against the teeth either side): a steep ripple moves the speed far from
    // the median smoothly, where a fault's reading would jump it.
    const auto bend = [&](double this_unit, const reading& r) {
        if (recent_units_.empty() || recent_units_.back() <= 0 || r.next_unit <= 0 || this_unit <= 0) return 0.0;
        return std::fabs(std::log(this_unit) - 0.5 * (std::log(recent_units_.back()) + std::log(r.next_unit)));
    };
    double missing = 1e9, extra = 1e9;
    if (spacing <= 0 || ok >= fault_margin || next_lost) {
        const double plain_bend = bend(spacing / intervals_[next], plain);
        const auto fits_after = [&](const reading& r, double this_unit) {
            return r.stray <= plain.stray + after_margin && bend(this_unit, r) <= plain_bend + bend_margin;
        };
        const reading skipped = read_on(1, false);
        if (fits_after(skipped, spacing / (intervals_[next] + intervals_[after])))
            missing = misfit(spacing, intervals_[next] + intervals_[after], skipped.unit);
        if (pending_.size() > 1) {
            const reading dropped = read_on(0, true);
            if (fits_after(dropped, (pending_[1] - last_at_) / intervals_[next]))
                extra = misfit(pending_[1] - last_at_, intervals_[next], dropped.unit);
        }
    }
    pending_.pop_front();
    history_.push_back(at);
    while (history_.size() > relock_window_ + shape_span + 1) history_.pop_front();

    // An extra tooth and a missing one side by side are one tooth read a place off (a
    // signal whose edges moved by part of a tooth, as a flipped polarity moves them): the
    // place is lost, not two faults.
    const bool missed_just = missed_last_ && extras_in_row_ == 0;
    // An edge that fits its tooth only loosely, with the next edge fitting nowhere after it,
    // is where the signal's edges moved by part of a tooth (a flipped polarity moves them,
    // and they fit a rippling speed that loosely), not the tooth due; so is one off its tooth
    // at an even speed.
    const bool moved = ok < tolerance && ((ok >= fault_fit && next_unplaced) ||
                                          (ok >= moved_fit && u * intervals_[next] > rounded_ticks && even_speed(plain)));
    if (spacing <= 0 || (extra < fault_fit && (extra + fault_margin < ok || next_lost) && extra <= missing)) {
        if (++extras_in_row_ < extras_before_loss && !missed_just) {
            out.push_back({at, kind::extra, next, false, 0});
            return;
        }
    } else if (missing < fault_fit && missing + fault_margin < ok && !missed_last_) {
        // Teeth missing one after another are no wheel's fault: a speed misjudged by
        // half makes every tooth look like that.
        if (extras_in_row_ == 0) {
            accept({at, kind::accepted, after, true, missing}, spacing / (intervals_[next] + intervals_[after]), out);
            return;
        }
    } else if (ok < tolerance && !moved) {
        accept({at, kind::accepted, next, false, ok}, spacing / intervals_[next], out);
        return;
    }
    // A signal that stopped (a sensor dropping out) is lost where its tooth was due, not
    // where it comes back.
    const double due = last_at_ + u * intervals_[next];
    synced_ = false;
    lost_ = true;
    recent_units_.clear();
    out.push_back({at, kind::lost, next, false, 0, u > 0 && due < at ? due : at});
    // The place is sought again at once from the spacings up to here, so that a follower
    // a tooth off finds it at the gap that showed it: the same edge may then be placed.
    // After a stop, or edges that moved, the teeth before say nothing of where the wheel is now.
    history_.pop_back();
    if (moved || spacing > 2 * u * longest_) history_.clear();
    try_sync(at, out);
}

bool pattern_follower::even_speed(const reading& r) const {
    if (r.unit <= 0 || r.stray >= steady || recent_units_.empty()) return false;
    return std::all_of(recent_units_.begin(), recent_units_.end(),
                       [&](double x) { return x > 0 && std::fabs(std::log(x / r.unit)) < steady; });
}

double pattern_follower::spanned(const step& s) const {
    const std::size_t n = intervals_.size();
    return intervals_[s.position] + (s.missing_before ? intervals_[(s.position + n - 1) % n] : 0.0);
}

void pattern_follower::accept(const step& s, double unit, std::vector<step>& out) {
    recent_units_.push_back(unit);
    if (recent_units_.size() > recent) recent_units_.pop_front();
    position_ = s.position;
    last_at_ = s.at;
    unit_ = unit;
    extras_in_row_ = 0;
    missed_last_ = s.missing_before;
    out.push_back(s);
}

pattern_follower::placement pattern_follower::place(const std::vector<double>& shape, const std::vector<bool>& known,
                                                    const std::vector<double>& want, std::size_t ends_before) const {
    const std::size_t n = intervals_.size(), w = shape.size();
    const int allowed = static_cast<int>(w / 10);
    placement p;
    // r: the place of the last edge; the window's spacing i ends w - 1 - i + ends_before edges before it
    const auto wanted = [&](std::size_t r, std::size_t i) {
        return want[(r + n * (w + ends_before + 1) - (w - 1 - i + ends_before)) % n];
    };
    for (std::size_t r = 0; r < symmetry_; ++r) {
        int outliers = 0;
        for (std::size_t i = 0; i < w && outliers <= allowed + 2; ++i)
            if (known[i]) outliers += std::fabs(shape[i] - wanted(r, i)) > shape_tolerance;
        if (outliers < p.best_out) {
            p.second_out = p.best_out;
            p.best_out = outliers;
            p.best = static_cast<int>(r);
        } else if (outliers < p.second_out) {
            p.second_out = outliers;
        }
    }
    if (p.best < 0 || symmetry_ == n) return p;
    // Places a symmetry apart fit alike but for small differences (a VR sensor's tooth
    // centres on the halves of a wheel whose edges repeat): the closest fit of them.
    double least = -1;
    const std::size_t first = static_cast<std::size_t>(p.best);
    for (std::size_t r = first; r < n; r += symmetry_) {
        double cost = 0;
        for (std::size_t i = 0; i < w; ++i)
            if (known[i]) cost += std::fabs(shape[i] - wanted(r, i));
        if (least < 0 || cost < least - 1e-9) {
            least = cost;
            p.best = static_cast<int>(r);
        }
    }
    return p;
}

void pattern_follower::try_sync(double at, std::vector<step>& out) {
    history_.push_back(at);
    while (history_.size() > relock_window_ + shape_span + 1) history_.pop_front();
    const std::size_t n = intervals_.size();
    if (history_.size() < std::min(window_, std::size_t{4}) + 1) {
        out.push_back({at, kind::unsynced, 0, false, 0});
        return;
    }
    std::vector<double> d;
    for (std::size_t i = 1; i < history_.size(); ++i) d.push_back(history_[i] - history_[i - 1]);
    // Just after a loss a short period is matched over two: a few spacings of the signal as
    // it now is (its polarity flipped, its teeth jittered) fit a short pattern by chance.
    const bool relock = lost_ && relock_window_ > window_;
    const std::size_t span = relock ? relock_window_ : window_;
    const std::size_t w = std::min(span, d.size());
    std::vector<double> shape(w);
    std::vector<bool> known(w);
    for (std::size_t i = 0; i < w; ++i) {
        // spacings with too few before them carry no shape
        const std::size_t at_i = d.size() - w + i;
        const std::size_t from = at_i >= shape_span ? at_i - shape_span : 0;
        std::vector<double> before(d.begin() + static_cast<long>(from), d.begin() + static_cast<long>(at_i));
        shape[i] = before.empty() ? 0 : shape_at(before, d[at_i]);
        known[i] = at_i >= 2;
    }
    placement p = place(shape, known, shape_, 0);
    // A short window must place the edge one way only; a whole period may hold an odd
    // spacing or two (a glitch, a jittered tooth) if every other place fits far worse.
    // Just after a loss the window may still hold spacings of what was lost (a polarity
    // flipped, a stretch of noise): it must then fit at every spacing.
    bool placed = p.sure(lost_ ? 0 : static_cast<int>(w / 10), symmetry_) &&
                  (relock ? w >= span : w >= window_ || p.best_out == 0);
    if (!placed && d.size() >= span + 4) {
        // A cranking engine's ripple changes the speed within the spacings before a tooth;
        // against the two before it and the two after, a steady change cancels. A whole
        // period ending two spacings back is matched so.
        shape.assign(span, 0);
        known.assign(span, true);
        for (std::size_t i = 0; i < span; ++i) {
            const std::size_t at_i = d.size() - 2 - span + i;
            shape[i] = shape_at({d[at_i - 2], d[at_i - 1], d[at_i + 1], d[at_i + 2]}, d[at_i]);
        }
        // A second chance, so it must fit at every spacing, and no other place nearly.
        p = place(shape, known, around_shape_, 2);
        placed = p.sure(0, symmetry_) && p.second_out >= 3;
    }
    const int best = p.best;
    if (!placed) {
        out.push_back({at, kind::unsynced, 0, false, 0});
        return;
    }
    synced_ = true;
    lost_ = false;
    position_ = static_cast<std::size_t>(best);
    last_at_ = at;
    recent_units_.clear();
    for (std::size_t k = 0; k < std::min<std::size_t>(recent, w); ++k) {
        const double sp = d[d.size() - 1 - k];
        recent_units_.push_front(sp / intervals_[(position_ + n * recent - k) % n]);
    }
    unit_ = median(std::vector<double>(recent_units_.begin(), recent_units_.end()));
    extras_in_row_ = 0;
    missed_last_ = false;
    out.push_back({at, kind::accepted, position_, false, 0});
}
