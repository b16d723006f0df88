// One edge of a digital view of a trigger signal.
#pragma once

#include <cstdint>

enum class channel : uint8_t { crank, cam };

struct edge {
    double at = 0;          // in ticks (samples, or a capture's time units) from the start
    bool rising = false;
    float sharpness = 1;    // the step across the edge's last sample, relative to the swing
};

// An edge of either channel, for streams that carry both in time order.
struct channel_edge {
    channel ch = channel::crank;
    edge e;
};
