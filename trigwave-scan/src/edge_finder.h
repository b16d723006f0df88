// Turns a sampled trigger signal into edges the way a controller's input stage does:
// a comparator whose threshold sits midway between the recent peaks, with hysteresis
// of a quarter of their half-swing. The peaks follow the signal up at once and relax
// toward it slowly, so a sound card's AC-coupling droop between edges, its gain and its
// offset move the threshold with the signal instead of making or hiding edges.
#pragma once

#include <cstddef>
#include <vector>

#include "edge.h"

class edge_finder {
public:
    explicit edge_finder(double rate);

    // Appends the edges among count samples, taken every stride floats from samples.
    // Positions continue from the previous call.
    void feed(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out);

private:
    float relax_;                 // per-sample pull of the peaks toward the signal
    float high_peak_ = 0, low_peak_ = 0;
    float previous_ = 0;
    int state_ = 0;               // -1 low, +1 high, 0 not known yet
    bool started_ = false;
    double position_ = 0;
};
