#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame_math.h"
#include "test_support.h"
#include "trigwave.h"

namespace {

struct plan_case {
    uint16_t rpm_count;
    int32_t seconds;
    render_plan expected;
};

TEST(RenderPlan, SharesFramesAmongSegments) {
    const plan_case cases[] = {
        {2, 60, {1, 2646000, 2646000}},  // m582 180-1740 60 ...
        {4, 60, {3, 882000, 2646000}},   // 140-200-200-3000
        {4, 1, {3, 14700, 44100}},       // 40-80-85-70
        {999, 1, {998, 44, 43912}},
        {2, 0, {1, 0, 0}},
        {999, 0, {998, 0, 0}},
        {2, 24347, {1, 1073702700, 1073702700}},
    };
    for (const auto& c : cases) {
        const render_plan plan = make_render_plan(c.rpm_count, c.seconds);
        EXPECT_EQ(plan.segments, c.expected.segments) << c.rpm_count << " " << c.seconds;
        EXPECT_EQ(plan.frames_per_segment, c.expected.frames_per_segment);
        EXPECT_EQ(plan.total_frames, c.expected.total_frames);
    }
}

TEST(FrameRpm, FallingSweepTruncatesTowardZero) {
    // 3000-140 over one 60 s segment, against exact integer arithmetic
    // (C++ integer division truncates toward zero as well).
    const uint32_t frames = 2646000;
    for (uint32_t j = 0; j < frames; ++j) {
        const int64_t expected = 3000 + static_cast<int64_t>(j) * -2860 / frames;
        ASSERT_EQ(frame_rpm(3000, 140, j, frames), expected) << j;
    }
    EXPECT_EQ(frame_rpm(3000, 140, frames - 1, frames), 141);
}

TEST(FrameRpm, FollowsJumpsWiderThan32767) {
    const uint32_t frames = 44100;
    for (uint32_t j = 0; j < frames; j += 13) {
        const int64_t up = static_cast<int64_t>(j) * 65535 / frames;
        ASSERT_EQ(frame_rpm(0, 65535, j, frames), up) << j;
        ASSERT_EQ(frame_rpm(65535, 0, j, frames), 65535 - up) << j;
    }
    EXPECT_EQ(frame_rpm(0, 65535, frames - 1, frames), 65533);
}

TEST(AdvanceAngle, FirstFrameAt1000RpmIs12) {
    double accumulator = 0.0;
    EXPECT_EQ(advance_angle(&accumulator, 1000), 12);
    EXPECT_EQ(advance_angle(&accumulator, 1000), 24);
    // One second at 1000 RPM is 546130 units.
    accumulator = 0.0;
    for (int i = 0; i < 44100; ++i) advance_angle(&accumulator, 1000);
    EXPECT_NEAR(accumulator, 546130.0, 1e-3);
}

TEST(FrameMath, PositionCamAndFactors) {
    EXPECT_EQ(frame_position(0, 44100), 0.0);
    EXPECT_EQ(frame_position(22050, 44100), 0.5);
    EXPECT_LT(frame_position(44099, 44100), 1.0);
    EXPECT_EQ(cam_position_units(15.0L), 1365);
    EXPECT_EQ(cam_position_units(720.0L), 65520);
    EXPECT_EQ(cam_position_units(1000.0L), 91000 - 65536);
    EXPECT_EQ(cam_position_units(15.999L), 1455);
    EXPECT_EQ(sweep_factor(1000.0L), 1.0);
    EXPECT_EQ(sweep_factor(900.0L), 0.9);
    EXPECT_EQ(sweep_factor(100.0L), 0.1);
}

struct scale_case {
    int level;
    double factor;
    int16_t expected;
};

TEST(FrameMath, ScaleLevelTruncatesAndSaturates) {
    const scale_case cases[] = {
        {-32767, 0.9, -29490}, {32767, 0.9, 29490}, {32767, 1.0, 32767}, {-8531, 1.0, -8531},
        {32767, 1.001, 32767}, {-32767, 1.001, -32767}, {-8531, 65.535, -32767},
        {32767, 0.5, 16383},   {-32767, 0.5, -16383}, {100, 0.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scale_level(c.level, c.factor), c.expected) << c.level << " x " << c.factor;
}

// Renders into a file under the test temporary folder and returns its bytes.
struct rendered {
    int status = -1;
    std::string log;
    std::vector<unsigned char> bytes;
};

rendered render(std::vector<std::string> args) {
    rendered r;
    Trigwave tw;
    arg_vector argv(std::move(args));
    r.log = stderr_of([&] {
        ASSERT_EQ(tw.process_param(argv.argc(), argv.argv()), 0);
        tw.generateFileName(testing::TempDir().c_str());
        ASSERT_TRUE(tw.openWavFile());
        r.status = tw.generate_wav_output();
    });
    std::ifstream in(tw.filename, std::ios::binary);
    r.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::remove(tw.filename);
    return r;
}

int16_t sample_at(const rendered& r, std::size_t frame, int channel) {
    const std::size_t at = 44 + frame * 4 + channel * 2;
    return static_cast<int16_t>(r.bytes[at] | r.bytes[at + 1] << 8);
}

TEST(GenerateWavOutput, WritesHeaderAndFrames) {
    const rendered r = render({"trigwave", "m582", "40-80-85-70", "1", "15", "1000", "1000"});
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.bytes.size(), 44u + 44100u * 4u);
    EXPECT_TRUE(contains(r.log, "Filename: " + testing::TempDir() + "m582_40-80-85-70_1_15_1000_1000.wav\n"));
    EXPECT_TRUE(contains(r.log, "wavheader length=44 (ideally 44 ?)\n"
                                "start_rpm: 40 end_rpm: end_rpm: 80 \n"
                                "start_rpm: 80 end_rpm: end_rpm: 85 \n"
                                "start_rpm: 85 end_rpm: end_rpm: 70 \n"));
}

TEST(GenerateWavOutput, FirstFramesAt1000Rpm) {
    // Frame k sits at angle (k + 1) x 12.3839: the first tooth rises at 274
    // (frame 22), the cam pulse at 15 degrees starts at 1365 (frame 110).
    const rendered r = render({"trigwave", "m582", "1000", "1", "15", "1000", "1000"});
    ASSERT_EQ(r.bytes.size(), 44u + 44100u * 4u);
    struct frame_case {
        std::size_t frame;
        int16_t crank;
        int16_t cam;
    };
    for (const frame_case& c : {frame_case{0, -32767, 32767}, frame_case{21, -32767, 32767},
                                frame_case{22, 32767, 32767}, frame_case{109, -32767, 32767},
                                frame_case{110, 32767, -32767}}) {
        EXPECT_EQ(sample_at(r, c.frame, 0), c.crank) << c.frame;
        EXPECT_EQ(sample_at(r, c.frame, 1), c.cam) << c.frame;
    }
}

TEST(GenerateWavOutput, ZeroLengthStillPrintsEverySegment) {
    const rendered r = render({"trigwave", "m582", "100-200-300", "0", "15", "1000", "1000"});
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.bytes.size(), 44u);
    EXPECT_EQ(r.bytes[40] | r.bytes[41] | r.bytes[42] | r.bytes[43], 0);
    EXPECT_EQ(r.bytes[4], 36);
    EXPECT_TRUE(contains(r.log, "start_rpm: 100 end_rpm: end_rpm: 200 \n"
                                "start_rpm: 200 end_rpm: end_rpm: 300 \n"));
}

