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
    cycle_ = model.per_cycle ? period_units_ : 2 * period_units_;
    const bool one_reference = model.cam_reference > 0 && model.cam_reference < cycle_;
    gap_ = std::max(cycle_, (one_reference ? model.cam_reference : cycle_) + cycle_ / 4);
    forget_cam();
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
    for (const auto& s : steps_) on_step(s);
    steps_.clear();
    release(rows, anomalies);
}

void revolution_tracker::finish(double end, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies) {
    teeth_.finish(steps_);
    for (const auto& s : steps_) on_step(s);
    steps_.clear();
    // Stopped: no edge for several of the widest spacings at the last speed followed.
    if (in_sync_ && teeth_.unit() > 0 && end - last_edge_ > stopped_after * longest_ * teeth_.unit()) {
        if (open_)
            lose(last_edge_);
        else
            note(0, last_edge_, anomaly_kind::nosync);
        in_sync_ = false;
    }
    // a pulse still overdue at the end may have been on its way
    forget_cam();
    release(rows, anomalies);
}

void revolution_tracker::release(std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies) {
    if (cam_overdue_) return;
    rows.insert(rows.end(), rows_.begin(), rows_.end());
    anomalies.insert(anomalies.end(), anomalies_.begin(), anomalies_.end());
    rows_.clear();
    anomalies_.clear();
}

