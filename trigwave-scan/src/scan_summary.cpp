#include "scan_summary.h"

#include <algorithm>

namespace {

constexpr std::size_t losses_kept = 10;

void range(double v, double& first, double& last, double& lo, double& hi) {
    if (v < 0) return;
    if (first < 0) first = lo = hi = v;
    last = v;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
}

}  // namespace

void scan_summary::add(const revolution_row& r) {
    if (rows == 0) first_time = r.time_s;
    ++rows;
    last_time = r.time_s;
    range(r.rpm, first_rpm, last_rpm, min_rpm, max_rpm);
    range(r.cam_deg, first_cam, last_cam, min_cam, max_cam);
}

void scan_summary::add(const anomaly_event& a) {
    if (a.kind == anomaly_kind::missing) ++missing;
    if (a.kind == anomaly_kind::extra) ++extra;
    if (a.kind == anomaly_kind::nocam) ++nocam;
    if (a.kind == anomaly_kind::nosync) {
        ++nosync;
        if (losses.size() < losses_kept) losses.push_back(a.time_s);
    }
}
