#include "effects_renderer.h"

#include <algorithm>

#include "shape_math.h"

namespace {

constexpr double cycle = 65536;
constexpr double degrees_per_unit = 720.0 / 65536;
constexpr double ln10 = 2.30258509299404568402;

// The first frame at or after a time in microseconds.
uint32_t frame_at(int64_t us) {
    return static_cast<uint32_t>((static_cast<uint64_t>(us) * sample_rate + 999999) / 1000000);
}

}  // namespace

effects_renderer::effects_renderer(const Trigwave& tw, const crank_model& model, const effects& fx)
    : tw_(tw),
      m_(model),
      fx_(fx),
      plan_(make_render_plan(tw.rpm_tokens.count, tw.length_sec)),
      has_edges_(fx.vr ? !model.teeth.empty() : !model.edges.empty()),
      jitter_rng_(fx.seed, 1),
      crank_noise_(fx.seed, 2),
      cam_noise_(fx.seed, 3),
      placed_(fx.faults.size(), false) {
    if (fx.noise) noise_rms_ = 32767 * exponential(static_cast<double>(fx.noise_dbfs) / 1000 / 20 * ln10);
    if (fx.cylinders > 0) {
        // The speed is rpm x (1 + d sin) / sqrt(1 - d^2): over each stroke the time taken is
        // that at the plain rpm, which so stays the mean.
        cranking_depth_ = static_cast<double>(fx.depth) / 100000;
        cranking_norm_ = 1 / square_root(1 - cranking_depth_ * cranking_depth_);
    }
    runout_ = static_cast<double>(fx.runout) / 100000;
    // What a flip shows a decoder: the teeth's other edges (none on a VR sensor), and whether
    // they make the pattern of the edges followed
    std::vector<double> followed, other;
    for (const crank_edge& e : m_.edges) (e.followed ? followed : other).push_back(e.at);
    other_edges_ = !fx_.vr && !other.empty();
    other_edges_alike_ = same_spacings(followed, other);
    // teeth evenly spaced: a decoder tells the cycle by the cam alone, at the first edge after it
    even_teeth_ = !followed.empty();
    const auto spacing = [&](std::size_t i) {
        return (i + 1 < followed.size() ? followed[i + 1] : followed[0] + cycle) - followed[i];
    };
    for (std::size_t i = 0; even_teeth_ && i < followed.size(); ++i)
        even_teeth_ = spacing(i) > 0.9 * spacing(0) && spacing(i) < 1.1 * spacing(0);
    for (const fault& f : fx.faults) {
        window w;
        w.from = frame_at(f.at_us);
        w.to = f.kind == fault_kind::dropout ? frame_at(f.at_us + f.length_us) : w.from + 1;
        w.channel = f.channel;
        w.made_by = &f;
        if (f.kind == fault_kind::dropout) dropouts_.push_back(w);
        if (f.kind == fault_kind::spike) spikes_.push_back(w);
        if (f.kind == fault_kind::flip) flips_.push_back(w);
    }
}

// The edges (or VR teeth) of the next cycle, as drawn.
void effects_renderer::generate_cycle() {
    const double base = static_cast<double>(next_cycle_++) * cycle;
    if (fx_.vr) {
        for (std::size_t i = 0; i < m_.teeth.size(); ++i) {
            const vr_tooth& t = m_.teeth[i];
            occurrence o;
            o.nominal = o.at = base + t.centre;
            o.half_width = t.half_width;
            o.size = t.size;
            o.room = t.room;
            o.pitch = t.pitch;
            o.edge = i;
            o.key = t.edge;
            o.followed = true;
            queue_.push_back(o);
        }
        return;
    }
    const std::size_t n = m_.edges.size();
    for (std::size_t i = 0; i < n; ++i) {
        const crank_edge& e = m_.edges[i];
        occurrence o;
        o.nominal = o.at = base + e.at;
        o.lo = o.nominal;
        o.hi = i + 1 < n ? base + m_.edges[i + 1].at : base + cycle + m_.edges[0].at;
        o.room = e.room;
        o.pitch = e.pitch;
        o.edge = i;
        o.key = e.at;
        o.followed = e.followed;
        queue_.push_back(o);
    }
}

