#include "csv_parser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "edge_source.h"

namespace {

// Rows whose times a sampled channel's late edges may still need: an edge is placed at
// most a few samples behind the sample that shows it.
constexpr std::size_t kept_times = 4096;
// Nanoseconds a recording may span: a few months, within a double's exact integers.
constexpr double longest_span = 1e16;

bool is_level(double v) { return v == 0 || v == 1; }

}  // namespace

csv_parser::csv_parser(csv_format format, channel_wish wish, input_choice input)
    : format_(format), wish_(std::move(wish)), input_(input) {
    // A tooth log's levels are levels: nothing to judge.
    judged_ = format_ == csv_format::composite;
}

void csv_parser::fail(const std::string& what) const {
    throw input_error("line " + std::to_string(lines_.line()) + ": " + what);
}

void csv_parser::feed(const char* data, std::size_t size, std::vector<edge>& crank, std::vector<edge>& cam) {
    lines_.feed(data, size, [&](std::string_view text) { line(text, crank, cam); });
    flush(crank, cam);
}

void csv_parser::finish(std::vector<edge>& crank, std::vector<edge>& cam) {
    lines_.finish([&](std::string_view text) { line(text, crank, cam); });
    if (!header_done() && format_ == csv_format::composite && !header_.empty()) {
        // a header without a units row or any row after it
        std::vector<std::string_view> names(header_.begin(), header_.end());
        layout_ = composite_layout(names, {}, wish_);
    }
    if (!header_done()) throw input_error("no rows: only comments or blank lines");
    if (!judged_) judge(crank, cam);
    flush(crank, cam, true);
}

void csv_parser::cut(std::vector<edge>& crank, std::vector<edge>& cam) {
    if (!judged_) judge(crank, cam);
    flush(crank, cam, true);
}

void csv_parser::line(std::string_view text, std::vector<edge>& crank, std::vector<edge>& cam) {
    if (passed_over(text)) return;
    if (header_done() && !units_next_) {
        body(text, crank, cam);
        return;
    }
    split_fields(text, fields_);
    const bool numbers = all_numbers(fields_);
    if (format_ == csv_format::logic) {
        if (fields_.size() < 2) fail("a time and at least one channel are wanted, the row has " + std::to_string(fields_.size()) + " column");
        if (numbers) {
            layout_ = logic_layout({}, fields_.size(), wish_);
            body(text, crank, cam);
        } else {
            header_.assign(fields_.begin(), fields_.end());
            layout_ = logic_layout(fields_, fields_.size(), wish_);
        }
        return;
    }
    if (!units_next_) {
        // the header, kept until the units row says the time's unit
        header_.assign(fields_.begin(), fields_.end());
        units_next_ = true;
        return;
    }
    units_next_ = false;
    std::vector<std::string_view> names(header_.begin(), header_.end());
    if (!numbers && fields_.size() != names.size())
        fail("a units row of " + std::to_string(fields_.size()) + " columns, the header has " + std::to_string(names.size()));
    layout_ = composite_layout(names, numbers ? std::vector<std::string_view>{} : fields_, wish_);
    if (numbers) body(text, crank, cam);
}

void csv_parser::body(std::string_view text, std::vector<edge>& crank, std::vector<edge>& cam) {
    split_fields(text, fields_);
    if (fields_.size() != layout_.columns)
        fail("a row of " + std::to_string(fields_.size()) + " columns, " +
             (format_ == csv_format::logic && header_.empty() ? "the first has " : "the header has ") +
             std::to_string(layout_.columns));
    double t;
    if (!parse_number(fields_[layout_.time], t)) fail("the time '" + std::string(fields_[layout_.time]) + "' is not a number");
    if (!started_) {
        first_time_ = last_time_ = t;
        started_ = true;
    }
    if (t < last_time_) {
        char text_times[96];
        std::snprintf(text_times, sizeof text_times, "the time goes backwards: %.9g after %.9g", t, last_time_);
        fail(text_times);
    }
    last_time_ = t;
    row r{std::nearbyint((t - first_time_) * layout_.ticks_per_unit), 0, 0};
    if (!(r.ticks <= longest_span)) fail("the time '" + std::string(fields_[layout_.time]) + "' lies months after the first row's");
    const auto value = [&](std::size_t column, const std::string& name) {
        double v;
        if (!parse_number(fields_[column], v)) fail(name + ": '" + std::string(fields_[column]) + "' is not a number");
        return v;
    };
    r.crank = value(layout_.crank, layout_.crank_name);
    if (layout_.has_cam) r.cam = value(layout_.cam, layout_.cam_name);
    last_ticks_ = r.ticks;
    if (judged_) {
        take(r, crank, cam);
        return;
    }
    held_.push_back(r);
    if (held_.size() == first_rows) judge(crank, cam);
}

