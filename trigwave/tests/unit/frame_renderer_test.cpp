// Whole files from the run-by-run renderer against a plain frame-by-frame
// rendering with the reference functions.
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "frame_math.h"
#include "frame_renderer.h"
#include "sample_writer.h"
#include "test_support.h"
#include "trigwave.h"
#include "wheel_file.h"

namespace {

// The frames as the plain per-frame arithmetic gives them, little-endian.
std::vector<unsigned char> plain_frames(const Trigwave& tw) {
    const render_plan plan = make_render_plan(tw.rpm_tokens.count, tw.length_sec);
    std::vector<unsigned char> bytes;
    bytes.reserve(plan.total_frames * 4u);
    auto put = [&](int16_t s) {
        const auto bits = static_cast<uint16_t>(s);
        bytes.push_back(static_cast<unsigned char>(bits & 0xFF));
        bytes.push_back(static_cast<unsigned char>(bits >> 8));
    };
    double accumulator = 0.0;
    for (uint32_t i = 0; i < plan.segments; ++i) {
        const uint16_t start = tw.rpm_tokens.values[i], end = tw.rpm_tokens.values[i + 1];
        for (uint32_t j = 0; j < plan.frames_per_segment; ++j) {
            const uint32_t n = i * plan.frames_per_segment + j;
            const uint16_t rpm = frame_rpm(start, end, j, plan.frames_per_segment);
            const double position = frame_position(n, plan.total_frames);
            const uint16_t cam_pos =
                cam_position_units(Trigwave::lookup_and_weight(&tw.cam_pos_tokens, position));
            const uint16_t angle = advance_angle(&accumulator, rpm);
            const double relative = sweep_factor(Trigwave::lookup_and_weight(&tw.fading_tokens, position));
            const double amplitude =
                sweep_factor(Trigwave::lookup_and_weight(&tw.amplitude_tokens, position));
            put(tw.primary_trigger_sample(angle, amplitude, relative));
            put(tw.cam_trigger_sample(angle, cam_pos, amplitude));
        }
    }
    return bytes;
}

std::vector<unsigned char> rendered_frames(const Trigwave& tw) {
    const render_plan plan = make_render_plan(tw.rpm_tokens.count, tw.length_sec);
    FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return {};
    frame_renderer frames(tw, plan, file);
    for (uint32_t i = 0; i < plan.segments; ++i)
        EXPECT_TRUE(frames.render_segment(i, tw.rpm_tokens.values[i], tw.rpm_tokens.values[i + 1]));
    EXPECT_TRUE(frames.drain());
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::ftell(file)));
    std::rewind(file);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
    return bytes;
}

void expect_same_frames(const Trigwave& tw, const std::string& label) {
    const std::vector<unsigned char> expected = plain_frames(tw);
    const std::vector<unsigned char> got = rendered_frames(tw);
    ASSERT_EQ(got.size(), expected.size()) << label;
    for (std::size_t k = 0; k < got.size(); ++k)
        ASSERT_EQ(got[k], expected[k]) << label << "first difference in frame " << k / 4;
}

void expect_same_frames(std::vector<std::string> args) {
    std::string label;
    for (std::size_t k = 1; k < args.size(); ++k) label += args[k] + " ";
    Trigwave tw;
    arg_vector argv(std::move(args));
    stderr_of([&] { ASSERT_EQ(tw.process_param(argv.argc(), argv.argv()), 0) << label; });
    expect_same_frames(tw, label);
}

TEST(FrameRenderer, MatchesThePlainFramesForEveryType) {
    const char* types[] = {"c040", "C080", "c270", "m582", "M582", "m351", "M351", "f000",
                           "F000", "f010", "e324", "E324", "s060", "S060", "x000", "X999"};
    for (const char* type : types) {
        expect_same_frames({"trigwave", type, "180-1740", "1", "15-30", "100-1000", "1000-900"});
        expect_same_frames({"trigwave", type, "3000-140-6000", "1", "700-0", "1500", "2000"});
        expect_same_frames({"trigwave", type, "1000", "1", "15", "1000-1000", "900-900"});
    }
}

TEST(FrameRenderer, MatchesThePlainFramesForEdgeSweeps) {
    const std::vector<std::vector<std::string>> cases = {
        {"trigwave", "m582", "0-65535-0", "1", "15", "1000", "900"},    // jumps past 32767
        {"trigwave", "m582", "65535-0-40000-1", "1", "0-1441", "0-5000", "5000-0"},
        {"trigwave", "m582", "1000", "0", "15", "1000", "1000"},        // no frames
        {"trigwave", "m582", "40-80-85-70", "1", "65535-0", "0-65535", "65535-0"},
        {"trigwave", "m582", "2000", "1", "720-721", "999-1000-1001", "1001-999"},
        {"trigwave", "m351", "0", "1", "715-720", "1000", "1000"},     // never turns
        {"trigwave", "f000", "2500", "1", "15", "100-1000", "1000"},    // every frame its own level
        {"trigwave", "s060", "2500", "1", "15-700", "100-1000-3000", "1000-10"},
    };
    for (const auto& args : cases) expect_same_frames(args);
}

