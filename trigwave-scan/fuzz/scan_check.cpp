#include "scan_check.h"

#include <cmath>

#include "fuzz_check.h"
#include "revolution_tracker.h"
#include "wheel_finder.h"

void check_edges(const std::vector<edge>& edges, double end) {
    for (std::size_t i = 0; i < edges.size(); ++i) {
        FUZZ_CHECK(std::isfinite(edges[i].at) && edges[i].at >= -1.0 && edges[i].at <= end);
        if (i == 0) continue;
        FUZZ_CHECK(edges[i].at >= edges[i - 1].at);
        FUZZ_CHECK(edges[i].rising != edges[i - 1].rising);
    }
}

void check_scan(const std::vector<edge>& crank, const std::vector<edge>& cam, double rate) {
    const wheel_model model = find_wheel(crank, cam, !cam.empty());
    if (!model.found) {
        FUZZ_CHECK(!model.problem.empty());
        return;
    }
    FUZZ_CHECK(!model.teeth.empty());
    revolution_tracker tracker(model, rate);
    std::vector<revolution_row> rows;
    std::vector<anomaly_event> anomalies;
    std::size_t i = 0, j = 0;
    long last = 0;
    while (i < crank.size() || j < cam.size()) {
        const bool take_crank = j >= cam.size() || (i < crank.size() && crank[i].at <= cam[j].at);
        tracker.feed(take_crank ? channel_edge{channel::crank, crank[i++]} : channel_edge{channel::cam, cam[j++]}, rows,
                     anomalies);
        for (const revolution_row& r : rows) {
            FUZZ_CHECK(r.number == last + 1);
            last = r.number;
            FUZZ_CHECK(r.rpm < 0 || (std::isfinite(r.rpm) && r.rpm > 0));
            FUZZ_CHECK(r.cam_deg < 0 || r.cam_deg < (model.per_cycle ? 720.0 : 360.0));
            FUZZ_CHECK(r.teeth >= 1);
            FUZZ_CHECK(r.anomaly.empty() || r.anomaly == "missing" || r.anomaly == "extra" || r.anomaly == "nosync");
        }
        for (const anomaly_event& a : anomalies) FUZZ_CHECK(a.revolution == last + 1 || a.revolution == last);
        rows.clear();
        anomalies.clear();
    }
}

bool same_edges(const std::vector<edge>& a, const std::vector<edge>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].at != b[i].at || a[i].rising != b[i].rising) return false;
    return true;
}
