// Reads a leading decimal int the way "%d" does (optional white space, optional
// sign, digits, the rest ignored) but reports overflow instead of invoking
// undefined behaviour.
#pragma once

#include <cstdint>

enum class int_read { ok, no_number, overflow };

int_read read_decimal_int(const char* text, int32_t* value);
