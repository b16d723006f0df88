#include "csv_check.h"

#include <vector>

#include "csv_parser.h"
#include "edge_source.h"
#include "fuzz_check.h"
#include "scan_check.h"

namespace {

struct reading {
    bool failed = false;
    std::vector<edge> crank, cam;
    double end = 0;
};

reading read(const char* data, std::size_t size, std::size_t piece, csv_format format, input_choice input) {
    reading r;
    csv_parser parser(format, channel_wish{}, input);
    r.failed = read_in_pieces(parser, data, size, piece, r.crank, r.cam);
    // the last row's time, back from seconds: a rounding's worth over
    r.end = parser.seconds() * csv_parser::rate * (1 + 1e-12);
    return r;
}

}  // namespace

void check_csv_reader(const uint8_t* bytes, std::size_t size, csv_format format) {
    if (size < 1) return;
    const std::size_t piece = 1 + bytes[0] % 64;
    const auto input = static_cast<input_choice>(bytes[0] / 64 % 3);
    const char* text = reinterpret_cast<const char*>(bytes + 1);
    const reading whole = read(text, size - 1, size, format, input), pieces = read(text, size - 1, piece, format, input);
    FUZZ_CHECK(whole.failed == pieces.failed);
    if (whole.failed) return;
    FUZZ_CHECK(same_edges(whole.crank, pieces.crank) && same_edges(whole.cam, pieces.cam));
    check_edges(whole.crank, whole.end);
    check_edges(whole.cam, whole.end);
    check_scan(whole.crank, whole.cam, csv_parser::rate);
}
