// Feeds arbitrary text to the VCD reader, whole and in pieces of a size the first byte
// chooses: both must give the same edges, or fail alike; then scans what was read.
#include <cstddef>
#include <cstdint>

#include "scan_check.h"
#include "vcd_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    check_text_reader(bytes, size, [] { return vcd_parser(channel_wish{}); });
    return 0;
}
