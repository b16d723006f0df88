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

// Position of frame n in the file, 0 <= position < 1.
double frame_position(uint32_t n, uint32_t total_frames);

// Cam position in angle units from the interpolated sectrig position in degrees.
uint16_t cam_position_units(long double degrees);

// Advances the angle accumulator by one frame at the given RPM and returns the
// new cycle angle.
uint16_t advance_angle(double* accumulator, uint16_t rpm);

// An amplitude-style sweep value (per mille) as a factor (1.0 = full scale).
double sweep_factor(long double per_mille);

// A level multiplied by a factor, truncated toward zero and held to +-32767.
int16_t scale_level(int level, double factor);
