// Wheel files: what a good one gives, and the line and the fault of each bad one.
#include <gtest/gtest.h>

#include <string>

#include "trigwave.h"
#include "wheel_file.h"
#include "wheel_sampler.h"

namespace {

const std::string head = "orix-wheel 1\nname test\ncycle 360\n";

TEST(WheelFile, SlotsAndTeethAsWritten) {
    const wheel_file w = parse_wheel_file(
        "# 36-2-2-2, as a plain description gives it\r\norix-wheel 1\r\nname 36-2-2-2 (bank 1)\r\n"
        "source a plain description\r\ncycle 360\r\ncrank slots 36 missing 10 11 22 23 34 35 full 0  # the reference\r\n"
        "cam tooth 715 5\r\ncam tooth 100.25 110\r\n");
    EXPECT_EQ(w.name, "36-2-2-2 (bank 1)");
    EXPECT_EQ(w.source, "a plain description");
    EXPECT_EQ(w.cycle, 360);
    ASSERT_EQ(w.crank.size(), 30u);
    // slot 0: low to 5 degrees, high to 10; slot 33, the last before the gap
    EXPECT_EQ(w.crank[0].rise, 5000);
    EXPECT_EQ(w.crank[0].fall, 10000);
    EXPECT_TRUE(w.crank[0].full);
    EXPECT_FALSE(w.crank[1].full);
    EXPECT_EQ(w.crank[29].rise, 335000);
    EXPECT_EQ(w.crank[29].fall, 340000);
    ASSERT_EQ(w.cam.size(), 2u);
    EXPECT_EQ(w.cam[0].rise, 100250);
    EXPECT_EQ(w.cam[1].rise, 715000);  // wraps through 0 to 5 degrees
    EXPECT_EQ(w.cam[1].fall, 5000);

    // the last slot's tooth falls at the cycle's end: angle 0
    const wheel_file seven = parse_wheel_file(head + "crank slots 7\n");
    EXPECT_EQ(seven.crank[0].rise, 25714);  // 360 / 14, rounded
    EXPECT_EQ(seven.crank[6].fall, 0);
}

TEST(WheelFile, EachFaultNamedWithItsLine) {
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {"", "not a wheel file: it is empty"},
        {"RIFF....WAVE", "line 1: not a wheel file: it does not begin with 'orix-wheel 1'"},
        {"orix-wheel 2\n", "line 1: a wheel file of version 2; this program reads version 1"},
        {"orix-wheel 1\ncycle 360\ncrank tooth 0 5\n", "no 'name' line"},
        {head + "cycle 720\n", "line 4: a second 'cycle' line"},
        {head + "crank tooth 10 360\n", "line 4: an angle outside the crank's cycle of 360 degrees (0 to below 360)"},
        {head + "crank tooth 10 10\n", "line 4: a tooth that rises and falls at one angle"},
        {head + "crank tooth 10 20\ncrank tooth 15 30\n", "line 5: the crank's teeth at 10 and 15 degrees overlap or touch"},
        {head + "crank tooth 10 20\ncrank tooth 20 30\n", "line 5: the crank's teeth at 10 and 20 degrees overlap or touch"},
        {head + "crank tooth 350 15\ncrank tooth 10 20\n", "line 5: the crank's teeth at 350 and 10 degrees overlap or touch"},
        {head + "crank tooth 1.2345 20\n", "line 4: an angle is degrees with up to three decimals, such as 12.5"},
        {head + "crank tooth -1 20\n", "line 4: an angle is degrees with up to three decimals, such as 12.5"},
        {head + "crank slots 36 missing 36\n", "line 4: crank slots N [missing K ...] [full K ...]: '36' is not a slot from 0 to 35"},
        {head + "crank slots 1\n", "line 4: crank slots N: from 2 to 1000 slots"},
        {head + "crank slots 4 missing 0 1 2 3\n", "no crank tooth"},
        {head + "crank tooth 0 5\ncam tooth 0 720\n", "line 5: an angle outside the cam's cycle of 720 degrees (0 to below 720)"},
        {head + "crank tooth 0 5\ncam tooth 0 5 full\n", "line 5: a cam tooth has no level of its own"},
        {head + "teeth 36\n", "line 4: 'teeth' is not a line of a wheel file (name, source, cycle, crank slots, crank tooth, cam tooth)"},
        {head + "crank slots 1000\ncrank tooth 0 0.1\n", "line 4: more than 1000 teeth"},
        {head + std::string("crank tooth 0 5\0", 16), "line 4: a NUL byte: not a wheel file"},
    };
    for (const auto& c : cases) {
        try {
            parse_wheel_file(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const wheel_file_error& e) {
            EXPECT_STREQ(e.what(), c.message) << c.text;
        }
    }
}

TEST(WheelFile, AnglesInFixedPoint) {
    const struct {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {{"0", true, 0},       {"12.5", true, 12500}, {"719.999", true, 719999}, {"7.05", true, 7050},
                 {"1e2", false, 0},    {"12.", false, 0},     {".5", false, 0},          {"+1", false, 0},
                 {"12345", false, 0},  {"1.2.3", false, 0}};
    for (const auto& c : cases) {
        int32_t v = -1;
        EXPECT_EQ(parse_millidegrees(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

// 60-2 as a file against trigwave's own m582 at the middle of each half slot, where the
// file's exact six degrees and the type's 546-unit slots agree; reversed polarity and the
// amplitude apply after, alike for both.
TEST(WheelSampler, DrawsTheMissingToothWheelAsTrigwavesOwn) {
    const wheel_sampler file(parse_wheel_file(head + "crank slots 60 missing 58 59 full 0\ncam tooth 5 0\n"));
    const wheel_param_t m582{58, 2};
    int compared = 0;
    for (uint32_t slot = 0; slot < 120; ++slot)
        for (uint32_t quarter : {1u, 3u}) {
            const auto angle = static_cast<uint16_t>((slot * 4 + quarter) * 65536 / 480);
            EXPECT_EQ(file.crank(angle, 0.9), Trigwave::trigger_missing_tooth(m582, angle, 0.9)) << angle;
            ++compared;
        }
    EXPECT_EQ(compared, 240);
    // trigwave's simple cam is low for 5 degrees from the cam position: the file's tooth is
    // the rest of the cycle
    for (uint16_t angle : {0, 454, 455, 1364, 1365, 1819, 1820, 65535})
        EXPECT_EQ(file.cam(angle, 1365, 0.8), Trigwave::trigger_simple_cam(angle, 1365, 0.8)) << angle;
}

}  // namespace
