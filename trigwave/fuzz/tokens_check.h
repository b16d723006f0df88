// Compares a parsed sweep table with the independent reading of the same argument.
#pragma once

#include "fuzz_check.h"
#include "reference_params.h"
#include "trigwave.h"

inline void check_table(const tokens_t& table, const reference_sweep& expected) {
    const std::size_t n = expected.points.size();
    FUZZ_CHECK(n >= 1 && n <= 999);
    FUZZ_CHECK(table.count == (n == 1 ? 2 : n));
    for (std::size_t i = 0; i < n; ++i) FUZZ_CHECK(table.values[i] == expected.points[i]);
    // The slot after the points repeats the last one, so the end of the file reads a real point.
    FUZZ_CHECK(table.values[n] == expected.points[n - 1]);
}
