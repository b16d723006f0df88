#include "wheel_tables.h"

namespace {

uint8_t slot_of(int16_t sample) {
    switch (sample) {
    case 32767: return slot_full_high;
    case -32767: return slot_full_low;
    case 16383: return slot_tooth_high;
    case -16383: return slot_tooth_low;
    case 8531: return slot_other_high;
    default: return slot_other_low;
    }
}

}  // namespace

wheel_tables make_wheel_tables(const Trigwave& tw) {
    constexpr uint32_t angles = 65536;
    wheel_tables t;
    t.ramps = tw.trigger_type == 'f';
    if (t.ramps)
        t.ramp_level.resize(angles);
    else
        t.crank_slot.resize(angles);
    if (tw.trigger_type == 's') t.cam_high.resize(angles);
    for (uint32_t a = 0; a < angles; ++a) {
        const uint16_t angle = static_cast<uint16_t>(a);
        if (t.ramps)
            t.ramp_level[a] = tw.primary_trigger_sample(angle, 1.0, 1.0);
        else
            t.crank_slot[a] = slot_of(tw.primary_trigger_sample(angle, 1.0, 0.5));
        if (!t.cam_high.empty()) t.cam_high[a] = tw.cam_trigger_sample(angle, 0, 1.0) > 0;
    }
    return t;
}
