#include "int_parse.h"

namespace {

bool is_c_space(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int_read read_decimal_int(const char* text, int32_t* value) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (is_c_space(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    if (*p < '0' || *p > '9') return int_read::no_number;

    // Accumulate the magnitude; the negative side holds one more value.
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t magnitude = 0;
    bool overflow = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (!overflow) {
            magnitude = magnitude * 10 + (*p - '0');
            if (magnitude > limit) overflow = true;
        }
    }
    if (overflow) return int_read::overflow;
    *value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return int_read::ok;
}
