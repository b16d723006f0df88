#include "scan.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "csv_report.h"
#include "input.h"
#include "json_report.h"
#include "library_wheels.h"
#include "open_file.h"
#include "scan_pipeline.h"
#include "svg_plot.h"
#include "text_report.h"
#include "wheel_library.h"
#include "wheel_text.h"
#include "wheel_measurer.h"
#include "wheel_writer.h"

namespace {

struct output_file {
    FILE* f = nullptr;
    std::string name;
    ~output_file() {
        if (f) std::fclose(f);
    }
};

// The wheels to tell: the library's, or the one given; false for a given file it cannot
// use, said on err.
bool choose_wheels(const scan_options& opts, wheel_choice& choice, FILE* err) {
    if (!opts.wheel.empty()) {
        try {
            const wheel_file given = read_wheel_file(opts.wheel);
            choice.library = library_wheels({given});
            choice.library_vr = library_wheels({given}, true);
        } catch (const wheel_file_error& e) {
            std::fprintf(err, "trigwave-scan: %s\n", e.what());
            return false;
        }
        choice.given = true;
        return true;
    }
    // A library file that does not parse is left out, and said once.
    const wheel_library library = read_wheel_library(wheel_library_folder(program_folder()));
    for (const std::string& p : library.problems)
        std::fprintf(err, "trigwave-scan: warning: %s; left out of the wheel library\n", p.c_str());
    choice.library = library_wheels(library.wheels);
    choice.library_vr = library_wheels(library.wheels, true);
    return true;
}

// The name a saved wheel goes by: the one it is known by, else what was learned.
std::string saved_name(const wheel_model& m) {
    if (!m.name.empty()) return m.name;
    if (!m.type.empty()) {
        std::string t = m.type;
        for (char& c : t) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return t;
    }
    return "learned " + m.description;
}

// Writes the wheel measured; false (said on err) when nothing was learned or it could not
// be written. status: what to return then.
bool save_wheel(const scan_options& opts, const wheel_model& m, const wheel_measurer& measurer, FILE* err,
                int& status) {
    wheel_file w;
    const std::string unit = m.per_cycle ? " cycle" : " revolution";
    std::string source = "measured by trigwave-scan from " + base_name(opts.recording.file) + ", " +
                         std::to_string(measurer.periods()) + unit + (measurer.periods() == 1 ? "" : "s") + " averaged";
    if (measurer.cam_cycles() > 0)
        source += ", the cam over " + std::to_string(measurer.cam_cycles()) + " cycle" + (measurer.cam_cycles() == 1 ? "" : "s");
    if (!measurer.learned(saved_name(m), source, w)) {
        std::fprintf(err, "trigwave-scan: %s: not written: no%s was followed whole, nothing learned\n",
                     opts.save_wheel.c_str(), unit.c_str());
        status = 1;
        return false;
    }
    const std::string text = wheel_file_text(w);
    try {
        parse_wheel_file(text);
    } catch (const wheel_file_error& e) {
        // teeth measured so close that they touch once rounded: nothing a file can hold
        std::fprintf(err, "trigwave-scan: %s: not written: the wheel measured is no wheel file (%s)\n",
                     opts.save_wheel.c_str(), e.what());
        status = 1;
        return false;
    }
    FILE* f = open_for_writing(opts.save_wheel);
    bool written = f && std::fputs(text.c_str(), f) >= 0;
    if (f && std::fclose(f) != 0) written = false;
    if (!written) {
        std::fprintf(err, "trigwave-scan: %s: cannot write: %s\n", opts.save_wheel.c_str(), std::strerror(errno));
        status = 2;
        return false;
    }
    return true;
}

}  // namespace

int run_scan(const scan_options& opts, FILE* out, FILE* err) {
    wheel_choice choice;
    if (!choose_wheels(opts, choice, err)) return 2;
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
    const wheel_model& model = pipeline.learn(*input, opts.recording.channels.cam_wanted, choice);
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
        if (!opts.save_wheel.empty())
            std::fprintf(err, "trigwave-scan: %s: not written: no wheel found, nothing learned\n", opts.save_wheel.c_str());
        return 1;
    }

    std::vector<std::unique_ptr<report_sink>> owned;
    if (opts.json)
        owned.push_back(std::make_unique<json_report>(out, opts.recording.file, input->input_line()));
    else
        owned.push_back(std::make_unique<text_report>(out, input->input_line()));
    if (csv.f) owned.push_back(std::make_unique<csv_report>(csv.f, wheel_names(model)));
    if (plot.f) owned.push_back(std::make_unique<svg_plot>(plot.f));
    std::vector<report_sink*> sinks;
    for (auto& s : owned) sinks.push_back(s.get());
    wheel_measurer measurer;
    const bool measuring = !opts.save_wheel.empty();
    if (measuring) sinks.push_back(&measurer);
    pipeline.follow(*input, sinks, measuring ? &measurer : nullptr);
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
    int status = summary.rows > 0 && summary.anomalies() == 0 ? 0 : 1;
    int save_status = 0;
    if (measuring && !save_wheel(opts, model, measurer, err, save_status)) status = std::max(status, save_status);
    return status;
}
