#include "wheel_sampler.h"

#include "frame_math.h"

namespace {

constexpr uint32_t cycle_units = 65536;

// Marks [from, to) of a period of the table (wrapping within it) with bits, in every period.
void mark(std::vector<uint8_t>& table, uint32_t period, uint32_t from, uint32_t to, uint8_t bits) {
    const uint32_t length = to == period ? period : (to + period - from) % period;
    for (uint32_t start = 0; start < table.size(); start += period)
        for (uint32_t i = 0; i < length; ++i) table[start + (from + i) % period] |= bits;
}

}  // namespace

uint16_t wheel_sampler::units(int32_t millidegrees) {
    return static_cast<uint16_t>((static_cast<int64_t>(millidegrees) * cycle_units + 360000) / 720000 % cycle_units);
}

wheel_sampler::wheel_sampler(const wheel_file& wheel) : crank_(cycle_units, 0), cam_(cycle_units, 0) {
    const uint32_t period = wheel.cycle == 360 ? cycle_units / 2 : cycle_units;
    const std::vector<wheel_tooth>& teeth = wheel.crank;
    for (std::size_t i = 0; i < teeth.size(); ++i) {
        const uint32_t rise = units(teeth[i].rise) % period, fall = units(teeth[i].fall) % period;
        mark(crank_, period, rise, fall, high_bit);
        // a full tooth's level holds from the tooth before it (the whole cycle, if it is alone)
        const uint32_t before = units(teeth[(i + teeth.size() - 1) % teeth.size()].fall) % period;
        if (teeth[i].full && teeth.size() == 1) mark(crank_, period, 0, period, full_bit);
        else if (teeth[i].full) mark(crank_, period, before, fall, full_bit);
    }
    for (const wheel_tooth& t : wheel.cam) mark(cam_, cycle_units, units(t.rise), units(t.fall), high_bit);
}

int16_t wheel_sampler::crank(uint16_t angle, double relative) const {
    const uint8_t state = crank_[angle];
    const int level = state & high_bit ? 32767 : -32767;
    return state & full_bit ? static_cast<int16_t>(level) : scale_level(level, relative);
}

int16_t wheel_sampler::cam(uint16_t angle, uint16_t cam_position, double amplitude) const {
    const uint8_t state = cam_[static_cast<uint16_t>(angle - cam_position)];
    return scale_level(state & high_bit ? 32767 : -32767, amplitude);
}
