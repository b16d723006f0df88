// Sweep tables: parsing "40-80-85-70" style arguments and interpolating them.
#include <cstring>

#include "int_parse.h"
#include "trigwave.h"

int Trigwave::parse_tokens(tokens_t* tokens, char* str, const char* sep, const char* label) {
    int i = 0;
    for (char* token = std::strtok(str, sep); token != nullptr && i < max_points;
         token = std::strtok(nullptr, sep)) {
        int32_t number = 0;
        switch (read_decimal_int(token, &number)) {
        case int_read::no_number:
            std::fprintf(stderr, "bad RPM: %s\n", token);
            return TOKENS_NO_NUMBER;
        case int_read::overflow:
            std::fprintf(stderr,
                         "%s point %s is refused: it does not fit a 32-bit int (at most "
                         "2147483647)\n",
                         label, token);
            return TOKENS_TOO_BIG;
        case int_read::ok:
            break;
        }
        tokens->values[i] = static_cast<uint16_t>(static_cast<uint32_t>(number) & 0xFFFFu);
        std::fprintf(stderr, "i: %d => value: %s\n", i, token);
        ++i;
    }
    if (i == max_points) std::fprintf(stderr, "WARNING: ARRAY LENGTH MAXIMUM is %d\n", max_points);
    std::fprintf(stderr, "array length (check your compiler or try -O2 if bad): %d\n", i);
    tokens->count = static_cast<uint16_t>(i);
    if (i == 0) {
        std::fprintf(stderr, "parse_tokens: could NOT parse tokens\n");
        return TOKENS_NONE;
    }
    return TOKENS_OK;
}

uint8_t Trigwave::parse_tokens_min2entries(tokens_t* tokens, char* str, const char* sep,
                                           const char* label) {
    std::fprintf(stderr, "parse_tokens_min2entries, str=%s\n", str);
    const int rc = parse_tokens(tokens, str, sep, label);
    std::fprintf(stderr, "parse_tokens_min2entries, token_ptr=%p\n", static_cast<void*>(tokens));
    if (rc == TOKENS_OK) {
        const uint16_t n = tokens->count;
        if (n == 1) {
            std::fprintf(stderr, "NO SWEEP (1 parameter)\n");
            tokens->count = 2;
        }
        // Interpolation reads the slot after the last point at the very end of the file.
        tokens->values[n] = tokens->values[n - 1];
    }
    std::fprintf(stderr, "end of: parse_tokens_min2entries\n");
    return static_cast<uint8_t>(rc);
}

long double Trigwave::lookup_and_weight(const tokens_t* tokens, double p) {
    const uint16_t n = tokens->count;
    const long double x = static_cast<long double>(n - 1) * static_cast<long double>(p);
    // Positions come from 0..1; anything outside is held to the table's ends. The
    // conversion truncates, as n is a whole number: x >= n exactly when its whole
    // part is. NaN fails both tests and takes the first point.
    uint16_t position_int = 0;
    if (x >= n)
        position_int = n;
    else if (x >= 1)
        position_int = static_cast<uint16_t>(x);
    const double frac = static_cast<double>(x - position_int);

    if (position_int == n) {
        std::fprintf(stderr, "position_int adjusted to %d\n", n - 1);
        return tokens->values[n - 1];
    }
    const long double lower = tokens->values[position_int];
    const long double upper = tokens->values[position_int + 1];
    return upper * frac + lower * (1.0L - frac);
}
