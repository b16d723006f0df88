// The figures of a whole scan, gathered row by row: what a person reads at a glance.
#pragma once

#include <string>
#include <vector>

#include "scan_rows.h"

struct scan_summary {
    long rows = 0;
    double first_time = 0, last_time = 0;
    double first_rpm = -1, last_rpm = -1, min_rpm = -1, max_rpm = -1;
    double first_cam = -1, last_cam = -1, min_cam = -1, max_cam = -1;
    long missing = 0, extra = 0, nosync = 0, nocam = 0;
    std::vector<double> losses;   // times where sync was lost, the first few
    double seconds = 0;           // length of the recording read

    void add(const revolution_row& r);
    void add(const anomaly_event& a);
    long anomalies() const { return missing + extra + nosync + nocam; }
};