// Whether two sets of edges in a cycle make the same pattern of spacings, one turned
// against the other: a decoder then cannot tell which of them it follows.
bool effects_renderer::same_spacings(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size() || a.size() < 2) return false;
    const std::size_t n = a.size();
    const auto spacing = [&](const std::vector<double>& v, std::size_t i) {
        return i + 1 < n ? v[i + 1] - v[i] : v[0] + cycle - v[i];
    };
    for (std::size_t shift = 0; shift < n; ++shift) {
        bool same = true;
        for (std::size_t i = 0; i < n && same; ++i) {
            const double x = spacing(a, i), y = spacing(b, (i + shift) % n);
            same = x < 1.1 * y && y < 1.1 * x;
        }
        if (same) return true;
    }
    return false;
}

bool effects_renderer::row_starts(const occurrence& o, uint16_t cam_pos) const {
    if (!m_.from_cam) return std::find(m_.first_teeth.begin(), m_.first_teeth.end(), o.key) != m_.first_teeth.end();
    // the first tooth after the cam's reference pulse, where the cam position has put it
    return cam_reference_in(last_followed_, o.nominal, cam_pos);
}

bool effects_renderer::cam_reference_in(double after, double upto, uint16_t cam_pos) const {
    for (const cam_pulse& p : m_.cam) {
        if (!p.reference) continue;
        const double start = p.start + (m_.cam_shifts ? cam_pos : 0);
        const double k = static_cast<double>(static_cast<int64_t>((upto - start) / cycle + 2)) - 2;
        const double at = k * cycle + start;
        // a pulse before the file's first frame is not in the file
        return at > after && at <= upto && at > first_angle_;
    }
    return false;
}

void effects_renderer::decide(std::size_t i, uint16_t cam_pos) {
    occurrence& o = queue_[i];
    o.decided = true;
    if (fx_.jitter > 0) {
        // sigma a share of the tooth's spacing, cut at 3 sigma and short of its neighbours
        const double sigma = static_cast<double>(fx_.jitter) / 100000 * o.pitch;
        double shift = std::clamp(jitter_rng_.gaussian(), -3.0, 3.0) * sigma;
        shift = std::clamp(shift, -o.room, o.room);
        o.at = o.nominal + shift;
    }
    if (!o.followed) {
        // the rest of a tooth that a fault took away, or the space an extra tooth goes in
        if (pending_missing_ != nullptr) o.removed = true;
        pending_missing_ = nullptr;
        if (pending_extra_ != nullptr) insert_extra(i, extra_tooth_);
        pending_extra_ = nullptr;
        return;
    }
    // a revolution begins in the file when its first tooth comes after the first frame's angle
    if (row_starts(o, cam_pos) && o.nominal > first_angle_) {
        ++row_;
        tooth_ = 0;
    }
    last_followed_ = o.nominal;
    o.row = row_;
    o.tooth = ++tooth_;
    if (row_ == 0) return;
    for (std::size_t k = 0; k < fx_.faults.size(); ++k) {
        const fault& f = fx_.faults[k];
        if (f.revolution != row_ || f.tooth != o.tooth) continue;
        if (f.kind == fault_kind::missing) {
            o.removed = true;
            o.made_by = &f;
            pending_missing_ = &f;
            placed_[k] = true;
        } else if (f.kind == fault_kind::extra) {
            extra_tooth_ = o;
            extra_tooth_.made_by = &f;
            pending_extra_ = &f;
            placed_[k] = true;
        }
    }
    // a sawtooth or a VR tooth has no edge of its own after it: the space begins here
    const bool edge_after = !fx_.vr && !m_.edges[(o.edge + 1) % m_.edges.size()].followed;
    if (!edge_after) {
        pending_missing_ = nullptr;
        if (pending_extra_ != nullptr) insert_extra(i, extra_tooth_);
        pending_extra_ = nullptr;
    }
}

