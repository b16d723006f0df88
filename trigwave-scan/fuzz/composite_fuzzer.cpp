// Feeds arbitrary text to the reader of a controller's composite log, as the VCD harness does; the
// first byte also chooses how a sampled column is compared.
#include <cstddef>
#include <cstdint>

#include "csv_parser.h"
#include "scan_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    const auto input = static_cast<input_choice>(size > 0 ? bytes[0] / 64 % 3 : 0);
    check_text_reader(bytes, size, [&] { return csv_parser(csv_format::composite, channel_wish{}, input); });
    return 0;
}
