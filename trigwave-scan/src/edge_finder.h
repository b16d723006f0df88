// Turns a sampled trigger signal into edges the way a controller's input stage does:
// a comparator whose threshold sits midway between the last high peak and the last low
// peak, with hysteresis of a quarter of their half-swing. The peaks are those of the
// latest high and low stretches, so the threshold follows a sound card's gain, offset
// and AC-coupling drift within a tooth, and a droop toward zero between edges stays on
// its own side of the threshold.
#pragma once

#include <cstddef>
#include <vector>

#include "edge.h"

class edge_finder {
public:
    // Appends the edges among count samples, taken every stride floats from samples.
    // Positions continue from the previous call.
    void feed(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out);

private:
    float high_peak_ = 0, low_peak_ = 0;
    float previous_ = 0;
    int state_ = 0;               // -1 low, +1 high, 0 not known yet
    int turns_ = 0;               // changes of state so far, up to the settling ones
    bool started_ = false;
    bool above_ = false;          // the last sample lay above the middle
    double crossed_ = 0;          // where the signal last crossed the middle
    double position_ = 0;
};
