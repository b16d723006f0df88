#include "command.h"

#include <cctype>
#include <sstream>
#include <vector>

namespace {

constexpr uint64_t frames_per_second = 44100;
// Longer than any file trigwave writes (24347 s): a script's times need no more.
constexpr uint64_t longest_seconds = 86400;

std::vector<std::string> words_of(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

// A whole number from 0 to 65535, as a sweep's point is written.
bool parse_value(const std::string& text, uint16_t& out) {
    if (text.empty() || text.size() > 5) return false;
    uint32_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint32_t>(c - '0');
    }
    if (v > 65535) return false;
    out = static_cast<uint16_t>(v);
    return true;
}

bool parse_words(const std::vector<std::string>& w, std::size_t first, command& out, std::string& error) {
    const std::size_t n = w.size() - first;
    if (n == 0) {
        error = "no command after the time";
        return false;
    }
    const std::string& name = w[first];
    if (name == "hold" || name == "quit") {
        if (n != 1) {
            error = "\"" + name + "\" takes nothing after it";
            return false;
        }
        out.kind = name == "hold" ? command_kind::hold : command_kind::quit;
        return true;
    }
    if (name == "at") {
        error = "\"at\" cannot follow \"at\"";
        return false;
    }
    if (name == "rpm") out.kind = command_kind::rpm;
    else if (name == "cam") out.kind = command_kind::cam;
    else if (name == "amplitude") out.kind = command_kind::amplitude;
    else if (name == "relative") out.kind = command_kind::relative;
    else {
        error = "unknown command \"" + name + "\" (rpm, cam, amplitude, relative, hold, quit, at)";
        return false;
    }
    const bool ramp = out.kind == command_kind::rpm && n == 4 && w[first + 2] == "over";
    if (n != 2 && !ramp) {
        error = out.kind == command_kind::rpm ? "\"rpm\" takes a value, or a value, \"over\" and seconds"
                                              : "\"" + name + "\" takes one value";
        return false;
    }
    if (!parse_value(w[first + 1], out.value)) {
        error = "\"" + w[first + 1] + "\" is not a whole number from 0 to 65535";
        return false;
    }
    if (ramp && !parse_seconds(w[first + 3], out.over)) {
        error = "\"" + w[first + 3] + "\" is not a time in seconds from 0 to 86400";
        return false;
    }
    return true;
}

}  // namespace

bool parse_seconds(const std::string& text, uint64_t& frames) {
    // Whole seconds, then up to six decimals: a frame is 23 microseconds.
    uint64_t whole = 0, fraction = 0, scale = 1;
    std::size_t i = 0;
    bool digits = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        whole = whole * 10 + static_cast<uint64_t>(text[i] - '0');
        digits = true;
        if (whole > longest_seconds) return false;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
            if (scale == 1000000) return false;
            fraction = fraction * 10 + static_cast<uint64_t>(text[i] - '0');
            scale *= 10;
            digits = true;
        }
    }
    if (!digits || i != text.size()) return false;
    if (whole == longest_seconds && fraction > 0) return false;
    frames = whole * frames_per_second + (fraction * frames_per_second * 2 + scale) / (2 * scale);
    return true;
}

bool parse_command(const std::string& line, command& out, std::string& error) {
    out = command{};
    const std::vector<std::string> w = words_of(line);
    if (w.empty()) {
        error = "an empty line";
        return false;
    }
    std::size_t first = 0;
    if (w[0] == "at") {
        if (w.size() < 2 || !parse_seconds(w[1], out.at)) {
            error = "\"at\" takes a time in seconds from 0 to 86400, then a command";
            return false;
        }
        out.timed = true;
        first = 2;
    }
    return parse_words(w, first, out, error);
}
