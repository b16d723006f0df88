// The truth of a file as the generator made it: each revolution (or cycle) that began in it,
// with the anomalies injected there, written as trigwave-scan's --json document is.
#pragma once

#include <string>
#include <vector>

struct truth_anomaly {
    int tooth = 0;  // 0 when it concerns no tooth
    double time_s = 0;
    const char* kind = "";  // as the scanner names it: missing, extra, nosync, nocam
    std::string fault;      // the --fault that made it
    bool optional = false;  // a decoder may see it or not
};

struct truth_row {
    long number = 0;
    double time_s = 0;     // its first tooth edge
    double start = 0;      // that tooth's angle in cycle units from the file's start
    int teeth = 0;         // tooth edges drawn in it
    std::vector<double> cam_degs;
    double cam_deg = -1;   // the reference pulse's, below 0 when none
    std::vector<truth_anomaly> anomalies;
};

struct truth_log {
    std::vector<truth_row> rows;         // the last one ends past the file's end
    std::vector<truth_anomaly> before;   // anomalies before the first row began
};
