// The effect options' grammar. Numbers are read in fixed point, never through the C
// library's locale-dependent parsing.
#include <cstdio>
#include <cstring>

#include "effects.h"

namespace {

constexpr std::size_t max_faults = 100;

// "12", "12.5", "-40" with at most `decimals` decimals and at most `limit` (in units of
// the last decimal) in size; the whole text.
bool read_fixed(const char* s, int decimals, bool negative_ok, int64_t limit, int64_t* out) {
    bool negative = false;
    if (*s == '-' && negative_ok) {
        negative = true;
        ++s;
    }
    if (*s < '0' || *s > '9') return false;
    int64_t v = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        v = v * 10 + (*s - '0');
        if (v > limit) return false;
    }
    int given = 0;
    if (*s == '.') {
        ++s;
        if (*s < '0' || *s > '9') return false;
        for (; *s >= '0' && *s <= '9'; ++s, ++given)
            if (given >= decimals) return false;
            else v = v * 10 + (*s - '0');
    }
    if (*s != '\0') return false;
    for (; given < decimals; ++given) v *= 10;
    if (v > limit) return false;
    *out = negative ? -v : v;
    return true;
}

bool read_count(const char* s, int64_t limit, int64_t* out) { return read_fixed(s, 0, false, limit, out) && *out >= 1; }

bool read_u64(const char* s, uint64_t* out) {
    if (*s == '\0') return false;
    uint64_t v = 0;
    for (; *s; ++s) {
        if (*s < '0' || *s > '9') return false;
        const uint64_t digit = static_cast<uint64_t>(*s - '0');
        if (v > (UINT64_MAX - digit) / 10) return false;
        v = v * 10 + digit;
    }
    *out = v;
    return true;
}

// Splits "a:b:c" in place into at most n parts; the number of parts, or n + 1 for more.
int split(char* text, char* parts[], int n) {
    int count = 0;
    for (char* p = text;; ++p) {
        if (count == n) return n + 1;
        parts[count++] = p;
        p = std::strchr(p, ':');
        if (p == nullptr) return count;
        *p = '\0';
    }
}

constexpr int64_t max_seconds_us = 24347LL * 1000000;

bool read_channel(const char* s, bool both_ok, fault_channel* out) {
    if (std::strcmp(s, "crank") == 0) *out = fault_channel::crank;
    else if (std::strcmp(s, "cam") == 0) *out = fault_channel::cam;
    else if (both_ok && std::strcmp(s, "both") == 0) *out = fault_channel::both;
    else return false;
    return true;
}

// KIND@WHERE in its exact forms; false for anything else.
bool read_fault(const char* text, fault& f) {
    char copy[256];
    if (std::strlen(text) >= sizeof copy) return false;
    std::strcpy(copy, text);
    char* at = std::strchr(copy, '@');
    if (at == nullptr) return false;
    *at = '\0';
    const char* kind = copy;
    char* parts[4];
    const int n = split(at + 1, parts, 3);
    int64_t a = 0, b = 0;
    f.text = text;
    if (std::strcmp(kind, "missing") == 0 || std::strcmp(kind, "extra") == 0) {
        f.kind = kind[0] == 'm' ? fault_kind::missing : fault_kind::extra;
        if (n != 2 || !read_count(parts[0], 1000000000, &a) || !read_count(parts[1], 1000, &b)) return false;
        f.revolution = static_cast<long>(a);
        f.tooth = static_cast<int>(b);
        return true;
    }
    if (std::strcmp(kind, "dropout") == 0) {
        f.kind = fault_kind::dropout;
        if (n < 2 || n > 3 || !read_fixed(parts[0], 6, false, max_seconds_us, &a) ||
            !read_fixed(parts[1], 6, false, max_seconds_us, &b) || b == 0)
            return false;
        f.at_us = a;
        f.length_us = b;
        return n == 2 || read_channel(parts[2], true, &f.channel);
    }
    if (std::strcmp(kind, "spike") == 0) {
        f.kind = fault_kind::spike;
        if (n < 1 || n > 2 || !read_fixed(parts[0], 6, false, max_seconds_us, &a)) return false;
        f.at_us = a;
        return n == 1 || read_channel(parts[1], false, &f.channel);
    }
    if (std::strcmp(kind, "flip") == 0) {
        f.kind = fault_kind::flip;
        if (n != 1 || !read_fixed(parts[0], 6, false, max_seconds_us, &a)) return false;
        f.at_us = a;
        return true;
    }
    if (std::strcmp(kind, "nocam") == 0) {
        f.kind = fault_kind::nocam;
        if (n != 1 || !read_count(parts[0], 1000000000, &a)) return false;
        f.cycle = static_cast<long>(a);
        return true;
    }
    return false;
}

