// A failed check in a harness: print what differed and abort, so libFuzzer keeps the input.
#pragma once

#include <stdio.h>

#include <cstdlib>

[[noreturn]] inline void fuzz_fail(const char* what, const char* file, int line) {
    // The program's stderr stream is silenced in the harnesses; descriptor 2 is not.
    dprintf(2, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(cond) \
    do { \
        if (!(cond)) fuzz_fail(#cond, __FILE__, __LINE__); \
    } while (0)
