// Runs of equal levels against the levels of every single frame.
#include <random>
#include <string>
#include <vector>

#include "sweep_runs.h"
#include "test_support.h"
#include "trigwave.h"

namespace {

// A generator as process_param leaves it, its diagnostics swallowed.
struct generator {
    Trigwave tw;
    explicit generator(std::vector<std::string> args) {
        arg_vector argv(std::move(args));
        stderr_of([&] { EXPECT_EQ(tw.process_param(argv.argc(), argv.argv()), 0); });
        // The argument strings die here; the tables hold copies.
        tw.primstr = tw.rpm_str = tw.length_str = nullptr;
        tw.cam_pos_str = tw.amplitude_str = tw.fading_str = nullptr;
    }
};

TEST(SweepValue, MatchesLookupAndWeight) {
    generator g({"trigwave", "m582", "1000", "1", "15-30-0-65535-7-7-7-1000", "1000", "1000"});
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> position(0.0, 1.0);
    for (int k = 0; k < 100000; ++k) {
        const double p = k == 0 ? 0.0 : position(rng);
        uint16_t part = 0xFFFF;
        const long double v = sweep_value(&g.tw.cam_pos_tokens, p, &part);
        ASSERT_EQ(v, Trigwave::lookup_and_weight(&g.tw.cam_pos_tokens, p)) << p;
        ASSERT_EQ(part, static_cast<uint16_t>(p * 7)) << p;
        ASSERT_EQ(cam_units_unreduced(v) & 0xFFFFu, cam_position_units(v)) << p;
    }
}

// Levels of one frame by the plain functions, for one kind of sweep.
sweep_levels plain_levels(const Trigwave& tw, sweep_kind kind, const level_needs& needs,
                          uint32_t n, uint32_t total, int16_t relative_level) {
    sweep_levels f{};
    const double p = frame_position(n, total);
    switch (kind) {
    case sweep_kind::cam_position:
        f.cam_units = cam_position_units(Trigwave::lookup_and_weight(&tw.cam_pos_tokens, p));
        break;
    case sweep_kind::relative:
        f.factor = sweep_factor(Trigwave::lookup_and_weight(&tw.fading_tokens, p));
        f.relative_level = scale_level(32767, f.factor);
        break;
    case sweep_kind::amplitude:
        f.factor = sweep_factor(Trigwave::lookup_and_weight(&tw.amplitude_tokens, p));
        if (needs.full) f.full = scale_level(32767, f.factor);
        if (needs.tooth) f.tooth = scale_level(relative_level, f.factor);
        if (needs.other) f.other = scale_level(8531, f.factor);
        if (needs.half) f.half = scale_level(32767, f.factor * 0.5);
        break;
    }
    return f;
}

bool equal_levels(const sweep_levels& a, const sweep_levels& b, sweep_kind kind, bool exact) {
    if (kind == sweep_kind::cam_position) return (a.cam_units & 0xFFFFu) == (b.cam_units & 0xFFFFu);
    if (kind == sweep_kind::relative) return a.relative_level == b.relative_level;
    return a.full == b.full && a.tooth == b.tooth && a.other == b.other && a.half == b.half &&
           (!exact || a.factor == b.factor);
}

struct runs_case {
    const char* type;
    const char* sweep;  // given to all three swept arguments
    uint32_t total_frames;
};

// Walks the runs of every kind of sweep over a whole file and checks every frame
// of every run against the plain levels, and that each run ends where they change.
TEST(SweepRuns, EveryFrameOfARunHasTheRunsLevels) {
    const runs_case cases[] = {
        {"m582", "100-1000", 200000},       {"m582", "1000-900-900-1200", 150000},
        {"s060", "3000-10-10-1000", 100000}, {"x000", "0-65535-0", 100000},
        {"f000", "100-1000", 20000},        {"f000", "1000-1000-500", 50000},
        {"m582", "15-30", 1000},            {"m582", "720-721", 300000},
        {"e324", "1-2-1-2-1-2-1", 7},       {"m582", "65535-0", 200000},
    };
    for (const auto& c : cases) {
        generator g({"trigwave", c.type, "1000", "1", c.sweep, c.sweep, c.sweep});
        const level_needs needs = needs_of_type(g.tw.trigger_type);
        for (sweep_kind kind : {sweep_kind::cam_position, sweep_kind::relative, sweep_kind::amplitude}) {
            sweep_runs runs(g.tw, kind, needs, c.total_frames);
            sweep_runs relative(g.tw, sweep_kind::relative, needs, c.total_frames);
            uint32_t n = 0, count = 0;
            while (n < c.total_frames) {
                // The amplitude builds on the relative level of the run's first frame.
                int16_t rel = 0;
                if (kind == sweep_kind::amplitude && needs.tooth) {
                    relative.start(n);
                    rel = relative.levels().relative_level;
                }
                runs.start(n, rel);
                const uint32_t end = std::min(runs.run_end(), kind == sweep_kind::amplitude && needs.tooth
                                                                  ? relative.run_end()
                                                                  : runs.run_end());
                ASSERT_GT(end, n);
                for (uint32_t k = n; k < end; ++k) {
                    const sweep_levels plain = plain_levels(g.tw, kind, needs, k, c.total_frames, rel);
                    // A flat cam part leaves the exact position to the renderer.
                    if (kind == sweep_kind::cam_position && runs.cam_flat()) continue;
                    ASSERT_TRUE(equal_levels(runs.levels(), plain, kind, needs.exact_amplitude))
                        << c.type << " " << c.sweep << " kind " << static_cast<int>(kind)
                        << " run from " << n << " frame " << k;
                }
                if (runs.run_end() < c.total_frames && runs.run_end() == end) {
                    const sweep_levels next =
                        plain_levels(g.tw, kind, needs, end, c.total_frames, rel);
                    const bool same_part = runs.evaluate(end).part == runs.levels().part;
                    ASSERT_TRUE(!same_part ||
                                !equal_levels(runs.levels(), next, kind, needs.exact_amplitude))
                        << c.type << " " << c.sweep << " run end " << end << " changes nothing";
                }
                n = end;
                ++count;
            }
            EXPECT_GT(count, 0u);
        }
    }
}

}  // namespace
