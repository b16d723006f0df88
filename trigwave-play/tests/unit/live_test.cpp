// The control language read line by line, and what its commands do to the frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command.h"
#include "live_frames.h"

namespace {

TEST(Command, Lines) {
    struct row {
        const char* line;
        bool ok;
        command_kind kind;
        unsigned value;
        uint64_t over, at;
        bool timed;
    };
    const row rows[] = {
        {"rpm 3000", true, command_kind::rpm, 3000, 0, 0, false},
        {"  rpm   65535  ", true, command_kind::rpm, 65535, 0, 0, false},
        {"rpm 2500 over 0.5", true, command_kind::rpm, 2500, 22050, 0, false},
        {"at 1.5 rpm 3000 over 2", true, command_kind::rpm, 3000, 88200, 66150, true},
        {"at .5 cam 40", true, command_kind::cam, 40, 0, 22050, true},
        {"at 0.000023 quit", true, command_kind::quit, 0, 0, 1, true},
        {"amplitude 500", true, command_kind::amplitude, 500, 0, 0, false},
        {"relative 0", true, command_kind::relative, 0, 0, 0, false},
        {"hold", true, command_kind::hold, 0, 0, 0, false},
        {"at 86400 hold", true, command_kind::hold, 0, 0, 86400ull * 44100, true},
        {"rpm 65536", false, command_kind::rpm, 0, 0, 0, false},
        {"rpm -1", false, command_kind::rpm, 0, 0, 0, false},
        {"rpm 1e3", false, command_kind::rpm, 0, 0, 0, false},
        {"rpm 3000 over", false, command_kind::rpm, 0, 0, 0, false},
        {"rpm 3000 over 1.0000001", false, command_kind::rpm, 0, 0, 0, false},
        {"cam 40 over 2", false, command_kind::rpm, 0, 0, 0, false},
        {"quit now", false, command_kind::rpm, 0, 0, 0, false},
        {"at 86400.5 quit", false, command_kind::rpm, 0, 0, 0, false},
        {"at 2 at 3 quit", false, command_kind::rpm, 0, 0, 0, false},
        {"at 2", false, command_kind::rpm, 0, 0, 0, false},
        {"RPM 3000", false, command_kind::rpm, 0, 0, 0, false},
        {"", false, command_kind::rpm, 0, 0, 0, false},
    };
    for (const row& r : rows) {
        command c;
        std::string error;
        EXPECT_EQ(parse_command(r.line, c, error), r.ok) << r.line;
        EXPECT_EQ(error.empty(), r.ok) << r.line;
        if (!r.ok) continue;
        EXPECT_EQ(c.kind, r.kind) << r.line;
        EXPECT_EQ(c.value, r.value) << r.line;
        EXPECT_EQ(c.over, r.over) << r.line;
        EXPECT_EQ(c.timed, r.timed) << r.line;
        EXPECT_EQ(c.at, r.at) << r.line;
    }
}

struct generator {
    Trigwave tw;
    explicit generator(std::vector<std::string> args) {
        std::vector<char*> argv{const_cast<char*>("trigwave-play")};
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(tw.process_param(static_cast<int>(argv.size()) - 1, argv.data()), 0);
    }
};

command parsed(const char* line) {
    command c;
    std::string error;
    EXPECT_TRUE(parse_command(line, c, error)) << line << ": " << error;
    return c;
}

// The speed of each frame rendered.
std::vector<uint16_t> speeds(live_frames& f, std::size_t count) {
    std::vector<uint16_t> out;
    int16_t frame[2];
    for (std::size_t i = 0; i < count && f.render(frame, 1) == 1; ++i) out.push_back(f.values().rpm);
    return out;
}

TEST(LiveFrames, TimedCommandsActOnTheirFrame) {
    generator g({"m582", "1000-2000", "1", "30", "1000", "1000"});
    live_frames f(g.tw, false);
    f.take(parsed("at 0.5 rpm 3000 over 0.01"));  // 441 frames
    f.take(parsed("at 0.25 hold"));
    const std::vector<uint16_t> rpm = speeds(f, 44100);
    ASSERT_EQ(rpm.size(), 44100u);
    // the sweep until the hold, its value until the ramp, the ramp, then the value
    EXPECT_EQ(rpm[11024], 1249);
    EXPECT_EQ(rpm[11025], rpm[11024]);
    EXPECT_EQ(rpm[22049], rpm[11024]);
    EXPECT_EQ(rpm[22050], rpm[11024]);
    for (std::size_t n = 22051; n < 22050 + 441; ++n) EXPECT_GE(rpm[n], rpm[n - 1]);
    EXPECT_LT(rpm[22050 + 440], 3000);
    EXPECT_EQ(rpm[22050 + 441], 3000);
    EXPECT_EQ(rpm.back(), 3000);
    int16_t frame[2];
    EXPECT_EQ(f.render(frame, 1), 0u);  // the file's length, then the end
    EXPECT_TRUE(f.ended());
}

TEST(LiveFrames, HoldGoesOnAndQuitEnds) {
    generator g({"m582", "1000-2000", "1", "30-60", "1000", "1000"});
    live_frames f(g.tw, true);
    f.take(parsed("at 1.5 quit"));
    const std::vector<uint16_t> rpm = speeds(f, 100000);
    ASSERT_EQ(rpm.size(), 66150u);
    EXPECT_EQ(rpm[44099], 1999);
    EXPECT_EQ(rpm.back(), 1999);
    EXPECT_NEAR(f.values().cam_degrees, 60, 0.01);
    EXPECT_TRUE(f.ended());
}

TEST(LiveFrames, KeysStepFromThePresentValues) {
    generator g({"m582", "1000", "1", "719", "1000", "1000"});
    live_frames f(g.tw, false);
    f.nudge_rpm(-10);
    f.nudge_cam(1);  // round the cycle
    EXPECT_EQ(speeds(f, 1).at(0), 990);
    EXPECT_EQ(f.values().cam_degrees, 0);
    f.nudge_rpm(-1000);  // held at 0
    EXPECT_EQ(speeds(f, 1).at(0), 0);
}

}  // namespace
