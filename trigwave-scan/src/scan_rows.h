// What the scan reports: one row per revolution (per cycle for wheels without a gap)
// and one event per anomaly.
#pragma once

#include <string>

struct revolution_row {
    long number = 0;
    double time_s = 0;           // the period's first tooth edge
    double rpm = -1;             // from the period's length; below 0 when not known
    int teeth = 0;
    int gap_after_tooth = -1;    // below 0 for wheels without a gap
    double cam_deg = -1;         // below 0 when no cam pulse fell in the period
    std::string anomaly;         // empty, "missing", "extra" or "nosync"
};

struct anomaly_event {
    long revolution = 0;
    int tooth = 0;               // 0 when it concerns no one tooth
    double time_s = 0;
    std::string kind;            // "missing", "extra" or "nosync"
};
