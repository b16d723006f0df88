// Turns a sampled trigger signal into edges the way a controller's input stage does.
//
// Both kinds learn the signal's levels from its teeth: a tooth is a peak and the trough
// after it (turning points beyond a small hysteresis, held by the signal for two samples
// and for a while, whether or not they crossed the middle), and the middle and the
// half-swing are the medians of the latest five teeth's. So a reference tooth or a gap at
// full scale beside teeth at a tenth of it does not move the middle, a change of volume
// or offset is followed within three teeth, a lone spike teaches nothing, and a crank
// that stops leaves the levels where they were.
//
// hall: a comparator at that middle, its hysteresis a small share of the half-swing but
// never below the hiss of a stopped crank.
//
// vr: a VR conditioner: armed when the signal rises above the baseline (the same middle)
// by a third of the decaying positive peak, then an event where it next falls through
// the baseline, the tooth's centre. Reported as alternating edges: rising where it was
// armed, falling at the crossing (the timed one).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "edge.h"
#include "input_kind.h"

class edge_finder {
public:
    explicit edge_finder(input_kind kind) : kind_(kind) {}

    // Appends the edges among count samples, taken every stride floats from samples.
    // Positions continue from the previous call; where a call ends changes nothing.
    void feed(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out);

    input_kind kind() const { return kind_; }

private:
    // The latest few values of one kind and their median.
    template <typename T>
    struct latest {
        std::array<T, 5> values{};
        std::size_t count = 0;
        void add(T v) { values[count++ % values.size()] = v; }
        T median() const;
    };

    // What the comparator needs of the levels, worked out when they change.
    struct thresholds {
        float middle, half, hysteresis, single, turn;
    };
    thresholds current() const;
    // A trough after the latest peak, found at sample now: learns the tooth.
    void tooth(float trough, double now);
    // A change of state at sample now: learns the spacing. False while it is not to be
    // reported.
    bool turn(double now, bool rising);
    void emit(std::vector<edge>& out, double at, bool rising, float sharpness);

    input_kind kind_;
    latest<float> middles_, halves_;
    float middle_ = 0, half_ = 0;       // their medians
    float reached_high_ = 0, reached_low_ = 0;  // the extremes before the first tooth
    float peak_ = 0;                    // the latest peak
    float extreme_ = 0;                 // the turning point being approached
    bool rising_ = true;                // toward a peak, or toward a trough
    int lasting_ = 0;                   // samples the signal has been back from the extreme
    int settle_ = 1;                    // and must be before it counts as a turning point
    float vr_peak_ = 0;                 // the decaying positive peak above the baseline
    float vr_peak_decay_ = 0;           // per sample, from the tooth spacing
    float previous_ = 0, before_ = 0;   // the last two samples
    latest<double> periods_;            // rise to rise and fall to fall
    latest<double> stretches_;          // edge to edge
    double period_ = 0;                 // the periods' median; 0 until known
    double quiet_from_ = 0;             // no edge since long before this
    std::array<double, 2> last_turn_{-1, -1};
    int state_ = 0;                     // -1 low (vr: disarmed), +1 high (vr: armed), 0 not known yet
    bool started_ = false;
    bool above_ = false;                // the last sample lay above the middle
    double crossed_ = 0;                // where the signal last crossed the middle
    double position_ = 0;
    double last_edge_ = -1;
};
