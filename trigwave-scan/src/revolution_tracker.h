// Follows the wheel and the cam through the edges of both channels, in time order, and
// cuts them into revolutions (or cycles, for wheels placed by the cam), each with its
// speed, teeth, cam angles and anomalies. The teeth are decided a few edges late, so
// the cam's pulses wait for the teeth around them and are placed by crank angle. Once
// the cam has come for two cycles, a cycle's crank angle gone by without any of its
// pulses is a cam pulse left out (nocam); the rows wait while a reference is overdue, so
// that the anomaly goes out in the row where it was due.
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
    void on_step(const pattern_follower::step& s);
    void place_cams(double before, const pattern_follower::step* s);
    void open(double at, double angle);
    void close(double at);
    void lose(double at);
    void note(int tooth, double at, anomaly_kind kind);
    // Hands over what is decided: nothing while a cam pulse is overdue.
    void release(std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);

    // the cam's cycles
    void cam_pulse(double angle, bool reference);
    double cam_due() const;
    void pass_due(double at, double angle);
    void pass_cam(double angle);
    void miss_cam();
    void forget_cam();

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

    // The cam by crank angle in this stretch. A cycle without the cam is a stretch with no
    // pulse longer than a cycle, and longer by a quarter cycle than the widest spacing of
    // its pulses: a cam that moves or comes a little late stays within that.
    double cycle_ = 0;            // a cycle, in the teeth's units
    double gap_ = 0;              // the stretch without a pulse that is a cycle without the cam
    double cam_every_ = 0;        // how often a reference comes: a cycle, or each pulse's share
    double cam_closest_ = 0;      // the closest two pulses have come
    double cam_reference_ = -1;   // the last reference pulse; below 0: none yet
    double cam_last_ = -1;        // the last pulse, a cycle on for each cycle without one
    double cam_since_ = -1;       // the first pulse of those in a row
    int cam_missed_ = 0;          // cycles in a row without the cam
    double cam_missed_due_ = 0;   // where the reference of the last of them was due
    bool cam_armed_ = false;      // the cam had come in the two cycles before these
    // a reference overdue: when and in which row it was due, the tooth after that and the
    // teeth its row had counted before it
    bool cam_overdue_ = false;
    double due_at_ = 0, due_tooth_at_ = 0, due_tooth_angle_ = 0;
    long due_row_ = -1;
    int due_count_ = 0;
    anomaly_kind due_anomaly_ = anomaly_kind::none;

    // decided, not yet handed over
    std::vector<revolution_row> rows_;
    std::vector<anomaly_event> anomalies_;

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
