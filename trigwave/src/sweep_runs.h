// The levels that one position sweep (cam position, amplitude or relative
// amplitude) gives the frames, found run by run: a run is a stretch of frames
// that all give the same levels.
//
// Why a run can be found from a few frames: within one part of a sweep
// (between two neighbouring points) the swept value is a monotone function of
// the frame number. The position, the scaled position and its fraction are
// rounded monotone steps of at least 2^-32 per frame, and the interpolated value
// moves by (upper - lower) x that fraction's change, far above the few 2^-49 of
// its own rounding, in the direction of upper - lower. Every level below is a
// truncation of a monotone function of that value, so when two frames of one
// part give the same levels, every frame between them does too.
#pragma once

#include <cstdint>

#include "frame_math.h"
#include "trigwave.h"

// Which levels a wheel type's two channels read.
struct level_needs {
    bool cam_position;     // the simple cam pulse: cam position and full level
    bool full;             // +-32767 x amplitude
    bool tooth;            // +-(32767 x relative) x amplitude
    bool other;            // +-8531 x amplitude, for an unknown type letter
    bool half;             // +-32767 x (amplitude x 0.5), the Subaru cam
    bool exact_amplitude;  // the Fiat ramps scale every level by the factor itself
};

level_needs needs_of_type(char trigger_type);
// A wheel file reads as a multitooth type does: full and tooth levels, a cam position.
level_needs needs_of(const Trigwave& tw);

enum class sweep_kind { cam_position, relative, amplitude };

// What one sweep gives one frame; fields that the kind does not use stay 0.
struct sweep_levels {
    uint16_t part;             // position_int of lookup_and_weight
    uint64_t cam_units;        // cam position before the reduction modulo 65536
    double factor;             // relative or amplitude factor
    int16_t relative_level;    // 32767 x relative factor
    int16_t full, tooth, other, half;  // levels scaled by the amplitude factor
};

// lookup_and_weight for 0 <= p < 1, also giving the part p falls in.
long double sweep_value(const tokens_t* tokens, double p, uint16_t* part);

// The cam position in angle units before reduction, as cam_position_units forms it.
uint64_t cam_units_unreduced(long double degrees);

class sweep_runs {
public:
    sweep_runs(const Trigwave& tw, sweep_kind kind, const level_needs& needs,
               uint32_t total_frames);

    // Starts the run at frame n and finds its end. The amplitude's tooth level
    // builds on the relative level of frame n, which the caller passes.
    void start(uint32_t n, int16_t relative_level = 0);

    const sweep_levels& levels() const { return levels_; }
    uint32_t run_end() const { return end_; }

    // True when the cam sweep's part has two equal points. Its extended value
    // may then lie a hair below the point and truncate one unit lower, so the
    // cam position is left out of the run and settled frame by frame.
    bool cam_flat() const { return cam_flat_; }

    // The levels of frame n by the plain per-frame arithmetic.
    sweep_levels evaluate(uint32_t n) const;

private:
    bool same(const sweep_levels& a, const sweep_levels& b) const;
    uint32_t predicted_end(uint32_t from) const;
    void find_end(uint32_t from);

    const tokens_t* tokens_;
    sweep_kind kind_;
    level_needs needs_;
    uint32_t total_frames_;
    int16_t relative_level_ = 0;

    sweep_levels levels_{};
    bool cam_flat_ = false;
    uint32_t end_ = 0;
    // The levels of frame end_, met while searching for it.
    sweep_levels next_{};
    bool next_known_ = false;
};