// An extra tooth in the middle of the space that begins at queue entry `after`: the middle
// third of it, drawn at the level of the tooth it follows.
void effects_renderer::insert_extra(std::size_t after, const occurrence& tooth) {
    const occurrence& space = queue_[after];
    // the next followed edge as drawn, and the earliest jitter may bring it
    double next = space.nominal + cycle, next_room = 0;
    if (fx_.vr) {
        const vr_tooth& t = m_.teeth[(space.edge + 1) % m_.teeth.size()];
        double d = t.centre - m_.teeth[space.edge].centre;
        if (d <= 0) d += cycle;
        next = space.nominal + d;
        next_room = t.room;
    } else {
        const std::size_t n = m_.edges.size();
        for (std::size_t k = 1; k <= n; ++k) {
            const crank_edge& e = m_.edges[(space.edge + k) % n];
            if (!e.followed) continue;
            double d = e.at - m_.edges[space.edge].at;
            if (d <= 0) d += cycle;
            next = space.nominal + d;
            next_room = e.room;
            break;
        }
    }
    // the middle third of the space, ending before jitter can bring the next edge
    const double from = space.at, width = next - from;
    const double latest = fx_.jitter > 0 ? next - next_room : next;
    occurrence rise = tooth;
    rise.extra = true;
    rise.decided = true;
    rise.removed = false;
    if (fx_.vr) {
        rise.nominal = rise.at = from + width / 2;
        // as wide as the tooth it follows, so as steep, but within the space
        rise.half_width = std::min(tooth.half_width, 0.3 * (next - space.nominal));
        rise.size = 1;
        queue_.insert(queue_.begin() + static_cast<std::ptrdiff_t>(after) + 1, rise);
        return;
    }
    const double end = std::min(from + 2 * width / 3, latest - 1);
    rise.nominal = rise.at = std::min(from + width / 3, (from + end) / 2);
    rise.lo = rise.hi = tooth.nominal;  // held at the level just after the tooth's own edge
    occurrence top = rise;
    if (!other_edges_) {
        // A sawtooth's tooth is its sharp fall: from the ramp, the extra one climbs to the
        // level just before the tooth's own fall and falls from there, midway.
        top.followed = false;
        top.lo = top.hi = tooth.nominal - 1;
        rise.nominal = rise.at = (rise.at + end) / 2;
    }
    occurrence back = space;
    back.followed = false;
    back.extra = true;
    back.decided = true;
    back.removed = false;
    back.nominal = back.at = end;
    auto at = queue_.begin() + static_cast<std::ptrdiff_t>(after) + 1;
    if (!other_edges_) at = queue_.insert(at, top) + 1;
    queue_.insert(queue_.insert(at, rise) + 1, back);
}

double effects_renderer::crossing_time(double angle, uint32_t n) const {
    const double step = theta_ - theta_prev_;
    const double share = step > 0 ? (angle - theta_prev_) / step : 1;
    // jitter may bring the first edge before the first frame: the file shows it there
    return std::max(0.0, (static_cast<double>(n) - 1 + share) / sample_rate);
}

void effects_renderer::note(truth_anomaly a) {
    truth_row* row = open_row();
    (row != nullptr ? row->anomalies : truth_.before).push_back(std::move(a));
}

long effects_renderer::cycle_of_row(long row) const { return m_.per_cycle ? row : (row + 1) / 2; }

