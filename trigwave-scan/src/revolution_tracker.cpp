#include "revolution_tracker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A signal that gives no edge for this many of its widest expected spacings has stopped.
constexpr double stopped_after = 4.0;
}  // namespace

revolution_tracker::revolution_tracker(const wheel_model& model, double rate)
    : model_(model), rate_(rate), period_deg_(model.per_cycle ? 720.0 : 360.0), teeth_(model.teeth) {
    for (double s : model.teeth) {
        period_units_ += s;
        longest_ = std::max(longest_, s);
    }
}

void revolution_tracker::feed(const channel_edge& e, std::vector<revolution_row>& rows,
                              std::vector<anomaly_event>& anomalies) {
    if (e.ch == channel::cam) {
        if (model_.has_cam && e.e.rising == model_.cam_pulse_high) cams_.push_back(e.e.at);
        return;
    }
    if (e.e.rising != model_.tooth_rising) return;
    last_edge_ = e.e.at;
    teeth_.feed(e.e.at, steps_);
    for (const auto& s : steps_) on_step(s, rows, anomalies);
    steps_.clear();
}

void revolution_tracker::finish(double end, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies) {
    teeth_.finish(steps_);
    for (const auto& s : steps_) on_step(s, rows, anomalies);
    steps_.clear();
    // Stopped: no edge for several of the widest spacings at the last speed followed.
    if (in_sync_ && teeth_.unit() > 0 && end - last_edge_ > stopped_after * longest_ * teeth_.unit()) {
        if (open_)
            lose(last_edge_, rows, anomalies);
        else
            note(anomalies, 0, last_edge_, anomaly_kind::nosync);
        in_sync_ = false;
    }
}

void revolution_tracker::place_cams(double before, const pattern_follower::step* s) {
    // Pulses before this tooth: placed between the last tooth and this one when both
    // were followed; otherwise they cannot be placed.
    while (!cams_.empty() && cams_.front() < before) {
        const double t = cams_.front();
        if (s && s->what == pattern_follower::kind::extra) return;  // wait for the real tooth
        cams_.pop_front();
        if (!in_sync_ || !s || s->what != pattern_follower::kind::accepted || t < last_at_) {
            last_cam_angle_ = -1;
            continue;
        }
        const double angle = last_angle_ + (t - last_at_) / (s->at - last_at_) * teeth_.spanned(*s);
        bool reference = model_.cam_reference <= 0;
        if (!reference && last_cam_angle_ >= 0)
            reference = std::fabs(std::log((angle - last_cam_angle_) / model_.cam_reference)) < model_.cam_reference_slack;
        last_cam_angle_ = angle;
        if (open_) {
            const double deg = (angle - start_angle_) * period_deg_ / period_units_;
            // a cycle counted from the cam may run a tooth long while the cam moves
            if (deg >= 0 && (deg < period_deg_ || model_.per_cycle)) {
                cam_degs_.push_back(deg);
                if (reference && reference_deg_ < 0) reference_deg_ = deg;
            }
        }
        if (reference && model_.per_cycle) reference_due_ = true;
    }
}