void revolution_tracker::place_cams(double before, const pattern_follower::step* s) {
    // Pulses before this tooth: placed between the last tooth and this one when both
    // were followed; otherwise they cannot be placed.
    while (!cams_.empty() && cams_.front() < before) {
        const double t = cams_.front();
        if (s && s->what == pattern_follower::kind::extra) return;  // wait for the real tooth
        cams_.pop_front();
        if (!in_sync_ || !s || s->what != pattern_follower::kind::accepted || t < last_at_) {
            // came all the same: a pulse of the cycle, though not placed
            if (in_sync_ && s && s->what == pattern_follower::kind::accepted) cam_pulse(last_angle_, false);
            last_cam_angle_ = -1;
            continue;
        }
        const double angle = last_angle_ + (t - last_at_) / (s->at - last_at_) * teeth_.spanned(*s);
        bool reference = model_.cam_reference <= 0;
        if (!reference && last_cam_angle_ >= 0)
            reference = std::fabs(std::log((angle - last_cam_angle_) / model_.cam_reference)) < model_.cam_reference_slack;
        // after a cycle without the cam, the spacing before the reference is gone: the
        // first pulse back, where the reference is due, is the reference
        pass_cam(angle);
        if (!reference && cam_missed_ > 0 && cam_reference_ >= 0) {
            const double off = std::fmod(angle - cam_reference_, cam_every_);
            reference = std::min(off, cam_every_ - off) < cam_closest_ / 2;
        }
        if (last_cam_angle_ >= 0 && angle > last_cam_angle_) cam_closest_ = std::min(cam_closest_, angle - last_cam_angle_);
        last_cam_angle_ = angle;
        cam_pulse(angle, reference);
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

void revolution_tracker::on_step(const pattern_follower::step& s) {
    using kind = pattern_follower::kind;
    // the cam's cycle due by this tooth, the pulses before it, then the cycles they end
    const bool follows = in_sync_ && s.what == kind::accepted;
    const double angle = follows ? last_angle_ + teeth_.spanned(s) : 0;
    if (follows) pass_due(s.at, angle);
    place_cams(s.at, &s);
    if (follows) pass_cam(angle);
    const int n = static_cast<int>(model_.teeth.size());
    if (s.what == kind::lost) {
        lose(s.lost_at);
        in_sync_ = false;
        forget_cam();
        return;
    }
    if (s.what == kind::extra) {
        // numbered by the tooth it follows, as a wheel's extra tooth is told: "after tooth 12"
        if (open_)
            note(model_.per_cycle ? count_ : (static_cast<int>(s.position) + n - 1) % n + 1, s.at, anomaly_kind::extra);
        return;
    }
    if (s.what != kind::accepted) return;
    const double previous_angle = last_angle_;
    if (in_sync_) {
        last_angle_ = angle;
    } else {
        last_angle_ = 0;
        last_cam_angle_ = -1;
        reference_due_ = false;
        forget_cam();
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
        if (open_) close(due);
        open(due, due_angle);
        note(1, due, anomaly_kind::missing);
        last_place_ = 2;  // the one tooth counted so far is tooth 2
        return;
    }
    if (s.missing_before && open_)
        note(model_.per_cycle ? count_ + 1 : (static_cast<int>(s.position) + n - 1) % n + 1, s.at,
             anomaly_kind::missing);
    const bool starts = model_.per_cycle && !model_.cycle_from_teeth ? reference_due_ : s.position == 0;
    if (starts) {
        if (open_) close(s.at);
        reference_due_ = false;
        open(s.at, last_angle_);
        return;
    }
    if (!open_) return;
    ++count_;
    last_place_ = static_cast<int>(s.position) + 1;
    if (keep_teeth_) tooth_at_.push_back(s.at);
    // A cam reference that never comes: the cycle cannot be told any more.
    if (model_.per_cycle && count_ > 2 * model_.teeth_per_period + 2) lose(s.at);
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

void revolution_tracker::close(double at) {
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
        note(0, start_, anomaly_kind::nosync);
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
    rows_.push_back(r);
    open_ = false;
}

void revolution_tracker::lose(double at) {
    if (!open_) return;
    anomaly_ = anomaly_kind::none;
    note(0, at, anomaly_kind::nosync);
    revolution_row r;
    r.number = number_;
    r.time_s = start_ / rate_;
    r.teeth = count_;
    r.anomaly = anomaly_kind::nosync;
    rows_.push_back(r);
    open_ = false;
    reference_due_ = false;
}

void revolution_tracker::note(int tooth, double at, anomaly_kind kind) {
    if (anomaly_ == anomaly_kind::none) anomaly_ = kind;
    anomalies_.push_back(anomaly_event{number_, tooth, at / rate_, kind});
}

void revolution_tracker::cam_pulse(double angle, bool reference) {
    pass_cam(angle);
    if (reference && cam_reference_ >= 0 && cam_missed_ == 0) {
        // pulses evenly spaced are each a reference: one comes at each pulse's share of the cycle
        const double d = angle - cam_reference_;
        const bool each = d < 0.75 * cycle_ && std::fabs(std::log(d * model_.cam_pulses / cycle_)) < 0.2;
        cam_every_ = each ? d : cycle_;
    }
    if (cam_since_ < 0 || cam_missed_ > 0) cam_since_ = angle;
    cam_missed_ = 0;
    cam_last_ = std::max(cam_last_, angle);
    cam_overdue_ = false;
    if (reference) cam_reference_ = angle;
}

double revolution_tracker::cam_due() const {
    // the first reference due after the last pulse, or a cycle after the one missed
    if (cam_missed_ > 0) return cam_missed_due_ + cycle_;
    return cam_reference_ + (std::floor((cam_last_ - cam_reference_) / cam_every_) + 1) * cam_every_;
}

void revolution_tracker::pass_due(double at, double angle) {
    if (cam_overdue_ || cam_reference_ < 0 || cam_last_ < 0) return;
    const double due = cam_due();
    // a pulse at a tooth's very time is placed after that tooth: so is a due one
    if (!(last_angle_ <= due && due < angle)) return;
    cam_overdue_ = true;
    due_at_ = last_at_ + (at - last_at_) * (due - last_angle_) / (angle - last_angle_);
    due_row_ = open_ ? number_ : -1;
    due_tooth_at_ = at;
    due_tooth_angle_ = angle;
    due_count_ = count_;
    due_anomaly_ = anomaly_;
}

void revolution_tracker::pass_cam(double angle) {
    // each cycle gone by without a pulse
    while (cam_last_ >= 0 && angle > cam_last_ + gap_) {
        // named only when the pulses before spanned three quarters of a cycle or more: the
        // cam came in the two cycles before, not now and then
        if (cam_missed_ == 0) cam_armed_ = cam_reference_ >= 0 && cam_last_ - cam_since_ >= 0.75 * cycle_;
        // two cycles in a row are named; a longer absence is a cam gone, not a pulse missing
        if (cam_armed_ && cam_missed_ < 2 && cam_overdue_) miss_cam();
        cam_overdue_ = false;
        cam_missed_due_ = cam_reference_ >= 0 ? cam_due() : 0;
        cam_last_ += cycle_;
        if (++cam_missed_ > 2) cam_last_ = -1;
    }
}

void revolution_tracker::miss_cam() {
    if (due_row_ < 0) return;
    const anomaly_event a{due_row_, 0, due_at_ / rate_, anomaly_kind::nocam};
    const auto later = std::find_if(anomalies_.begin(), anomalies_.end(), [&](const anomaly_event& e) {
        return e.revolution > a.revolution || (e.revolution == a.revolution && e.time_s > a.time_s);
    });
    anomalies_.insert(later, a);
    for (revolution_row& r : rows_)
        if (r.number == due_row_ && r.anomaly == anomaly_kind::none) {
            r.anomaly = anomaly_kind::nocam;
            r.tooth_at.clear();
            r.end_at = -1;
        }
    if (!open_ || number_ != due_row_) return;
    if (anomaly_ == anomaly_kind::none) anomaly_ = anomaly_kind::nocam;
    // Counted from the cam: the teeth say where the cycle ends, and the next one opens at
    // the tooth it would have opened at had the reference come (this one, when it is not
    // counted yet); what was noted from that tooth on is the next cycle's.
    if (!model_.per_cycle || model_.cycle_from_teeth) return;
    if (count_ == due_count_) {
        reference_due_ = true;
        return;
    }
    const double tooth_s = due_tooth_at_ / rate_;
    const int since = count_ - due_count_;
    std::vector<double> teeth;
    if (static_cast<int>(tooth_at_.size()) > due_count_) teeth.assign(tooth_at_.begin() + due_count_, tooth_at_.end());
    count_ = due_count_;
    anomaly_ = due_anomaly_ == anomaly_kind::none ? anomaly_kind::nocam : due_anomaly_;
    close(due_tooth_at_);
    open(due_tooth_at_, due_tooth_angle_);
    count_ = since;
    if (keep_teeth_) tooth_at_ = teeth;
    for (anomaly_event& e : anomalies_)
        if (e.revolution == due_row_ && e.kind != anomaly_kind::nocam && e.time_s >= tooth_s) {
            e.revolution = number_;
            if (anomaly_ == anomaly_kind::none) anomaly_ = e.kind;
        }
}

void revolution_tracker::forget_cam() {
    cam_reference_ = cam_last_ = cam_since_ = -1;
    cam_every_ = cam_closest_ = cycle_;
    cam_missed_ = 0;
    cam_armed_ = cam_overdue_ = false;
}