void effects_renderer::pass(occurrence& o, uint32_t n, uint16_t cam_pos) {
    o.passed = true;
    if (!o.removed && !fx_.vr) {
        stretch_lo_ = o.lo;
        stretch_hi_ = o.hi;
        have_stretch_ = true;
    }
    // Even teeth counted from the cam: a flipped crank's cycle opens at the first of the
    // teeth's other edges after the reference, which may be the other edge of the tooth before.
    const bool cycles_by_other_edges = flipped_ && other_edges_ && m_.from_cam && even_teeth_;
    if (!o.followed && !o.extra && !o.removed) {
        const bool opens = cycles_by_other_edges && row_ > 0 && cam_reference_in(last_other_, o.nominal, cam_pos);
        last_other_ = o.nominal;
        if (opens) {
            truth_row r;
            r.number = truth_.rows.empty() ? 1 : truth_.rows.back().number + 1;
            r.time_s = crossing_time(o.at, n);
            r.start = o.nominal;
            truth_.rows.push_back(r);
        }
    }
    if (!o.followed && cycles_by_other_edges) return;
    if (!o.followed) {
        // with the crank flipped a decoder takes each tooth's other edge
        if (deferred_row_ > 0 && !o.extra && !o.removed) {
            truth_row r;
            r.number = deferred_row_;
            r.time_s = crossing_time(o.at, n);
            r.start = o.nominal;
            truth_.rows.push_back(r);
            deferred_row_ = 0;
        }
        return;
    }
    const double t = crossing_time(o.at, n);
    if (o.extra) {
        truth_row* row = open_row();
        if (row != nullptr) row->teeth++;
        note({o.tooth, t, "extra", o.made_by->text, false});
        return;
    }
    if (cycles_by_other_edges) {
        // the rows open at the other edges
    } else if (o.row > 0 && flipped_ && other_edges_ && (truth_.rows.empty() || truth_.rows.back().number != o.row)) {
        deferred_row_ = o.row;
    } else if (o.row > 0 && (truth_.rows.empty() || truth_.rows.back().number != o.row)) {
        truth_row r;
        r.number = o.row;
        r.time_s = t;
        r.start = o.nominal;
        truth_.rows.push_back(r);
    }
    if (o.removed) {
        if (o.made_by != nullptr) note({o.tooth, t, "missing", o.made_by->text, false});
        return;
    }
    if (truth_row* row = open_row()) row->teeth++;
}

int16_t effects_renderer::finish(double value, uint32_t n) {
    if (value > 32767 || value < -32767) {
        if (clipped_++ == 0) first_clip_s_ = static_cast<double>(n) / sample_rate;
        value = value > 0 ? 32767 : -32767;
    }
    return static_cast<int16_t>(round_to_int(value));
}

double effects_renderer::crank_sample(double amplitude, double relative, double rpm) const {
    if (fx_.vr) {
        // the flux's slope under the sensor, from every bump that reaches this angle
        double slope = 0;
        for (const occurrence& o : queue_) {
            if (!o.decided) break;
            const double x = (theta_ - o.at) / o.half_width;
            if (!o.removed && x > -1 && x < 1) slope += o.size * flux_slope(x) / o.half_width;
        }
        // a wheel running out of true comes nearer the sensor and goes further once a turn
        const double runout = 1 + runout_ * sine_turns(theta_ / (cycle / 2));
        const double volts = slope * m_.vr_scale * rpm / 1000 * amplitude * 32767 * runout;
        return tw_.polarity != 0 ? -volts : volts;
    }
    const uint64_t unit = static_cast<uint64_t>(theta_);
    if (!have_stretch_) return tw_.primary_trigger_sample(static_cast<uint16_t>(unit & 0xFFFFu), amplitude, relative);
    // the stretch the crank is in, wherever jitter or a fault has put its ends
    const double at = std::clamp(theta_, stretch_lo_, std::max(stretch_lo_, stretch_hi_ - 1));
    return tw_.primary_trigger_sample(static_cast<uint16_t>(static_cast<uint64_t>(at) & 0xFFFFu), amplitude, relative);
}

