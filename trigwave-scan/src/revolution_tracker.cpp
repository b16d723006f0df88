#include "revolution_tracker.h"

#include <cstdlib>

namespace {

constexpr std::size_t cam_checks = 2;

}  // namespace

revolution_tracker::revolution_tracker(const wheel_model& model, double rate)
    : model_(model),
      rate_(rate),
      period_deg_(model.per_cycle ? 720.0 : 360.0),
      teeth_(model.teeth),
      // A cam's few pulses a cycle: two matching spacings place it, so that the first
      // cycles are not lost to finding it.
      cam_(model.cam.empty() ? std::vector<double>{1.0} : model.cam, cam_checks) {}

void revolution_tracker::feed(const channel_edge& e, std::vector<revolution_row>& rows,
                              std::vector<anomaly_event>& anomalies) {
    if (e.ch == channel::crank) {
        if (e.e.rising == model_.tooth_rising) on_tooth(e.e.at, rows, anomalies);
    } else if (model_.has_cam && e.e.rising == model_.cam_pulse_high) {
        on_cam(e.e.at);
    }
}

void revolution_tracker::on_cam(double at) {
    // One pulse per cycle: each one is the reference, from the first.
    if (cam_.size() > 1) {
        const auto s = cam_.feed(at);
        if (s.what != pattern_follower::kind::accepted || s.position != 0) return;
    }
    // A cycle opens at the first tooth after the cam's reference, once the teeth are followed.
    if (model_.per_cycle)
        pending_cam_ = teeth_.synced() ? at : -1;
    else if (open_ && cam_at_ < 0)
        cam_at_ = at;
}

void revolution_tracker::on_tooth(double at, std::vector<revolution_row>& rows,
                                  std::vector<anomaly_event>& anomalies) {
    const auto s = teeth_.feed(at);
    using kind = pattern_follower::kind;
    if (s.what == kind::lost) {
        lose(at, rows, anomalies);
        return;
    }
    // Teeth are numbered from 1 after the gap by their place in the pattern; without a
    // gap, by their count in the cycle.
    const int n = static_cast<int>(teeth_.size());
    if (s.what == kind::extra) {
        if (open_) note(anomalies, model_.per_cycle ? count_ + 1 : static_cast<int>(s.position) + 1, at, "extra");
        return;
    }
    if (s.what != kind::accepted) return;

    const bool starts = model_.per_cycle ? pending_cam_ >= 0 : s.position == 0;
    if (s.missing_before && open_)
        note(anomalies, model_.per_cycle ? count_ + 1 : (static_cast<int>(s.position) + n - 1) % n + 1, at, "missing");
    if (starts) {
        if (model_.per_cycle) cam_at_ = pending_cam_;
        if (open_) close(at, rows, anomalies);
        pending_cam_ = -1;
        open(at);
        return;
    }
    if (!open_) return;
    ++count_;
    last_place_ = static_cast<int>(s.position) + 1;
    // A cam reference that never comes: the cycle cannot be told any more.
    if (model_.per_cycle && count_ > 2 * model_.teeth_per_period + 2) lose(at, rows, anomalies);
}

void revolution_tracker::open(double at) {
    open_ = true;
    ++number_;
    start_ = at;
    count_ = 1;
    last_place_ = 1;
    if (!model_.per_cycle) cam_at_ = -1;
    anomaly_.clear();
}

void revolution_tracker::close(double at, std::vector<revolution_row>& rows,
                               std::vector<anomaly_event>& anomalies) {
    revolution_row r;
    r.number = number_;
    r.time_s = start_ / rate_;
    const double length = at - start_;
    r.rpm = (period_deg_ / 360.0) * 60.0 * rate_ / length;
    r.teeth = count_;
    r.gap_after_tooth = model_.per_cycle ? -1 : last_place_;
    if (cam_at_ >= start_ && cam_at_ < at) r.cam_deg = (cam_at_ - start_) / length * period_deg_;
    // A cycle without a gap holds its teeth from cam pulse to cam pulse, one more or less
    // while a moving cam passes a tooth; another count with no tooth found missing or
    // extra means a cam pulse was missed or was not one.
    if (model_.per_cycle && std::abs(count_ - model_.teeth_per_period) > 1 && anomaly_.empty()) {
        note(anomalies, 0, start_, "nosync");
        r.anomaly = "nosync";
        r.rpm = -1;
        r.cam_deg = -1;
    } else {
        r.anomaly = anomaly_;
    }
    rows.push_back(r);
    open_ = false;
}

void revolution_tracker::lose(double at, std::vector<revolution_row>& rows,
                              std::vector<anomaly_event>& anomalies) {
    if (!open_) return;
    anomaly_.clear();
    note(anomalies, 0, at, "nosync");
    revolution_row r;
    r.number = number_;
    r.time_s = start_ / rate_;
    r.teeth = count_;
    r.anomaly = "nosync";
    rows.push_back(r);
    open_ = false;
    pending_cam_ = -1;
}

void revolution_tracker::note(std::vector<anomaly_event>& anomalies, int tooth, double at, const char* kind) {
    if (anomaly_.empty()) anomaly_ = kind;
    anomalies.push_back(anomaly_event{number_, tooth, at / rate_, kind});
}
