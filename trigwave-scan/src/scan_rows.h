// What the scan reports: one row per revolution (per cycle for wheels counted from the
// cam) and one event per anomaly.
#pragma once

#include <vector>

enum class anomaly_kind { none, missing, extra, nosync, nocam };

// "", "missing", "extra", "nosync", "nocam": the names the reports print.
const char* anomaly_name(anomaly_kind k);

struct revolution_row {
    long number = 0;
    double time_s = 0;           // the period's first tooth edge
    double rpm = -1;             // from the period's length; below 0 when not known
    int teeth = 0;
    int gap_after_tooth = -1;    // below 0 for wheels without a gap
    double cam_deg = -1;         // the first cam pulse in the period; below 0 when none fell in it
    std::vector<double> cam_degs;  // every cam pulse in the period, by crank position
    anomaly_kind anomaly = anomaly_kind::none;  // the first in the period
    // Kept for measuring the wheel (--save-wheel), for a period followed whole with no
    // anomaly: each tooth edge's time, in ticks, then the next period's first.
    std::vector<double> tooth_at;
    double end_at = -1;
};

struct anomaly_event {
    long revolution = 0;
    int tooth = 0;               // 0 when it concerns no one tooth
    double time_s = 0;
    anomaly_kind kind = anomaly_kind::missing;
};
