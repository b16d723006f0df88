// Follows the wheel and the cam through the edges of both channels, in time order, and
// cuts them into revolutions (or cycles, for wheels placed by the cam), each with its
// speed, teeth, cam angles and anomalies. The teeth are decided a few edges late, so
// the cam's pulses wait for the teeth around them and are placed by crank angle.
#pragma once

#include <deque>
#include <vector>

#include "edge.h"
#include "pattern_follower.h"
#include "scan_rows.h"
#include "wheel_model.h"

class revolution_tracker {
public:
    revolution_tracker(const wheel_model& model, double rate);
    // Rows of periods followed whole carry their teeth's times (revolution_row::tooth_at).
    void keep_teeth() { keep_teeth_ = true; }

    void feed(const channel_edge& e, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);
    // The recording ended at end (ticks): a signal that stopped well before it lost sync
    // at its last edge; a revolution merely cut off by the end is dropped.
    void finish(double end, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);

private:
    void on_step(const pattern_follower::step& s, std::vector<revolution_row>& rows,
                 std::vector<anomaly_event>& anomalies);
    void place_cams(double before, const pattern_follower::step* s);
    void open(double at, double angle);
    void close(double at, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);
    void lose(double at, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);
    void note(std::vector<anomaly_event>& anomalies, int tooth, double at, anomaly_kind kind);

    const wheel_model& model_;
    double rate_;
    double period_deg_;
    double period_units_ = 0;
    double longest_ = 0;          // the widest spacing of the pattern, in its units
    pattern_follower teeth_;
    std::vector<pattern_follower::step> steps_;

    // the teeth followed
    bool in_sync_ = false;
    double last_at_ = 0;          // the last tooth accepted, and its crank angle
    double last_angle_ = 0;
    double last_edge_ = -1;       // the last tooth edge seen at all

    // the cam
    std::deque<double> cams_;     // pulse starts waiting for the teeth around them
    double last_cam_angle_ = -1;  // crank angle of the previous pulse placed, in this stretch
    bool reference_due_ = false;  // per cycle: a reference placed, the cycle opens at the next tooth

    // the period open
    long number_ = 0;
    bool open_ = false;
    double start_ = 0, start_angle_ = 0;
    int count_ = 0;
    int last_place_ = 0;
    std::vector<double> cam_degs_;
    double reference_deg_ = -1;
    anomaly_kind anomaly_ = anomaly_kind::none;
    bool keep_teeth_ = false;
    std::vector<double> tooth_at_;
};
