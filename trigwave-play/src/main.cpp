// trigwave-play: plays trigwave's signal to the sound card in real time, its speed and
// cam changed live from the keys or from command lines on standard input.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "audio_out.h"
#include "crank_model.h"
#include "effects_fit.h"
#include "effects_renderer.h"
#include "command_inbox.h"
#include "keyboard.h"
#include "live_frames.h"
#include "play_options.h"
#include "player.h"
#include "utf8_arguments.h"

namespace {

extern "C" void on_stop(int) { stop_requested = true; }

}  // namespace

int main(int argc, char* argv[]) {
    const char* const name = argc > 0 && argv[0] != nullptr ? argv[0] : "trigwave-play";
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        print_play_usage(name, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("trigwave-play %s\n", TRIGWAVE_VERSION);
        return 0;
    }
    // A wheel file's name as UTF-8 (Windows hands main() its ANSI code page); the generator's
    // strings point into these, kept to the end.
    static utf8_command_line args(argc, argv);
    play_options options;
    static Trigwave generator;
    if (!read_play_options(static_cast<int>(args.text.size()), args.argv.data(), options, generator)) {
        print_play_usage(name, stderr);
        return 2;
    }

    // The effects' renderer, as trigwave's file would have it.
    const effects& fx = options.file.fx;
    std::unique_ptr<crank_model> model;
    std::unique_ptr<effects_renderer> effects;
    if (fx.changes_samples()) {
        model = std::make_unique<crank_model>(make_crank_model(generator));
        if (!effects_fit(fx, *model)) return 2;
        effects = std::make_unique<effects_renderer>(generator, *model, fx);
    }

    std::unique_ptr<audio_out> out = make_audio_out();
    std::string error;
    if (!out->open(options.device, error)) {
        std::fprintf(stderr, "trigwave-play: %s\n", error.c_str());
        return status_device;
    }
    std::signal(SIGINT, on_stop);
    std::signal(SIGTERM, on_stop);
#ifdef SIGPIPE
    // A controlling program that stops reading the answers must not end the stream.
    std::signal(SIGPIPE, SIG_IGN);
#endif

    live_frames frames(generator, options.hold, effects.get());
    keyboard keys;
    // The reading thread may still wait for a line when the player ends: what it fills lives on.
    static command_inbox* const inbox = new command_inbox;
    const bool commands = !stdin_is_terminal();
    if (commands) inbox->start();
    const play_report report = play(frames, *out, keys, commands ? inbox : nullptr);
    std::fprintf(stderr, "trigwave-play: played %.3f s, %llu underruns", report.seconds,
                 static_cast<unsigned long long>(report.underruns));
    if (report.changes > 0)
        std::fprintf(stderr, "; %u changes heard %.0f to %.0f ms after they came (mean %.0f)", report.changes,
                     report.latency_min, report.latency_max, report.latency_sum / report.changes);
    std::fputc('\n', stderr);
    // trigwave refuses a file whose fault never happens in it; a stream can only say so.
    if (effects)
        for (const fault* f : effects->unplaced())
            std::fprintf(stderr, "trigwave-play: --fault %s never happened: its %s did not begin in the stream\n",
                         f->text.c_str(), f->kind == fault_kind::nocam || model->per_cycle ? "cycle" : "revolution");
    return report.status;
}
