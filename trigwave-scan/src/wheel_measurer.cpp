#include "wheel_measurer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kept_edges = 8192;

// The first edge after t, of the direction asked, before limit; nullptr when there is none.
const edge* next_edge(const std::deque<edge>& edges, double t, bool rising, double limit) {
    auto e = std::upper_bound(edges.begin(), edges.end(), t, [](double v, const edge& x) { return v < x.at; });
    for (; e != edges.end() && e->at < limit; ++e)
        if (e->rising == rising) return &*e;
    return nullptr;
}

// Thousandths of a degree within a cycle of the degrees given.
int32_t millidegrees(double deg, int32_t cycle) {
    const long long c = static_cast<long long>(cycle) * 1000;
    const long long v = std::llround(deg * 1000.0) % c;
    return static_cast<int32_t>(v < 0 ? v + c : v);
}

}  // namespace

void wheel_measurer::start(const wheel_model& m) {
    model_ = &m;
    rise_sum_.assign(static_cast<std::size_t>(m.teeth_per_period), 0.0);
    width_sum_ = rise_sum_;
}

void wheel_measurer::take(const channel_edge& e) {
    (e.ch == channel::crank ? crank_ : cam_).push_back(e.e);
    latest_ = std::max(latest_, e.e.at);
    while (!jobs_.empty() && measure_cam(jobs_.front(), false)) jobs_.pop_front();
    if (crank_.size() + cam_.size() > 2 * kept_edges) prune();
}

void wheel_measurer::prune() {
    // Edges before what is still to be measured are done with: a period's reference may
    // lie up to a period before its first tooth.
    double keep = latest_;
    const auto back_from = [&](double t, double length) { keep = std::min(keep, t - length); };
    for (const cam_job& j : jobs_) back_from(j.from, j.to - j.from);
    if (held_) back_from(held_row_.tooth_at[0], held_row_.end_at - held_row_.tooth_at[0]);
    // the period still open began within the last edges kept: more than a cycle of a wheel
    // of the most teeth a file may have holds
    for (auto* edges : {&crank_, &cam_})
        while (edges->size() > kept_edges && edges->front().at < keep) edges->pop_front();
}

bool wheel_measurer::measure_crank(const revolution_row& r, double& ref) {
    const wheel_model& m = *model_;
    const std::vector<double>& t = r.tooth_at;
    const double start = t[0], length = r.end_at - t[0];
    if (!(length > 0) || t.size() != rise_sum_.size()) return false;
    ref = 0;
    if (m.per_cycle && !m.cycle_from_teeth) {
        // the cycle opens at the first tooth after the cam's reference pulse: the last pulse
        // to begin before it
        const bool pulse_edge = m.cam_pulse_high;
        const edge* last = nullptr;
        for (const edge& e : cam_)
            if (e.at < start && e.rising == pulse_edge) last = &e;
        if (!last || start - last->at > length / 2) return false;
        ref = (last->at - start) / length;
    }
    std::vector<double> rise(t.size()), width(t.size());
    for (std::size_t k = 0; k < t.size(); ++k) {
        const double next = k + 1 < t.size() ? t[k + 1] : r.end_at;
        const edge* fall = next_edge(crank_, t[k], !m.tooth_rising, next);
        if (!fall) return false;
        rise[k] = (t[k] - start) / length - ref;
        width[k] = (fall->at - t[k]) / length;
    }
    for (std::size_t k = 0; k < t.size(); ++k) {
        rise_sum_[k] += rise[k];
        width_sum_[k] += width[k];
    }
    ++periods_;
    return true;
}

void wheel_measurer::queue_cam(const revolution_row& r, double ref) {
    const wheel_model& m = *model_;
    if (!m.has_cam) return;
    const double start = r.tooth_at[0], length = r.end_at - start;
    if (m.per_cycle) {
        const double at = start + ref * length;
        jobs_.push_back({at, at + length, 0, 0, 0, at, length});
        return;
    }
    // Every two revolutions in a row: measure_cam keeps those in the cycle's order.
    if (held_ && r.number == held_row_.number + 1)
        jobs_.push_back({held_row_.tooth_at[0], r.end_at, held_row_.tooth_at[0], start, r.end_at, 0, 0});
    held_ = true;
    held_row_ = r;
}

