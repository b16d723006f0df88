// Feeds arbitrary text to the VCD reader, whole and in pieces of a size the first byte
// chooses: both must give the same edges, or fail alike; then scans what was read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "edge_source.h"
#include "fuzz_check.h"
#include "scan_check.h"
#include "vcd_parser.h"

namespace {

struct reading {
    bool failed = false;
    std::vector<edge> crank, cam;
    double rate = 0, end = 0;
};

reading read(const char* data, std::size_t size, std::size_t piece) {
    reading r;
    vcd_parser parser("", "", true);
    r.failed = read_in_pieces(parser, data, size, piece, r.crank, r.cam);
    r.rate = parser.rate();
    // the last time read, back from seconds: a rounding's worth over
    r.end = parser.header_done() ? parser.seconds() * parser.rate() * (1 + 1e-12) : 0;
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = 1 + bytes[0] % 64;
    const char* text = reinterpret_cast<const char*>(bytes + 1);
    const reading whole = read(text, size - 1, size), pieces = read(text, size - 1, piece);
    FUZZ_CHECK(whole.failed == pieces.failed);
    FUZZ_CHECK(same_edges(whole.crank, pieces.crank) && same_edges(whole.cam, pieces.cam));
    if (whole.failed) return 0;
    FUZZ_CHECK(whole.rate > 0);
    check_edges(whole.crank, whole.end);
    check_edges(whole.cam, whole.end);
    check_scan(whole.crank, whole.cam, whole.rate);
    return 0;
}
