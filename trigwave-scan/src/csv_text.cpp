#include "csv_text.h"

#include <charconv>
#include <cmath>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view strip(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

}  // namespace

void split_fields(std::string_view line, std::vector<std::string_view>& out) {
    out.clear();
    for (;;) {
        const std::size_t comma = line.find(',');
        out.push_back(strip(line.substr(0, comma)));
        if (comma == std::string_view::npos) return;
        line.remove_prefix(comma + 1);
    }
}

bool parse_number(std::string_view field, double& out) {
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    if (field.empty() || field.front() == '+') return false;
    const char* end = field.data() + field.size();
    const auto [at, error] = std::from_chars(field.data(), end, out);
    return error == std::errc() && at == end && std::isfinite(out);
}

bool all_numbers(const std::vector<std::string_view>& fields) {
    double x;
    for (std::string_view f : fields)
        if (!parse_number(f, x)) return false;
    return true;
}

std::string lowercase(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool passed_over(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && is_blank(line[i])) ++i;
    return i == line.size() || line[i] == '#' || line[i] == ';' || line.substr(i, 4) == "MARK";
}

void line_splitter::refuse(long line, const char* why) {
    throw input_error("line " + std::to_string(line) + ": " + why);
}
