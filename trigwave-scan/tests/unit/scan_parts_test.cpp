// The parts that decide, on tooth times made here: the follower names the odd tooth and
// nothing else through acceleration, ripple and jitter; the learners find wheels of equal
// slots and of uneven teeth; the wheel finder names trigwave's types and describes others.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "edge.h"
#include "pattern_follower.h"
#include "wheel_finder.h"
#include "wheel_learner.h"

namespace {

// Tooth edge times of a wheel given by its slots (a tooth at each slot of the pattern that
// is not missing), turned at speed(angle in revolutions) revolutions per unit of time.
std::vector<double> turn(const std::vector<double>& pattern, int revolutions,
                         const std::function<double(double)>& speed) {
    double slots = 0;
    for (double p : pattern) slots += p;
    std::vector<double> at;
    double t = 0, angle = 0;
    for (int r = 0; r < revolutions; ++r)
        for (double p : pattern) {
            // small steps through the spacing, at the speed of each step
            for (int k = 0; k < 16; ++k) {
                const double step = p / slots / 16;
                t += step / speed(angle + step / 2);
                angle += step;
            }
            at.push_back(t);
        }
    return at;
}

std::vector<double> slots_60_2() {
    std::vector<double> p(58, 1.0);
    p[0] = 3;
    return p;
}

struct counts {
    int missing = 0, extra = 0, lost = 0;
    std::size_t first_missing_place = 0, extra_place = 0;
};

counts follow(const std::vector<double>& pattern, const std::vector<double>& at) {
    pattern_follower f(pattern);
    std::vector<pattern_follower::step> steps;
    for (double t : at) f.feed(t, steps);
    f.finish(steps);
    counts c;
    bool synced = false;
    for (const auto& s : steps) {
        using kind = pattern_follower::kind;
        if (s.what == kind::accepted) synced = true;
        if (!synced) continue;
        if (s.what == kind::accepted && s.missing_before && c.missing++ == 0) c.first_missing_place = s.position - 1;
        if (s.what == kind::extra && c.extra++ == 0) c.extra_place = s.position;
        c.lost += s.what == kind::lost;
    }
    return c;
}

}  // namespace

TEST(PatternFollower, NamesTheOddToothAndNothingElse) {
    const std::vector<double> wheel = slots_60_2();
    const double pi = std::acos(-1.0);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> plus_minus(-1, 1);
    struct row {
        const char* name;
        std::function<double(double)> speed;
        double jitter;       // each spacing moved by up to this share
        int take_out, add;   // a tooth index (over the whole run) taken out, or one added after; -1 none
        counts want;
    } rows[] = {
        {"steady", [](double) { return 10.0; }, 0, -1, -1, {}},
        // firing: a quarter faster every revolution, the teeth shortening fast
        {"accelerating", [](double a) { return 4.0 * std::pow(1.25, a); }, 0, -1, -1, {}},
        // cranking: 4 strokes a cycle, +-40 % around the mean
        {"ripple", [&](double a) { return 5.0 * (1 + 0.4 * std::sin(2 * pi * a * 2)); }, 0, -1, -1, {}},
        {"jitter", [](double) { return 10.0; }, 0.05, -1, -1, {}},
        {"missing", [](double) { return 10.0; }, 0, 58 * 3 + 20, -1, {1, 0, 0, 20, 0}},
        {"missing first", [](double) { return 10.0; }, 0, 58 * 3, -1, {1, 0, 0, 0, 0}},
        {"extra", [](double) { return 10.0; }, 0, -1, 58 * 4 + 40, {0, 1, 0, 0, 41}},
        {"missing while cranking", [&](double a) { return 5.0 * (1 + 0.4 * std::sin(2 * pi * a * 2)); }, 0,
         58 * 3 + 30, -1, {1, 0, 0, 30, 0}},
    };
    for (const row& r : rows) {
        std::vector<double> at = turn(wheel, 8, r.speed);
        for (std::size_t i = 1; r.jitter > 0 && i + 1 < at.size(); ++i)
            at[i] += r.jitter * plus_minus(random) * (at[i + 1] - at[i]);
        std::vector<double> edited;
        for (int i = 0; i < static_cast<int>(at.size()); ++i) {
            if (i != r.take_out) edited.push_back(at[static_cast<std::size_t>(i)]);
            if (i == r.add) edited.push_back(0.5 * (at[static_cast<std::size_t>(i)] + at[static_cast<std::size_t>(i) + 1]));
        }
        const counts c = follow(wheel, edited);
        EXPECT_EQ(c.missing, r.want.missing) << r.name;
        EXPECT_EQ(c.extra, r.want.extra) << r.name;
        EXPECT_EQ(c.lost, r.want.lost) << r.name;
        if (r.want.missing) {
            EXPECT_EQ(c.first_missing_place, r.want.first_missing_place) << r.name;
        }
        if (r.want.extra) {
            EXPECT_EQ(c.extra_place, r.want.extra_place) << r.name;
        }
    }
}

