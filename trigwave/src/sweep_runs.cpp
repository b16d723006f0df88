#include "sweep_runs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

level_needs needs_of_type(char trigger_type) {
    level_needs n{};
    switch (trigger_type) {
    case 's': n.tooth = n.half = true; break;
    case 'm':
    case 'e': n.cam_position = n.full = n.tooth = true; break;
    case 'c': n.cam_position = n.full = true; break;
    case 'f': n.cam_position = n.full = n.exact_amplitude = true; break;
    default: n.cam_position = n.full = n.other = true; break;
    }
    return n;
}

level_needs needs_of(const Trigwave& tw) {
    return needs_of_type(tw.wheel_drawing ? 'm' : tw.trigger_type);
}

long double sweep_value(const tokens_t* tokens, double p, uint16_t* part) {
    // The part is lookup_and_weight's position_int; x < count - 1 for p < 1.
    const long double x = static_cast<long double>(tokens->count - 1) * static_cast<long double>(p);
    *part = static_cast<uint16_t>(x);
    return Trigwave::lookup_and_weight(tokens, p);
}

uint64_t cam_units_unreduced(long double degrees) {
    // Points are 0..65535, so degrees x 91 stays far below 2^53.
    return static_cast<uint64_t>(trunc_nonnegative(degrees * 91.0L));
}

namespace {

const tokens_t* tokens_of(const Trigwave& tw, sweep_kind kind) {
    switch (kind) {
    case sweep_kind::cam_position: return &tw.cam_pos_tokens;
    case sweep_kind::relative: return &tw.fading_tokens;
    case sweep_kind::amplitude: break;
    }
    return &tw.amplitude_tokens;
}

constexpr double never = std::numeric_limits<double>::infinity();

// A sweep's part as the straight line from frame numbers to values that it
// follows (up to rounding), for guessing where a level changes.
struct sweep_line {
    const tokens_t* tokens;
    uint16_t part;
    uint32_t total_frames;

    double lower() const { return tokens->values[part]; }
    double upper() const { return tokens->values[part + 1]; }
    double frame_at(double v) const {
        const double parts = tokens->count - 1;
        return (part + (v - lower()) / (upper() - lower())) * total_frames / parts;
    }
    double part_end() const {
        return static_cast<double>(part + 1) * total_frames / (tokens->count - 1);
    }
    // Where level = trunc(scale x value), held to 0..cap, next changes.
    double level_change(int level, double scale, int cap) const {
        if (upper() > lower()) return level >= cap ? never : frame_at((level + 1) / scale);
        if (upper() < lower()) return level <= 0 ? never : frame_at(level / scale);
        return never;
    }
};

}  // namespace

sweep_runs::sweep_runs(const Trigwave& tw, sweep_kind kind, const level_needs& needs,
                       uint32_t total_frames)
    : tokens_(tokens_of(tw, kind)), kind_(kind), needs_(needs), total_frames_(total_frames) {}

sweep_levels sweep_runs::evaluate(uint32_t n) const {
    sweep_levels f{};
    const double position = frame_position(n, total_frames_);
    const long double value = sweep_value(tokens_, position, &f.part);
    switch (kind_) {
    case sweep_kind::cam_position: f.cam_units = cam_units_unreduced(value); break;
    case sweep_kind::relative:
        f.factor = sweep_factor(value);
        f.relative_level = scale_level(32767, f.factor);
        break;
    case sweep_kind::amplitude:
        f.factor = sweep_factor(value);
        if (needs_.full) f.full = scale_level(32767, f.factor);
        if (needs_.tooth) f.tooth = scale_level(relative_level_, f.factor);
        if (needs_.other) f.other = scale_level(8531, f.factor);
        if (needs_.half) f.half = scale_level(32767, f.factor * 0.5);
        break;
    }
    return f;
}

bool sweep_runs::same(const sweep_levels& a, const sweep_levels& b) const {
    if (a.part != b.part) return false;
    switch (kind_) {
    case sweep_kind::cam_position: return cam_flat_ || a.cam_units == b.cam_units;
    case sweep_kind::relative: return a.relative_level == b.relative_level;
    case sweep_kind::amplitude: break;
    }
    if (needs_.exact_amplitude && std::memcmp(&a.factor, &b.factor, sizeof a.factor) != 0)
        return false;
    return a.full == b.full && a.tooth == b.tooth && a.other == b.other && a.half == b.half;
}

uint32_t sweep_runs::predicted_end(uint32_t from) const {
    const sweep_line line{tokens_, levels_.part, total_frames_};
    double at = line.part_end();
    switch (kind_) {
    case sweep_kind::cam_position:
        // Cam units stay below 65536 x 91.
        if (!cam_flat_)
            at = std::min(at, line.level_change(static_cast<int>(levels_.cam_units), 91.0, 1 << 30));
        break;
    case sweep_kind::relative:
        at = std::min(at, line.level_change(levels_.relative_level, 32.767, 32767));
        break;
    case sweep_kind::amplitude:
        if (needs_.full) at = std::min(at, line.level_change(levels_.full, 32.767, 32767));
        if (needs_.tooth && relative_level_ > 0)
            at = std::min(at, line.level_change(levels_.tooth, relative_level_ / 1000.0, 32767));
        if (needs_.other) at = std::min(at, line.level_change(levels_.other, 8.531, 32767));
        if (needs_.half) at = std::min(at, line.level_change(levels_.half, 16.3835, 32767));
        if (needs_.exact_amplitude && line.upper() != line.lower()) at = from + 1.0;
        break;
    }
    const double first = std::ceil(at);
    if (!(first > from)) return from + 1;
    if (first >= total_frames_) return total_frames_;
    return static_cast<uint32_t>(first);
}

void sweep_runs::start(uint32_t n, int16_t relative_level) {
    const bool reuse = next_known_ && n == end_ && relative_level == relative_level_;
    relative_level_ = relative_level;
    levels_ = reuse ? next_ : evaluate(n);
    cam_flat_ = kind_ == sweep_kind::cam_position &&
                tokens_->values[levels_.part] == tokens_->values[levels_.part + 1];
    find_end(n);
}

void sweep_runs::find_end(uint32_t from) {
    // Frames up to `same` are known to share the levels, frame `other` (when
    // below total_frames_) is known to differ; the run ends at `other` once
    // the two meet. The guess is checked first, then the search widens
    // (guess too short) or narrows (guess too long) in growing steps.
    uint32_t same_end = from;
    uint32_t other = total_frames_;
    sweep_levels other_levels{};
    auto probe = [&](uint32_t n) {
        const sweep_levels l = evaluate(n);
        if (same(levels_, l)) {
            same_end = n;
            return true;
        }
        other = n;
        other_levels = l;
        return false;
    };
    const uint32_t guess = predicted_end(from);
    bool beyond = true;
    if (guess - 1 > from) beyond = probe(guess - 1);
    if (beyond) {
        for (uint64_t step = 1; other == total_frames_ && same_end + 1 < total_frames_; step *= 2)
            probe(static_cast<uint32_t>(std::min<uint64_t>(same_end + step, total_frames_ - 1)));
    } else {
        for (uint64_t step = 1; other - same_end > 1; step *= 2)
            if (probe(static_cast<uint32_t>(std::max<uint64_t>(other - step, same_end + 1)))) break;
    }
    while (other - same_end > 1) probe(same_end + (other - same_end) / 2);
    end_ = other;
    next_ = other_levels;
    next_known_ = other < total_frames_;
}
