// The frames of a file with effects: the engine's angle integrated frame by frame from the
// RPM sweep (with the compression ripple of cranking), the crank drawn from its edges, each
// moved by jitter or left out or added by a fault (or as a VR sensor's voltage from its
// teeth), the cam from its pulses, then dropouts, flips, noise and spikes. Slower than the
// plain renderer, which stays the path of every file without effects.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <vector>

#include "crank_model.h"
#include "effects.h"
#include "frame_math.h"
#include "random_source.h"
#include "sample_writer.h"
#include "trigwave.h"
#include "truth_log.h"

class effects_renderer {
public:
    effects_renderer(const Trigwave& tw, const crank_model& model, const effects& fx);

    // Renders every frame to the stream; false when a sample cannot be written.
    bool render(FILE* file);
    // Frame n at the given speed (before cranking), levels and cam position; the angle goes
    // on from the frame before. render() gives it the sweeps' values, a player its own.
    void render_frame(uint32_t n, double rpm0, double amplitude, double relative, uint16_t cam_pos,
                      int16_t& crank_out, int16_t& cam_out);

    const truth_log& truth() const { return truth_; }
    // Frames whose samples went past full scale and were held there.
    uint64_t clipped() const { return clipped_; }
    double first_clip_s() const { return first_clip_s_; }
    // Tooth faults whose revolution never began in the file.
    std::vector<const fault*> unplaced() const;

private:
    struct occurrence {
        double nominal = 0, at = 0;  // cycle units from the file's start: drawn, then moved
        double lo = 0, hi = 0;       // the stretch after it (Hall), nominal
        double half_width = 0;       // the bump (VR)
        double size = 1;
        double room = 0, pitch = 0;
        std::size_t edge = 0;        // its edge (Hall) or tooth (VR) in the model
        uint32_t key = 0;            // the cycle unit of the followed edge it is or comes from
        bool followed = false, extra = false, removed = false, decided = false, passed = false;
        long row = 0;
        int tooth = 0;
        const fault* made_by = nullptr;
    };

    void generate_cycle();
    void decide(std::size_t i, uint16_t cam_pos);
    void insert_extra(std::size_t after, const occurrence& tooth);
    bool row_starts(const occurrence& o, uint16_t cam_pos) const;
    // whether the cam's reference pulse comes after the crank angle after and by upto
    bool cam_reference_in(double after, double upto, uint16_t cam_pos) const;
    void pass(occurrence& o, uint32_t n, uint16_t cam_pos);
    double crossing_time(double angle, uint32_t n) const;
    double crank_sample(double amplitude, double relative, double rpm) const;
    int16_t cam_sample(uint32_t n, uint16_t cam_pos, double amplitude);
    int16_t finish(double value, uint32_t n);
    truth_row* open_row() { return truth_.rows.empty() ? nullptr : &truth_.rows.back(); }
    void note(truth_anomaly a);
    long cycle_of_row(long row) const;

    const Trigwave& tw_;
    const crank_model& m_;
    const effects& fx_;
    render_plan plan_;
    bool has_edges_;  // a crank with edges (or VR teeth) to place, frame by frame

    double theta_ = 0, theta_prev_ = 0;  // cycle units from the file's start
    double first_angle_ = 0;             // the first frame's: what comes before it is not in the file
    std::deque<occurrence> queue_;
    long next_cycle_ = 0;
    double stretch_lo_ = 0, stretch_hi_ = 0;
    bool have_stretch_ = false;
    std::size_t decided_ = 0;  // queue entries decided so far

    long row_ = 0;
    int tooth_ = 0;           // the last followed tooth's number in its row, as decided
    bool flipped_ = false;    // the crank's polarity reversed by faults
    long deferred_row_ = 0;   // a row that begins at its first tooth's other edge
    double last_followed_ = -1e300;
    double last_other_ = -1e300;  // the last of the teeth's other edges passed
    bool even_teeth_ = false;     // the followed edges evenly spaced
    bool other_edges_ = false;        // the crank has edges a decoder does not follow
    bool other_edges_alike_ = false;  // and they make the followed edges' pattern
    static bool same_spacings(const std::vector<double>& a, const std::vector<double>& b);
    const fault* pending_missing_ = nullptr;
    const fault* pending_extra_ = nullptr;
    occurrence extra_tooth_;

    random_source jitter_rng_, crank_noise_, cam_noise_;
    double noise_rms_ = 0;
    double cranking_depth_ = 0, cranking_norm_ = 1;
    double runout_ = 0;

    bool cam_in_pulse_ = false, cam_suppressed_ = false;
    long nocam_reported_ = -1;
    // A cam pulse begun in a cam dropout: its nocam is certain only if the pulse ends there too.
    std::size_t dropout_nocam_row_ = 0, dropout_nocam_index_ = 0;
    bool dropout_nocam_open_ = false;
    struct window {
        uint32_t from = 0, to = 0;  // frames [from, to)
        fault_channel channel = fault_channel::crank;
        const fault* made_by = nullptr;
    };
    std::vector<window> dropouts_, spikes_, flips_;
    uint64_t clipped_ = 0;
    double first_clip_s_ = 0;
    truth_log truth_;
    std::vector<bool> placed_;  // per fault
};