TEST(WheelLearner, FindsSlotsAndGapsAndUnevenTeeth) {
    struct row {
        const char* name;
        std::vector<double> pattern;   // the wheel, in slots or degrees
        bool slotted;
        double ripple;                 // +- share of the speed, two strokes a revolution
        std::vector<double> want;      // what is learned, opened at the widest spacing
        std::size_t extra = 0;         // an extra tooth in the middle of the spacing after this edge
    } rows[] = {
        {"36-2-2-2", {3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1}, true, 0.3,
         {3, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"36-2-1", {1, 1, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         true, 0.3, {3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"70/110", {70, 110, 70, 110}, false, 0.05, {110.0 / 70, 1}},
        // an extra tooth a third of the way in moves the pattern's phase for every edge after it
        {"32/55/93, an extra tooth", {32, 55, 93, 32, 55, 93}, false, 0.05, {93.0 / 32, 1, 55.0 / 32}, 60},
    };
    const double pi = std::acos(-1.0);
    for (const row& r : rows) {
        // cranking ripple: the shares of uneven teeth bend with it, so they are learned as
        // they are while running
        std::vector<double> at =
            turn(r.pattern, 30, [&](double a) { return 3.0 * (1 + r.ripple * std::sin(2 * pi * a * 2)); });
        // a glitch of a few microseconds early on
        at.insert(at.begin() + 5, at[4] + 1e-6);
        if (r.extra) at.insert(at.begin() + static_cast<long>(r.extra) + 1, (at[r.extra] + at[r.extra + 1]) / 2);
        const std::vector<double> got = r.slotted ? learn_slots(at) : learn_uneven(at);
        ASSERT_EQ(got.size(), r.want.size()) << r.name;
        for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], r.want[k], r.slotted ? 0.01 : 0.2) << r.name << " " << k;
    }
}

namespace {

// Edges of a wheel of equal slots (a tooth low for the first half of its slot, high for the
// second; missing slots low), levels reversed when asked, and of a cam that is low for
// 5 degrees once a cycle; at a steady speed, a revolution a unit of time.
struct recording {
    std::vector<edge> crank, cam;
};

recording record(const std::vector<bool>& teeth, int revolutions, bool reversed, bool with_cam) {
    recording r;
    const double slot = 1.0 / static_cast<double>(teeth.size());
    for (int rev = 0; rev < revolutions; ++rev)
        for (std::size_t k = 0; k < teeth.size(); ++k) {
            if (!teeth[k]) continue;
            const double start = rev + static_cast<double>(k) * slot;
            r.crank.push_back({start + slot / 2, !reversed, 1});
            // the fall at the slot's end, unless the next slot is missing (then low goes on)
            r.crank.push_back({start + slot, reversed, 1});
        }
    for (int cycle = 0; with_cam && 2 * cycle < revolutions; ++cycle) {
        r.cam.push_back({2.0 * cycle + 0.3, false, 1});
        r.cam.push_back({2.0 * cycle + 0.3 + 5.0 / 360, true, 1});
    }
    return r;
}

std::vector<bool> slots(int n, std::vector<int> missing) {
    std::vector<bool> t(static_cast<std::size_t>(n), true);
    for (int m : missing) t[static_cast<std::size_t>(m)] = false;
    return t;
}

}  // namespace

TEST(WheelFinder, TellsTrigwavesTypesAndLearnsOthers) {
    struct row {
        const char* name;
        std::vector<bool> teeth;
        bool reversed, cam;
        const char* type;          // "" for a learned wheel
        const char* description;
        polarity p;
        int cam_pulses;
    } rows[] = {
        {"60-2", slots(60, {58, 59}), false, true, "m582", "60-2", polarity::normal, 1},
        {"60-2 reversed", slots(60, {58, 59}), true, true, "M582", "60-2", polarity::reversed, 1},
        {"36-2-1", slots(36, {16, 17, 34}), false, true, "", "36-2-1", polarity::normal, 1},
        {"36-1-1 without a cam", slots(36, {15, 35}), false, false, "", "36-1-1", polarity::normal, 0},
        // gaps half a revolution apart: the crank alone repeats twice a revolution
        {"36-1-1 placed by the cam", slots(36, {17, 35}), false, true, "", "36-1-1", polarity::normal, 1},
    };
    for (const row& r : rows) {
        const recording rec = record(r.teeth, 40, r.reversed, r.cam);
        const wheel_model m = find_wheel(rec.crank, rec.cam, r.cam);
        ASSERT_TRUE(m.found) << r.name << ": " << m.problem;
        EXPECT_EQ(m.type, r.type) << r.name;
        EXPECT_EQ(m.description, r.description) << r.name;
        EXPECT_EQ(m.crank_polarity, r.p) << r.name;
        EXPECT_EQ(m.has_cam ? m.cam_pulses : 0, r.cam_pulses) << r.name;
    }
}
