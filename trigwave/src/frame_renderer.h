// The frames of one file, rendered run by run: a run is a stretch of frames at
// one engine speed whose sweeps all give the same levels, so within it a frame
// costs one angle step and two table look-ups.
#pragma once

#include <cstdint>

#include "angle_stepper.h"
#include "frame_math.h"
#include "sample_writer.h"
#include "sweep_runs.h"
#include "trigwave.h"
#include "wheel_tables.h"

// The cam's three shapes: the simple pulse at the cam position, the Subaru cam's fixed
// teeth, a wheel file's teeth moved on by the cam position.
enum class cam_kind { pulse, subaru, teeth };

class frame_renderer {
public:
    frame_renderer(const Trigwave& tw, const render_plan& plan, FILE* file);

    // Renders the frames of RPM segment i, from start RPM to end RPM; false
    // when a sample cannot be written.
    bool render_segment(uint32_t i, uint16_t start, uint16_t end);

    // Hands the buffered samples to the stream; false when that fails.
    bool drain() { return writer_.drain(); }

private:
    void next_level_run(uint32_t n);
    template <bool Ramps, cam_kind Cam, bool CamFlat>
    bool render_run(uint32_t n, uint32_t stop);
    bool render_run(uint32_t n, uint32_t stop);
    uint16_t exact_cam_position(uint32_t n) const;

    const Trigwave& tw_;
    render_plan plan_;
    level_needs needs_;
    wheel_tables tables_;
    sample_writer writer_;
    angle_stepper angle_;

    sweep_runs cam_;
    sweep_runs relative_;
    sweep_runs amplitude_;
    uint32_t run_end_ = 0;  // first frame past the current level run
    bool cam_flat_ = false;
    int16_t slot_level_[slot_count] = {};
    double amplitude_factor_ = 0.0;
    int16_t full_ = 0;
    int16_t half_ = 0;
    uint16_t cam_position_ = 0;
    uint16_t cam_position_below_ = 0;  // one unit lower, for a flat cam part
};
