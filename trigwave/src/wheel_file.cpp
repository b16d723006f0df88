#include "wheel_file.h"

#include <algorithm>

namespace {

constexpr int32_t cam_cycle = 720000;  // thousandths of a degree
constexpr std::size_t longest_line = 4096;
// A bound on what a file may ask for: no wheel has thousands of teeth.
constexpr long most_teeth = 1000;

struct placed {
    wheel_tooth tooth;
    long line;
};

std::vector<std::string_view> words_of(std::string_view line) {
    const std::size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

// A whole number from 0 to most; false for anything else.
bool parse_count(std::string_view text, long most, long& out) {
    if (text.empty() || text.size() > 6) return false;
    out = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return out <= most;
}

std::string degrees_text(int32_t millidegrees) {
    std::string s = std::to_string(millidegrees / 1000);
    if (const int32_t part = millidegrees % 1000) {
        std::string digits = std::to_string(1000 + part).substr(1);
        while (digits.back() == '0') digits.pop_back();
        s += "." + digits;
    }
    return s;
}

// The teeth of one channel, by rise, none of them empty, overlapping or touching.
void check_teeth(std::vector<placed>& teeth, int32_t cycle, const char* channel) {
    const std::string cycle_text = std::string(channel) + "'s cycle of " + degrees_text(cycle) + " degrees";
    for (const placed& p : teeth) {
        if (p.tooth.rise >= cycle || p.tooth.fall >= cycle)
            throw wheel_file_error(p.line, "an angle outside the " + cycle_text + " (0 to below " + degrees_text(cycle) + ")");
        if (p.tooth.rise == p.tooth.fall) throw wheel_file_error(p.line, "a tooth that rises and falls at one angle");
    }
    std::stable_sort(teeth.begin(), teeth.end(), [](const placed& a, const placed& b) { return a.tooth.rise < b.tooth.rise; });
    const auto end_of = [&](const wheel_tooth& t) { return t.fall > t.rise ? t.fall : t.fall + cycle; };
    // each tooth ends before the next rises, the last before the first's rise a cycle on
    for (std::size_t i = 0; teeth.size() > 1 && i < teeth.size(); ++i) {
        const bool last = i + 1 == teeth.size();
        const placed& next = last ? teeth[0] : teeth[i + 1];
        if (end_of(teeth[i].tooth) >= next.tooth.rise + (last ? cycle : 0))
            throw wheel_file_error(std::max(teeth[i].line, next.line),
                                   std::string("the ") + channel + "'s teeth at " + degrees_text(teeth[i].tooth.rise) +
                                       " and " + degrees_text(next.tooth.rise) + " degrees overlap or touch");
    }
}

}  // namespace

bool parse_millidegrees(std::string_view text, int32_t& out) {
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view part = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 4 || part.size() > 3 || (dot != std::string_view::npos && part.empty())) return false;
    int32_t value = 0;
    for (char c : whole) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    int32_t scale = 100;
    value *= 1000;
    for (char c : part) {
        if (c < '0' || c > '9') return false;
        value += (c - '0') * scale;
        scale /= 10;
    }
    out = value;
    return true;
}

