#include "frame_math.h"

render_plan make_render_plan(uint16_t rpm_count, int32_t length_sec) {
    render_plan plan{};
    plan.segments = rpm_count > 1 ? rpm_count - 1u : 1u;
    const uint32_t frames = static_cast<uint32_t>(length_sec) * sample_rate;
    plan.frames_per_segment = frames / plan.segments;
    plan.total_frames = plan.frames_per_segment * plan.segments;
    return plan;
}

uint16_t frame_rpm(uint16_t start, uint16_t end, uint32_t j, uint32_t frames_per_segment) {
    // Wide difference: a jump of more than 32767 RPM is still followed.
    const int64_t delta = static_cast<int64_t>(end) - static_cast<int64_t>(start);
    const long double step = static_cast<long double>(j) * static_cast<long double>(delta) /
                             static_cast<long double>(frames_per_segment);
    // |step| < 2^16: the conversion truncates toward zero as std::trunc would, without
    // a library call per frame.
    const int64_t rpm = static_cast<int64_t>(start) + static_cast<int64_t>(step);
    return static_cast<uint16_t>(static_cast<uint64_t>(rpm) & 0xFFFFu);
}

uint16_t frame_rpm_exact(uint16_t start, uint16_t end, uint32_t j, uint32_t frames_per_segment) {
    const int64_t delta = static_cast<int64_t>(end) - static_cast<int64_t>(start);
    // C++ integer division truncates toward zero, as the extended path does.
    const int64_t rpm = static_cast<int64_t>(start) + static_cast<int64_t>(j) * delta / frames_per_segment;
    return static_cast<uint16_t>(static_cast<uint64_t>(rpm) & 0xFFFFu);
}

uint32_t rpm_run_end(uint16_t start, uint16_t end, uint32_t j, uint32_t frames_per_segment) {
    const uint64_t span = end > start ? end - start : start - end;
    if (span == 0) return frames_per_segment;
    // |quotient| = floor(j x span / frames) grows by one at the first frame j'
    // with j' x span >= (q + 1) x frames.
    const uint64_t q = static_cast<uint64_t>(j) * span / frames_per_segment;
    const uint64_t next = ((q + 1) * frames_per_segment + span - 1) / span;
    return next < frames_per_segment ? static_cast<uint32_t>(next) : frames_per_segment;
}

double frame_position(uint32_t n, uint32_t total_frames) {
    return static_cast<double>(static_cast<long double>(n) / total_frames);
}

uint16_t cam_position_units(long double degrees) {
    // The conversion truncates: a value above -1 truncates to 0 or more, and one below
    // 1e18 (a whole number) to less than it. NaN fails both tests.
    const long double units = degrees * 91.0L;
    if (!(units > -1 && units < 1e18L)) return 0;
    return static_cast<uint16_t>(static_cast<uint64_t>(units) & 0xFFFFu);
}

uint16_t advance_angle(double* accumulator, uint16_t rpm) {
    const long double sum =
        static_cast<long double>(*accumulator) + static_cast<long double>(rpm) * 546.13L / 44100;
    *accumulator = static_cast<double>(sum);
    return static_cast<uint16_t>(static_cast<uint64_t>(sum) & 0xFFFFu);
}

long double angle_step(uint16_t rpm) { return static_cast<long double>(rpm) * 546.13L / 44100; }

double sweep_factor(long double per_mille) {
    return static_cast<double>(static_cast<long double>(static_cast<double>(per_mille)) / 1000.0L);
}

int16_t scale_level(int level, double factor) {
    // Held first, then truncated toward zero: a product from 32767 to 32768 truncates
    // to 32767 anyway. NaN gives 0. The truncation goes by magnitude, without
    // switching the x87 rounding mode (the wheel tables call this 131072 times).
    const long double product = static_cast<long double>(level) * factor;
    if (!(product == product)) return 0;
    if (product >= 32767) return 32767;
    if (product <= -32767) return -32767;
    if (product < 0) return static_cast<int16_t>(-trunc_nonnegative(-product));
    return static_cast<int16_t>(trunc_nonnegative(product));
}
