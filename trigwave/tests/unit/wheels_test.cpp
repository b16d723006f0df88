#include <cstring>

#include "test_support.h"
#include "trigwave.h"

namespace {

// A generator set up as process_param leaves it for the given type string.
struct wheel_setup {
    Trigwave tw;
    explicit wheel_setup(const char* type) {
        std::string args[] = {"trigwave", type, "1000", "1", "15", "1000", "1000"};
        char* argv[7];
        for (int i = 0; i < 7; ++i) argv[i] = &args[i][0];
        testing::internal::CaptureStderr();
        const int rc = tw.process_param(7, argv);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(rc, 0) << type;
        // The argument strings die with this constructor.
        tw.primstr = tw.rpm_str = tw.length_str = nullptr;
        tw.cam_pos_str = tw.amplitude_str = tw.fading_str = nullptr;
    }
};

struct crank_case {
    const char* type;  // normal polarity; the capital form must give the negation
    double relative;
    uint16_t angle;
    int16_t expected;
};

TEST(PrimaryTriggerSample, GivesThePatternsLevelsInBothPolarities) {
    const crank_case cases[] = {
        {"m582", 0.9, 0, -32767},     {"m582", 0.9, 273, -32767},   {"m582", 0.9, 274, 32767},
        {"m582", 0.9, 545, 32767},    {"m582", 0.9, 546, -29490},   {"m582", 0.9, 820, 29490},
        {"m582", 0.9, 31668, -32767}, {"m582", 0.9, 32760, -32767}, {"m582", 0.9, 32768 + 274, 32767},
        {"m351", 1.0, 455, -32767},   {"m351", 1.0, 456, 32767},    {"m351", 1.0, 31850 + 600, -32767},
        {"c040", 1.0, 819, -32767},   {"c040", 1.0, 820, 32767},    {"c040", 1.0, 1639, -32767},
        {"f000", 1.0, 5459, 32760},   {"f000", 1.0, 5460, 0},       {"f000", 1.0, 13649, 32762},
        {"f000", 1.0, 16380, 0},      {"f000", 1.0, 65520, 0},      {"f010", 1.0, 5459, -32760},
        {"s060", 1.0, 7555, 32767},   {"s060", 1.0, 8155, -32767},  {"s060", 0.5, 64625, 16383},
        {"e324", 1.0, 0, -32767},     {"e324", 1.0, 910 + 456, 32767}, {"e324", 0.9, 14 * 910 + 600, -32767},
        {"e324", 0.9, 15 * 910 + 600, 29490}, {"e324", 1.0, 32767, -32767},
        {"x582", 1.0, 0, -8531},      {"x582", 1.0, 40000, -8531},
    };
    for (const auto& c : cases) {
        wheel_setup normal(c.type);
        std::string capital = c.type;
        capital[0] = static_cast<char>(capital[0] - 32);
        wheel_setup reversed(capital.c_str());
        EXPECT_EQ(normal.tw.primary_trigger_sample(c.angle, 1.0, c.relative), c.expected)
            << c.type << " at " << c.angle;
        EXPECT_EQ(reversed.tw.primary_trigger_sample(c.angle, 1.0, c.relative), -c.expected)
            << capital << " at " << c.angle;
    }
}

struct edge_case {
    const char* type;
    uint32_t span;  // angle units searched
    int rising_edges;
};

TEST(PrimaryTriggerSample, CarriesTheTeethAndPeriodsPerCycle) {
    const edge_case cases[] = {
        {"c040", 65536, 40}, {"c080", 65536, 80}, {"c270", 65536, 270},
        {"m582", 32768, 58}, {"m351", 32768, 35}, {"e324", 32768, 32}, {"s060", 65536, 12},
    };
    for (const auto& c : cases) {
        wheel_setup w(c.type);
        int edges = 0;
        int16_t previous = w.tw.primary_trigger_sample(static_cast<uint16_t>(c.span - 1), 1.0, 1.0);
        for (uint32_t a = 0; a < c.span; ++a) {
            const int16_t s = w.tw.primary_trigger_sample(static_cast<uint16_t>(a), 1.0, 1.0);
            if (previous < 0 && s > 0) ++edges;
            previous = s;
        }
        EXPECT_EQ(edges, c.rising_edges) << c.type;
    }
}

TEST(PrimaryTriggerSample, LotusGapsStayLow) {
    wheel_setup w("e324");
    for (int slot : {0, 14, 17, 32})
        for (int rem = 0; rem < 910; ++rem)
            ASSERT_EQ(w.tw.primary_trigger_sample(static_cast<uint16_t>(slot * 910 + rem), 1.0, 1.0),
                      -32767)
                << slot;
}

struct scale_case {
    const char* type;
    uint16_t angle;
    double amplitude;
    double relative;
    int16_t expected;
};

TEST(PrimaryTriggerSample, ScalesAndSaturates) {
    const scale_case cases[] = {
        {"m582", 274, 0.1, 1.0, 3276},      {"m582", 0, 0.1, 1.0, -3276},
        {"m582", 274, 1.5, 1.0, 32767},     {"m582", 0, 1.5, 1.0, -32767},
        {"m582", 820, 1.0, 1.2, 32767},     {"m582", 546, 1.0, 1.2, -32767},
        {"m582", 820, 65.535, 65.535, 32767}, {"x582", 0, 5.0, 1.0, -32767},
        {"X582", 0, 5.0, 1.0, 32767},       {"s060", 7555, 1.0, 2.0, 32767},
        {"f000", 5459, 0.5, 1.0, 16380},    {"x582", 0, 0.0, 1.0, 0},
    };
    for (const auto& c : cases) {
        wheel_setup w(c.type);
        EXPECT_EQ(w.tw.primary_trigger_sample(c.angle, c.amplitude, c.relative), c.expected)
            << c.type << " " << c.angle << " " << c.amplitude << " " << c.relative;
    }
}

struct cam_case {
    const char* type;
    uint16_t angle;
    uint16_t cam_pos;
    double amplitude;
    int16_t expected;
};

TEST(CamTriggerSample, PulsesWhereThePatternSays) {
    const cam_case cases[] = {
        {"m582", 1364, 1365, 1.0, 32767},  {"m582", 1365, 1365, 1.0, -32767},
        {"m582", 1819, 1365, 1.0, -32767}, {"m582", 1820, 1365, 1.0, 32767},
        {"M582", 1365, 1365, 1.0, -32767}, {"M582", 1820, 1365, 1.0, 32767},
        {"c040", 65299, 65300, 1.0, 32767}, {"c040", 65300, 65300, 1.0, -32767},
        {"c040", 65535, 65300, 1.0, -32767}, {"c040", 0, 65300, 1.0, 32767},
        {"c040", 100, 65300, 1.0, 32767},  {"x582", 1365, 1365, 0.5, -16383},
        {"m582", 1365, 1365, 2.0, -32767}, {"s060", 909, 1365, 1.0, -16383},
        {"s060", 910, 1365, 1.0, 16383},   {"s060", 1819, 0, 1.0, 16383},
        {"s060", 1820, 0, 1.0, -16383},    {"S060", 910, 0, 1.0, 16383},
        {"s060", 0, 0, 1.0, -16383},       {"s060", 910, 0, 4.0, 32767},
    };
    for (const auto& c : cases) {
        wheel_setup w(c.type);
        EXPECT_EQ(w.tw.cam_trigger_sample(c.angle, c.cam_pos, c.amplitude), c.expected)
            << c.type << " " << c.angle << " cam " << c.cam_pos;
    }
}

TEST(CamTriggerSample, SubaruCamHasSevenPulsesPerCycle) {
    wheel_setup w("s060");
    int pulses = 0;
    int16_t previous = w.tw.cam_trigger_sample(65535, 0, 1.0);
    for (uint32_t a = 0; a < 65536; ++a) {
        const int16_t s = w.tw.cam_trigger_sample(static_cast<uint16_t>(a), 0, 1.0);
        if (previous < 0 && s > 0) ++pulses;
        previous = s;
    }
    EXPECT_EQ(pulses, 7);
}

TEST(SubaruVrSignal, IsASineOfTheAngleDifference) {
    EXPECT_EQ(Trigwave::subaru_vr_signal(10, 20, 0), 0);
    EXPECT_EQ(Trigwave::subaru_vr_signal(500, 500, 1000), 0);
    EXPECT_GT(Trigwave::subaru_vr_signal(0, 250, 1000), 32700);
    EXPECT_LT(Trigwave::subaru_vr_signal(0, 750, 1000), -32700);
    // The difference wraps modulo 65536: 10 - 260 is 65286.
    EXPECT_EQ(Trigwave::subaru_vr_signal(260, 10, 1000), Trigwave::subaru_vr_signal(0, 65286, 1000));
}

}  // namespace
