#include "json_report.h"

namespace {

std::string number(double v, const char* f = "%.6f") {
    if (v < 0) return "null";
    char text[64];
    std::snprintf(text, sizeof text, f, v);
    return text;
}

// Slots of the gaps besides the one that opens the period.
std::string gaps_json(const wheel_model& m) {
    std::string out;
    for (int g : m.other_gaps) out += (out.empty() ? "" : ", ") + std::to_string(g);
    return "[" + out + "]";
}

}  // namespace

static std::string json_strings(const std::vector<std::string>& v) {
    std::string out;
    for (const std::string& x : v) out += (out.empty() ? "" : ", ") + json_string(x);
    return "[" + out + "]";
}

static std::string json_numbers(const std::vector<double>& v) {
    std::string out;
    for (double x : v) out += (out.empty() ? "" : ", ") + number(x, "%.3f");
    return "[" + out + "]";
}

json_report::json_report(FILE* out, const std::string& file, const std::string& input) : out_(out) {
    std::fprintf(out_, "{\"file\": %s, \"input\": %s,\n\"revolutions\": [", json_string(file).c_str(),
                 input.empty() ? "null" : json_string(input).c_str());
}

void json_report::row(const revolution_row& r) {
    std::fprintf(out_, "%s\n{\"revolution\": %ld, \"time_s\": %s, \"rpm\": %s, \"teeth\": %d, \"gap_after_tooth\": %s, "
                       "\"cam_deg\": %s, \"cam_degs\": %s, \"anomaly\": %s, \"anomalies\": [%s]}",
                 first_row_ ? "" : ",", r.number, number(r.time_s).c_str(), number(r.rpm, "%.3f").c_str(), r.teeth,
                 r.gap_after_tooth >= 0 ? std::to_string(r.gap_after_tooth).c_str() : "null",
                 number(r.cam_deg, "%.3f").c_str(), json_numbers(r.cam_degs).c_str(),
                 r.anomaly == anomaly_kind::none ? "null" : json_string(anomaly_name(r.anomaly)).c_str(),
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
                  json_string(anomaly_name(a.kind)).c_str());
    pending_ += text;
}

void json_report::finish(const wheel_model& m, const scan_summary& s) {
    std::fprintf(out_, "\n],\n\"unfinished_revolution_anomalies\": [%s],\n\"wheel\": {\"type\": %s, \"description\": %s, \"polarity\": %s, \"per_cycle\": %s, "
                       "\"teeth_per_period\": %d, \"slots\": %d, \"missing\": %d, \"gaps\": %s, \"told_by_cam\": %s, "
                       "\"cam_pulses_per_cycle\": %d, \"name\": %s, \"also\": %s, \"name_from\": %s},\n",
                 pending_.c_str(), m.type.empty() ? "null" : json_string(m.type).c_str(), json_string(m.description).c_str(),
                 json_string(polarity_name(m.crank_polarity)).c_str(), m.per_cycle ? "true" : "false",
                 m.teeth_per_period, m.slots, m.missing, gaps_json(m).c_str(),
                 m.told_by_cam.empty() ? "null" : json_string(m.told_by_cam).c_str(), m.has_cam ? m.cam_pulses : 0,
                 m.name.empty() ? "null" : json_string(m.name).c_str(), json_strings(m.also).c_str(),
                 m.name.empty() ? "null" : m.given ? "\"given\"" : "\"library\"");
    std::fprintf(out_, "\"summary\": {\"revolutions\": %ld, \"first_time_s\": %s, \"last_time_s\": %s, "
                       "\"rpm_from\": %s, \"rpm_to\": %s, \"cam_deg_from\": %s, \"cam_deg_to\": %s, "
                       "\"sync_held\": %s, \"missing\": %ld, \"extra\": %ld, \"nosync\": %ld, \"nocam\": %ld}\n}\n",
                 s.rows, number(s.first_time).c_str(), number(s.last_time).c_str(), number(s.first_rpm, "%.3f").c_str(),
                 number(s.last_rpm, "%.3f").c_str(), number(s.first_cam, "%.3f").c_str(),
                 number(s.last_cam, "%.3f").c_str(), s.nosync == 0 && s.rows > 0 ? "true" : "false", s.missing,
                 s.extra, s.nosync, s.nocam);
}
