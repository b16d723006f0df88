#include "scan_check.h"

#include <algorithm>
#include <cmath>

#include "edge_source.h"
#include "fuzz_check.h"
#include "scan_pipeline.h"
#include "wheel_measurer.h"
#include "wheel_writer.h"

namespace {

// Edges already read, handed over as one stretch.
class given_edges : public edge_source {
public:
    given_edges(const std::vector<edge>& crank, const std::vector<edge>& cam, double rate, double end)
        : crank_(crank), cam_(cam), rate_(rate), end_(end) {}
    double rate() const override { return rate_; }
    bool next(std::vector<edge>& crank, std::vector<edge>& cam) override {
        if (done_) return false;
        done_ = true;
        crank.insert(crank.end(), crank_.begin(), crank_.end());
        cam.insert(cam.end(), cam_.begin(), cam_.end());
        return true;
    }
    double seconds() const override { return end_ / rate_; }

private:
    const std::vector<edge>& crank_;
    const std::vector<edge>& cam_;
    double rate_, end_;
    bool done_ = false;
};

// Every row and anomaly in range, rows numbered one after another.
class checking_sink : public report_sink {
public:
    explicit checking_sink(const wheel_model& m) : model_(m) {}
    void row(const revolution_row& r) override {
        FUZZ_CHECK(r.number == last_ + 1);
        last_ = r.number;
        FUZZ_CHECK(r.rpm < 0 || (std::isfinite(r.rpm) && r.rpm > 0));
        // a cycle counted from the cam runs as far as the teeth it holds, each perhaps after
        // a missing one
        const double period =
            model_.per_cycle ? 2 * 720.0 * (r.teeth + 2) / std::max(1, model_.teeth_per_period) : 360.0;
        FUZZ_CHECK(r.cam_deg < 0 || r.cam_deg < period);
        for (double c : r.cam_degs) FUZZ_CHECK(std::isfinite(c) && c >= 0 && c < period);
        FUZZ_CHECK(r.teeth >= 1);
    }
    void anomaly(const anomaly_event& a) override {
        FUZZ_CHECK(a.revolution == last_ + 1 || a.revolution == last_);
        FUZZ_CHECK(a.kind != anomaly_kind::none);
    }

private:
    const wheel_model& model_;
    long last_ = 0;
};

}  // namespace

void check_edges(const std::vector<edge>& edges, double end) {
    for (std::size_t i = 0; i < edges.size(); ++i) {
        FUZZ_CHECK(std::isfinite(edges[i].at) && edges[i].at >= -1.0 && edges[i].at <= end);
        if (i == 0) continue;
        FUZZ_CHECK(edges[i].at >= edges[i - 1].at);
        FUZZ_CHECK(edges[i].rising != edges[i - 1].rising);
    }
}

void check_scan(const std::vector<edge>& crank, const std::vector<edge>& cam, double rate, const wheel_choice& choice) {
    const double end = std::max(crank.empty() ? 0.0 : crank.back().at, cam.empty() ? 0.0 : cam.back().at);
    given_edges source(crank, cam, rate, end);
    scan_pipeline pipeline;
    const wheel_model& model = pipeline.learn(source, !cam.empty(), choice);
    if (!model.found) {
        FUZZ_CHECK(!model.problem.empty());
        return;
    }
    FUZZ_CHECK(!model.teeth.empty());
    checking_sink sink(model);
    wheel_measurer measurer;
    pipeline.follow(source, {&sink, &measurer}, &measurer);
    wheel_file learned;
    if (measurer.learned("learned", "fuzz", learned)) {
        // teeth measured may touch once rounded (the program then writes nothing), but what is
        // written must read back
        for (const wheel_tooth& t : learned.crank) FUZZ_CHECK(t.rise >= 0 && t.rise < learned.cycle * 1000);
        for (const wheel_tooth& t : learned.cam) FUZZ_CHECK(t.rise >= 0 && t.rise < 720000 && t.fall >= 0 && t.fall < 720000);
        try {
            const wheel_file back = parse_wheel_file(wheel_file_text(learned));
            FUZZ_CHECK(back.crank.size() == learned.crank.size());
        } catch (const wheel_file_error&) {
        }
    }
}

bool same_edges(const std::vector<edge>& a, const std::vector<edge>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].at != b[i].at || a[i].rising != b[i].rising) return false;
    return true;
}
