// The input stage on signals made here, against the edges they were made with: a 60-2
// wheel's square teeth (small teeth, a volume drop, spikes, a stop, a sound card's droop),
// a VR sensor's lobes, and which of the two auto takes each for.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "edge_finder.h"
#include "input_kind.h"

namespace {

constexpr double slot = 44.1;  // samples a slot of 60 at 1000 RPM, 44.1 kHz
constexpr int revolutions = 8;
constexpr double revolution = 60 * slot;

struct made {
    std::vector<float> x;
    std::vector<edge> truth;  // where each step lies between two samples (its later one)
};

// A 60-2 wheel as trigwave writes it: each slot's tooth high then low for half a slot, the
// reference tooth (slot 0) high at reference, the rest at tooth, the two missing slots low
// at full scale; sample n shows the level at time n.
made square_60_2(float tooth, float reference = 1) {
    made m;
    float last = 0;
    for (int n = 0; n < revolutions * revolution; ++n) {
        const double s = std::fmod(n / slot, 60.0);
        const float v = s >= 58 ? -1.0f : std::fmod(s, 1.0) >= 0.5 ? -tooth : s < 1 ? reference : tooth;
        if (n > 0 && (v > 0) != (last > 0)) m.truth.push_back(edge{static_cast<double>(n), v > 0});
        m.x.push_back(v);
        last = v;
    }
    return m;
}

// A 60-2 wheel's VR signal: per tooth a positive then a negative lobe (a Gaussian's
// derivative), centred on the tooth; the teeth beside the gap swing twice as far.
made vr_60_2(double rpm, float amplitude, float offset) {
    made m;
    const double pitch = 44100.0 / rpm, sigma = pitch / 4;
    m.x.assign(static_cast<std::size_t>(6 * 60 * pitch), offset);
    for (int k = 0; k < 6 * 60; ++k) {
        if (k % 60 >= 58) continue;
        const double centre = (k + 0.5) * pitch;
        const double a = k % 60 == 0 || k % 60 == 57 ? 2 : 1;
        m.truth.push_back(edge{centre, false});
        for (auto n = static_cast<long>(std::max(0.0, centre - 6 * sigma)); n < centre + 6 * sigma && n < static_cast<long>(m.x.size()); ++n) {
            const double u = (n - centre) / sigma;
            m.x[static_cast<std::size_t>(n)] += static_cast<float>(amplitude * a * -u * std::exp(-u * u / 2));
        }
    }
    return m;
}

std::vector<edge> find(const std::vector<float>& x, input_kind kind) {
    edge_finder f(kind);
    std::vector<edge> out;
    f.feed(x.data(), x.size(), 1, out);
    f.finish(out);
    return out;
}

struct tally {
    int missed = 0, extra = 0;
};

// True edges from `from` on that no found edge of their direction lies within tol of, and
// found edges that match none; either may be excused where excused() says.
tally compare(const std::vector<edge>& found, const std::vector<edge>& truth, double from, double tol,
              const std::function<bool(double)>& excused = [](double) { return false; }) {
    tally t;
    std::vector<bool> used(found.size());
    for (const edge& e : truth) {
        if (e.at < from) continue;
        bool hit = false;
        for (std::size_t i = 0; i < found.size() && !hit; ++i)
            if (!used[i] && found[i].rising == e.rising && std::abs(found[i].at - e.at) < tol) hit = used[i] = true;
        t.missed += !hit && !excused(e.at);
    }
    for (std::size_t i = 0; i < found.size(); ++i) t.extra += found[i].at >= from && !used[i] && !excused(found[i].at);
    return t;
}

}  // namespace

