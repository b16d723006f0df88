#include "angle_stepper.h"

#include <cmath>

bool extended_sums_have_64_bits() {
    volatile long double one = 1.0L;
    volatile long double tiny = 0x1p-63L;
    return one + tiny != one;
}

angle_stepper::angle_stepper(double accumulator) : slow_accumulator_(accumulator) {}

double angle_stepper::accumulator() const {
    return fast_ ? std::ldexp(static_cast<double>(a_), exponent_ - 52) : slow_accumulator_;
}

void angle_stepper::set_step(long double step) {
    if (step == step_) return;
    slow_accumulator_ = accumulator();
    step_ = step;
    renormalize();
}

uint16_t angle_stepper::slow_next() {
    slow_accumulator_ = accumulator();
    fast_ = false;
    const uint16_t angle = advance_angle_by(&slow_accumulator_, step_);
    renormalize();
    return angle;
}

void angle_stepper::renormalize() {
    static const bool exact = extended_sums_have_64_bits();
    if (fast_) slow_accumulator_ = accumulator();
    fast_ = false;
    const double acc = slow_accumulator_;
    // Below 1 the angle's shift would pass 63; those are the first frames only.
    if (!exact || !(acc >= 1.0) || !(acc < 0x1p52)) return;
    int exponent = 0;
    const double mantissa = std::frexp(acc, &exponent);  // acc = mantissa x 2^exponent
    exponent -= 1;
    const long double scaled = std::ldexp(step_, 63 - exponent);
    if (!(scaled >= 0.0L && scaled < 0x1p63L)) return;
    const uint64_t s = static_cast<uint64_t>(std::nearbyint(scaled));
    a_ = static_cast<uint64_t>(std::ldexp(mantissa, 53));
    exponent_ = exponent;
    s_ = s;
    a_limit_ = (~uint64_t{0} - s) >> 11;
    whole_ = (s >> 11) + ((s & 2047u) > 1024u ? 1u : 0u);
    tie_ = (s & 2047u) == 1024u;
    shift_ = 63 - exponent;
    fast_ = true;
}
