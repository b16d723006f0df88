#include "frame_renderer.h"

#include <algorithm>

frame_renderer::frame_renderer(const Trigwave& tw, const render_plan& plan, FILE* file)
    : tw_(tw),
      plan_(plan),
      needs_(needs_of(tw)),
      tables_(make_wheel_tables(tw)),
      writer_(file),
      cam_(tw, sweep_kind::cam_position, needs_, plan.total_frames),
      relative_(tw, sweep_kind::relative, needs_, plan.total_frames),
      amplitude_(tw, sweep_kind::amplitude, needs_, plan.total_frames) {}

void frame_renderer::next_level_run(uint32_t n) {
    uint32_t end = plan_.total_frames;
    if (needs_.cam_position) {
        if (n >= cam_.run_end()) cam_.start(n);
        end = std::min(end, cam_.run_end());
    }
    // The tooth level builds on the relative level: a new relative run starts
    // a new amplitude run.
    bool relative_changed = false;
    if (needs_.tooth) {
        if (n >= relative_.run_end()) {
            relative_.start(n);
            relative_changed = true;
        }
        end = std::min(end, relative_.run_end());
    }
    if (n >= amplitude_.run_end() || relative_changed)
        amplitude_.start(n, relative_.levels().relative_level);
    run_end_ = std::min(end, amplitude_.run_end());

    const sweep_levels& a = amplitude_.levels();
    amplitude_factor_ = a.factor;
    full_ = a.full;
    half_ = a.half;
    slot_level_[slot_full_high] = a.full;
    slot_level_[slot_full_low] = static_cast<int16_t>(-a.full);
    slot_level_[slot_tooth_high] = a.tooth;
    slot_level_[slot_tooth_low] = static_cast<int16_t>(-a.tooth);
    slot_level_[slot_other_high] = a.other;
    slot_level_[slot_other_low] = static_cast<int16_t>(-a.other);

    cam_flat_ = needs_.cam_position && cam_.cam_flat();
    const sweep_levels& c = cam_.levels();
    if (cam_flat_) {
        // The point's extended value truncates to 91 x point, or one unit
        // lower when it lies a hair below the point.
        const uint64_t units = 91u * static_cast<uint64_t>(tw_.cam_pos_tokens.values[c.part]);
        cam_position_ = static_cast<uint16_t>(units & 0xFFFFu);
        cam_position_below_ = static_cast<uint16_t>((units > 0 ? units - 1 : 0) & 0xFFFFu);
    } else {
        cam_position_ = cam_position_below_ = static_cast<uint16_t>(c.cam_units & 0xFFFFu);
    }
}

uint16_t frame_renderer::exact_cam_position(uint32_t n) const {
    const double position = frame_position(n, plan_.total_frames);
    return cam_position_units(Trigwave::lookup_and_weight(&tw_.cam_pos_tokens, position));
}

namespace {

// The simple cam pulse covers cam_pos <= angle < cam_pos + 455, its end not wrapped.
inline bool in_cam_pulse(uint16_t angle, uint16_t cam_pos) {
    return static_cast<uint32_t>(angle) - cam_pos < 455u;
}

}  // namespace

template <bool Ramps, cam_kind Cam, bool CamFlat>
bool frame_renderer::render_run(uint32_t n, uint32_t stop) {
    const uint8_t* const slot = tables_.crank_slot.data();
    const int16_t* const ramp = tables_.ramp_level.data();
    const uint8_t* const cam_high = tables_.cam_high.data();
    const uint8_t* const cam_tooth = tw_.wheel_drawing ? tw_.wheel_drawing->cam_table() : nullptr;
    const double amplitude = amplitude_factor_;
    const int16_t full = full_;
    const int16_t half = half_;
    const uint16_t cam_pos = cam_position_;
    const uint16_t cam_below = cam_position_below_;
    bool ok = true;
    for (; n < stop; ++n) {
        const uint16_t angle = angle_.next();
        const int16_t crank = Ramps ? scale_level(ramp[angle], amplitude) : slot_level_[slot[angle]];
        int16_t cam;
        if (Cam == cam_kind::subaru) {
            cam = cam_high[angle] ? half : static_cast<int16_t>(-half);
        } else if (Cam == cam_kind::teeth) {
            bool high = cam_tooth[static_cast<uint16_t>(angle - cam_pos)] != 0;
            if (CamFlat && high != (cam_tooth[static_cast<uint16_t>(angle - cam_below)] != 0))
                high = cam_tooth[static_cast<uint16_t>(angle - exact_cam_position(n))] != 0;
            cam = high ? full : static_cast<int16_t>(-full);
        } else {
            bool inside = in_cam_pulse(angle, cam_pos);
            if (CamFlat && inside != in_cam_pulse(angle, cam_below))
                inside = in_cam_pulse(angle, exact_cam_position(n));
            cam = inside ? static_cast<int16_t>(-full) : full;
        }
        if (!writer_.put(crank) || !writer_.put(cam)) {
            ok = false;
            break;
        }
    }
    return ok;
}

bool frame_renderer::render_run(uint32_t n, uint32_t stop) {
    if (tables_.ramps)
        return cam_flat_ ? render_run<true, cam_kind::pulse, true>(n, stop)
                         : render_run<true, cam_kind::pulse, false>(n, stop);
    if (!tables_.cam_high.empty()) return render_run<false, cam_kind::subaru, false>(n, stop);
    if (tw_.wheel_drawing)
        return cam_flat_ ? render_run<false, cam_kind::teeth, true>(n, stop)
                         : render_run<false, cam_kind::teeth, false>(n, stop);
    return cam_flat_ ? render_run<false, cam_kind::pulse, true>(n, stop)
                     : render_run<false, cam_kind::pulse, false>(n, stop);
}

bool frame_renderer::render_segment(uint32_t i, uint16_t start, uint16_t end) {
    const uint32_t frames = plan_.frames_per_segment;
    const uint32_t base = i * frames;
    uint32_t j = 0;
    while (j < frames) {
        if (base + j >= run_end_) next_level_run(base + j);
        const uint32_t stop = std::min(rpm_run_end(start, end, j, frames), run_end_ - base);
        angle_.set_step(angle_step(frame_rpm_exact(start, end, j, frames)));
        if (!render_run(base + j, base + stop)) return false;
        j = stop;
    }
    return true;
}
