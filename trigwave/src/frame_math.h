// Per-frame arithmetic of the renderer, as small pure functions. Every step is
// done in x87 extended precision (long double) except where a value is
// explicitly rounded to double, so the samples are reproducible to the bit.
#pragma once

#include <cstdint>
#include <limits>

static_assert(std::numeric_limits<long double>::digits == 64,
              "trigwave needs long double to be the 80-bit x87 extended format");

constexpr uint32_t sample_rate = 44100;

// How the file's frames are shared among the RPM segments.
struct render_plan {
    uint32_t segments;
    uint32_t frames_per_segment;
    uint32_t total_frames;
};

render_plan make_render_plan(uint16_t rpm_count, int32_t length_sec);

// Engine speed at frame j of a segment running from start to end.
uint16_t frame_rpm(uint16_t start, uint16_t end, uint32_t j, uint32_t frames_per_segment);

// The same speed in integer arithmetic. j x delta is below 2^48, so the
// extended product is exact; a quotient that is not a whole number lies at
// least 1/frames_per_segment (>= 2^-32) from the nearest whole number, while
// the extended rounding error of a quotient below 2^16 is under 2^-48, so the
// truncated extended quotient is the truncated integer quotient.
uint16_t frame_rpm_exact(uint16_t start, uint16_t end, uint32_t j, uint32_t frames_per_segment);

// The first frame after j whose speed differs from frame j's, or
// frames_per_segment when the speed holds to the end of the segment.
uint32_t rpm_run_end(uint16_t start, uint16_t end, uint32_t j, uint32_t frames_per_segment);

// Position of frame n in the file, 0 <= position < 1.
double frame_position(uint32_t n, uint32_t total_frames);

// Cam position in angle units from the interpolated sectrig position in degrees.
uint16_t cam_position_units(long double degrees);

// Advances the angle accumulator by one frame at the given RPM and returns the
// new cycle angle.
uint16_t advance_angle(double* accumulator, uint16_t rpm);

// The per-frame advance at one RPM, as advance_angle forms it: a run of frames
// at one speed shares it.
long double angle_step(uint16_t rpm);

// std::trunc for 0 <= v < 2^53, without switching the x87 rounding mode: below
// 2^53 every whole number is a double, so the double nearest to v has v's
// integer part unless it is a whole number just above v (a whole number between
// v and that double would be nearer to v).
inline int64_t trunc_nonnegative(long double v) {
    const double rounded = static_cast<double>(v);
    int64_t whole = static_cast<int64_t>(rounded);
    if (static_cast<double>(whole) == rounded && static_cast<long double>(rounded) > v) --whole;
    return whole;
}

// advance_angle with the step already formed. The accumulator stays a double
// between frames; only the sum is extended.
inline uint16_t advance_angle_by(double* accumulator, long double step) {
    const long double sum = static_cast<long double>(*accumulator) + step;
    *accumulator = static_cast<double>(sum);
    // The sum stays below 24347 s x 44100 x 811.6 units < 2^40.
    const int64_t whole = trunc_nonnegative(sum);
    return static_cast<uint16_t>(static_cast<uint64_t>(whole) & 0xFFFFu);
}

// An amplitude-style sweep value (per mille) as a factor (1.0 = full scale).
double sweep_factor(long double per_mille);

// A level multiplied by a factor, truncated toward zero and held to +-32767.
int16_t scale_level(int level, double factor);
