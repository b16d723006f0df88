#include "shape_math.h"

#include <cstring>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double ln2 = 0.69314718055994530942;

// sin(y) for |y| <= pi/4, and cos(y): their Taylor series, which at that size are below
// 1e-17 after the terms kept.
double sin_small(double y) {
    const double y2 = y * y;
    double term = y, sum = y;
    for (int k = 1; k <= 11; ++k) {
        term = -term * y2 / ((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

double cos_small(double y) {
    const double y2 = y * y;
    double term = 1, sum = 1;
    for (int k = 1; k <= 11; ++k) {
        term = -term * y2 / ((2 * k - 1) * (2 * k));
        sum += term;
    }
    return sum;
}

}  // namespace

int64_t round_to_int(double x) {
    return x < 0 ? -static_cast<int64_t>(-x + 0.5) : static_cast<int64_t>(x + 0.5);
}

double sine_turns(double turns) {
    // Eighths of a turn: the nearest one's octant picks sin or cos, and the rest is at
    // most a sixteenth of a turn (pi/8 radians).
    const int64_t eighth = round_to_int(turns * 8);
    const double y = (turns - static_cast<double>(eighth) / 8) * (2 * pi);
    const double s = sin_small(y), c = cos_small(y);
    const double r = 0.70710678118654752440;  // sin and cos of an eighth of a turn
    switch (static_cast<int>(((eighth % 8) + 8) % 8)) {
    case 0: return s;
    case 1: return r * (s + c);
    case 2: return c;
    case 3: return r * (c - s);
    case 4: return -s;
    case 5: return -r * (s + c);
    case 6: return -c;
    default: return r * (s - c);
    }
}

double natural_log(double x) {
    // x = m 2^e with m in [sqrt(1/2), sqrt(2)); ln m = 2 atanh((m - 1) / (m + 1)), whose
    // series in z^2 <= 0.03 is done after 20 terms.
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    int e = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;
    double m;
    std::memcpy(&m, &bits, sizeof m);
    if (m > 1.41421356237309504880) {
        m /= 2;
        ++e;
    }
    const double z = (m - 1) / (m + 1), z2 = z * z;
    double term = z, sum = 0;
    for (int k = 0; k < 20; ++k) {
        sum += term / (2 * k + 1);
        term *= z2;
    }
    return 2 * sum + e * ln2;
}

double exponential(double x) {
    // e^x = 2^k e^r with |r| <= ln2 / 2; 2^k built in the exponent's bits.
    const int64_t k = round_to_int(x / ln2);
    const double r = x - static_cast<double>(k) * ln2;
    double term = 1, sum = 1;
    for (int n = 1; n <= 20; ++n) {
        term *= r / n;
        sum += term;
    }
    const uint64_t bits = static_cast<uint64_t>(k + 1023) << 52;
    double scale;
    std::memcpy(&scale, &bits, sizeof scale);
    return sum * scale;
}

double square_root(double x) {
    if (!(x > 0)) return 0;
    // Halving the exponent gives a start within a factor of 2; Newton's steps then double
    // the digits each time.
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits = (bits >> 1) + (0x3FF0000000000000ull >> 1);
    double y;
    std::memcpy(&y, &bits, sizeof y);
    for (int i = 0; i < 7; ++i) y = (y + x / y) / 2;
    return y;
}
