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
// The noise riding on the signal is measured as it comes (see noise_gauge; the first 16
// samples wait for it), and every threshold below stays a few times above it, as a
// conditioner's is set above the hiss it must ignore: white noise then makes no turning
// point, no edge and no arming. Once a tooth is known, no threshold passes a share of its
// half-swing for the noise. A clean signal measures none and is read as without it.
//
// hall: a comparator at that middle, its hysteresis a small share of the half-swing but
// never below the hiss of a stopped crank, nor the noise. A pulse a sample wide where the
// edges before it were all eight or more apart is a click that a controller's input
// filter would not pass: it makes no edge.
//
// vr: a VR conditioner: armed when the signal rises above the baseline (the same middle)
// by a third of the decaying positive peak, never less than a few times the noise, then an
// event where it next falls through the baseline, the tooth's centre (on a noisy signal,
// through a short moving average, its delay taken off). Reported as alternating edges:
// rising where it was armed, falling at the crossing (the timed one).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "edge.h"
#include "input_kind.h"

class edge_finder {
public:
    explicit edge_finder(input_kind kind) : kind_(kind) {}

    // Appends the edges among count samples, taken every stride floats from samples.
    // Positions continue from the previous call; where a call ends changes nothing.
    void feed(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out);
    // Appends the edge still held at the end of the signal.
    void finish(std::vector<edge>& out);

    input_kind kind() const { return kind_; }
    // The noise's RMS as measured so far, in the samples' units; 0 before 16 samples, and
    // where it is too faint to move any threshold (below 0.001).
    float noise() const { return noise_.rms(); }

private:
    // The latest few values of one kind and their median.
    template <typename T>
    struct latest {
        std::array<T, 5> values{};
        std::size_t count = 0;
        void add(T v) { values[count++ % values.size()] = v; }
        T median() const;
    };

    // The RMS of the white noise on the signal, from stretches of 256 samples: the least of
    // three measures, each scaled to what white noise alone gives: the median curvature
    // (the least of three neighbouring second differences: a step spoils two of them, never
    // three), the median fourth difference (a VR's smooth lobes leave it near 0), and the
    // median error of the best linear prediction of each step from the eight before it (a
    // fast signal's few harmonics are foreseen, noise is not). The median of the latest
    // five stretches. Samples at full scale (clipped) are left out.
    class noise_gauge {
    public:
        // Takes the next sample; true when the estimate was worked out again: after 16, 32,
        // 64 and 128 samples from what there is, then once a stretch (once five are known,
        // every fourth: noise changes slowly), the last few samples kept for the differences
        // and the prediction across its start.
        bool add(float x) {
            x_[filled_++] = x;
            const bool early = ++seen_ < block;
            if (early ? seen_ < first_block || (seen_ & (seen_ - 1)) != 0 : filled_ < x_.size()) return false;
            return renew();
        }
        float rms() const { return rms_; }
        static constexpr std::size_t first_block = 16;

    private:
        static constexpr std::size_t block = 256, order = 8, kept = order + 2;
        bool renew();
        // Over the samples held; negative when too few of them are unclipped, 0 when the
        // noise is too faint to move any threshold.
        float estimate();

        std::array<float, kept + block> x_{};     // the stretch, after the last few of the one before
        std::array<float, kept + block> work_{}, bends_{};
        std::array<std::size_t, kept + block> unclipped_{};  // unclipped samples in a row up to each
        std::array<unsigned char, kept + block> clipped_{}, near_clip_{};
        std::size_t filled_ = 0, seen_ = 0, stretches_ = 0;
        latest<float> blocks_;
        float rms_ = 0;
    };

    // What the comparator needs of the levels, worked out when they change.
    struct thresholds {
        float middle, half, hysteresis, single, turn, arm;
    };
    thresholds current() const;
    // feed's work on samples in order; gauged: the noise gauge has yet to take them.
    void read(const float* samples, std::size_t count, std::size_t stride, std::vector<edge>& out, bool gauged);
    // A trough after the latest peak, found at sample now: learns the tooth.
    void tooth(float trough, double now);
    // A change of state at sample now: learns the spacing. False while it is not to be
    // reported.
    bool turn(double now, bool rising);
    void emit(std::vector<edge>& out, double at, bool rising, float sharpness);
    void release(std::vector<edge>& out);
    // The samples a VR's moving average is to span (1: none): where the noise is louder
    // than the comparator's least hysteresis (-46 dBFS; a scope's quantisation is not), as
    // many as a turning point must last, an eighth of the shortest recent stretch between
    // edges, over which a lobe is nearly straight where it crosses.
    int smoothing() const;
    // Takes the next sample; its moving average.
    float smoothed(float x);

    input_kind kind_;
    noise_gauge noise_;
    static constexpr std::size_t first_samples = noise_gauge::first_block;
    std::vector<float> start_;          // the first samples, held until the noise is measured
    float start_held_ = 0;              // the latest finite one of them
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
    static constexpr std::size_t most_smoothing = 64;
    std::array<float, 2 * most_smoothing> recent_{};  // the latest samples, for the moving average
    std::size_t taken_ = 0;
    int smooth_ = 1;                    // the samples it spans
    double smooth_sum_ = 0;             // their sum
    float smoothed_ = 0;                // the previous sample's average
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
    // What the edges teach of the spacings, kept before each edge so that a click's two
    // edges can be taken back.
    struct spacing_memory {
        latest<double> periods, stretches;
        std::array<double, 2> last_turn;
        double period, quiet_from;
        float vr_peak_decay;
        int settle;
    };
    spacing_memory remembered() const;
    void recall(const spacing_memory& m);
    spacing_memory before_turn_{};
    std::optional<edge> waiting_;       // the comparator's latest edge, until it proves no click
    spacing_memory before_waiting_{};   // what was known before it
    bool waiting_among_long_ = false;   // the stretches before it were all long
};
