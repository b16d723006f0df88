// The frames of trigwave's file, rendered one at a time by trigwave's own per-frame
// functions (the speed of the frame in its RPM segment, the angle advanced from it, the
// sweeps looked up at the frame's position, the crank and cam samples), so that what is
// played with no command is byte for byte what trigwave writes. A command replaces the
// sweep of the value it sets from the next frame on; the angle goes on from where it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "command.h"
#include "effects_renderer.h"
#include "frame_math.h"
#include "trigwave.h"

// What the frames are made of now, for the status line.
struct live_values {
    uint16_t rpm = 0;
    double cam_degrees = 0;
    double amplitude = 0;  // factors: 1.0 is full scale
    double relative = 0;
};

class live_frames {
public:
    // hold: after the last frame of the file, the last values go on until quit. With
    // effects, their renderer draws each frame from the values.
    live_frames(const Trigwave& tw, bool hold, effects_renderer* effects = nullptr);

    // Renders up to `count` stereo frames (crank, then cam) into out and returns how many;
    // fewer only at the stream's end or at a quit.
    std::size_t render(int16_t* out, std::size_t count);

    // Takes a command: a timed one waits for its frame, any other acts on the next frame.
    void take(const command& c);
    // The keys: steps from the present values.
    void nudge_rpm(int step);
    void nudge_cam(int step);

    bool ended() const { return ended_; }
    // The frame of the first timed command still waiting (none: the largest number).
    uint64_t next_timed() const { return timed_.empty() ? UINT64_MAX : timed_.front().at; }
    uint64_t frames_played() const { return n_; }
    const live_values& values() const { return now_; }

private:
    struct rpm_ramp {
        uint16_t from = 0, to = 0;
        uint64_t start = 0, length = 0;
    };

    void apply(const command& c);
    void hold_all();
    void frame_values();
    uint16_t ramp_rpm() const;

    const Trigwave& tw_;
    effects_renderer* effects_;
    render_plan plan_;
    bool hold_ = false;
    bool ended_ = false;
    uint64_t n_ = 0;
    double accumulator_ = 0.0;

    // Each value comes from its sweep until a command sets it.
    bool rpm_swept_ = true, cam_swept_ = true, amplitude_swept_ = true, relative_swept_ = true;
    rpm_ramp ramp_;
    long double cam_value_ = 0;  // degrees, as the sweep's look-up gives them
    uint16_t cam_units_ = 0;
    live_values now_;

    std::vector<command> timed_;  // in the order of their frames
};
