#include "scan.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "csv_report.h"
#include "input.h"
#include "json_report.h"
#include "open_file.h"
#include "scan_pipeline.h"
#include "svg_plot.h"
#include "text_report.h"

namespace {

struct output_file {
    FILE* f = nullptr;
    std::string name;
    ~output_file() {
        if (f) std::fclose(f);
    }
};

}  // namespace

int run_scan(const scan_options& opts, FILE* out, FILE* err) {
    std::unique_ptr<edge_source> input;
    try {
        input = open_input(opts.recording);
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

    scan_pipeline pipeline;
    const wheel_model& model = pipeline.learn(*input, opts.recording.channels.cam_wanted);
    // A file whose rows before the one it cannot read tell no wheel gets no report, only
    // what is wrong.
    if (!model.found && !input->failure().empty()) {
        std::fprintf(err, "trigwave-scan: %s\n", input->failure().c_str());
        return 2;
    }
    if (!model.found) {
        if (pipeline.ended() && !input->warning().empty()) std::fprintf(err, "trigwave-scan: warning: %s\n", input->warning().c_str());
        if (opts.json)
            std::fprintf(out, "{\"file\": %s, \"problem\": %s}\n", json_string(opts.recording.file).c_str(),
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
        owned.push_back(std::make_unique<json_report>(out, opts.recording.file, input->input_line()));
    else
        owned.push_back(std::make_unique<text_report>(out, input->input_line()));
    if (csv.f) owned.push_back(std::make_unique<csv_report>(csv.f));
    if (plot.f) owned.push_back(std::make_unique<svg_plot>(plot.f));
    std::vector<report_sink*> sinks;
    for (auto& s : owned) sinks.push_back(s.get());
    pipeline.follow(*input, sinks);
    if (!input->warning().empty()) std::fprintf(err, "trigwave-scan: warning: %s\n", input->warning().c_str());

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
    // What could not be read ends the scan there: the report above covers what came before.
    if (!input->failure().empty()) {
        std::fprintf(err, "trigwave-scan: %s; scanned up to there\n", input->failure().c_str());
        return 2;
    }
    const scan_summary& summary = pipeline.summary();
    return summary.rows > 0 && summary.anomalies() == 0 ? 0 : 1;
}
