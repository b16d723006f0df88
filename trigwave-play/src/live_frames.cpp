#include "live_frames.h"

#include <algorithm>

namespace {

uint16_t clamp_value(int v) { return static_cast<uint16_t>(std::clamp(v, 0, 65535)); }

}  // namespace

live_frames::live_frames(const Trigwave& tw, bool hold, effects_renderer* effects)
    : tw_(tw), effects_(effects), plan_(make_render_plan(tw.rpm_tokens.count, tw.length_sec)), hold_(hold) {
    // With no frames to play, --hold keeps the first values.
    if (plan_.total_frames == 0) {
        if (!hold_) ended_ = true;
        frame_values();
        hold_all();
    } else {
        frame_values();
    }
}

// The values of frame n_, from the sweeps where no command has set them.
void live_frames::frame_values() {
    const bool in_file = n_ < plan_.total_frames;
    const double position = in_file ? frame_position(static_cast<uint32_t>(n_), plan_.total_frames) : 0.0;
    if (rpm_swept_) {
        if (in_file) {
            const uint32_t i = static_cast<uint32_t>(n_ / plan_.frames_per_segment);
            const uint32_t j = static_cast<uint32_t>(n_ % plan_.frames_per_segment);
            now_.rpm = frame_rpm(tw_.rpm_tokens.values[i], tw_.rpm_tokens.values[i + 1], j, plan_.frames_per_segment);
        } else {
            now_.rpm = tw_.rpm_tokens.values[0];
        }
    } else {
        now_.rpm = ramp_rpm();
    }
    if (cam_swept_) {
        cam_value_ = Trigwave::lookup_and_weight(&tw_.cam_pos_tokens, position);
        cam_units_ = cam_position_units(cam_value_);
    }
    now_.cam_degrees = static_cast<double>(cam_value_);
    if (amplitude_swept_) now_.amplitude = sweep_factor(Trigwave::lookup_and_weight(&tw_.amplitude_tokens, position));
    if (relative_swept_) now_.relative = sweep_factor(Trigwave::lookup_and_weight(&tw_.fading_tokens, position));
}

uint16_t live_frames::ramp_rpm() const {
    const uint64_t k = n_ - ramp_.start;
    if (k >= ramp_.length) return ramp_.to;
    // trigwave's own interpolation within a segment, the ramp being one segment.
    return frame_rpm(ramp_.from, ramp_.to, static_cast<uint32_t>(k), static_cast<uint32_t>(ramp_.length));
}

std::size_t live_frames::render(int16_t* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count && !ended_) {
        while (!timed_.empty() && timed_.front().at <= n_) {
            const command c = timed_.front();
            timed_.erase(timed_.begin());
            apply(c);
        }
        if (ended_) break;
        if (n_ == plan_.total_frames && plan_.total_frames > 0) {
            if (!hold_) {
                ended_ = true;
                break;
            }
            hold_all();
        }
        frame_values();
        if (effects_ != nullptr) {
            // Its windows and faults are placed by frame number: past 2^32 frames (27 hours
            // of holding) they would come round again, long after any bench session.
            effects_->render_frame(static_cast<uint32_t>(n_), now_.rpm, now_.amplitude, now_.relative, cam_units_,
                                   out[2 * done], out[2 * done + 1]);
        } else {
            const uint16_t angle = advance_angle(&accumulator_, now_.rpm);
            out[2 * done] = tw_.primary_trigger_sample(angle, now_.amplitude, now_.relative);
            out[2 * done + 1] = tw_.cam_trigger_sample(angle, cam_units_, now_.amplitude);
        }
        ++done;
        ++n_;
    }
    return done;
}

void live_frames::take(const command& c) {
    if (!c.timed || c.at <= n_) {
        apply(c);
        return;
    }
    // After every command already waiting for the same frame: a script's order holds.
    const auto at = std::upper_bound(timed_.begin(), timed_.end(), c,
                                     [](const command& a, const command& b) { return a.at < b.at; });
    timed_.insert(at, c);
}

// Every value kept where it is: the sweeps and a ramp in progress stop.
void live_frames::hold_all() {
    ramp_ = rpm_ramp{now_.rpm, now_.rpm, n_, 0};
    rpm_swept_ = cam_swept_ = amplitude_swept_ = relative_swept_ = false;
}

void live_frames::apply(const command& c) {
    switch (c.kind) {
    case command_kind::rpm:
        ramp_ = rpm_ramp{now_.rpm, c.value, n_, c.over};
        rpm_swept_ = false;
        break;
    case command_kind::cam:
        cam_value_ = c.value;
        cam_units_ = cam_position_units(cam_value_);
        cam_swept_ = false;
        break;
    case command_kind::amplitude:
        now_.amplitude = sweep_factor(c.value);
        amplitude_swept_ = false;
        break;
    case command_kind::relative:
        now_.relative = sweep_factor(c.value);
        relative_swept_ = false;
        break;
    case command_kind::hold:
        hold_all();
        break;
    case command_kind::quit:
        ended_ = true;
        break;
    }
}

void live_frames::nudge_rpm(int step) {
    command c;
    c.kind = command_kind::rpm;
    c.value = clamp_value(static_cast<int>(now_.rpm) + step);
    apply(c);
    frame_values();
}

void live_frames::nudge_cam(int step) {
    // The cam position is a sweep's point: whole degrees, wrapped into one cycle of 720.
    int degrees = static_cast<int>(cam_value_) + step;
    degrees = ((degrees % 720) + 720) % 720;
    command c;
    c.kind = command_kind::cam;
    c.value = clamp_value(degrees);
    apply(c);
    frame_values();
}
