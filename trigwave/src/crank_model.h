// The crank and cam of one wheel (a type or a wheel file) as the effects work on them: the
// stretches between the crank's edges over a cycle, which of those edges a decoder follows,
// the teeth a VR sensor sees, how revolutions (or cycles) are counted and where the cam's
// pulses begin. Built once from the plain samplers, so every wheel trigwave draws has one.
#pragma once

#include <cstdint>
#include <vector>

#include "trigwave.h"

struct crank_edge {
    uint32_t at = 0;        // cycle unit where the stretch after it begins
    bool followed = false;  // the edge a decoder counts as a tooth
    double pitch = 0;       // units between this edge and its like around it, the lesser
    double room = 0;        // how far it may move without passing a neighbour, in units
};

struct vr_tooth {
    uint32_t edge = 0;      // the cycle unit of its followed edge, which names it
    double centre = 0;      // cycle units
    double half_width = 0;  // of the tooth's flux bump
    double size = 1;        // 2 beside a gap
    double pitch = 0;       // to the nearer neighbouring centre
    double room = 0;
};

struct cam_pulse {
    uint32_t start = 0;  // cycle unit at cam position 0
    bool reference = false;
};

struct crank_model {
    std::vector<crank_edge> edges;  // ascending within the cycle
    std::vector<vr_tooth> teeth;    // ascending centres
    double vr_scale = 1;            // the flux slope of an ordinary tooth's peak, made 1
    // Rows: revolutions counted from the tooth after the widest gap, or cycles counted from
    // the first tooth after the cam's reference pulse.
    bool per_cycle = false;
    bool from_cam = false;
    std::vector<uint32_t> first_teeth;  // cycle units of the followed edges that begin a row
    int teeth_per_row = 0;
    bool has_gap = false;
    std::vector<cam_pulse> cam;   // ascending starts
    bool cam_shifts = true;       // the cam position moves the pulses (not the Subaru cam)
    bool cam_pulse_high = false;  // a pulse is the cam's high state
    bool polarity_told = true;    // something in the crank tells a decoder which way up it is

    // The pulse state of the cam sample at amplitude 1: pulses are the shorter state.
    bool in_cam_pulse(int16_t unit_sample) const { return cam_pulse_high ? unit_sample > 0 : unit_sample < 0; }
};

crank_model make_crank_model(const Trigwave& tw);

// The flux slope of one tooth's bump at x half-widths from its centre (0 outside): the
// derivative of (1 - x^2)^3, smooth, crossing 0 downward at the centre.
inline double flux_slope(double x) {
    if (x <= -1 || x >= 1) return 0;
    const double s = 1 - x * x;
    return -6 * x * s * s;
}
