#include "reference_params.h"

#include <cerrno>
#include <cstdlib>

namespace {

enum class leading { ok, none, too_big };

// "%d" on a token: optional white space and sign, digits, the rest ignored.
leading leading_int(const std::string& token, int32_t* value) {
    const char* begin = token.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(begin, &end, 10);
    if (end == begin) return leading::none;
    if (errno == ERANGE || v > INT32_MAX || v < INT32_MIN) return leading::too_big;
    *value = static_cast<int32_t>(v);
    return leading::ok;
}

constexpr int max_points = 999;
constexpr int32_t max_length_sec = 24347;

}  // namespace

reference_sweep reference_parse_sweep(const std::string& text) {
    reference_sweep out;
    std::size_t pos = 0;
    while (static_cast<int>(out.points.size()) < max_points) {
        const std::size_t start = text.find_first_not_of('-', pos);
        if (start == std::string::npos) break;
        const std::size_t stop = text.find('-', start);
        const std::string token =
            text.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
        int32_t v = 0;
        switch (leading_int(token, &v)) {
        case leading::none: out.code = 7; return out;
        case leading::too_big: out.code = 8; return out;
        case leading::ok: break;
        }
        out.points.push_back(static_cast<uint16_t>(static_cast<uint32_t>(v)));
        if (stop == std::string::npos) break;
        pos = stop;
    }
    if (out.points.empty()) out.code = 9;
    return out;
}

reference_params reference_process_param(const std::vector<std::string>& args) {
    reference_params r;
    if (args.size() > 1 && !args[1].empty() && args[1][0] == '-') {
        r.code = 13;
        return r;
    }
    if (args.size() < 7) {
        r.code = 2;
        return r;
    }
    std::string name = args[1];
    for (int i = 2; i <= 6; ++i) name += "_" + args[i];
    name += ".wav";
    r.filename = name.substr(0, 4089);

    const std::string& type = args[1];
    if (type.size() < 4) {
        r.code = 10;
        return r;
    }
    const int c1 = static_cast<signed char>(type[1]);
    const int c2 = static_cast<signed char>(type[2]);
    const int c3 = static_cast<signed char>(type[3]);
    r.toothcnt = static_cast<uint8_t>(10 * (c1 - '0') + (c2 - '0'));
    r.missing = static_cast<uint8_t>(c3 - '0');
    const unsigned char letter = static_cast<unsigned char>(type[0]);
    r.polarity = letter <= 'Z' ? 0x80 : 0;
    r.trigger_type = static_cast<char>(letter <= 'Z' ? letter + 32 : letter);
    if ((r.trigger_type == 'm' || r.trigger_type == 'e') &&
        static_cast<uint8_t>(r.toothcnt + r.missing) == 0) {
        r.code = 11;
        return r;
    }

    r.rpm = reference_parse_sweep(args[2]);
    if (r.rpm.code != 0) {
        r.code = 3;
        return r;
    }
    int32_t seconds = 0;
    switch (leading_int(args[3], &seconds)) {
    case leading::none: seconds = 120; break;
    case leading::too_big: seconds = -1; break;
    case leading::ok: break;
    }
    if (seconds < 0 || seconds > max_length_sec) {
        r.code = 12;
        return r;
    }
    r.length_sec = seconds;

    const std::pair<reference_sweep*, int> later[] = {
        {&r.cam_pos, 4}, {&r.amplitude, 5}, {&r.fading, 6}};
    for (std::size_t k = 0; k < 3; ++k) {
        *later[k].first = reference_parse_sweep(args[4 + k]);
        if (later[k].first->code != 0) {
            r.code = later[k].second;
            return r;
        }
    }
    return r;
}
