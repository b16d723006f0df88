// The effects' random numbers: a xoshiro256** stream seeded through splitmix64, and normal
// deviates made from it by the polar method on the project's own logarithm and square root.
// A stream is named by the seed and what it is for, so adding noise leaves the jitter of the
// same seed as it was.
#pragma once

#include <cstdint>

class random_source {
public:
    random_source(uint64_t seed, uint64_t purpose);

    uint64_t next();
    // Uniform in [0, 1), 53 bits.
    double uniform();
    // Standard normal.
    double gaussian();

private:
    uint64_t s_[4];
    double spare_ = 0;
    bool has_spare_ = false;
};
