#include <algorithm>
#include <string>
#include <vector>

#include "test_support.h"
#include "trigwave.h"

namespace {

struct run_result {
    int code;
    std::string log;
};

run_result process(Trigwave& tw, arg_vector& args) {
    run_result r{};
    r.log = stderr_of([&] { r.code = tw.process_param(args.argc(), args.argv()); });
    return r;
}

arg_vector six(const std::string& type, const std::string& rpm = "1000",
               const std::string& length = "1", const std::string& cam = "15",
               const std::string& amplitude = "1000", const std::string& fading = "1000") {
    return arg_vector({"trigwave", type, rpm, length, cam, amplitude, fading});
}

struct type_case {
    const char* type;
    char letter;
    uint8_t polarity;
    uint8_t toothcnt;
    uint8_t missing;
};

TEST(ProcessParam, ReadsEveryListedTypeInBothCases) {
    const type_case cases[] = {
        {"c040", 'c', 0, 4, 0},     {"c080", 'c', 0, 8, 0},     {"c270", 'c', 0, 27, 0},
        {"m582", 'm', 0, 58, 2},    {"m351", 'm', 0, 35, 1},    {"f000", 'f', 0, 0, 0},
        {"e324", 'e', 0, 32, 4},    {"s060", 's', 0, 6, 0},     {"M582", 'm', 0x80, 58, 2},
        {"C040", 'c', 0x80, 4, 0},  {"S060", 's', 0x80, 6, 0},  {"E324", 'e', 0x80, 32, 4},
        {"x582", 'x', 0, 58, 2},    {"X582", 'x', 0x80, 58, 2}, {"c000", 'c', 0, 0, 0},
        // A byte of 128 or more is not a capital.
        {"\xE9" "582", '\xE9', 0, 58, 2},
    };
    for (const auto& c : cases) {
        Trigwave tw;
        arg_vector args = six(c.type);
        const run_result r = process(tw, args);
        ASSERT_EQ(r.code, 0) << c.type << "\n" << r.log;
        EXPECT_EQ(tw.trigger_type, c.letter) << c.type;
        EXPECT_EQ(tw.polarity, c.polarity) << c.type;
        EXPECT_EQ(tw.wheel.toothcnt, c.toothcnt) << c.type;
        EXPECT_EQ(tw.wheel.missing, c.missing) << c.type;
        EXPECT_STREQ(tw.primstr, c.type);
    }
}

TEST(ProcessParam, NamesTheFileFromTheArgumentsAsTyped) {
    Trigwave tw;
    arg_vector args = six("M582", "180-1740", "60", "15-30", "100-1000", "1000-900");
    ASSERT_EQ(process(tw, args).code, 0);
    EXPECT_STREQ(tw.filename, "M582_180-1740_60_15-30_100-1000_1000-900.wav");
}

TEST(ProcessParam, CutsALongFileNameAt4089Characters) {
    Trigwave tw;
    std::string rpm;
    for (int i = 0; i < 2500; ++i) rpm += "1-";
    arg_vector args = six("m582", rpm);
    ASSERT_EQ(process(tw, args).code, 0);
    EXPECT_EQ(std::string(tw.filename), "m582_" + rpm.substr(0, 4084));
}

TEST(ProcessParam, PrintsTheDiagnosticsInOrder) {
    Trigwave tw;
    arg_vector args = six("m582", "1000", "abc", "15", "1000", "1000");
    const run_result r = process(tw, args);
    ASSERT_EQ(r.code, 0);
    auto sweep = [](const std::string& name, const std::string& v, const tokens_t& t) {
        return name + " is: " + v + "\nparse_tokens_min2entries, str=" + v +
               "\ni: 0 => value: " + v +
               "\narray length (check your compiler or try -O2 if bad): 1\n"
               "parse_tokens_min2entries, token_ptr=" + pointer_text(&t) +
               "\nNO SWEEP (1 parameter)\nend of: parse_tokens_min2entries\n";
    };
    EXPECT_EQ(r.log, "primstr=m582, toothcnt=58, missing=2\n" +
                         sweep("rpm_str", "1000", tw.rpm_tokens) +
                         "bad length: abc\nThe length of the wav file will be 120 seconds\n" +
                         sweep("cam_pos_str", "15", tw.cam_pos_tokens) +
                         sweep("amplitude_str", "1000", tw.amplitude_tokens) +
                         sweep("fading_str", "1000", tw.fading_tokens));
    EXPECT_EQ(tw.length_sec, 120);
}

struct length_case {
    const char* text;
    int32_t seconds;  // -1: refused
};

TEST(ProcessParam, ReadsOrRefusesTheLength) {
    const length_case cases[] = {
        {"abc", 120}, {"60s", 60},          {"0", 0},           {" +5", 5},
        {"24347", 24347}, {"-1", -1},       {"24348", -1},      {"2147483647", -1},
        {"2147483648", -1}, {"-2147483649", -1},
    };
    for (const auto& c : cases) {
        Trigwave tw;
        arg_vector args = six("m582", "1000", c.text);
        const run_result r = process(tw, args);
        const std::string refusal = std::string("<seconds> ") + c.text +
                                    " is refused: the length must be 0 to 24347 seconds\n";
        if (c.seconds < 0) {
            EXPECT_NE(r.code, 0) << c.text;
            EXPECT_TRUE(contains(r.log, "end of: parse_tokens_min2entries\n" + refusal))
                << r.log;
            EXPECT_FALSE(contains(r.log, "The length of the wav file")) << c.text;
            EXPECT_FALSE(contains(r.log, "cam_pos_str")) << c.text;
        } else {
            EXPECT_EQ(r.code, 0) << c.text;
            EXPECT_EQ(tw.length_sec, c.seconds) << c.text;
            EXPECT_TRUE(contains(r.log, "The length of the wav file will be " +
                                            std::to_string(c.seconds) + " seconds\n"));
        }
    }
}

struct failure_case {
    std::vector<std::string> args;
    int code;
    const char* message;
    const char* not_reached;  // a later diagnostic that must not appear
};

TEST(ProcessParam, StopsAtTheFirstFailingArgument) {
    const failure_case cases[] = {
        {{"trigwave", "m582", "1000", "1", "15", "1000"}, 2,
         "NOT enough parameters: 6 (min:7)\n", "primstr="},
        {{"trigwave"}, 2, "NOT enough parameters: 1 (min:7)\n", "primstr="},
        {{"trigwave", "-m582", "1000", "1", "15", "1000", "1000"}, 13,
         "<type> -m582 is refused: a type never begins with - (--help and --version go alone)\n",
         "primstr="},
        {{"trigwave", "-x"}, 13, "<type> -x is refused", "NOT enough"},
        {{"trigwave", "m58", "1000", "1", "15", "1000", "1000"}, 10,
         "<type> m58 is refused: it needs at least 4 characters\n", "primstr="},
        {{"trigwave", "", "1000", "1", "15", "1000", "1000"}, 10,
         "<type>  is refused: it needs at least 4 characters\n", "primstr="},
        {{"trigwave", "m000", "1000", "1", "15", "1000", "1000"}, 11,
         "primstr=m000, toothcnt=0, missing=0\n<type> m000 is refused: types m and e need a "
         "slot count (toothcnt + missing) that is not 0 modulo 256\n",
         "rpm_str"},
        {{"trigwave", "E000", "1000", "1", "15", "1000", "1000"}, 11, "<type> E000 is refused",
         "rpm_str"},
        // 'I' - 48 = 25, so the tooth count is 250; with 6 missing the slots wrap to 0.
        {{"trigwave", "mI06", "1000", "1", "15", "1000", "1000"}, 11, "<type> mI06 is refused",
         "rpm_str"},
        {{"trigwave", "m582", "x-80", "1", "15", "1000", "1000"}, 3, "bad RPM: x\n",
         "The length"},
        {{"trigwave", "m582", "1000", "1", "-", "1000", "1000"}, 4,
         "parse_tokens: could NOT parse tokens\n", "amplitude_str"},
        {{"trigwave", "m582", "1000", "1", "15", "x", "1000"}, 5, "bad RPM: x\n", "fading_str"},
        {{"trigwave", "m582", "1000", "1", "15", "1000", ""}, 6,
         "parse_tokens: could NOT parse tokens\n", "usage"},
        {{"trigwave", "m582", "2147483648", "1", "15", "1000", "1000"}, 3,
         "<RPM> point 2147483648 is refused", "The length"},
        {{"trigwave", "m582", "1000", "1", "15-3000000000", "1000", "1000"}, 4,
         "i: 0 => value: 15\n<sectrig_position> point 3000000000 is refused", "amplitude_str"},
        {{"trigwave", "m582", "1000", "1", "15", "1000", "4000000000"}, 6,
         "<normal_tooth_relative_amplitude> point 4000000000 is refused: it does not fit a "
         "32-bit int (at most 2147483647)\n",
         "usage"},
    };
    for (const auto& c : cases) {
        Trigwave tw;
        arg_vector args(c.args);
        const run_result r = process(tw, args);
        EXPECT_EQ(r.code, c.code) << c.message;
        EXPECT_TRUE(contains(r.log, c.message)) << r.log;
        EXPECT_FALSE(contains(r.log, c.not_reached)) << r.log;
    }
}

TEST(ProcessParam, IgnoresArgumentsAfterTheSixth) {
    Trigwave tw;
    arg_vector args({"trigwave", "m582", "1000", "1", "15", "1000", "1000", "extra"});
    ASSERT_EQ(process(tw, args).code, 0);
    EXPECT_STREQ(tw.filename, "m582_1000_1_15_1000_1000.wav");
}

TEST(Usage, PrintsSeventeenLinesWithTheInvocationName) {
    const std::string log = stderr_of([] { Trigwave::usage("./tw"); });
    EXPECT_EQ(log.rfind("usage- ./tw <type> <RPM> <seconds> <sectrig_position> <amplitude> "
                        "<normal_tooth_relative_amplitude>\n",
                        0),
              0u);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 17);
    EXPECT_TRUE(contains(log, "\tspecify ALL parameters (amplitude=1000 is normal 100%)\n"));
    EXPECT_TRUE(contains(log, "normaltooth=100% .. 90%-\n"));
    EXPECT_TRUE(contains(
        log, "\tcapitals for reverse polarity; might be necessary depending on soundcard\n"));
}

}  // namespace
