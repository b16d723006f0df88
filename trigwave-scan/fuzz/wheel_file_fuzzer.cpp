// Any text the wheel-file parser takes, as the scan knows it: converted to a library wheel
// and to a given one (--wheel), then scanned against the edges trigwave's own sampler draws
// from it (the crank upside down for inputs of odd length), with the wheel measured on the
// way: every row and anomaly in range, and a wheel measured is written as a file the parser
// reads back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "library_wheels.h"
#include "scan_check.h"
#include "wheel_file.h"
#include "wheel_sampler.h"
#include "wheel_writer.h"

namespace {

// A few cycles of the wheel, sampled every 4 of the 65536 angles of a cycle: a tick each.
void draw(const wheel_file& w, bool reversed, std::vector<edge>& crank, std::vector<edge>& cam) {
    const wheel_sampler s(w);
    constexpr long step = 4, cycles = 6;
    int crank_was = -1, cam_was = -1;
    for (long i = 0; i < 65536 * cycles; i += step) {
        const auto a = static_cast<uint16_t>(i % 65536);
        const int c = (s.crank(a, 0.5) > 0) != reversed ? 1 : 0;
        const int m = s.cam(a, 0, 1.0) > 0 ? 1 : 0;
        const double at = static_cast<double>(i / step);
        if (crank_was >= 0 && c != crank_was) crank.push_back({at, c == 1, 1});
        if (cam_was >= 0 && m != cam_was) cam.push_back({at, m == 1, 1});
        crank_was = c;
        cam_was = m;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    wheel_file w;
    try {
        w = parse_wheel_file(text);
    } catch (const wheel_file_error&) {
        return 0;
    }
    const known_wheel k = known_from_file(w);
    FUZZ_CHECK(k.library && k.names.size() == 1 && !k.teeth.empty());
    FUZZ_CHECK(k.periods_per_cycle >= 1);
    for (double s : k.teeth) FUZZ_CHECK(s > 0);
    // the same wheel as a VR sensor times it, at its teeth's centres
    const known_wheel centres = known_from_file(w, true);
    FUZZ_CHECK(centres.periods_per_cycle >= 1 && !centres.teeth.empty());
    for (double s : centres.teeth) FUZZ_CHECK(s > 0);
    // what the writer makes of the parsed wheel reads back as it
    const wheel_file back = parse_wheel_file(wheel_file_text(w));
    FUZZ_CHECK(back.crank.size() == w.crank.size() && back.cam.size() == w.cam.size() && back.cycle == w.cycle);
    std::vector<edge> crank, cam;
    draw(w, size % 2 == 1, crank, cam);
    const std::vector<known_wheel> library = library_wheels({w});
    const std::vector<known_wheel> library_vr = library_wheels({w}, true);
    check_scan(crank, cam, 16384.0, {library, false, library_vr});
    check_scan(crank, cam, 16384.0, {library, true, library_vr});
    return 0;
}
