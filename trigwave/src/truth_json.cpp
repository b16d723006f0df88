#include "truth_json.h"

#include <cstdio>

namespace {

std::string number(double v, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string anomaly_json(const truth_anomaly& a) {
    return "{\"tooth\": " + std::to_string(a.tooth) + ", \"time_s\": " + number(a.time_s, "%.6f") +
           ", \"kind\": " + json_string(a.kind) + ", \"fault\": " + json_string(a.fault) +
           ", \"optional\": " + (a.optional ? "true" : "false") + "}";
}

std::string anomalies_json(const std::vector<truth_anomaly>& list) {
    std::string out;
    for (const truth_anomaly& a : list) out += (out.empty() ? "" : ", ") + anomaly_json(a);
    return "[" + out + "]";
}

}  // namespace

std::string truth_json(const truth_log& log, const crank_model& m, const Trigwave& tw, const effects& fx,
                       const std::string& wav_name) {
    std::string out = "{\"file\": " + json_string(wav_name) + ", \"input\": " +
                      json_string(std::string("crank ") + (fx.vr ? "vr" : "hall") + ", cam hall (the generator's truth)") +
                      ",\n\"revolutions\": [";
    long counts[4] = {0, 0, 0, 0};  // missing, extra, nosync, nocam
    const auto count = [&](const std::vector<truth_anomaly>& list) {
        static const char* const kinds[] = {"missing", "extra", "nosync", "nocam"};
        for (const truth_anomaly& a : list)
            for (int k = 0; k < 4; ++k)
                if (!a.optional && std::string(a.kind) == kinds[k]) counts[k]++;
    };
    // the last row began in the file but ends past it: its anomalies are unfinished
    const std::size_t whole = log.rows.empty() ? 0 : log.rows.size() - 1;
    const double rows_per_minute = m.per_cycle ? 120 : 60;
    for (std::size_t i = 0; i < whole; ++i) {
        const truth_row& r = log.rows[i];
        const double rpm = rows_per_minute / (log.rows[i + 1].time_s - r.time_s);
        std::string cams;
        for (double d : r.cam_degs) cams += (cams.empty() ? "" : ", ") + number(d, "%.3f");
        out += std::string(i == 0 ? "" : ",") + "\n{\"revolution\": " + std::to_string(r.number) +
               ", \"time_s\": " + number(r.time_s, "%.6f") + ", \"rpm\": " + number(rpm, "%.3f") +
               ", \"teeth\": " + std::to_string(r.teeth) + ", \"gap_after_tooth\": " +
               (m.has_gap ? std::to_string(m.teeth_per_row) : "null") + ", \"cam_deg\": " +
               (r.cam_deg >= 0 ? number(r.cam_deg, "%.3f") : "null") + ", \"cam_degs\": [" + cams +
               "], \"anomaly\": " + (r.anomalies.empty() ? "null" : json_string(r.anomalies.front().kind)) +
               ", \"anomalies\": " + anomalies_json(r.anomalies) + "}";
        count(r.anomalies);
    }
    const std::vector<truth_anomaly> none;
    const std::vector<truth_anomaly>& unfinished = log.rows.empty() ? none : log.rows.back().anomalies;
    count(unfinished);
    std::string faults;
    for (const fault& f : fx.faults) faults += (faults.empty() ? "" : ", ") + json_string(f.text);
    const bool file = tw.wheel_drawing != nullptr;
    out += "\n],\n\"unfinished_revolution_anomalies\": " + anomalies_json(unfinished) +
           ",\n\"anomalies_before_first_revolution\": " + anomalies_json(log.before) +
           ",\n\"wheel\": {\"type\": " + (file ? "null" : json_string(tw.primstr)) +
           ", \"name\": " + (file ? json_string(tw.primstr) : "null") +
           ", \"polarity\": " + (tw.polarity != 0 ? "\"reversed\"" : "\"normal\"") +
           ", \"per_cycle\": " + (m.per_cycle ? "true" : "false") +
           ", \"teeth_per_period\": " + std::to_string(m.teeth_per_row) +
           ", \"cam_pulses_per_cycle\": " + std::to_string(m.cam.size()) + "}" +
           ",\n\"summary\": {\"revolutions\": " + std::to_string(whole) +
           ", \"first_time_s\": " + (whole > 0 ? number(log.rows.front().time_s, "%.6f") : "null") +
           ", \"last_time_s\": " + (whole > 0 ? number(log.rows[whole - 1].time_s, "%.6f") : "null") +
           ", \"missing\": " + std::to_string(counts[0]) + ", \"extra\": " + std::to_string(counts[1]) +
           ", \"nosync\": " + std::to_string(counts[2]) + ", \"nocam\": " + std::to_string(counts[3]) + "}" +
           ",\n\"faults\": [" + faults + "], \"seed\": " + std::to_string(fx.seed) +
           ",\n\"effects\": {\"vr\": " + (fx.vr ? "true" : "false") +
           ", \"runout_pct\": " + fixed_text(fx.runout, 3) +
           ", \"cranking_cylinders\": " + std::to_string(fx.cylinders) +
           ", \"cranking_depth_pct\": " + fixed_text(fx.depth, 3) +
           ", \"noise_dbfs\": " + (fx.noise ? fixed_text(fx.noise_dbfs, 3) : "null") +
           ", \"jitter_pct\": " + fixed_text(fx.jitter, 3) + "}\n}\n";
    return out;
}
