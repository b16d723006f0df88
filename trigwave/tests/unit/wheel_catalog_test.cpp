#include "test_support.h"
#include "trigwave.h"
#include "wheel_catalog.h"

namespace {

// Cycle angles where the level moves up (or down) by more than half of full level: the
// square waves swing between -32767 and +32767 and the sawtooth drops from near 32767 to 0,
// while its ramps climb a few units at a time.
template <typename Level>
std::vector<uint32_t> moves(Level level, bool up) {
    std::vector<uint32_t> at;
    int previous = level(65535);
    for (uint32_t a = 0; a < 65536; ++a) {
        const int s = level(static_cast<uint16_t>(a));
        if ((up ? s - previous : previous - s) > 16383) at.push_back(a);
        previous = s;
    }
    return at;
}

// The listed angles of one period, repeated over the cycle.
std::vector<uint32_t> over_cycle(const std::vector<uint16_t>& at, bool per_cycle) {
    std::vector<uint32_t> out;
    for (uint32_t start = 0; start < 65536; start += per_cycle ? 65536 : 32768)
        for (uint16_t a : at) out.push_back(start + a);
    return out;
}

TEST(WheelTypes, EdgesAreWhereTheSamplersLevelsMove) {
    for (const wheel_type& t : wheel_types()) {
        Trigwave tw;
        arg_vector args({"trigwave", t.type, "1000", "1", "0", "1000", "1000"});
        int rc = -1;
        stderr_of([&] { rc = tw.process_param(args.argc(), args.argv()); });
        ASSERT_EQ(rc, 0) << t.type;
        const auto crank = [&](uint16_t a) { return tw.primary_trigger_sample(a, 1.0, 1.0); };
        const auto cam = [&](uint16_t a) { return tw.cam_trigger_sample(a, 0, 1.0); };
        EXPECT_EQ(moves(crank, t.rising_teeth), over_cycle(t.teeth, t.per_cycle)) << t.type;
        EXPECT_EQ(moves(cam, t.cam_pulse_high), over_cycle(t.cam_starts, true)) << t.type;
    }
}

}  // namespace
