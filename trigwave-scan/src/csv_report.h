// One CSV row per revolution (per cycle without a gap), written as they come.
#pragma once

#include <cstdio>
#include <string>

#include "report_sink.h"

class csv_report : public report_sink {
public:
    // wheel: a library wheel's names (wheel_names), or empty. When given, every row ends
    // with it in a last column, wheel, so that each row says which wheel it was followed by.
    explicit csv_report(FILE* out, std::string wheel = {});
    void row(const revolution_row& r) override;

private:
    FILE* out_;
    std::string wheel_field_;  // ",..." as the row's last field, or empty
};

std::string csv_line(const revolution_row& r);

// A field as CSV writes it: in double quotes, its quotes doubled, when it holds a comma,
// a quote or a line break.
std::string csv_field(const std::string& text);
