#include "vcd_parser.h"

#include <cctype>
#include <cmath>
#include <utility>

#include "edge_source.h"

namespace {

// Token lengths beyond this are not VCD: a bound on what one token may hold in memory.
constexpr std::size_t longest_token = 4096;
constexpr std::size_t most_signals = 100000;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// "1 us", "10ns", "100 ps": ticks per second, exact (1 ns gives 1e9, not 1 / 1e-9), so
// that a time reads the same from a capture as from any other file with its ticks.
double timescale_rate(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    const std::string number = text.substr(0, i), unit = text.substr(i);
    if (number != "1" && number != "10" && number != "100")
        throw input_error("not a VCD capture this reads: timescale '" + text + "'");
    static const std::pair<const char*, double> units[] = {
        {"s", 1.0}, {"ms", 1e3}, {"us", 1e6}, {"ns", 1e9}, {"ps", 1e12}, {"fs", 1e15}};
    for (const auto& u : units)
        if (unit == u.first) return u.second / std::stod(number);
    throw input_error("not a VCD capture this reads: timescale '" + text + "'");
}

}  // namespace

vcd_parser::vcd_parser(channel_wish wish) : wish_(std::move(wish)) {}

void vcd_parser::feed(const char* data, std::size_t size, std::vector<edge>& crank, std::vector<edge>& cam) {
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\0') throw input_error("not a VCD capture: a NUL byte in the text");
        if (is_space(c)) {
            if (!partial_.empty()) {
                token(partial_, crank, cam);
                partial_.clear();
            }
        } else {
            if (partial_.size() >= longest_token) throw input_error("not a VCD capture: a word longer than 4096 bytes");
            partial_ += c;
        }
        last_was_newline_ = c == '\n';
    }
}

bool vcd_parser::finish(std::vector<edge>& crank, std::vector<edge>& cam) {
    const bool cut = !last_was_newline_;
    if (!partial_.empty()) {
        // A last word cut short is not trusted: it may be a time or value torn in two.
        if (!cut) token(partial_, crank, cam);
        partial_.clear();
    }
    if (!body_) throw input_error("not a VCD capture: no $enddefinitions");
    return cut;
}

void vcd_parser::token(const std::string& t, std::vector<edge>& crank, std::vector<edge>& cam) {
    if (!body_) {
        header_token(t);
        return;
    }
    if (skipping_) {
        skipping_ = t != "$end";
        return;
    }
    if (after_vector_) {
        after_vector_ = false;
        if (vector_value_[0] == 'b' || vector_value_[0] == 'B') {
            // a one-bit signal may be dumped as a vector of one bit
            const std::string bits = vector_value_.substr(1);
            if (bits.size() == 1) change(bits[0], t, crank, cam);
        }
        return;
    }
    const char c = t[0];
    if (c == '#') {
        uint64_t v = 0;
        if (t.size() < 2) throw input_error("not a VCD capture: '#' without a time");
        for (std::size_t i = 1; i < t.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(t[i]))) throw input_error("not a VCD capture: bad time '" + t.substr(0, 40) + "'");
            if (v > (UINT64_MAX - 9) / 10) throw input_error("a time beyond 2^64 units: " + t.substr(0, 40));
            v = v * 10 + static_cast<uint64_t>(t[i] - '0');
        }
        if (seen_time_ && v < now_) throw input_error("time goes backwards at #" + std::to_string(v));
        now_ = v;
        seen_time_ = true;
    } else if (c == '$') {
        // $dumpvars, $dumpall, $dumpon, $dumpoff and their $end carry value changes
        // or nothing; anything else ($comment ...) is skipped to its $end.
        skipping_ = t != "$dumpvars" && t != "$dumpall" && t != "$dumpon" && t != "$dumpoff" && t != "$end";
    } else if (c == '0' || c == '1' || c == 'x' || c == 'X' || c == 'z' || c == 'Z') {
        if (t.size() < 2) throw input_error("not a VCD capture: a value without a signal");
        change(c, t.substr(1), crank, cam);
    } else if (c == 'b' || c == 'B' || c == 'r' || c == 'R') {
        vector_value_ = t;
        after_vector_ = true;
    } else {
        throw input_error("not a VCD capture: unexpected '" + t.substr(0, 40) + "'");
    }
}

