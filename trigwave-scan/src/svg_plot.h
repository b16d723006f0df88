// RPM and cam angle over time as an SVG picture, anomalies marked in red. Points are
// thinned as they come into at most a few hundred time buckets (each keeps its lowest
// and highest value), so the picture and its memory stay small for any length.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "report_sink.h"

class svg_plot : public report_sink {
public:
    explicit svg_plot(FILE* out) : out_(out) {}
    void row(const revolution_row& r) override;
    void anomaly(const anomaly_event& a) override;
    void finish(const wheel_model& m, const scan_summary& s) override;

    struct bucket {
        double t0 = 0, t1 = 0;
        double rpm_lo = -1, rpm_hi = -1, cam_lo = -1, cam_hi = -1;
        long anomalies = 0;
    };
    const std::vector<bucket>& buckets() const { return buckets_; }

private:
    void thin();

    FILE* out_;
    std::vector<bucket> buckets_;
    double width_ = 0;     // seconds per bucket, doubled whenever there are too many
    std::vector<double> marks_;   // anomaly times, thinned the same way
};
