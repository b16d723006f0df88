#include <cmath>
#include <string>
#include <vector>

#include "test_support.h"
#include "trigwave.h"

namespace {

struct parsed {
    uint8_t code;
    tokens_t table;
    std::string log;
};

parsed parse(std::string text, const char* label = "<RPM>") {
    parsed p{};
    p.log = stderr_of([&] {
        p.code = Trigwave::parse_tokens_min2entries(&p.table, &text[0], "-", label);
    });
    return p;
}

std::string numbered_points(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += (i > 1 ? "-" : "") + std::to_string(i);
    return text;
}

struct sweep_case {
    const char* text;
    uint16_t count;
    std::vector<uint16_t> slots;  // the points, then the copy of the last one
};

TEST(ParseTokens, SplitsLikeStrtokAndCopiesTheLastPoint) {
    const sweep_case cases[] = {
        {"1000", 2, {1000, 1000}},
        {"40--80", 2, {40, 80, 80}},
        {"-40-80-", 2, {40, 80, 80}},
        {"40x-80", 2, {40, 80, 80}},
        {"40-80-85-70", 4, {40, 80, 85, 70, 70}},
        {"70000", 2, {4464, 4464}},
        {"65535-65536", 2, {65535, 0, 0}},
        {" 7-+9", 2, {7, 9, 9}},
    };
    for (const auto& c : cases) {
        const parsed p = parse(c.text);
        ASSERT_EQ(p.code, 0) << c.text;
        ASSERT_EQ(p.table.count, c.count) << c.text;
        for (std::size_t i = 0; i < c.slots.size(); ++i)
            EXPECT_EQ(p.table.values[i], c.slots[i]) << c.text << " slot " << i;
    }
}

TEST(ParseTokens, PrintsTheTraceInOrder) {
    std::string text = "1000";
    tokens_t table{};
    const std::string log = stderr_of([&] {
        Trigwave::parse_tokens_min2entries(&table, &text[0], "-");
    });
    EXPECT_EQ(log, "parse_tokens_min2entries, str=1000\n"
                   "i: 0 => value: 1000\n"
                   "array length (check your compiler or try -O2 if bad): 1\n"
                   "parse_tokens_min2entries, token_ptr=" + pointer_text(&table) + "\n"
                   "NO SWEEP (1 parameter)\n"
                   "end of: parse_tokens_min2entries\n");
}

struct failure_case {
    const char* text;
    uint8_t code;
    const char* message;
};

TEST(ParseTokens, FailuresNameTheirCause) {
    const failure_case cases[] = {
        {"x-80", 7, "bad RPM: x\n"},
        {"40-x", 7, "i: 0 => value: 40\nbad RPM: x\n"},
        {"", 9, "parse_tokens: could NOT parse tokens\n"},
        {"-", 9, "parse_tokens: could NOT parse tokens\n"},
        {"---", 9, "parse_tokens: could NOT parse tokens\n"},
        {"5-2147483648", 8,
         "i: 0 => value: 5\n<RPM> point 2147483648 is refused: it does not fit a 32-bit int "
         "(at most 2147483647)\n"},
    };
    for (const auto& c : cases) {
        const parsed p = parse(c.text);
        EXPECT_EQ(p.code, c.code) << c.text;
        EXPECT_TRUE(contains(p.log, c.message)) << c.text << "\n" << p.log;
        EXPECT_FALSE(contains(p.log, "NO SWEEP")) << c.text;
    }
}

TEST(ParseTokens, RefusalNamesTheSweep) {
    const parsed p = parse("99999999999", "<amplitude>");
    EXPECT_EQ(p.code, 8);
    EXPECT_TRUE(contains(p.log, "<amplitude> point 99999999999 is refused: it does not fit a "
                                "32-bit int (at most 2147483647)\n"));
}

TEST(ParseTokens, KeepsAtMost999Points) {
    for (int n : {998, 999, 1000, 1200}) {
        const parsed p = parse(numbered_points(n));
        ASSERT_EQ(p.code, 0) << n;
        const int kept = n < 999 ? n : 999;
        EXPECT_EQ(p.table.count, kept) << n;
        EXPECT_EQ(p.table.values[kept - 1], kept) << n;
        EXPECT_EQ(p.table.values[kept], kept) << n;  // the copied last point
        EXPECT_EQ(contains(p.log, "WARNING: ARRAY LENGTH MAXIMUM is 999\n"), n >= 999) << n;
        EXPECT_TRUE(contains(p.log, "array length (check your compiler or try -O2 if bad): " +
                                        std::to_string(kept) + "\n"))
            << n;
    }
}

TEST(ParseTokens, StopsBeforeReadingTokensPastThe999th) {
    const parsed p = parse(numbered_points(999) + "-x");
    EXPECT_EQ(p.code, 0);
    EXPECT_FALSE(contains(p.log, "bad RPM"));
}

TEST(LookupAndWeight, InterpolatesBetweenPoints) {
    const parsed p = parse("40-80-85-70");
    struct point {
        double position;
        double value;
    };
    for (const point& pt : {point{0.0, 40.0}, point{1.0 / 6, 60.0}, point{0.5, 82.5},
                            point{1.0, 70.0}}) {
        EXPECT_EQ(static_cast<double>(Trigwave::lookup_and_weight(&p.table, pt.position)),
                  pt.value)
            << pt.position;
    }
}

TEST(LookupAndWeight, EqualPointsGiveExactlyThatPointAtEveryFrame) {
    // The middle third of 140-200-200-3000 holds 200; frames at n / total land
    // on fractions where plain double arithmetic can end just below 200.
    const parsed p = parse("140-200-200-3000");
    const uint32_t total = 2646000;
    for (uint32_t n = total / 3; n <= 2 * total / 3; n += 7) {
        const double position = static_cast<double>(static_cast<long double>(n) / total);
        ASSERT_EQ(static_cast<double>(Trigwave::lookup_and_weight(&p.table, position)), 200.0)
            << n;
    }
    const parsed constant = parse("1000");
    for (double position : {0.0, 0.1, 1.0 / 3, 0.7, 0.999999, 1.0})
        EXPECT_EQ(static_cast<double>(Trigwave::lookup_and_weight(&constant.table, position)),
                  1000.0);
}

}  // namespace
