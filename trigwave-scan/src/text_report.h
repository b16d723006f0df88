// The summary on standard output, then one line per anomaly.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "report_sink.h"

class text_report : public report_sink {
public:
    text_report(FILE* out, std::string input) : out_(out), input_(std::move(input)) {}
    void anomaly(const anomaly_event& a) override;
    void finish(const wheel_model& m, const scan_summary& s) override;

private:
    FILE* out_;
    std::string input_;   // how an audio recording's signal was compared
    std::vector<anomaly_event> kept_;   // the first ones; the rest are counted
};

std::string wheel_line(const wheel_model& m);
// A library wheel's name and the others with the same edges: "36-2 (also: toyota 36-2
// 3-tooth cam)"; empty for any other wheel.
std::string wheel_names(const wheel_model& m);
std::string anomaly_line(const anomaly_event& a);
