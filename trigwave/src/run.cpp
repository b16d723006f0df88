// One run of trigwave past --help and --version: the options, the type or the wheel file,
// the sweeps, the file.
#include "run.h"

#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "trigwave.h"
#include "utf8_arguments.h"
#include "wheel_text.h"

namespace {

// The arguments as UTF-8 once a file is named on the command line (Windows hands main()
// its ANSI code page, which cannot hold every name); a line of the six arguments alone
// keeps the bytes it is given, and names its file with them as it always has.
struct utf8_command_line {
    std::vector<std::string> text;
    std::vector<char*> argv;

    utf8_command_line(int argc, char* raw[]) : text(utf8_arguments(argc, raw)) {
        for (std::string& arg : text) argv.push_back(arg.data());
        argv.push_back(nullptr);
    }
};

}  // namespace

int run_trigwave(const char* name, int argc, char* argv[]) {
    file_options options;
    if (!read_file_options(argc, argv, options)) {
        Trigwave::usage(name);
        return 2;
    }
    // Reachable for the whole run, as the generator's strings point into them; the
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
    if (options.output != nullptr) generator->name_output(options.output, utf8 != nullptr);
    else generator->utf8_filename = utf8 != nullptr;
    generator->generateFileName();
    if (!generator->openWavFile()) return 1;
    return generator->generate_wav_output();
}
