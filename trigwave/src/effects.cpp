// The effects' checks against the rest of the command line, and their part of the file name.
#include <cstdio>

#include "effects.h"

std::string fixed_text(int64_t value, int decimals) {
    std::string sign = value < 0 ? "-" : "";
    uint64_t v = value < 0 ? static_cast<uint64_t>(-value) : static_cast<uint64_t>(value);
    uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    std::string text = sign + std::to_string(v / scale);
    uint64_t rest = v % scale;
    if (rest == 0) return text;
    std::string digits = std::to_string(rest);
    digits.insert(0, static_cast<std::size_t>(decimals) - digits.size(), '0');
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    return text + "." + digits;
}

bool check_effects(const effects& fx, int32_t length_sec) {
    if (fx.runout > 0 && !fx.vr) {
        std::fprintf(stderr, "--runout goes with --vr: it is the VR signal's swing that the runout moves\n");
        return false;
    }
    const int64_t end_us = static_cast<int64_t>(length_sec) * 1000000;
    for (const fault& f : fx.faults) {
        const bool timed = f.kind == fault_kind::dropout || f.kind == fault_kind::spike || f.kind == fault_kind::flip;
        if (timed && f.at_us >= end_us) {
            std::fprintf(stderr, "--fault %s is refused: the file is %d seconds long\n", f.text.c_str(), length_sec);
            return false;
        }
    }
    return true;
}

namespace {

const char* channel_text(fault_channel c) {
    return c == fault_channel::crank ? "" : c == fault_channel::cam ? "-cam" : "-both";
}

std::string fault_text(const fault& f) {
    const auto s = [](int64_t us) { return fixed_text(us, 6); };
    switch (f.kind) {
    case fault_kind::missing: return "missing" + std::to_string(f.revolution) + "-" + std::to_string(f.tooth);
    case fault_kind::extra: return "extra" + std::to_string(f.revolution) + "-" + std::to_string(f.tooth);
    case fault_kind::dropout: return "dropout" + s(f.at_us) + "-" + s(f.length_us) + channel_text(f.channel);
    case fault_kind::spike: return "spike" + s(f.at_us) + channel_text(f.channel);
    case fault_kind::flip: return "flip" + s(f.at_us);
    case fault_kind::nocam: return "nocam" + std::to_string(f.cycle);
    }
    return "";
}

// FNV-1a, 64 bits: a long list of faults is named by its hash.
uint64_t fnv1a(const std::string& text) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (unsigned char c : text) h = (h ^ c) * 0x100000001B3ull;
    return h;
}

}  // namespace

std::string effects_suffix(const effects& fx) {
    std::string out;
    const auto add = [&](const std::string& part) { out += "_" + part; };
    if (fx.vr) add("vr");
    if (fx.runout > 0) add("runout" + fixed_text(fx.runout, 3));
    if (fx.cylinders > 0) add("cranking" + std::to_string(fx.cylinders) + "-" + fixed_text(fx.depth, 3));
    if (fx.noise) add("noise" + fixed_text(fx.noise_dbfs, 3));
    if (fx.jitter > 0) add("jitter" + fixed_text(fx.jitter, 3));
    if (fx.random()) add("seed" + std::to_string(fx.seed));
    std::string faults;
    for (const fault& f : fx.faults) faults += "_" + fault_text(f);
    // A name stays well inside the 255 bytes every file system allows: past a few faults the
    // list is named by its count and hash.
    if (faults.size() > 120) {
        char hash[40];
        std::snprintf(hash, sizeof hash, "_faults%zu-%016llx", fx.faults.size(),
                      static_cast<unsigned long long>(fnv1a(faults)));
        faults = hash;
    }
    return out + faults;
}