TEST(GenerateWavOutput, AmplitudeAbove1000Saturates) {
    const rendered r = render({"trigwave", "m582", "1000", "1", "15", "1500", "2000"});
    ASSERT_EQ(r.bytes.size(), 44u + 44100u * 4u);
    for (std::size_t f = 0; f < 44100; ++f) {
        const int16_t crank = sample_at(r, f, 0);
        const int16_t cam = sample_at(r, f, 1);
        ASSERT_TRUE(crank == 32767 || crank == -32767) << f << " " << crank;
        ASSERT_TRUE(cam == 32767 || cam == -32767) << f << " " << cam;
    }
}

TEST(GenerateWavOutput, HeaderWriteFailureIsStatus7) {
    const std::string path = testing::TempDir() + "trigwave_readonly.bin";
    std::fclose(std::fopen(path.c_str(), "wb"));
    Trigwave tw;
    arg_vector argv({"trigwave", "m582", "1000", "1", "15", "1000", "1000"});
    int status = -1;
    const std::string log = stderr_of([&] {
        ASSERT_EQ(tw.process_param(argv.argc(), argv.argv()), 0);
        tw.wavfile = std::fopen(path.c_str(), "rb");  // writes fail at once
        ASSERT_NE(tw.wavfile, nullptr);
        status = tw.generate_wav_output();
    });
    std::remove(path.c_str());
    EXPECT_EQ(status, 7);
    EXPECT_TRUE(contains(log, "wavheader length=0 (ideally 44 ?)\n"));
    EXPECT_FALSE(contains(log, "start_rpm"));
}

TEST(GenerateWavOutput, DataThatNeverReachesTheDiskIsStatus5) {
    for (const char* seconds : {"0", "1"}) {
        Trigwave tw;
        arg_vector argv({"trigwave", "m582", "1000", seconds, "15", "1000", "1000"});
        int status = -1;
        const std::string log = stderr_of([&] {
            ASSERT_EQ(tw.process_param(argv.argc(), argv.argv()), 0);
            tw.wavfile = std::fopen("/dev/full", "wb");
            if (tw.wavfile != nullptr) status = tw.generate_wav_output();
        });
        if (status == -1) GTEST_SKIP() << "no /dev/full here";
        EXPECT_EQ(status, 5) << seconds;
        EXPECT_TRUE(contains(log, "fwrite error\n")) << seconds;
    }
}

TEST(OpenWavFile, ReportsAFileThatCannotBeCreated) {
    Trigwave tw;
    std::snprintf(tw.filename, Trigwave::filename_size, "%s", "no/such/folder/x.wav");
    bool opened = true;
    const std::string log = stderr_of([&] { opened = tw.openWavFile(); });
    EXPECT_FALSE(opened);
    EXPECT_EQ(log, "cannot open file no/such/folder/x.wav for writing, reverting to stdout\n");
}

TEST(GenerateFileName, PrefixesAndCutsTheName) {
    Trigwave tw;
    std::snprintf(tw.filename, Trigwave::filename_size, "%s", "m582_1000_1_15_1000_1000.wav");
    const std::string log = stderr_of([&] { tw.generateFileName("out/"); });
    EXPECT_STREQ(tw.filename, "out/m582_1000_1_15_1000_1000.wav");
    EXPECT_EQ(log, "Filename: out/m582_1000_1_15_1000_1000.wav\n");
    const std::string long_prefix(5000, 'p');
    stderr_of([&] { tw.generateFileName(long_prefix.c_str()); });
    EXPECT_EQ(std::string(tw.filename), std::string(4089, 'p'));
}

}  // namespace
