// Feeds arbitrary text to the reader of a controller's composite log.
#include <cstddef>
#include <cstdint>

#include "csv_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    check_csv_reader(bytes, size, csv_format::composite);
    return 0;
}