double wheel_measurer::cam_angle(const cam_job& j, double t) const {
    if (model_->per_cycle) return 720.0 * (t - j.ref) / j.length;
    return t < j.middle ? 360.0 * (t - j.start) / (j.middle - j.start) : 360.0 + 360.0 * (t - j.middle) / (j.end - j.middle);
}

bool wheel_measurer::measure_cam(const cam_job& j, bool last) {
    // the falls of the cycle's last teeth may come a while after it
    if (!last && latest_ < j.to + (j.to - j.from)) return false;
    if (!model_->per_cycle) {
        // The cycle's first revolution is the one whose first pulse comes sooner after its
        // reference tooth (the only one with a pulse, for a cam of one): in the other order
        // the two are the next cycle's second and this one's first.
        const edge* first = next_edge(cam_, j.start - 1e-9, model_->cam_pulse_high, j.middle);
        const edge* second = next_edge(cam_, j.middle - 1e-9, model_->cam_pulse_high, j.end);
        const double x = first ? cam_angle(j, first->at) : 1e9, y = second ? cam_angle(j, second->at) - 360.0 : 1e9;
        if (x > y) return true;
    }
    std::vector<std::pair<double, double>> teeth;
    auto e = std::lower_bound(cam_.begin(), cam_.end(), j.from, [](const edge& x, double v) { return x.at < v; });
    for (; e != cam_.end() && e->at < j.to; ++e) {
        if (!e->rising) continue;
        const edge* fall = next_edge(cam_, e->at, false, 1e300);
        if (!fall) return true;  // the recording ended within the tooth
        const double rise = cam_angle(j, e->at);
        teeth.push_back({rise, cam_angle(j, fall->at) - rise});
    }
    if (teeth.empty() || static_cast<int>(teeth.size()) != model_->cam_pulses) return true;
    if (cam_rise_sum_.empty()) {
        cam_rise_sum_.assign(teeth.size(), 0.0);
        cam_width_sum_ = cam_rise_sum_;
    }
    for (std::size_t i = 0; i < teeth.size(); ++i) {
        cam_rise_sum_[i] += teeth[i].first;
        cam_width_sum_[i] += teeth[i].second;
    }
    ++cam_cycles_;
    return true;
}

void wheel_measurer::row(const revolution_row& r) {
    if (!model_ || r.tooth_at.empty() || r.end_at < 0) {
        held_ = false;
        return;
    }
    double ref = 0;
    if (!measure_crank(r, ref)) {
        held_ = false;
        return;
    }
    queue_cam(r, ref);
}

void wheel_measurer::finish(const wheel_model&, const scan_summary&) {
    for (const cam_job& j : jobs_) measure_cam(j, true);
    jobs_.clear();
}

bool wheel_measurer::learned(const std::string& name, const std::string& source, wheel_file& out) const {
    if (!model_ || periods_ == 0) return false;
    out = wheel_file{};
    out.name = name;
    out.source = source;
    out.cycle = model_->per_cycle ? 720 : 360;
    const double n = static_cast<double>(periods_);
    for (std::size_t k = 0; k < rise_sum_.size(); ++k) {
        const double rise = out.cycle * rise_sum_[k] / n, width = out.cycle * width_sum_[k] / n;
        wheel_tooth t;
        t.rise = millidegrees(rise, out.cycle);
        t.fall = millidegrees(rise + width, out.cycle);
        t.full = k == 0;
        out.crank.push_back(t);
    }
    for (std::size_t i = 0; cam_cycles_ > 0 && i < cam_rise_sum_.size(); ++i) {
        const double c = static_cast<double>(cam_cycles_);
        const double rise = cam_rise_sum_[i] / c, width = cam_width_sum_[i] / c;
        out.cam.push_back({millidegrees(rise, 720), millidegrees(rise + width, 720), false});
    }
    return true;
}
