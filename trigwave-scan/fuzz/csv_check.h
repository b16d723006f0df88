// What the two comma-separated readers' harnesses share: arbitrary text read whole and in
// pieces of a size the first byte chooses must give the same edges or fail alike; what
// was read is then scanned.
#pragma once

#include <cstddef>
#include <cstdint>

#include "csv_layout.h"

void check_csv_reader(const uint8_t* bytes, std::size_t size, csv_format format);
