#include "random_source.h"

#include "shape_math.h"

namespace {

uint64_t splitmix64(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

random_source::random_source(uint64_t seed, uint64_t purpose) {
    uint64_t x = seed ^ (purpose * 0xD1B54A32D192ED03ull);
    for (uint64_t& s : s_) s = splitmix64(x);
}

uint64_t random_source::next() {
    const uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

double random_source::uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

double random_source::gaussian() {
    if (has_spare_) {
        has_spare_ = false;
        return spare_;
    }
    double u, v, s;
    do {
        u = 2 * uniform() - 1;
        v = 2 * uniform() - 1;
        s = u * u + v * v;
    } while (s >= 1 || s == 0);
    const double f = square_root(-2 * natural_log(s) / s);
    spare_ = v * f;
    has_spare_ = true;
    return u * f;
}
