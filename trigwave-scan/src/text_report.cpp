#include "text_report.h"

#include <cstdio>

namespace {

// Enough lines for a person; a recording full of faults is better read in the CSV.
constexpr std::size_t lines_kept = 1000;

std::string format(const char* f, double a, double b) {
    char text[128];
    std::snprintf(text, sizeof text, f, a, b);
    return text;
}

}  // namespace

std::string wheel_names(const wheel_model& m) {
    if (m.name.empty()) return {};
    std::string s = m.name;
    // names may hold commas: a semicolon parts them
    for (std::size_t i = 0; i < m.also.size(); ++i) s += (i ? "; " : " (also: ") + m.also[i];
    return m.also.empty() ? s : s + ")";
}

std::string wheel_line(const wheel_model& m) {
    std::string s = !m.name.empty() ? wheel_names(m) + (m.given ? ", wheel file " : ", library wheel ") + m.description
                  : m.type.empty()  ? m.description + " (not a trigwave type)"
                                    : m.type + " (" + m.description + ")";
    if (m.slots > 0)
        s += ", " + std::to_string(m.teeth_per_period) + " teeth in " + std::to_string(m.slots) + " slots, " +
             std::to_string(m.missing) + " missing at the gap";
    if (m.per_cycle) s += ", " + std::to_string(m.teeth_per_period) + " teeth per cycle";
    if (!m.other_gaps.empty()) {
        s += ", gaps also at slot";
        for (std::size_t i = 0; i < m.other_gaps.size(); ++i) s += (i ? ", " : " ") + std::to_string(m.other_gaps[i]);
    }
    if (!m.told_by_cam.empty()) s += ", " + m.told_by_cam;
    s += "; polarity " + polarity_name(m.crank_polarity);
    return s;
}

std::string anomaly_line(const anomaly_event& a) {
    char text[160];
    if (a.kind == anomaly_kind::nosync)
        std::snprintf(text, sizeof text, "revolution %ld, %.6f s: sync lost", a.revolution, a.time_s);
    else if (a.kind == anomaly_kind::nocam)
        std::snprintf(text, sizeof text, "revolution %ld, %.6f s: no cam pulse", a.revolution, a.time_s);
    else
        std::snprintf(text, sizeof text, "revolution %ld, tooth %d, %.6f s: %s tooth", a.revolution, a.tooth, a.time_s,
                      anomaly_name(a.kind));
    return text;
}

void text_report::anomaly(const anomaly_event& a) {
    if (kept_.size() < lines_kept) kept_.push_back(a);
}

void text_report::finish(const wheel_model& m, const scan_summary& s) {
    if (!input_.empty()) std::fprintf(out_, "input: %s\n", input_.c_str());
    std::fprintf(out_, "wheel: %s\n", wheel_line(m).c_str());
    if (m.has_cam)
        std::fprintf(out_, "cam: %d %s pulse%s per cycle\n", m.cam_pulses, m.cam_pulse_high ? "high" : "low",
                     m.cam_pulses == 1 ? "" : "s");
    else
        std::fprintf(out_, "cam: none\n");
    const char* unit = m.per_cycle ? "cycles" : "revolutions";
    std::fprintf(out_, "%s: %ld, %s\n", unit, s.rows,
                 format("from %.3f s to %.3f s", s.first_time, s.last_time).c_str());
    if (s.first_rpm >= 0)
        std::fprintf(out_, "rpm: %s\n",
                     (format("%.1f to %.1f", s.first_rpm, s.last_rpm) + format(" (lowest %.1f, highest %.1f)", s.min_rpm, s.max_rpm)).c_str());
    if (s.first_cam >= 0)
        std::fprintf(out_, "cam angle: %s\n",
                     (format("%.2f to %.2f deg", s.first_cam, s.last_cam) + format(" (lowest %.2f, highest %.2f)", s.min_cam, s.max_cam)).c_str());
    if (s.nosync == 0) {
        std::fprintf(out_, "sync: held%s\n", s.rows > 0 ? format(" from %.3f s", s.first_time, 0).c_str() : " nowhere: no whole revolution");
    } else {
        std::string at;
        for (double t : s.losses) at += (at.empty() ? "" : ", ") + format("%.3f s", t, 0);
        if (s.nosync > static_cast<long>(s.losses.size())) at += ", ...";
        std::fprintf(out_, "sync: lost %ld time%s, at %s\n", s.nosync, s.nosync == 1 ? "" : "s", at.c_str());
    }
    std::fprintf(out_, "anomalies: %ld (%ld missing, %ld extra, %ld sync lost, %ld no cam pulse)\n", s.anomalies(), s.missing,
                 s.extra, s.nosync, s.nocam);
    for (const anomaly_event& a : kept_) std::fprintf(out_, "%s\n", anomaly_line(a).c_str());
    if (s.anomalies() > static_cast<long>(kept_.size()))
        std::fprintf(out_, "... and %ld more anomalies (all in --csv)\n", s.anomalies() - static_cast<long>(kept_.size()));
}
