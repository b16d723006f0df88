// Measures the wheel a scan follows, for --save-wheel: each crank tooth's rise and fall and
// each cam tooth as angles, averaged over the periods followed whole. An angle is the share
// of its period's time (a revolution's, or a cycle's from the cam's reference), so an
// engine's change of speed within a period blurs it no more than it blurs the teeth.
// The tooth edge followed is a tooth's rise (its fall when the crank is reversed); the cam
// is written as recorded, its teeth its high stretches. Per revolution, the cam's cycle is
// two revolutions, the first the one whose first cam pulse comes sooner after its reference
// tooth. Holds a few periods of edges only.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "edge.h"
#include "report_sink.h"
#include "wheel_file.h"

class wheel_measurer : public report_sink {
public:
    // Every edge of both channels, in the order the scan follows them.
    void take(const channel_edge& e);
    void start(const wheel_model& m) override;
    void row(const revolution_row& r) override;
    void finish(const wheel_model& m, const scan_summary& s) override;

    long periods() const { return periods_; }
    long cam_cycles() const { return cam_cycles_; }
    // The wheel measured, named and sourced as given; false when no period was measured
    // whole. The crank's reference tooth (angle 0, full) is the period's first; for a wheel
    // counted from the cam, angle 0 is the cam's reference pulse.
    bool learned(const std::string& name, const std::string& source, wheel_file& out) const;

private:
    struct cam_job {
        double from, to;                // the window of cam rises, in ticks
        double start, middle, end;      // per revolution: the cycle's three tooth 0 times
        double ref;                     // per cycle: the reference pulse's time
        double length;                  // per cycle: the cycle's time
    };
    bool measure_crank(const revolution_row& r, double& ref);
    void queue_cam(const revolution_row& r, double ref);
    // Measures the cam of the job, or false when its edges have not all come yet.
    bool measure_cam(const cam_job& j, bool last);
    double cam_angle(const cam_job& j, double t) const;
    void prune();

    const wheel_model* model_ = nullptr;
    std::deque<edge> crank_, cam_;
    double latest_ = 0;

    // per tooth of the period: sums of its rise's share and its width's share
    std::vector<double> rise_sum_, width_sum_;
    long periods_ = 0;
    // per cam tooth of the cycle: sums of its rise's and width's angle
    std::vector<double> cam_rise_sum_, cam_width_sum_;
    long cam_cycles_ = 0;

    std::deque<cam_job> jobs_;
    bool held_ = false;                 // per revolution: the last revolution measured, held
    revolution_row held_row_;
};
