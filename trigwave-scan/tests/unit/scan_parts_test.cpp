// The pure parts on signals made here: the edge finder on a sound card's droop and offset,
// the pattern follower on a 60-2 wheel with a tooth taken out and one added.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "edge_finder.h"
#include "known_wheels.h"
#include "pattern_follower.h"

namespace {

// A square wave of the given period (samples), low first, through a one-pole high-pass
// (time constant tau samples), scaled and offset as a line-in might deliver it.
std::vector<float> coupled_square(int periods, int period, double tau, float gain, float offset) {
    std::vector<float> out;
    const double a = tau / (tau + 1);
    double y = 0, previous = -1;
    for (int n = 0; n < periods * period; ++n) {
        const double x = (n % period) < period / 2 ? -1 : 1;
        y = a * (y + x - previous);
        previous = x;
        out.push_back(static_cast<float>(gain * y + offset));
    }
    return out;
}

}  // namespace

TEST(EdgeFinder, FindsEveryEdgeOfADroopingSquareWaveWhereItIs) {
    // 100 samples a period against a time constant of 40: the levels sag most of the way to
    // the middle between edges.
    const int period = 100;
    const auto samples = coupled_square(30, period, 40, 0.25f, 0.1f);
    edge_finder finder;
    std::vector<edge> edges;
    finder.feed(samples.data(), samples.size(), 1, edges);
    // two settling turns, then every rise (at 50 + k * 100) and fall (at k * 100)
    ASSERT_EQ(edges.size(), 2u * 30 - 3);
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const double at = edges[i].at + 0.5;  // the step lies between two samples
        const double step = edges[i].rising ? 50 : 0;
        EXPECT_NEAR(std::remainder(at - step, period), 0.0, 0.51) << i;
        if (i > 0) {
            EXPECT_NE(edges[i].rising, edges[i - 1].rising);
        }
    }
}

TEST(PatternFollower, SyncsOnTheGapAndNamesTheToothMissingOrExtra) {
    const known_wheel& m582 = known_wheels()[0];
    ASSERT_EQ(m582.type, "m582");
    ASSERT_EQ(m582.teeth.size(), 58u);
    // three revolutions of tooth edges at a steady speed, one tooth (place 20) left out in
    // the second and an edge added after place 40 in the third
    std::vector<double> at;
    double t = 0;
    for (int rev = 0; rev < 3; ++rev)
        for (std::size_t k = 0; k < 58; ++k) {
            t += m582.teeth[k];
            if (!(rev == 1 && k == 20)) at.push_back(t);
            if (rev == 2 && k == 40) at.push_back(t + m582.teeth[41] * 0.4);
        }
    pattern_follower f(m582.teeth);
    int missing = 0, extra = 0, lost = 0;
    std::size_t first_sync = 0;
    for (std::size_t i = 0; i < at.size(); ++i) {
        const auto s = f.feed(at[i]);
        if (s.what == pattern_follower::kind::accepted && first_sync == 0) first_sync = i;
        if (s.what == pattern_follower::kind::accepted && s.missing_before) {
            ++missing;
            EXPECT_EQ(s.position, 21u);
        }
        if (s.what == pattern_follower::kind::extra) {
            ++extra;
            EXPECT_EQ(s.position, 41u);
        }
        lost += s.what == pattern_follower::kind::lost;
    }
    EXPECT_EQ(missing, 1);
    EXPECT_EQ(extra, 1);
    EXPECT_EQ(lost, 0);
    // a whole revolution of spacings matched after the first gap: within the second revolution
    EXPECT_LT(first_sync, 58u + 58u);
}