TEST(EdgeFinder, SeesEverySquareToothWhateverItsSizeVolumeSpikesOrStop) {
    const double drop = 4 * revolution + 20 * slot;
    const double stop = 6 * revolution + 30 * slot;
    struct {
        const char* what;
        float tooth;
        std::function<void(made&)> change;
        std::function<bool(double)> excused;
        float reference = 1;
    } cases[] = {
        {"teeth at 100 per mille", 0.10f, nullptr, nullptr},
        {"teeth at 250 per mille", 0.25f, nullptr, nullptr},
        {"teeth at 450 per mille", 0.45f, nullptr, nullptr},
        {"teeth at 900 per mille", 0.90f, nullptr, nullptr},
        {"teeth at 100 per mille, only the gap at full scale", 0.10f, nullptr, nullptr, 0.10f},
        {"20 dB down midway", 0.9f, [&](made& m) { for (std::size_t n = static_cast<std::size_t>(drop); n < m.x.size(); ++n) m.x[n] *= 0.1f; },
         [&](double at) { return at >= drop && at < drop + 4 * slot; }},
        {"logic level, 20 dB down midway", 0.9f,
         [&](made& m) { for (std::size_t n = 0; n < m.x.size(); ++n) m.x[n] = (m.x[n] > 0) * (n < drop ? 1.0f : 0.1f); },
         [&](double at) { return at >= drop && at < drop + 4 * slot; }},
        // one sample each, into a high stretch and into a low one: clicks, no edges
        {"full-scale spikes", 0.45f, [&](made& m) { m.x[15000] = -1; m.x[15022] = 1; }, nullptr},
        {"a stop, then hiss", 0.9f,
         [&](made& m) {
             unsigned r = 1;  // hiss at -50 dBFS
             for (auto n = static_cast<std::size_t>(stop); n < m.x.size(); ++n) {
                 r = r * 1103515245u + 12345u;
                 m.x[n] = -0.9f + 0.00316f * (static_cast<float>(r >> 16 & 0x7fff) / 16384 - 1);
             }
             while (m.truth.back().at >= stop) m.truth.pop_back();
         },
         nullptr},
    };
    for (const auto& c : cases) {
        made m = square_60_2(c.tooth, c.reference);
        if (c.change) c.change(m);
        const auto found = find(m.x, input_kind::hall);
        // from the second revolution: small teeth are seen once the first gap has been
        const double from = revolution + slot;
        const auto t = c.excused ? compare(found, m.truth, from, 1.0, c.excused) : compare(found, m.truth, from, 1.0);
        EXPECT_EQ(t.missed, 0) << c.what;
        EXPECT_EQ(t.extra, 0) << c.what;
        EXPECT_EQ(input_kind_name(decide_input(m.x.data(), m.x.size(), 1)), std::string("hall")) << c.what;
    }
}

TEST(EdgeFinder, TimesAVrSensorsTeethAtTheirCentres) {
    struct {
        double rpm;
        float amplitude, offset;
    } cases[] = {{200, 0.05f, 0}, {3000, 0.6f, 0}, {200, 0.05f, 0.36f}};
    for (const auto& c : cases) {
        const made m = vr_60_2(c.rpm, c.amplitude, c.offset);
        const double pitch = 44100.0 / c.rpm;
        const auto found = find(m.x, input_kind::vr);
        std::vector<edge> falls;
        for (std::size_t i = 0; i < found.size(); ++i) {
            if (!found[i].rising) falls.push_back(found[i]);
            EXPECT_TRUE(i == 0 || found[i].rising != found[i - 1].rising) << c.rpm;
        }
        const auto t = compare(falls, m.truth, 60 * pitch, 0.5);
        EXPECT_EQ(t.missed, 0) << c.rpm;
        EXPECT_EQ(t.extra, 0) << c.rpm;
        EXPECT_EQ(input_kind_name(decide_input(m.x.data(), m.x.size(), 1)), std::string("vr")) << c.rpm;
    }
}

TEST(EdgeFinder, FindsEveryEdgeOfADroopingSquareWaveWhereItIs) {
    // A square wave, low first, 100 samples a period, through a sound card's one-pole
    // high-pass of time constant 40: its levels sag most of the way to the middle.
    const int period = 100;
    std::vector<float> x;
    double y = 0, previous = -1;
    for (int n = 0; n < 30 * period; ++n) {
        const double v = (n % period) < period / 2 ? -1 : 1;
        y = 40.0 / 41 * (y + v - previous);
        previous = v;
        x.push_back(static_cast<float>(0.25 * y + 0.1));
    }
    const auto edges = find(x, input_kind::hall);
    // the first tooth only teaches the levels; then every rise (at 50 + k * 100) and fall
    // (at k * 100)
    ASSERT_EQ(edges.size(), 2u * 30 - 3);
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const double step = edges[i].rising ? 50 : 0;
        EXPECT_NEAR(std::remainder(edges[i].at + 0.5 - step, period), 0.0, 0.51) << i;
        EXPECT_TRUE(i == 0 || edges[i].rising != edges[i - 1].rising) << i;
    }
    EXPECT_EQ(decide_input(x.data(), x.size(), 1), input_kind::hall);
}
