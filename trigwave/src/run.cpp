// One run of trigwave past --help and --version: the options, the type or the wheel file,
// the sweeps, the file.
#include "run.h"

#include <cstdio>
#include <string>
#include <vector>

#include "crank_model.h"
#include "effects_fit.h"
#include "effects_renderer.h"
#include "options.h"
#include "truth_json.h"
#include "trigwave.h"
#include "utf8_arguments.h"
#include "wheel_text.h"

namespace {

// Renders with the effects, writes the truth and says what the file could not hold.
int run_effects(Trigwave& generator, const effects& fx) {
    const crank_model model = make_crank_model(generator);
    if (!effects_fit(fx, model)) return 2;
    if (!generator.openWavFile()) return 1;
    effects_renderer renderer(generator, model, fx);
    const int status = generator.generate_wav_output(&renderer);
    if (status != 0) return status;
    const std::vector<const fault*> unplaced = renderer.unplaced();
    if (!unplaced.empty()) {
        const fault& f = *unplaced.front();
        std::fprintf(stderr, "--fault %s is refused: %s %ld never begins in this file; no file is left\n",
                     f.text.c_str(), f.kind == fault_kind::nocam ? "cycle" : model.per_cycle ? "cycle" : "revolution",
                     f.kind == fault_kind::nocam ? f.cycle : f.revolution);
        generator.remove_output();
        return 2;
    }
    if (renderer.clipped() > 0)
        std::fprintf(stderr, "trigwave: %llu samples held at full scale, the first at %.3f s\n",
                     static_cast<unsigned long long>(renderer.clipped()), renderer.first_clip_s());
    if (fx.truth != nullptr &&
        !generator.write_text_file(fx.truth, truth_json(renderer.truth(), model, generator, fx, generator.filename)))
        return 1;
    return 0;
}

}  // namespace

int run_trigwave(const char* name, int argc, char* argv[]) {
    file_options options;
    if (!read_file_options(argc, argv, options)) {
        Trigwave::usage(name);
        return 2;
    }
    // The arguments as UTF-8 once a file is named on the command line; a line of the six
    // arguments alone keeps the bytes it is given, and names its file with them as it always
    // has. Reachable for the whole run, as the generator's strings point into them; the
    // process's end releases them.
    static utf8_command_line* const utf8 = options.first > 1 ? new utf8_command_line(argc, argv) : nullptr;
    static std::string label;
    static Trigwave* const generator = new Trigwave();
    if (utf8 != nullptr && static_cast<int>(utf8->text.size()) == argc) {
        argv = utf8->argv.data();
        options = file_options{};
        read_file_options(argc, argv, options);
    }

    // The arguments after the options, as process_param takes a whole command line's.
    const int rest = argc - options.first + 1;
    char** const after = argv + options.first - 1;
    int status;
    if (options.wheel != nullptr) {
        std::unique_ptr<wheel_sampler> drawing = load_wheel(options.wheel);
        if (!drawing) return 2;  // the file's fault, not the command line's: no usage text
        label = wheel_label(options.wheel) + (options.reverse ? "-reversed" : "");
        status = generator->process_wheel_param(label.c_str(), std::move(drawing), options.reverse, rest, after);
    } else {
        status = generator->process_param(rest, after);
    }
    if (status != 0) {
        Trigwave::usage(name);
        return 2;
    }
    if (options.fx.any() && !check_effects(options.fx, generator->length_sec)) return 2;
    if (options.output != nullptr) {
        generator->name_output(options.output, utf8 != nullptr);
    } else {
        generator->utf8_filename = utf8 != nullptr;
        generator->add_to_name(effects_suffix(options.fx));
    }
    generator->generateFileName();
    if (options.fx.any()) return run_effects(*generator, options.fx);
    if (!generator->openWavFile()) return 1;
    return generator->generate_wav_output();
}
