#include "scan.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "csv_report.h"
#include "input.h"
#include "json_report.h"
#include "open_file.h"
#include "revolution_tracker.h"
#include "svg_plot.h"
#include "text_report.h"
#include "wheel_finder.h"

namespace {

// Edges gathered before the wheel is told: a few revolutions of the densest wheel, or
// enough cam pulses to see a cam's pattern twice over.
constexpr std::size_t enough_crank_edges = 2400;
constexpr std::size_t some_crank_edges = 600;
constexpr std::size_t enough_cam_edges = 48;
constexpr std::size_t few_cam_edges = 16;
// A bound for a cam that never pulses: the wheel is told without it.
constexpr std::size_t most_crank_edges = 40000;

struct output_file {
    FILE* f = nullptr;
    std::string name;
    ~output_file() {
        if (f) std::fclose(f);
    }
};

// Feeds both channels' edges to the tracker in time order, the crank first at a tie.
void merge_into(revolution_tracker& tracker, const std::vector<edge>& crank, const std::vector<edge>& cam,
                std::vector<report_sink*>& sinks, scan_summary& summary) {
    std::vector<revolution_row> rows;
    std::vector<anomaly_event> anomalies;
    std::size_t i = 0, j = 0;
    while (i < crank.size() || j < cam.size()) {
        const bool take_crank = j >= cam.size() || (i < crank.size() && crank[i].at <= cam[j].at);
        tracker.feed(take_crank ? channel_edge{channel::crank, crank[i++]} : channel_edge{channel::cam, cam[j++]}, rows,
                     anomalies);
        for (const anomaly_event& a : anomalies) {
            summary.add(a);
            for (report_sink* s : sinks) s->anomaly(a);
        }
        for (const revolution_row& r : rows) {
            summary.add(r);
            for (report_sink* s : sinks) s->row(r);
        }
        rows.clear();
        anomalies.clear();
    }
}

}  // namespace

int run_scan(const scan_options& opts, FILE* out, FILE* err) {
    std::unique_ptr<edge_source> input;
    try {
        input = open_input(opts);
    } catch (const input_error& e) {
        std::fprintf(err, "trigwave-scan: %s\n", e.what());
        return 2;
    }
    output_file csv, plot;
    for (auto* o : {&csv, &plot}) {
        o->name = o == &csv ? opts.csv : opts.plot;
        if (o->name.empty()) continue;
        o->f = open_for_writing(o->name);
        if (!o->f) {
            std::fprintf(err, "trigwave-scan: %s: cannot write: %s\n", o->name.c_str(), std::strerror(errno));
            return 2;
        }
    }

    std::vector<edge> crank, cam;
    bool ended = false;
    const auto enough = [&] {
        if (opts.cam_none) return crank.size() >= some_crank_edges;
        return (crank.size() >= some_crank_edges && cam.size() >= enough_cam_edges) ||
               (crank.size() >= enough_crank_edges && cam.size() >= few_cam_edges) || crank.size() >= most_crank_edges;
    };
    while (!enough()) {
        if (!input->next(crank, cam)) {
            ended = true;
            break;
        }
    }
    const wheel_model model = find_wheel(crank, cam, !opts.cam_none);
    if (!model.found) {
        if (ended && !input->warning().empty()) std::fprintf(err, "trigwave-scan: warning: %s\n", input->warning().c_str());
        if (opts.json)
            std::fprintf(out, "{\"file\": %s, \"problem\": %s}\n", json_string(opts.file).c_str(),
                         json_string(model.problem).c_str());
        else
            std::fprintf(out, "%s\n", model.problem.c_str());
        // The files asked for still say what there is: a header, an empty plot.
        if (csv.f) csv_report{csv.f};
        if (plot.f) svg_plot{plot.f}.finish(model, scan_summary{});
        return 1;
    }

    std::vector<std::unique_ptr<report_sink>> owned;
    if (opts.json)
        owned.push_back(std::make_unique<json_report>(out, opts.file));
    else
        owned.push_back(std::make_unique<text_report>(out));
    if (csv.f) owned.push_back(std::make_unique<csv_report>(csv.f));
    if (plot.f) owned.push_back(std::make_unique<svg_plot>(plot.f));
    std::vector<report_sink*> sinks;
    for (auto& s : owned) sinks.push_back(s.get());
    for (report_sink* s : sinks) s->start(model);

    scan_summary summary;
    revolution_tracker tracker(model, input->rate());
    merge_into(tracker, crank, cam, sinks, summary);
    do {
        crank.clear();
        cam.clear();
        if (!input->next(crank, cam)) break;
        merge_into(tracker, crank, cam, sinks, summary);
    } while (true);
    summary.seconds = input->seconds();
    if (!input->warning().empty()) std::fprintf(err, "trigwave-scan: warning: %s\n", input->warning().c_str());
    for (report_sink* s : sinks) s->finish(model, summary);

    bool written = true;
    for (auto* o : {&csv, &plot}) {
        if (!o->f) continue;
        written = std::fflush(o->f) == 0 && !std::ferror(o->f) && written;
        if (std::fclose(o->f) != 0) written = false;
        o->f = nullptr;
        if (!written) {
            std::fprintf(err, "trigwave-scan: %s: could not be written whole\n", o->name.c_str());
            return 2;
        }
    }
    return summary.rows > 0 && summary.anomalies() == 0 ? 0 : 1;
}
