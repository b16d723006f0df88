// The same as one JSON document on standard output, streamed: the revolutions as they
// come, the anomalies within them, the wheel and the summary at the end.
#pragma once

#include <cstdio>
#include <string>

#include "json_text.h"
#include "report_sink.h"

class json_report : public report_sink {
public:
    json_report(FILE* out, const std::string& file, const std::string& input);
    void row(const revolution_row& r) override;
    void anomaly(const anomaly_event& a) override;
    void finish(const wheel_model& m, const scan_summary& s) override;

private:
    FILE* out_;
    bool first_row_ = true;
    std::string pending_;   // the open revolution's anomalies, as JSON
    long pending_count_ = 0;
};
