// One scan from edges to reports: the wheel told from the first stretch of a recording,
// then every edge followed in time order, the rows and anomalies handed to the reports
// and the summary. The program and the fuzzing harnesses run this same object.
#pragma once

#include <vector>

#include "edge_source.h"
#include "known_wheels.h"
#include "report_sink.h"
#include "scan_summary.h"
#include "wheel_model.h"

class revolution_tracker;
class wheel_measurer;

class scan_pipeline {
public:
    // Reads edges until the wheel can be told, and tells it (found or not). A VR crank's
    // timed falling edges are preferred once the input has said it is one.
    // choice: the library's wheels, or the one wheel given to follow.
    const wheel_model& learn(edge_source& in, bool cam_wanted, const wheel_choice& choice = {});
    // Follows the edges read so far and the rest of the recording, into the sinks; a
    // measurer, when given, sees every edge and measures the wheel (it is a sink too).
    void follow(edge_source& in, const std::vector<report_sink*>& sinks, wheel_measurer* measurer = nullptr);

    const wheel_model& model() const { return model_; }
    const scan_summary& summary() const { return summary_; }
    bool ended() const { return ended_; }

private:
    void merge(revolution_tracker& tracker, const std::vector<report_sink*>& sinks, wheel_measurer* measurer);

    wheel_model model_;
    scan_summary summary_;
    std::vector<edge> crank_, cam_;
    bool ended_ = false;
};
