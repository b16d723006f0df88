// The few functions the effects need beyond + - * /, written here on those alone: the C
// library's versions round differently from one system to another, and a seed must give
// the same file, byte for byte, on Linux and on Windows.
#pragma once

#include <cstdint>

// sin(2 pi x): one turn is 1.
double sine_turns(double turns);
// The natural logarithm of x > 0.
double natural_log(double x);
// e^x for |x| < 700.
double exponential(double x);
// The square root of x >= 0.
double square_root(double x);
// x rounded to the nearest whole number, halves away from zero (|x| < 2^62).
int64_t round_to_int(double x);