bool refused(const char* option, const char* value, const char* why) {
    std::fprintf(stderr, "%s %s is refused: %s\n", option, value, why);
    return false;
}

// One option with its value; false after printing what is wrong.
bool take_value(const char* option, const char* value, effects& fx) {
    int64_t v = 0;
    if (std::strcmp(option, "--runout") == 0) {
        if (!read_fixed(value, 3, false, 50000, &v) || v == 0)
            return refused(option, value, "it takes a percentage above 0 and up to 50, with up to 3 decimals");
        fx.runout = v;
    } else if (std::strcmp(option, "--cranking") == 0) {
        char copy[64];
        int64_t c = 0;
        char* comma = std::strlen(value) < sizeof copy ? std::strchr(std::strcpy(copy, value), ',') : nullptr;
        if (comma != nullptr) *comma = '\0';
        if (comma == nullptr || !read_count(copy, 16, &c) || !read_fixed(comma + 1, 3, false, 60000, &v) || v == 0)
            return refused(option, value,
                           "it takes CYLINDERS,DEPTH: 1 to 16 compression strokes per cycle and a depth "
                           "above 0 and up to 60 percent (4,30)");
        fx.cylinders = static_cast<int>(c);
        fx.depth = v;
    } else if (std::strcmp(option, "--noise") == 0) {
        if (!read_fixed(value, 3, true, 120000, &v) || v > 0)
            return refused(option, value, "it takes the noise's RMS in dBFS, from -120 to 0 (-40)");
        fx.noise = true;
        fx.noise_dbfs = v;
    } else if (std::strcmp(option, "--jitter") == 0) {
        if (!read_fixed(value, 3, false, 10000, &v) || v == 0)
            return refused(option, value,
                           "it takes a percentage of a tooth's spacing above 0 and up to 10, with up to 3 decimals");
        fx.jitter = v;
    } else if (std::strcmp(option, "--seed") == 0) {
        if (!read_u64(value, &fx.seed))
            return refused(option, value, "it takes a whole number from 0 to 18446744073709551615");
    } else if (std::strcmp(option, "--fault") == 0) {
        fault f;
        if (!read_fault(value, f))
            return refused(option, value,
                           "it takes one of missing@REV:TOOTH, extra@REV:TOOTH, "
                           "dropout@SECONDS:DURATION[:crank|cam|both], spike@SECONDS[:crank|cam], "
                           "flip@SECONDS, nocam@CYCLE (revolutions, teeth and cycles from 1; seconds "
                           "with up to 6 decimals)");
        if (fx.faults.size() >= max_faults) return refused(option, value, "a file takes at most 100 faults");
        fx.faults.push_back(f);
    } else if (std::strcmp(option, "--truth") == 0) {
        if (value[0] == '\0') return refused(option, "\"\"", "it needs a file name");
        fx.truth = value;
    }
    return true;
}

}  // namespace

int take_effect_option(int argc, char* const argv[], int i, effects& fx) {
    const char* const option = argv[i];
    if (std::strcmp(option, "--vr") == 0) {
        if (fx.vr) {
            std::fprintf(stderr, "--vr is given twice\n");
            return -1;
        }
        fx.vr = true;
        return 1;
    }
    static const char* const valued[] = {"--runout", "--cranking", "--noise", "--jitter",
                                         "--seed", "--fault", "--truth"};
    for (std::size_t k = 0; k < sizeof valued / sizeof valued[0]; ++k) {
        if (std::strcmp(option, valued[k]) != 0) continue;
        if (i + 1 >= argc) {
            std::fprintf(stderr, "%s needs a value after it\n", option);
            return -1;
        }
        // Every option but --fault is given at most once.
        const uint32_t bit = 1u << k;
        if (k != 5 && (fx.given & bit) != 0) {
            std::fprintf(stderr, "%s is given twice\n", option);
            return -1;
        }
        fx.given |= bit;
        return take_value(option, argv[i + 1], fx) ? 2 : -1;
    }
    return 0;
}
