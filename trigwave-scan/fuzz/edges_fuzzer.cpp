// Arbitrary bytes as a stereo recording of 16-bit samples, through the edge finders (hall
// on the first channel, VR on the second) whole and split where the first two bytes say:
// the edges must not depend on where a read ends. Then the scan of those edges.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "edge_finder.h"
#include "fuzz_check.h"
#include "scan_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    const std::size_t frames = size < 2 ? 0 : (size - 2) / 4;
    if (frames == 0) return 0;
    std::vector<float> samples(2 * frames);
    for (std::size_t i = 0; i < 2 * frames; ++i) {
        const auto v = static_cast<int16_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
        samples[i] = static_cast<float>(v) / 32768.0f;
    }
    const std::size_t split = (bytes[0] | (bytes[1] << 8)) % (frames + 1);
    std::vector<edge> crank, cam, crank2, cam2;
    edge_finder c(input_kind::hall), m(input_kind::vr), c2(input_kind::hall), m2(input_kind::vr);
    c.feed(samples.data(), frames, 2, crank);
    m.feed(samples.data() + 1, frames, 2, cam);
    c2.feed(samples.data(), split, 2, crank2);
    c2.feed(samples.data() + 2 * split, frames - split, 2, crank2);
    m2.feed(samples.data() + 1, split, 2, cam2);
    m2.feed(samples.data() + 2 * split + 1, frames - split, 2, cam2);
    FUZZ_CHECK(same_edges(crank, crank2));
    FUZZ_CHECK(same_edges(cam, cam2));
    check_edges(crank, static_cast<double>(frames));
    check_edges(cam, static_cast<double>(frames));
    check_scan(crank, cam, 44100.0);
    return 0;
}
