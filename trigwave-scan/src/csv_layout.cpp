#include "csv_layout.h"

#include "csv_text.h"
#include "edge_source.h"

namespace {

// The head's lines that hold rows or a header, at most a few; a line cut short by the
// end of the head is left out unless it is the only one.
std::vector<std::string_view> first_lines(std::string_view head, std::size_t most) {
    std::vector<std::string_view> lines;
    while (lines.size() < most) {
        const std::size_t nl = head.find('\n');
        if (nl == std::string_view::npos && !lines.empty()) break;
        std::string_view line = head.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!passed_over(line)) lines.push_back(line);
        if (nl == std::string_view::npos) break;
        head.remove_prefix(nl + 1);
    }
    return lines;
}

// Nanoseconds per unit: "s", "ms", "us" or "µs", "ns"; 0 for anything else.
double unit_ticks(const std::string& unit) {
    if (unit == "s" || unit == "seconds") return 1e9;
    if (unit == "ms" || unit == "milliseconds") return 1e6;
    if (unit == "us" || unit == "\xc2\xb5s" || unit == "microseconds") return 1e3;
    if (unit == "ns" || unit == "nanoseconds") return 1;
    return 0;
}

// A time column's unit from its name: "Time [s]", "Time(ms)", "microseconds" (as sigrok
// writes it); seconds when the name gives none.
double header_unit_ticks(std::string_view name) {
    const std::string n = lowercase(name);
    const std::size_t open = n.find_first_of("[(");
    if (open != std::string::npos) {
        const std::size_t close = n.find_first_of("])", open);
        const std::string unit = n.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
        const double t = unit_ticks(unit);
        if (t == 0) throw input_error("the time's unit '" + unit + "' is not s, ms, us or ns");
        return t;
    }
    const double t = unit_ticks(n);
    return t > 0 ? t : 1e9;
}

std::size_t named(const std::vector<std::string_view>& header, const std::string& name, std::size_t skip) {
    const std::string want = lowercase(name);
    for (std::size_t i = 0; i < header.size(); ++i)
        if (i != skip && lowercase(header[i]) == want) return i;
    return header.size();
}

std::string listed(const std::vector<std::string_view>& header, std::size_t skip) {
    std::string s;
    for (std::size_t i = 0; i < header.size(); ++i)
        if (i != skip) s += (s.empty() ? "" : ", ") + std::string(header[i]);
    return s;
}

std::string channels_text(std::size_t n) { return std::to_string(n) + (n == 1 ? " channel" : " channels"); }

// The column of one channel of a logic analyzer's export; taken: the other channel's.
std::size_t logic_channel(const std::vector<std::string_view>& header, std::size_t columns, const std::string& wish,
                          const char* role, std::size_t taken) {
    const std::size_t channels = columns - 1;
    const std::string after = std::string(" for the ") + role;
    if (!wish.empty()) {
        const std::size_t by_name = named(header, wish, 0);
        if (by_name < header.size()) return by_name;
        const auto n = static_cast<std::size_t>(channel_number(wish));
        if (n >= 1 && n <= channels) return n;
        if (header.empty() || n > 0)
            throw input_error("has " + channels_text(channels) + " after the time, no channel " + wish + after);
        throw input_error("no column named '" + wish + "'" + after + " (channels: " + listed(header, 0) + ")");
    }
    const std::size_t by_name = header.empty() ? 0 : named(header, role, 0);
    if (by_name > 0 && by_name < header.size()) return by_name;
    for (std::size_t i = 1; i < columns; ++i)
        if (i != taken) return i;
    throw input_error("has " + channels_text(channels) + " after the time, none" + after +
                      (taken ? " (--cam none for a recording without one)" : ""));
}

std::string column_name(const std::vector<std::string_view>& header, std::size_t i) {
    return header.empty() ? "channel " + std::to_string(i) : "column '" + std::string(header[i]) + "'";
}

}  // namespace

bool looks_like_logic_csv(std::string_view head) {
    const std::vector<std::string_view> lines = first_lines(head, 2);
    std::vector<std::string_view> first, second;
    if (lines.empty()) return false;
    split_fields(lines[0], first);
    if (first.size() < 2) return false;
    if (all_numbers(first)) return true;
    if (lines.size() < 2) return false;
    split_fields(lines[1], second);
    return second.size() == first.size() && all_numbers(second);
}

bool looks_like_composite_log(std::string_view head) {
    const std::vector<std::string_view> lines = first_lines(head, 1);
    if (lines.empty()) return false;
    std::vector<std::string_view> header;
    split_fields(lines[0], header);
    return named(header, "PriLevel", header.size()) < header.size() && named(header, "Time", header.size()) < header.size();
}

csv_layout logic_layout(const std::vector<std::string_view>& header, std::size_t columns, const channel_wish& wish) {
    csv_layout l;
    l.columns = columns;
    l.time = 0;
    l.ticks_per_unit = header.empty() ? 1e9 : header_unit_ticks(header[0]);
    l.crank = logic_channel(header, columns, wish.crank, "crank", 0);
    l.has_cam = wish.cam_wanted;
    if (l.has_cam) {
        l.cam = logic_channel(header, columns, wish.cam, "cam", l.crank);
        if (l.cam == l.crank) throw input_error("the crank and the cam are one column");
    }
    l.crank_name = column_name(header, l.crank);
    l.cam_name = l.has_cam ? column_name(header, l.cam) : "";
    return l;
}

csv_layout composite_layout(const std::vector<std::string_view>& header, const std::vector<std::string_view>& units,
                            const channel_wish& wish) {
    csv_layout l;
    l.columns = header.size();
    const auto column = [&](const std::string& name, const char* role) {
        const std::size_t i = named(header, name, header.size());
        if (i == header.size())
            throw input_error("no column named '" + name + "' for the " + role + " (columns: " +
                              listed(header, header.size()) + ")");
        return i;
    };
    l.time = column("Time", "time");
    l.crank = column(wish.crank.empty() ? "PriLevel" : wish.crank, "crank");
    l.has_cam = wish.cam_wanted;
    if (l.has_cam) {
        l.cam = column(wish.cam.empty() ? "SecLevel" : wish.cam, "cam");
        if (l.cam == l.crank) throw input_error("the crank and the cam are one column");
    }
    // Tooth logs give milliseconds; the units row says so, or another unit.
    l.ticks_per_unit = 1e6;
    if (!units.empty()) {
        const std::string unit = lowercase(units[l.time]);
        l.ticks_per_unit = unit_ticks(unit);
        if (l.ticks_per_unit == 0) throw input_error("the time's unit '" + unit + "' is not s, ms, us or ns");
    }
    l.crank_name = column_name(header, l.crank);
    l.cam_name = l.has_cam ? column_name(header, l.cam) : "";
    return l;
}
