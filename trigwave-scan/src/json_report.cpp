#include "json_report.h"

namespace {

std::string number(double v, const char* f = "%.6f") {
    if (v < 0) return "null";
    char text[64];
    std::snprintf(text, sizeof text, f, v);
    return text;
}

}  // namespace

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

json_report::json_report(FILE* out, const std::string& file) : out_(out) {
    std::fprintf(out_, "{\"file\": %s,\n\"revolutions\": [", json_string(file).c_str());
}

void json_report::row(const revolution_row& r) {
    std::fprintf(out_, "%s\n{\"revolution\": %ld, \"time_s\": %s, \"rpm\": %s, \"teeth\": %d, \"gap_after_tooth\": %s, "
                       "\"cam_deg\": %s, \"anomaly\": %s, \"anomalies\": [%s]}",
                 first_row_ ? "" : ",", r.number, number(r.time_s).c_str(), number(r.rpm, "%.3f").c_str(), r.teeth,
                 r.gap_after_tooth >= 0 ? std::to_string(r.gap_after_tooth).c_str() : "null",
                 number(r.cam_deg, "%.3f").c_str(), r.anomaly.empty() ? "null" : json_string(r.anomaly).c_str(),
                 pending_.c_str());
    first_row_ = false;
    pending_.clear();
    pending_count_ = 0;
}

void json_report::anomaly(const anomaly_event& a) {
    // An anomaly belongs to the revolution still open: it goes out with that row. A
    // revolution holds at most a few per tooth before sync is lost.
    if (pending_count_++ > 0) pending_ += ", ";
    char text[160];
    std::snprintf(text, sizeof text, "{\"tooth\": %d, \"time_s\": %.6f, \"kind\": %s}", a.tooth, a.time_s,
                  json_string(a.kind).c_str());
    pending_ += text;
}

void json_report::finish(const wheel_model& m, const scan_summary& s) {
    std::fprintf(out_, "\n],\n\"unfinished_revolution_anomalies\": [%s],\n\"wheel\": {\"type\": %s, \"description\": %s, \"polarity\": %s, \"per_cycle\": %s, "
                       "\"teeth_per_period\": %d, \"slots\": %d, \"missing\": %d, \"cam_pulses_per_cycle\": %zu},\n",
                 pending_.c_str(), m.type.empty() ? "null" : json_string(m.type).c_str(), json_string(m.description).c_str(),
                 json_string(polarity_name(m.crank_polarity)).c_str(), m.per_cycle ? "true" : "false",
                 m.teeth_per_period, m.slots, m.missing, m.has_cam ? m.cam.size() : 0);
    std::fprintf(out_, "\"summary\": {\"revolutions\": %ld, \"first_time_s\": %s, \"last_time_s\": %s, "
                       "\"rpm_from\": %s, \"rpm_to\": %s, \"cam_deg_from\": %s, \"cam_deg_to\": %s, "
                       "\"sync_held\": %s, \"missing\": %ld, \"extra\": %ld, \"nosync\": %ld}\n}\n",
                 s.rows, number(s.first_time).c_str(), number(s.last_time).c_str(), number(s.first_rpm, "%.3f").c_str(),
                 number(s.last_rpm, "%.3f").c_str(), number(s.first_cam, "%.3f").c_str(),
                 number(s.last_cam, "%.3f").c_str(), s.nosync == 0 && s.rows > 0 ? "true" : "false", s.missing,
                 s.extra, s.nosync);
}