wheel_file parse_wheel_file(std::string_view text) {
    wheel_file w;
    std::vector<placed> crank, cam;
    bool versioned = false, named = false, cycled = false, sourced = false;
    long line_no = 0;
    // "crank slots" lines, applied once the cycle is known
    struct slots_line {
        long line, count;
        std::vector<long> missing, full;
    };
    std::vector<slots_line> slot_lines;
    long teeth = 0;
    const auto count_tooth = [&](long line) {
        if (++teeth > most_teeth) throw wheel_file_error(line, "more than " + std::to_string(most_teeth) + " teeth");
    };

    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find('\0') != std::string_view::npos) throw wheel_file_error(line_no, "a NUL byte: not a wheel file");
        if (line.size() > longest_line) throw wheel_file_error(line_no, "a line longer than 4096 bytes");
        const std::vector<std::string_view> words = words_of(line);
        if (words.empty()) continue;
        const std::string_view key = words[0];
        if (!versioned) {
            if (key != "orix-wheel" || words.size() != 2)
                throw wheel_file_error(line_no, "not a wheel file: it does not begin with 'orix-wheel 1'");
            if (words[1] != std::to_string(wheel_file_version))
                throw wheel_file_error(line_no, "a wheel file of version " + std::string(words[1]) +
                                                    "; this program reads version " + std::to_string(wheel_file_version));
            versioned = true;
            continue;
        }
        const auto rest = [&] {
            // the words after the keyword, as written between them
            const std::string_view first = words[1], last = words.back();
            return std::string(first.data(), static_cast<std::size_t>(last.data() + last.size() - first.data()));
        };
        const auto once = [&](bool& seen) {
            if (seen) throw wheel_file_error(line_no, "a second '" + std::string(key) + "' line");
            if (words.size() < 2) throw wheel_file_error(line_no, "'" + std::string(key) + "' without a value");
            seen = true;
        };
        if (key == "name") {
            once(named);
            w.name = rest();
        } else if (key == "source") {
            once(sourced);
            w.source = rest();
        } else if (key == "cycle") {
            once(cycled);
            if (words.size() != 2 || (words[1] != "360" && words[1] != "720"))
                throw wheel_file_error(line_no, "the cycle is 360 or 720 degrees");
            w.cycle = words[1] == "360" ? 360 : 720;
        } else if ((key == "crank" || key == "cam") && words.size() >= 2 && words[1] == "tooth") {
            const bool full = words.size() == 5 && words[4] == "full";
            if (words.size() != 4 && !full)
                throw wheel_file_error(line_no, std::string(key) + " tooth RISE FALL" + (key == "crank" ? " [full]" : ""));
            if (full && key == "cam") throw wheel_file_error(line_no, "a cam tooth has no level of its own");
            wheel_tooth t;
            t.full = full;
            if (!parse_millidegrees(words[2], t.rise) || !parse_millidegrees(words[3], t.fall))
                throw wheel_file_error(line_no, "an angle is degrees with up to three decimals, such as 12.5");
            count_tooth(line_no);
            (key == "crank" ? crank : cam).push_back({t, line_no});
        } else if (key == "crank" && words.size() >= 3 && words[1] == "slots") {
            slots_line s{line_no, 0, {}, {}};
            if (!parse_count(words[2], most_teeth, s.count) || s.count < 2)
                throw wheel_file_error(line_no, "crank slots N: from 2 to " + std::to_string(most_teeth) + " slots");
            std::vector<long>* list = nullptr;
            for (std::size_t i = 3; i < words.size(); ++i) {
                long k;
                if (words[i] == "missing") list = &s.missing;
                else if (words[i] == "full") list = &s.full;
                else if (list && parse_count(words[i], most_teeth, k) && k < s.count) list->push_back(k);
                else
                    throw wheel_file_error(line_no, "crank slots N [missing K ...] [full K ...]: '" + std::string(words[i]) +
                                                        "' is not a slot from 0 to " + std::to_string(s.count - 1));
            }
            slot_lines.push_back(std::move(s));
        } else {
            throw wheel_file_error(line_no, "'" + std::string(key) + "' is not a line of a wheel file (name, source, "
                                                                    "cycle, crank slots, crank tooth, cam tooth)");
        }
    }
    if (!versioned) throw wheel_file_error(0, "not a wheel file: it is empty");
    if (!named) throw wheel_file_error(0, "no 'name' line");
    if (!cycled) throw wheel_file_error(0, "no 'cycle' line");
    const int32_t crank_cycle = w.cycle * 1000;
    for (const slots_line& s : slot_lines) {
        for (long k = 0; k < s.count; ++k) {
            if (std::find(s.missing.begin(), s.missing.end(), k) != s.missing.end()) continue;
            count_tooth(s.line);
            // low for the first half of the slot, high for the second; a fall at the cycle's
            // end is angle 0
            const int64_t c = crank_cycle;
            wheel_tooth t;
            t.rise = static_cast<int32_t>(((2 * k + 1) * c + s.count) / (2 * s.count));
            t.fall = static_cast<int32_t>(((k + 1) * c * 2 + s.count) / (2 * s.count) % c);
            t.full = std::find(s.full.begin(), s.full.end(), k) != s.full.end();
            crank.push_back({t, s.line});
        }
    }
    if (crank.empty()) throw wheel_file_error(0, "no crank tooth");
    check_teeth(crank, crank_cycle, "crank");
    check_teeth(cam, cam_cycle, "cam");
    for (const placed& p : crank) w.crank.push_back(p.tooth);
    for (const placed& p : cam) w.cam.push_back(p.tooth);
    return w;
}
