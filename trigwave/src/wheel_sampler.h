// A wheel file drawn as trigwave draws its own types: the crank's and the cam's state at
// each of the 65536 cycle angles, worked out once, so a frame costs two lookups.
#pragma once

#include <cstdint>
#include <vector>

#include "wheel_file.h"

class wheel_sampler {
public:
    explicit wheel_sampler(const wheel_file& wheel);

    // The crank before the amplitude: +-32767 on a full-level tooth and the low stretch
    // before it, scaled by the relative factor elsewhere.
    int16_t crank(uint16_t angle, double relative) const;
    // The cam, its teeth moved on by the cam position (0: the angles as written), at the
    // amplitude; without cam teeth, low.
    int16_t cam(uint16_t angle, uint16_t cam_position, double amplitude) const;

    // The cam by cycle angle at cam position 0, nonzero on a tooth: the renderer looks up the
    // angle less the cam position here.
    const uint8_t* cam_table() const { return cam_.data(); }

    // Cycle units (65536 per 720 degrees) of thousandths of a degree, rounded.
    static uint16_t units(int32_t millidegrees);

private:
    enum : uint8_t { high_bit = 1, full_bit = 2 };
    std::vector<uint8_t> crank_, cam_;
};
