#include "svg_plot.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t most_buckets = 800;
constexpr std::size_t most_marks = 400;
constexpr double plot_w = 860, plot_h = 190, left = 70, top1 = 40, top2 = 290;

void widen(double v, double& lo, double& hi) {
    if (v < 0) return;
    lo = lo < 0 ? v : std::min(lo, v);
    hi = hi < 0 ? v : std::max(hi, v);
}

std::string num(double v) {
    char t[32];
    std::snprintf(t, sizeof t, "%.1f", v);
    return t;
}

std::string label(double v) {
    char t[32];
    std::snprintf(t, sizeof t, "%g", std::fabs(v) < 1e-9 ? 0.0 : v);
    return t;
}

// A round step giving about five divisions of a span.
double tick_step(double span) {
    if (!(span > 0)) return 1;
    const double raw = span / 5, p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * p) return m * p;
    return 10 * p;
}

}  // namespace

void svg_plot::row(const revolution_row& r) {
    const double t = r.time_s;
    if (buckets_.empty() || (width_ > 0 && t >= buckets_.back().t0 + width_) || (width_ <= 0 && t > buckets_.back().t0)) {
        bucket b;
        b.t0 = b.t1 = t;
        buckets_.push_back(b);
        if (buckets_.size() > most_buckets) thin();
    }
    bucket& b = buckets_.back();
    b.t1 = t;
    widen(r.rpm, b.rpm_lo, b.rpm_hi);
    widen(r.cam_deg, b.cam_lo, b.cam_hi);
    if (r.anomaly != anomaly_kind::none) ++b.anomalies;
}

void svg_plot::anomaly(const anomaly_event& a) {
    if (marks_.empty() || a.time_s - marks_.back() >= std::max(width_, 1e-9)) marks_.push_back(a.time_s);
    if (marks_.size() > most_marks) {
        std::vector<double> kept;
        for (std::size_t i = 0; i < marks_.size(); i += 2) kept.push_back(marks_[i]);
        marks_ = kept;
    }
}

// Merges neighbouring buckets in pairs and doubles the width of those to come.
void svg_plot::thin() {
    if (width_ <= 0) width_ = std::max((buckets_.back().t0 - buckets_.front().t0) / static_cast<double>(most_buckets / 2), 1e-6);
    else width_ *= 2;
    std::vector<bucket> merged;
    for (std::size_t i = 0; i < buckets_.size(); i += 2) {
        bucket b = buckets_[i];
        if (i + 1 < buckets_.size()) {
            const bucket& c = buckets_[i + 1];
            b.t1 = c.t1;
            widen(c.rpm_lo, b.rpm_lo, b.rpm_hi);
            widen(c.rpm_hi, b.rpm_lo, b.rpm_hi);
            widen(c.cam_lo, b.cam_lo, b.cam_hi);
            widen(c.cam_hi, b.cam_lo, b.cam_hi);
            b.anomalies += c.anomalies;
        }
        merged.push_back(b);
    }
    buckets_ = merged;
}

void svg_plot::finish(const wheel_model& m, const scan_summary& s) {
    double t_lo = buckets_.empty() ? 0 : buckets_.front().t0, t_hi = buckets_.empty() ? 1 : buckets_.back().t1;
    if (!(t_hi > t_lo)) t_hi = t_lo + 1;
    const auto x = [&](double t) { return left + (t - t_lo) / (t_hi - t_lo) * plot_w; };
    std::fprintf(out_,
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"960\" height=\"540\" viewBox=\"0 0 960 540\" "
                 "font-family=\"sans-serif\" font-size=\"12\">\n<rect width=\"960\" height=\"540\" fill=\"white\"/>\n");
    std::fprintf(out_, "<text x=\"%g\" y=\"20\" font-size=\"14\">%s: %ld %s, %ld %s</text>\n", left,
                 !m.found ? "no wheel" : m.type.empty() ? m.description.c_str() : m.type.c_str(), s.rows, m.per_cycle ? "cycles" : "revolutions",
                 s.anomalies(), s.anomalies() == 1 ? "anomaly" : "anomalies");
    struct panel {
        double top;
        const char* label;
        bool rpm;
    };
    for (const panel p : {panel{top1, "RPM", true}, panel{top2, "cam angle (deg)", false}}) {
        double lo = p.rpm ? s.min_rpm : s.min_cam, hi = p.rpm ? s.max_rpm : s.max_cam;
        if (lo < 0) lo = 0, hi = 1;
        const double step = tick_step(hi - lo > 0 ? hi - lo : std::max(hi, 1.0));
        lo = std::floor(lo / step) * step;
        hi = std::max(std::ceil(hi / step) * step, lo + step);
        const auto y = [&](double v) { return p.top + plot_h - (v - lo) / (hi - lo) * plot_h; };
        std::fprintf(out_, "<rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"none\" stroke=\"#888\"/>\n", left,
                     p.top, plot_w, plot_h);
        std::fprintf(out_, "<text x=\"%g\" y=\"%g\">%s</text>\n", left, p.top - 6, p.label);
        for (double v = lo; v <= hi + step / 2; v += step)
            std::fprintf(out_, "<text x=\"%g\" y=\"%.1f\" text-anchor=\"end\">%s</text>\n", left - 6, y(v) + 4, label(v).c_str());
        std::string path;
        for (const bucket& b : buckets_) {
            const double vlo = p.rpm ? b.rpm_lo : b.cam_lo, vhi = p.rpm ? b.rpm_hi : b.cam_hi;
            if (vlo < 0) continue;
            path += (path.empty() ? "M" : " L") + num(x(b.t0)) + "," + num(y(vlo));
            if (vhi != vlo || b.t1 != b.t0) path += " L" + num(x(b.t1)) + "," + num(y(vhi));
        }
        if (!path.empty())
            std::fprintf(out_, "<path d=\"%s\" fill=\"none\" stroke=\"%s\" stroke-width=\"1.5\"/>\n", path.c_str(),
                         p.rpm ? "#1f5fbf" : "#2a8a3a");
        for (double t : marks_)
            std::fprintf(out_, "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%g\" y2=\"%g\" stroke=\"red\" stroke-opacity=\"0.6\"/>\n",
                         x(t), x(t), p.top, p.top + plot_h);
    }
    const double step = tick_step(t_hi - t_lo);
    for (double t = std::ceil(t_lo / step) * step; t <= t_hi + 1e-9; t += step)
        std::fprintf(out_, "<text x=\"%.1f\" y=\"%g\" text-anchor=\"middle\">%s</text>\n", x(t), top2 + plot_h + 16, label(t).c_str());
    std::fprintf(out_, "<text x=\"%g\" y=\"%g\" text-anchor=\"middle\">time (s)</text>\n", left + plot_w / 2, top2 + plot_h + 34);
    std::fprintf(out_, "<text x=\"%g\" y=\"%g\" fill=\"red\">| anomaly</text>\n</svg>\n", left + plot_w - 70, top2 + plot_h + 34);
}