void vcd_parser::header_token(const std::string& t) {
    if (keyword_.empty()) {
        // Words before the first section are passed over: sigrok-cli 0.7 writes its
        // sample rate there ("META samplerate: ...").
        if (t[0] != '$' && !sections_ && words_before_++ < 16) return;
        if (t[0] != '$') throw input_error("not a VCD capture: '" + t.substr(0, 40) + "' outside a $section");
        sections_ = true;
        if (t == "$enddefinitions") {
            keyword_ = t;
            return;
        }
        keyword_ = t;
        words_.clear();
        return;
    }
    if (t != "$end") {
        if (words_.size() < 64) words_.push_back(t);
        return;
    }
    if (keyword_ == "$timescale") {
        std::string joined;
        for (const auto& w : words_) joined += w;
        rate_ = timescale_rate(joined);
    } else if (keyword_ == "$var") {
        if (words_.size() < 4) throw input_error("not a VCD capture: a $var with fewer than four words");
        int width = 0;
        for (char d : words_[1]) {
            if (!std::isdigit(static_cast<unsigned char>(d)) || width > 100000) {
                width = -1;
                break;
            }
            width = width * 10 + (d - '0');
        }
        if (signals_.size() >= most_signals) throw input_error("more than 100000 signals");
        signals_.push_back(signal{words_[2], words_[3], width});
    } else if (keyword_ == "$enddefinitions") {
        end_header();
    }
    keyword_.clear();
}

void vcd_parser::end_header() {
    if (rate_ <= 0) rate_ = 1e9;  // the format's default unit when none is given: 1 ns
    std::vector<const signal*> bits;
    std::string names;
    for (const auto& s : signals_) {
        if (s.width != 1) continue;
        bits.push_back(&s);
        names += (names.empty() ? "" : ", ") + s.name;
    }
    const auto pick = [&](const std::string& want, std::size_t nth, const char* role) -> std::string {
        if (want.empty()) {
            if (bits.size() > nth) return bits[nth]->id;
            throw input_error(std::string("no ") + role + " signal: the capture has " + std::to_string(bits.size()) +
                              " one-bit signal(s)" + (names.empty() ? "" : " (" + names + ")"));
        }
        for (const signal* s : bits)
            if (s->name == want) return s->id;
        throw input_error("no one-bit signal named '" + want + "' for the " + role +
                          (names.empty() ? std::string(" (the capture has none)") : " (signals: " + names + ")"));
    };
    crank_id_ = pick(wish_.crank, 0, "crank");
    if (wish_.cam_wanted) cam_id_ = pick(wish_.cam, 1, "cam");
    if (wish_.cam_wanted && cam_id_ == crank_id_) throw input_error("the crank and the cam are one signal");
    body_ = true;
}

void vcd_parser::change(char value, const std::string& id, std::vector<edge>& crank, std::vector<edge>& cam) {
    // An unknown value (x, z) holds the last level, as a comparator would: the edge comes
    // when a known level differs from it, so rises and falls keep taking turns.
    const int level = value == '1' ? 1 : value == '0' ? 0 : -1;
    if (level < 0) return;
    const auto apply = [&](int& current, std::vector<edge>& out) {
        if (current >= 0 && level != current) out.push_back(edge{static_cast<double>(now_), level == 1, 1.0f});
        current = level;
    };
    if (id == crank_id_) apply(crank_level_, crank);
    if (wish_.cam_wanted && id == cam_id_) apply(cam_level_, cam);
}
