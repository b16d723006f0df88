#include "csv_report.h"

csv_report::csv_report(FILE* out, std::string wheel) : out_(out) {
    std::fputs("revolution,time_s,rpm,teeth,gap_after_tooth,cam_deg,anomaly", out_);
    if (!wheel.empty()) {
        std::fputs(",wheel", out_);
        wheel_field_ = "," + csv_field(wheel);
    }
    std::fputc('\n', out_);
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string csv_line(const revolution_row& r) {
    char text[256];
    char rpm[32] = "", gap[16] = "", cam[32] = "";
    if (r.rpm >= 0) std::snprintf(rpm, sizeof rpm, "%.3f", r.rpm);
    if (r.gap_after_tooth >= 0) std::snprintf(gap, sizeof gap, "%d", r.gap_after_tooth);
    if (r.cam_deg >= 0) std::snprintf(cam, sizeof cam, "%.3f", r.cam_deg);
    std::snprintf(text, sizeof text, "%ld,%.6f,%s,%d,%s,%s,%s", r.number, r.time_s, rpm, r.teeth, gap, cam,
                  anomaly_name(r.anomaly));
    return text;
}

void csv_report::row(const revolution_row& r) {
    std::fputs(csv_line(r).c_str(), out_);
    std::fputs(wheel_field_.c_str(), out_);
    std::fputc('\n', out_);
}
