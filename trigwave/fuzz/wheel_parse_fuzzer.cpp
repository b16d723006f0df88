// Reads arbitrary text as a wheel file. What the parser refuses it refuses with a line
// inside the text; what it accepts holds the format's promises, checked here afresh: a
// crank tooth or more, every angle inside its cycle, teeth by rise that neither overlap
// nor touch, and a drawing whose crank and cam are high exactly on those teeth.
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "wheel_file.h"
#include "wheel_sampler.h"

namespace {

// The teeth by rise, each ending before the next begins, the last before the first a
// cycle on.
void check_teeth(const std::vector<wheel_tooth>& teeth, int32_t cycle) {
    for (std::size_t i = 0; i < teeth.size(); ++i) {
        const wheel_tooth& t = teeth[i];
        FUZZ_CHECK(t.rise >= 0 && t.rise < cycle && t.fall >= 0 && t.fall < cycle && t.rise != t.fall);
        if (i > 0) FUZZ_CHECK(teeth[i - 1].rise < t.rise);
        const int64_t end = t.fall > t.rise ? t.fall : int64_t{t.fall} + cycle;
        const int64_t next = i + 1 < teeth.size() ? teeth[i + 1].rise : int64_t{teeth[0].rise} + cycle;
        if (teeth.size() > 1) FUZZ_CHECK(end < next);
    }
}

// A tooth's middle, in the drawing's units: high there (when the tooth spans a unit).
void check_drawn(const wheel_file& w, const wheel_sampler& drawing) {
    const auto middle = [](const wheel_tooth& t, int32_t cycle) {
        const int64_t end = t.fall > t.rise ? t.fall : int64_t{t.fall} + cycle;
        return static_cast<int32_t>((t.rise + end) / 2 % cycle);
    };
    for (const wheel_tooth& t : w.crank) {
        const int64_t width = (int64_t{t.fall} - t.rise + w.cycle * 1000) % (w.cycle * 1000);
        if (width < 50) continue;  // narrower than a few units: rounding may take it
        const uint16_t at = wheel_sampler::units(middle(t, w.cycle * 1000));
        FUZZ_CHECK(drawing.crank(at, 0.5) > 0);
    }
    for (const wheel_tooth& t : w.cam) {
        const int64_t width = (int64_t{t.fall} - t.rise + 720000) % 720000;
        if (width < 50) continue;
        FUZZ_CHECK(drawing.cam(wheel_sampler::units(middle(t, 720000)), 0, 1.0) > 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    wheel_file w;
    try {
        w = parse_wheel_file(text);
    } catch (const wheel_file_error& e) {
        // the line named lies in the text: no more lines than its newlines and one
        std::size_t lines = 1;
        for (char c : text) lines += c == '\n';
        FUZZ_CHECK(e.line >= 0 && static_cast<std::size_t>(e.line) <= lines);
        FUZZ_CHECK(std::strlen(e.what()) > 0);
        return 0;
    }
    FUZZ_CHECK(!w.crank.empty() && w.crank.size() + w.cam.size() <= 1000);
    FUZZ_CHECK(w.cycle == 360 || w.cycle == 720);
    check_teeth(w.crank, w.cycle * 1000);
    if (!w.cam.empty()) check_teeth(w.cam, 720000);
    check_drawn(w, wheel_sampler(w));
    return 0;
}
