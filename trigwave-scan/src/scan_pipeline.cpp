#include "scan_pipeline.h"

#include <limits>

#include "revolution_tracker.h"
#include "wheel_finder.h"
#include "wheel_measurer.h"

namespace {

// Edges gathered before the wheel is told: a few revolutions of the densest wheel, or
// enough cam pulses to see a cam's pattern twice over.
constexpr std::size_t enough_crank_edges = 2400;
constexpr std::size_t some_crank_edges = 600;
constexpr std::size_t enough_cam_edges = 48;
constexpr std::size_t few_cam_edges = 16;
// A bound for a cam that never pulses: the wheel is told without it.
constexpr std::size_t most_crank_edges = 40000;

// An anomaly goes out before the row of its revolution, so that the reports can put it
// in that row.
void deliver(std::vector<revolution_row>& rows, std::vector<anomaly_event>& anomalies, scan_summary& summary,
             const std::vector<report_sink*>& sinks) {
    std::size_t a = 0;
    const auto send = [&](long up_to) {
        for (; a < anomalies.size() && anomalies[a].revolution <= up_to; ++a) {
            summary.add(anomalies[a]);
            for (report_sink* s : sinks) s->anomaly(anomalies[a]);
        }
    };
    for (const revolution_row& r : rows) {
        send(r.number);
        summary.add(r);
        for (report_sink* s : sinks) s->row(r);
    }
    send(std::numeric_limits<long>::max());
    rows.clear();
    anomalies.clear();
}

}  // namespace

const wheel_model& scan_pipeline::learn(edge_source& in, bool cam_wanted, const wheel_choice& choice) {
    const auto enough = [&] {
        if (!cam_wanted) return crank_.size() >= some_crank_edges;
        return (crank_.size() >= some_crank_edges && cam_.size() >= enough_cam_edges) ||
               (crank_.size() >= enough_crank_edges && cam_.size() >= few_cam_edges) ||
               crank_.size() >= most_crank_edges;
    };
    while (!enough()) {
        if (!in.next(crank_, cam_)) {
            ended_ = true;
            break;
        }
    }
    model_ = find_wheel(crank_, cam_, cam_wanted, in.crank_timed_falling(), choice);
    return model_;
}

void scan_pipeline::merge(revolution_tracker& tracker, const std::vector<report_sink*>& sinks, wheel_measurer* measurer) {
    std::vector<revolution_row> rows;
    std::vector<anomaly_event> anomalies;
    // both channels in time order, the crank first at a tie
    std::size_t i = 0, j = 0;
    while (i < crank_.size() || j < cam_.size()) {
        const bool take_crank = j >= cam_.size() || (i < crank_.size() && crank_[i].at <= cam_[j].at);
        const channel_edge e = take_crank ? channel_edge{channel::crank, crank_[i++]} : channel_edge{channel::cam, cam_[j++]};
        if (measurer) measurer->take(e);
        tracker.feed(e, rows, anomalies);
        deliver(rows, anomalies, summary_, sinks);
    }
    crank_.clear();
    cam_.clear();
}

void scan_pipeline::follow(edge_source& in, const std::vector<report_sink*>& sinks, wheel_measurer* measurer) {
    for (report_sink* s : sinks) s->start(model_);
    revolution_tracker tracker(model_, in.rate());
    if (measurer) tracker.keep_teeth();
    merge(tracker, sinks, measurer);
    while (!ended_) {
        if (!in.next(crank_, cam_)) ended_ = true;
        merge(tracker, sinks, measurer);
    }
    std::vector<revolution_row> rows;
    std::vector<anomaly_event> anomalies;
    tracker.finish(in.seconds() * in.rate(), rows, anomalies);
    deliver(rows, anomalies, summary_, sinks);
    summary_.seconds = in.seconds();
    for (report_sink* s : sinks) s->finish(model_, summary_);
}