int16_t effects_renderer::cam_sample(uint32_t n, uint16_t cam_pos, double amplitude) {
    const uint16_t unit = static_cast<uint16_t>(static_cast<uint64_t>(theta_) & 0xFFFFu);
    const bool in_pulse = m_.in_cam_pulse(tw_.cam_trigger_sample(unit, cam_pos, 1.0));
    int16_t value = tw_.cam_trigger_sample(unit, cam_pos, amplitude);
    bool dropped = false;
    for (const window& w : dropouts_)
        dropped = dropped || (w.channel != fault_channel::crank && n >= w.from && n < w.to);
    if (in_pulse && !cam_in_pulse_) {
        // a pulse begins: which of the cycle's, and at what angle from the row's first tooth
        const uint16_t local = static_cast<uint16_t>(unit - (m_.cam_shifts ? cam_pos : 0));
        const cam_pulse* p = nullptr;
        int nearest = 1 << 30;
        for (const cam_pulse& c : m_.cam) {
            const int d = std::abs(static_cast<int16_t>(static_cast<uint16_t>(local - c.start)));
            if (d < nearest) {
                nearest = d;
                p = &c;
            }
        }
        truth_row* row = open_row();
        const long cyc = row != nullptr ? cycle_of_row(row->number) : 0;
        cam_suppressed_ = false;
        for (std::size_t k = 0; k < fx_.faults.size(); ++k) {
            if (fx_.faults[k].kind != fault_kind::nocam || fx_.faults[k].cycle != cyc || row == nullptr) continue;
            cam_suppressed_ = true;
            placed_[k] = true;
            if (nocam_reported_ != cyc) note({0, static_cast<double>(n) / sample_rate, "nocam", fx_.faults[k].text, false});
            nocam_reported_ = cyc;
        }
        if (!cam_suppressed_ && dropped && row != nullptr) {
            for (const window& w : dropouts_)
                if (w.channel != fault_channel::crank && n >= w.from && n < w.to && nocam_reported_ != cyc) {
                    // certain only if the pulse also ends within the dropout (settled at its end)
                    note({0, static_cast<double>(n) / sample_rate, "nocam", w.made_by->text, true});
                    dropout_nocam_open_ = true;
                    dropout_nocam_row_ = truth_.rows.size() - 1;
                    dropout_nocam_index_ = truth_.rows.back().anomalies.size() - 1;
                    nocam_reported_ = cyc;
                }
        }
        if (!cam_suppressed_ && !dropped && row != nullptr && p != nullptr) {
            const double shift = m_.cam_shifts ? cam_pos : 0;
            const double k = static_cast<double>(static_cast<int64_t>((theta_ - p->start - shift) / cycle + 2)) - 2;
            double angle = k * cycle + p->start + shift;
            if (theta_ - angle > cycle / 2) angle += cycle;
            // a pulse that began a hair before a row's first tooth, in the same frame, is the row before's
            truth_row* in = row;
            if (angle < row->start && truth_.rows.size() >= 2) in = &truth_.rows[truth_.rows.size() - 2];
            if (angle >= in->start) {
                const double deg = (angle - in->start) * degrees_per_unit;
                in->cam_degs.push_back(deg);
                if (p->reference && in->cam_deg < 0) in->cam_deg = deg;
            }
        }
    }
    if (!in_pulse && cam_in_pulse_ && dropout_nocam_open_) {
        if (dropped) truth_.rows[dropout_nocam_row_].anomalies[dropout_nocam_index_].optional = false;
        dropout_nocam_open_ = false;
    }
    cam_in_pulse_ = in_pulse;
    if (in_pulse && cam_suppressed_) value = static_cast<int16_t>(-value);
    if (dropped) value = 0;
    return value;
}

bool effects_renderer::render(FILE* file) {
    sample_writer writer(file);
    const uint32_t frames = plan_.frames_per_segment;
    for (uint32_t i = 0; i < plan_.segments; ++i) {
        const uint16_t start = tw_.rpm_tokens.values[i], end = tw_.rpm_tokens.values[i + 1];
        for (uint32_t j = 0; j < frames; ++j) {
            const uint32_t n = i * frames + j;
            const double position = frame_position(n, plan_.total_frames);
            const double amplitude = sweep_factor(Trigwave::lookup_and_weight(&tw_.amplitude_tokens, position));
            const double relative = sweep_factor(Trigwave::lookup_and_weight(&tw_.fading_tokens, position));
            const uint16_t cam_pos = cam_position_units(Trigwave::lookup_and_weight(&tw_.cam_pos_tokens, position));
            int16_t crank_out, cam_out;
            render_frame(n, frame_rpm_exact(start, end, j, frames), amplitude, relative, cam_pos, crank_out, cam_out);
            if (!writer.put(crank_out) || !writer.put(cam_out)) return false;
        }
    }
    return writer.drain();
}