void revolution_tracker::on_step(const pattern_follower::step& s, std::vector<revolution_row>& rows,
                                 std::vector<anomaly_event>& anomalies) {
    using kind = pattern_follower::kind;
    place_cams(s.at, &s);
    const int n = static_cast<int>(model_.teeth.size());
    if (s.what == kind::lost) {
        lose(s.at, rows, anomalies);
        in_sync_ = false;
        return;
    }
    if (s.what == kind::extra) {
        if (open_) note(anomalies, model_.per_cycle ? count_ + 1 : static_cast<int>(s.position) + 1, s.at, anomaly_kind::extra);
        return;
    }
    if (s.what != kind::accepted) return;
    const double previous_angle = last_angle_;
    if (in_sync_) {
        last_angle_ += teeth_.spanned(s);
    } else {
        last_angle_ = 0;
        last_cam_angle_ = -1;
        reference_due_ = false;
    }
    const bool was_in_sync = in_sync_;
    in_sync_ = true;
    const double previous_at = last_at_;
    last_at_ = s.at;

    const bool first_missing = s.missing_before && !model_.per_cycle && s.position == 1 && was_in_sync;
    if (first_missing) {
        // Tooth 1 itself is missing: its revolution opens where it was due, and it is
        // that revolution's missing tooth.
        const double due_angle = previous_angle + model_.teeth[0];
        const double due = previous_at + (s.at - previous_at) * model_.teeth[0] / (model_.teeth[0] + model_.teeth[1]);
        if (open_) close(due, rows, anomalies);
        open(due, due_angle);
        note(anomalies, 1, due, anomaly_kind::missing);
        last_place_ = 2;  // the one tooth counted so far is tooth 2
        return;
    }
    if (s.missing_before && open_)
        note(anomalies, model_.per_cycle ? count_ + 1 : (static_cast<int>(s.position) + n - 1) % n + 1, s.at,
             anomaly_kind::missing);
    const bool starts = model_.per_cycle && !model_.cycle_from_teeth ? reference_due_ : s.position == 0;
    if (starts) {
        if (open_) close(s.at, rows, anomalies);
        reference_due_ = false;
        open(s.at, last_angle_);
        return;
    }
    if (!open_) return;
    ++count_;
    last_place_ = static_cast<int>(s.position) + 1;
    if (keep_teeth_) tooth_at_.push_back(s.at);
    // A cam reference that never comes: the cycle cannot be told any more.
    if (model_.per_cycle && count_ > 2 * model_.teeth_per_period + 2) lose(s.at, rows, anomalies);
}

void revolution_tracker::open(double at, double angle) {
    open_ = true;
    ++number_;
    start_ = at;
    start_angle_ = angle;
    count_ = 1;
    last_place_ = 1;
    cam_degs_.clear();
    reference_deg_ = -1;
    anomaly_ = anomaly_kind::none;
    tooth_at_.clear();
    if (keep_teeth_) tooth_at_.push_back(at);
}

void revolution_tracker::close(double at, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies) {
    revolution_row r;
    r.number = number_;
    r.time_s = start_ / rate_;
    const double length = at - start_;
    r.rpm = length > 0 ? (period_deg_ / 360.0) * 60.0 * rate_ / length : -1;
    r.teeth = count_;
    r.gap_after_tooth = model_.per_cycle ? -1 : last_place_;
    r.cam_degs = cam_degs_;
    r.cam_deg = reference_deg_;
    // A cycle from cam reference to cam reference holds its teeth, one more or less while
    // a moving cam passes a tooth; another count with no tooth found missing or extra
    // means a reference was missed or was not one.
    if (model_.per_cycle && std::abs(count_ - model_.teeth_per_period) > 1 && anomaly_ == anomaly_kind::none) {
        note(anomalies, 0, start_, anomaly_kind::nosync);
        r.anomaly = anomaly_kind::nosync;
        r.rpm = -1;
        r.cam_deg = -1;
        r.cam_degs.clear();
    } else {
        r.anomaly = anomaly_;
    }
    if (keep_teeth_ && r.anomaly == anomaly_kind::none && static_cast<int>(tooth_at_.size()) == model_.teeth_per_period &&
        count_ == model_.teeth_per_period) {
        r.tooth_at = tooth_at_;
        r.end_at = at;
    }
    rows.push_back(r);
    open_ = false;
}

void revolution_tracker::lose(double at, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies) {
    if (!open_) return;
    anomaly_ = anomaly_kind::none;
    note(anomalies, 0, at, anomaly_kind::nosync);
    revolution_row r;
    r.number = number_;
    r.time_s = start_ / rate_;
    r.teeth = count_;
    r.anomaly = anomaly_kind::nosync;
    rows.push_back(r);
    open_ = false;
    reference_due_ = false;
}

void revolution_tracker::note(std::vector<anomaly_event>& anomalies, int tooth, double at, anomaly_kind kind) {
    if (anomaly_ == anomaly_kind::none) anomaly_ = kind;
    anomalies.push_back(anomaly_event{number_, tooth, at / rate_, kind});
}