TEST(FrameRenderer, MatchesThePlainFramesForFlatCamPositions) {
    // Equal cam points: the extended value can fall a hair below the point, so
    // the pulse edges must follow the exact per-frame position.
    for (const char* cam : {"15", "1", "720", "721", "0", "65535", "15-15-16-16", "360-360"}) {
        for (const char* rpm : {"1000", "6000", "97-7000"})
            expect_same_frames({"trigwave", "m582", rpm, "1", cam, "1000", "1000"});
    }
    // Cam point 5 is 455 units, but frame 8 (a tiny fraction into the part)
    // truncates to 454, and at these speeds its angle is exactly 454 (or 909,
    // the pulse's last unit): the pulse starts one frame early.
    for (const char* rpm : {"4074", "4080", "8156"})
        expect_same_frames({"trigwave", "m582", rpm, "1", "5", "1000", "1000"});
}

TEST(FrameRenderer, MatchesThePlainFramesForAWheelFile) {
    // Uneven teeth, one across the cycle's start, a full tooth, cam teeth across 720.
    const wheel_file wheel = parse_wheel_file(
        "orix-wheel 1\nname w\ncycle 720\ncrank tooth 710 10 full\ncrank tooth 100.25 140\n"
        "crank slots 24 missing 0 1 2 3 4 5 6 7 8 9 10 11 12 23\ncam tooth 700 20\ncam tooth 300 300.5\n");
    const std::vector<std::vector<std::string>> sweeps = {
        {"180-1740", "1", "15-30", "100-1000", "1000-900"},
        {"6000", "1", "15", "1000", "500"},        // a flat cam position
        {"97-7000", "1", "720-0", "1500", "2000"},
    };
    for (bool reversed : {false, true}) {
        for (std::vector<std::string> args : sweeps) {
            std::string label = reversed ? "reversed " : "";
            for (const std::string& a : args) label += a + " ";
            args.insert(args.begin(), "trigwave");
            Trigwave tw;
            arg_vector argv(std::move(args));
            stderr_of([&] {
                ASSERT_EQ(tw.process_wheel_param("w", std::make_unique<wheel_sampler>(wheel), reversed,
                                                 argv.argc(), argv.argv()), 0) << label;
            });
            expect_same_frames(tw, label);
        }
    }
}

std::string random_sweep(std::mt19937& rng, uint32_t max_value, uint32_t max_points) {
    const uint32_t choices[] = {1, 1, 2, 2, 3, 5, static_cast<uint32_t>(1 + rng() % max_points)};
    const uint32_t points = choices[rng() % 7];
    std::string s;
    for (uint32_t k = 0; k < points; ++k)
        s += (k ? "-" : "") + std::to_string(rng() % (max_value + 1));
    return s;
}

TEST(FrameRenderer, MatchesThePlainFramesForRandomArguments) {
    std::mt19937 rng(12);
    const char* types[] = {"c040", "C080", "c270", "m582", "M582", "m351", "M351",
                           "f000", "F010", "e324", "E324", "s060", "S060", "q999"};
    const uint32_t rpm_max[] = {200, 9000, 65535}, cam_max[] = {720, 2000, 65535},
                   level_max[] = {1000, 1200, 65535};
    for (int k = 0; k < 30; ++k) {
        expect_same_frames({"trigwave", types[rng() % 14], random_sweep(rng, rpm_max[rng() % 3], 30),
                            std::to_string(rng() % 2), random_sweep(rng, cam_max[rng() % 3], 20),
                            random_sweep(rng, level_max[rng() % 3], 20),
                            random_sweep(rng, level_max[rng() % 3], 20)});
    }
}

TEST(SampleWriter, ReportsAStreamThatRefusesTheData) {
    FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full here";
    std::setvbuf(full, nullptr, _IONBF, 0);
    sample_writer writer(full);
    bool failed = false;
    long puts = 0;
    // The first put that needs the buffer passed on fails; none before it does.
    for (; puts < 1000000 && !failed; ++puts) failed = !writer.put(static_cast<int16_t>(puts));
    std::fclose(full);
    EXPECT_TRUE(failed);
    EXPECT_GT(puts, 1);
}

TEST(SampleWriter, WritesLittleEndianSamplesInOrder) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        sample_writer writer(file);
        for (int k = 0; k < 100000; ++k) ASSERT_TRUE(writer.put(static_cast<int16_t>(k * 7 - 32768)));
        ASSERT_TRUE(writer.drain());
    }
    std::rewind(file);
    for (int k = 0; k < 100000; ++k) {
        const int lo = std::fgetc(file), hi = std::fgetc(file);
        ASSERT_EQ(static_cast<int16_t>(lo | hi << 8), static_cast<int16_t>(k * 7 - 32768)) << k;
    }
    EXPECT_EQ(std::fgetc(file), EOF);
    std::fclose(file);
}

}  // namespace
