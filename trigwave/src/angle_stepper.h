// The angle accumulator of the render loop, advanced frame by frame exactly as
// advance_angle_by does, but in integer arithmetic while that is exact.
//
// Let the accumulator be A x 2^(e-52) with 2^52 <= A < 2^53 (a double in
// [2^e, 2^(e+1))), and let the sum accumulator + step stay below 2^(e+1). Then
// the extended sum lies on the grid 2^(e-63): it is (A x 2^11 + S) x 2^(e-63),
// where S is step x 2^(63-e) rounded to the nearest whole number, ties to even
// (A x 2^11 is even, so the tie goes the same way as in the sum). Rounding that
// to a double adds S / 2^11 rounded to nearest, a tie going to the even
// result, to A; and the cycle angle is the sum's integer part,
// (A x 2^11 + S) >> (63 - e). So one S serves every frame of a run at one
// speed until the accumulator reaches the next power of two.
#pragma once

#include <cstdint>

#include "frame_math.h"

class angle_stepper {
public:
    explicit angle_stepper(double accumulator = 0.0);

    // The per-frame step (angle_step of the run's RPM).
    void set_step(long double step);

    // Advances by one frame and returns the cycle angle.
    uint16_t next() {
        if (fast_ && a_ <= a_limit_) {
            const uint64_t sum = (a_ << 11) + s_;
            a_ += whole_;
            if (tie_) a_ += a_ & 1u;
            if (a_ == two_53) renormalize();
            return static_cast<uint16_t>((sum >> shift_) & 0xFFFFu);
        }
        return slow_next();
    }

    double accumulator() const;

private:
    static constexpr uint64_t two_53 = uint64_t{1} << 53;

    uint16_t slow_next();
    void renormalize();  // takes the accumulator's current binade and sets up S

    long double step_ = 0.0L;
    double slow_accumulator_;  // the accumulator while not fast
    bool fast_ = false;
    // While fast: accumulator = a_ x 2^(exponent_ - 52).
    uint64_t a_ = 0;
    int exponent_ = 0;
    uint64_t s_ = 0;        // the step on the sum's grid
    uint64_t a_limit_ = 0;  // largest a_ whose sum stays below 2^(exponent_ + 1)
    uint64_t whole_ = 0;    // S / 2^11 rounded, a tie rounded down
    bool tie_ = false;      // S / 2^11 ends in exactly one half
    int shift_ = 0;         // 63 - exponent_
};

// Whether long double sums here are rounded to a 64-bit significand (the x87
// precision control), which the integer arithmetic above assumes.
bool extended_sums_have_64_bits();
