// Follows the wheel and the cam through the edges of both channels, in time order, and
// cuts them into revolutions (or cycles, for wheels without a gap), each with its speed,
// teeth, cam angle and anomalies.
#pragma once

#include <vector>

#include "edge.h"
#include "pattern_follower.h"
#include "scan_rows.h"
#include "wheel_model.h"

class revolution_tracker {
public:
    revolution_tracker(const wheel_model& model, double rate);

    void feed(const channel_edge& e, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);

private:
    void on_tooth(double at, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);
    void on_cam(double at);
    void open(double at);
    void close(double at, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);
    void lose(double at, std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies);
    void note(std::vector<anomaly_event>& anomalies, int tooth, double at, const char* kind);

    const wheel_model& model_;
    double rate_;
    double period_deg_;
    pattern_follower teeth_;
    pattern_follower cam_;
    long number_ = 0;
    bool open_ = false;
    double start_ = 0;
    int count_ = 0;
    int last_place_ = 0;        // the place of the last tooth seen, from 1
    double cam_at_ = -1;        // the cam's reference edge in the open period
    double pending_cam_ = -1;   // per cycle: a reference edge not yet followed by a tooth
    std::string anomaly_;
};