void csv_parser::level(channel_state& ch, const std::string& name, double value, double ticks, std::vector<edge>& out) {
    if (ch.sampled) {
        ch.pending.push_back(static_cast<float>(value * ch.gain));
        return;
    }
    if (!is_level(value)) {
        char text[64];
        std::snprintf(text, sizeof text, "'%.6g'", value);
        fail(name + ": " + text + (format_ == csv_format::composite ? " is not a level, 0 or 1"
                                                                  : " where its first rows held only levels, 0 and 1"));
    }
    const int now = static_cast<int>(value);
    if (ch.level >= 0 && now != ch.level) out.push_back(edge{ticks, now == 1, 1.0f});
    ch.level = now;
}

void csv_parser::take(const row& r, std::vector<edge>& crank, std::vector<edge>& cam) {
    if (crank_.sampled || cam_.sampled) times_.push_back(r.ticks);
    level(crank_, layout_.crank_name, r.crank, r.ticks, crank);
    if (layout_.has_cam) level(cam_, layout_.cam_name, r.cam, r.ticks, cam);
}

void csv_parser::judge(std::vector<edge>& crank, std::vector<edge>& cam) {
    judged_ = true;
    std::vector<float> values(held_.size());
    for (channel_state* ch : {&crank_, &cam_}) {
        if (ch == &cam_ && !layout_.has_cam) continue;
        const auto of = [&](const row& r) { return ch == &crank_ ? r.crank : r.cam; };
        ch->sampled = !std::all_of(held_.begin(), held_.end(), [&](const row& r) { return is_level(of(r)); });
        if (!ch->sampled) continue;
        double loudest = 0;
        for (const row& r : held_) loudest = std::max(loudest, std::abs(of(r)));
        ch->gain = loudest > 0 ? static_cast<float>(1 / loudest) : 1.0f;
        for (std::size_t i = 0; i < held_.size(); ++i) values[i] = static_cast<float>(of(held_[i]) * ch->gain);
        const input_kind kind = input_ == input_choice::automatic ? decide_input(values.data(), values.size(), 1)
                              : input_ == input_choice::vr       ? input_kind::vr
                                                                 : input_kind::hall;
        ch->finder = edge_finder(kind);
    }
    for (const row& r : held_) take(r, crank, cam);
    held_.clear();
    held_.shrink_to_fit();
}

double csv_parser::time_at(double position) const {
    if (times_.empty()) return last_ticks_;
    const double at = std::max(position - times_from_, 0.0);
    const auto i = static_cast<std::size_t>(at);
    if (i + 1 >= times_.size()) return times_.back();
    return times_[i] + (at - static_cast<double>(i)) * (times_[i + 1] - times_[i]);
}

void csv_parser::flush(channel_state& ch, std::vector<edge>& out, bool ending) {
    if (!ch.sampled || (ch.pending.empty() && !ending)) return;
    std::vector<edge> found;
    ch.finder.feed(ch.pending.data(), ch.pending.size(), 1, found);
    if (ending) ch.finder.finish(found);
    ch.pending.clear();
    for (edge e : found) {
        e.at = time_at(e.at);
        out.push_back(e);
    }
}

void csv_parser::flush(std::vector<edge>& crank, std::vector<edge>& cam, bool ending) {
    flush(crank_, crank, ending);
    flush(cam_, cam, ending);
    if (times_.size() > kept_times) {
        const std::size_t drop = times_.size() - kept_times;
        times_.erase(times_.begin(), times_.begin() + static_cast<std::ptrdiff_t>(drop));
        times_from_ += static_cast<double>(drop);
    }
}

std::string csv_parser::input_line() const {
    if (!crank_.sampled && !cam_.sampled) return {};
    const auto kind = [](const channel_state& ch) { return ch.sampled ? input_kind_name(ch.finder.kind()) : "digital"; };
    return ::input_line(kind(crank_), layout_.has_cam ? kind(cam_) : nullptr, input_ == input_choice::automatic);
}