void effects_renderer::render_frame(uint32_t n, double rpm0, double amplitude, double relative, uint16_t cam_pos,
                                    int16_t& crank_out, int16_t& cam_out) {
    double rpm = rpm0;
    if (fx_.cylinders > 0)
        rpm *= (1 + cranking_depth_ * sine_turns(fx_.cylinders * theta_ / cycle)) * cranking_norm_;
    theta_prev_ = theta_;
    theta_ += static_cast<double>(angle_step(1)) * rpm;
    if (n == 0) first_angle_ = theta_;

    if (has_edges_) {
        // decide what may move into this frame, then pass what has
        while (queue_.empty() || queue_.back().nominal - queue_.back().room < theta_ + cycle) generate_cycle();
        for (; decided_ < queue_.size(); ++decided_) {
            const occurrence& o = queue_[decided_];
            if (o.decided) continue;
            if (o.nominal - o.room - o.half_width > theta_) break;
            decide(decided_, cam_pos);
        }
        flipped_ = false;
        for (const window& w : flips_) flipped_ = flipped_ != (n >= w.from);
        for (occurrence& o : queue_) {
            if (!o.decided || o.at > theta_) break;
            if (!o.passed) pass(o, n, cam_pos);
        }
        while (!queue_.empty() && queue_.front().passed && queue_.front().at + queue_.front().half_width < theta_) {
            queue_.pop_front();
            --decided_;
        }
    }

    for (const window& w : dropouts_)
        if (n == w.from && w.channel != fault_channel::cam)
            note({0, static_cast<double>(n) / sample_rate, "nosync", w.made_by->text, false});
    for (const window& w : flips_) {
        if (n != w.from) continue;
        // the decoder loses its place where the crank tells its polarity (an even square
        // wave flipped is the same wave shifted); a tooth may look odd on the way
        const double t = static_cast<double>(n) / sample_rate;
        note({0, t, "nosync", w.made_by->text, !m_.polarity_told || fx_.vr || other_edges_alike_});
        note({0, t, "extra", w.made_by->text, true});
        note({0, t, "missing", w.made_by->text, true});
    }

    double crank = crank_sample(amplitude, relative, rpm);
    double cam = cam_sample(n, cam_pos, amplitude);
    for (const window& w : dropouts_)
        if (w.channel != fault_channel::cam && n >= w.from && n < w.to) crank = 0;
    for (const window& w : flips_)
        if (n >= w.from) crank = -crank;
    if (fx_.noise) {
        crank += noise_rms_ * crank_noise_.gaussian();
        cam += noise_rms_ * cam_noise_.gaussian();
    }
    crank_out = finish(crank, n);
    cam_out = finish(cam, n);
    for (const window& w : spikes_) {
        if (n != w.from) continue;
        if (w.channel == fault_channel::cam) {
            cam_out = 32767;
        } else {
            crank_out = 32767;
            note({0, static_cast<double>(n) / sample_rate, "extra", w.made_by->text, true});
        }
    }
}

std::vector<const fault*> effects_renderer::unplaced() const {
    std::vector<const fault*> out;
    for (std::size_t k = 0; k < fx_.faults.size(); ++k) {
        const fault_kind kind = fx_.faults[k].kind;
        if (!placed_[k] && (kind == fault_kind::missing || kind == fault_kind::extra || kind == fault_kind::nocam))
            out.push_back(&fx_.faults[k]);
    }
    return out;
}
