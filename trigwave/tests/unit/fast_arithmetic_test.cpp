// The shortcuts of the render loop against the plain per-frame arithmetic.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "angle_stepper.h"
#include "frame_math.h"
#include "test_support.h"

namespace {

TEST(FrameRpmExact, MatchesTheExtendedQuotient) {
    std::mt19937 rng(6);
    const uint32_t frame_counts[] = {1, 7, 44, 14700, 44100, 882000, 2646000, 1073702700};
    for (uint32_t frames : frame_counts) {
        for (int k = 0; k < 2000; ++k) {
            const auto start = static_cast<uint16_t>(rng());
            const auto end = static_cast<uint16_t>(k % 3 == 0 ? start + rng() % 64 : rng());
            const uint32_t j = k < 4 ? (k < 2 ? 0 : frames - 1) : rng() % frames;
            ASSERT_EQ(frame_rpm_exact(start, end, j, frames), frame_rpm(start, end, j, frames))
                << start << "-" << end << " j=" << j << " of " << frames;
        }
    }
}

TEST(RpmRunEnd, EndsExactlyWhereTheSpeedChanges) {
    struct run_case {
        uint16_t start, end;
        uint32_t frames;
    };
    const run_case cases[] = {
        {180, 1740, 44100}, {3000, 140, 44100}, {0, 65535, 30000}, {65535, 0, 30000},
        {1000, 1000, 5000}, {1000, 1001, 5000}, {1001, 1000, 5000}, {40, 80, 7},
        {200, 3000, 1}, {7, 9, 3},
    };
    for (const auto& c : cases) {
        uint32_t j = 0;
        while (j < c.frames) {
            const uint32_t end = rpm_run_end(c.start, c.end, j, c.frames);
            ASSERT_GT(end, j);
            ASSERT_LE(end, c.frames);
            const uint16_t rpm = frame_rpm(c.start, c.end, j, c.frames);
            for (uint32_t k = j + 1; k < end; ++k)
                ASSERT_EQ(frame_rpm(c.start, c.end, k, c.frames), rpm) << k;
            if (end < c.frames) {
                ASSERT_NE(frame_rpm(c.start, c.end, end, c.frames), rpm) << end;
            }
            j = end;
        }
    }
}

TEST(TruncNonnegative, MatchesStdTrunc) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < 200000; ++k) {
        const long double whole = static_cast<long double>(rng() % (uint64_t{1} << (k % 50)));
        // Values on, just below and just above whole numbers, and in between.
        long double v = whole;
        switch (k % 4) {
        case 0: v = std::nextafter(whole, 0.0L); break;
        case 1: v = std::nextafter(whole, 1e30L); break;
        case 2: v = whole + static_cast<long double>(unit(rng)); break;
        default: break;
        }
        if (v < 0) v = 0;
        ASSERT_EQ(trunc_nonnegative(v), static_cast<int64_t>(std::trunc(v))) << static_cast<double>(v);
    }
}

// scale_level against the plain definition: the extended product truncated by the
// library, then held to +-32767; levels of both signs, factors at and around the
// points where the product crosses a whole number, and the odd factors.
TEST(ScaleLevel, MatchesTruncatedProduct) {
    auto plain = [](int level, double factor) -> int16_t {
        const long double product = std::trunc(static_cast<long double>(level) * factor);
        if (std::isnan(product)) return 0;
        return static_cast<int16_t>(std::clamp(product, -32767.0L, 32767.0L));
    };
    std::mt19937 rng(10);
    for (int k = 0; k < 300000; ++k) {
        const int level = static_cast<int>(rng() % 65535) - 32767;
        double factor = sweep_factor(static_cast<long double>(rng() % 70000) +
                                     static_cast<long double>(rng() % 1000) / 1000.0L);
        if (level != 0 && k % 3 == 0) {
            // A factor that puts the product on, or a hair beside, a whole number.
            factor = static_cast<double>(rng() % 40000) / level;
            if (k % 2 == 0) factor = std::nextafter(factor, k % 4 == 0 ? 0.0 : 1e9);
        }
        ASSERT_EQ(scale_level(level, factor), plain(level, factor)) << level << " x " << factor;
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double odd[] = {0.0, -0.0, 1e300, -1e300, inf, -inf, std::nan(""), 5e-324, -0.99999};
    for (int level : {-32767, -8531, -1, 0, 1, 16383, 32767})
        for (double factor : odd)
            EXPECT_EQ(scale_level(level, factor), plain(level, factor)) << level << " x " << factor;
}

TEST(AdvanceAngleBy, MatchesAdvanceAngle) {
    std::mt19937 rng(9);
    double plain = 0.0, fast = 0.0;
    for (int k = 0; k < 300000; ++k) {
        const auto rpm = static_cast<uint16_t>(k % 1000 == 0 ? rng() : 1000 + k / 1000);
        ASSERT_EQ(advance_angle_by(&fast, angle_step(rpm)), advance_angle(&plain, rpm)) << k;
        ASSERT_EQ(fast, plain) << k;
    }
}

// Runs the stepper and advance_angle side by side over runs of random speeds
// and lengths, from a given accumulator.
void expect_stepper_matches(double start, std::mt19937& rng, int runs, uint32_t max_run,
                            uint16_t max_rpm) {
    double plain = start;
    angle_stepper stepper(start);
    for (int r = 0; r < runs; ++r) {
        const auto rpm = static_cast<uint16_t>(rng() % (max_rpm + 1u));
        const uint32_t length = 1 + rng() % max_run;
        stepper.set_step(angle_step(rpm));
        for (uint32_t k = 0; k < length; ++k) {
            const uint16_t expected = advance_angle(&plain, rpm);
            ASSERT_EQ(stepper.next(), expected) << "start " << start << " run " << r << " frame " << k;
        }
        ASSERT_EQ(stepper.accumulator(), plain) << "start " << start << " run " << r;
    }
}

TEST(AngleStepper, MatchesAdvanceAngleFrameByFrame) {
    if (!extended_sums_have_64_bits()) GTEST_SKIP() << "the stepper takes the plain path here";
    std::mt19937 rng(10);
    // From the file's start, and from just below powers of two, where the
    // accumulator changes binade and the integer form is set up again.
    expect_stepper_matches(0.0, rng, 300, 5000, 65535);
    expect_stepper_matches(0.0, rng, 200, 200, 200);
    for (int e : {1, 5, 12, 20, 30, 39}) {
        const double below = std::ldexp(1.0, e) - 3000.0 * std::ldexp(1.0, e - 52);
        expect_stepper_matches(below > 0 ? below : 0.0, rng, 40, 4000, 65535);
        expect_stepper_matches(std::ldexp(1.0, e) - 20.0 > 0 ? std::ldexp(1.0, e) - 20.0 : 0.0,
                               rng, 40, 4000, 6000);
    }
}

TEST(AngleStepper, HoldsAtZeroRpmAndAcrossRunsOfOneSpeed) {
    angle_stepper stepper;
    double plain = 0.0;
    const uint16_t speeds[] = {0, 0, 1000, 1000, 0, 65535, 65535, 1, 80, 81};
    for (uint16_t rpm : speeds) {
        stepper.set_step(angle_step(rpm));
        for (int k = 0; k < 1000; ++k) ASSERT_EQ(stepper.next(), advance_angle(&plain, rpm)) << rpm;
    }
    EXPECT_EQ(stepper.accumulator(), plain);
}

}  // namespace
