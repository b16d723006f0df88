// Where a scan's results go: each report receives the rows and anomalies as they are
// found, and the wheel and the summary at the end.
#pragma once

#include "scan_rows.h"
#include "scan_summary.h"
#include "wheel_model.h"

class report_sink {
public:
    virtual ~report_sink() = default;
    virtual void start(const wheel_model&) {}
    virtual void row(const revolution_row&) {}
    virtual void anomaly(const anomaly_event&) {}
    virtual void finish(const wheel_model&, const scan_summary&) {}
};
