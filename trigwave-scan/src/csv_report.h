// One CSV row per revolution (per cycle without a gap), written as they come.
#pragma once

#include <cstdio>
#include <string>

#include "report_sink.h"

class csv_report : public report_sink {
public:
    explicit csv_report(FILE* out);
    void row(const revolution_row& r) override;

private:
    FILE* out_;
};

std::string csv_line(const revolution_row& r);
