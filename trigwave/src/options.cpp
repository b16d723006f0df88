#include "options.h"

#include <cstring>

#include "trigwave.h"

cli_option lone_option(int argc, char* const argv[]) {
    if (argc != 2) return cli_option::none;
    if (std::strcmp(argv[1], "--help") == 0) return cli_option::help;
    if (std::strcmp(argv[1], "--version") == 0) return cli_option::version;
    return cli_option::none;
}

bool read_file_options(int argc, char* const argv[], file_options& out) {
    int i = 1;
    for (; i < argc; ++i) {
        const char* const arg = argv[i];
        const char** file = std::strcmp(arg, "--wheel") == 0    ? &out.wheel
                            : std::strcmp(arg, "--output") == 0 ? &out.output
                                                                : nullptr;
        if (file != nullptr) {
            if (*file != nullptr) {
                std::fprintf(stderr, "%s is given twice\n", arg);
                return false;
            }
            // A file name may begin with -, but an empty one names nothing.
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "%s needs a file name after it\n", arg);
                return false;
            }
            *file = argv[++i];
        } else if (std::strcmp(arg, "--reverse") == 0) {
            if (out.reverse) {
                std::fprintf(stderr, "%s is given twice\n", arg);
                return false;
            }
            out.reverse = true;
        } else {
            const int taken = take_effect_option(argc, argv, i, out.fx);
            if (taken < 0) return false;
            if (taken == 0) break;
            i += taken - 1;
        }
    }
    out.first = i;
    if (out.reverse && out.wheel == nullptr) {
        std::fprintf(stderr,
                     "--reverse goes with --wheel: a type is reversed by its capital letter\n");
        return false;
    }
    return true;
}

void print_help(const char* name, FILE* out) {
    Trigwave::usage(name, out);
    std::fprintf(out,
                 "usage- %s [--output FILE] [--reverse] --wheel FILE <RPM> <seconds> "
                 "<sectrig_position> <amplitude> <normal_tooth_relative_amplitude>\n",
                 name);
    std::fprintf(out,
                 "\ta wheel file's crank and cam in the type's place, its cam teeth moved on by "
                 "sectrig_position;\n\t--reverse turns its crank upside down\n");
    std::fprintf(out, "\t--output FILE names the WAV file (with a type too)\n");
    std::fprintf(out,
                 "usage- %s [effects] [--truth FILE.json] <type>|--wheel FILE <RPM> <seconds> ...\n"
                 "\t--vr                 the crank as a VR sensor gives it, <amplitude> at 1000 RPM\n"
                 "\t--runout PERCENT     with --vr: its swing moved once a revolution\n"
                 "\t--cranking CYL,DEPTH CYL compression strokes a cycle, the speed +-DEPTH %% around the RPM\n"
                 "\t--noise DBFS         white noise of that RMS on both channels (-40)\n"
                 "\t--jitter PERCENT     each crank edge moved by a normal spread of PERCENT %% of its spacing\n"
                 "\t--seed N             the noise's and the jitter's random numbers (default 1)\n"
                 "\t--fault KIND@WHERE   missing@REV:TOOTH extra@REV:TOOTH dropout@S:DURATION[:crank|cam|both]\n"
                 "\t                     spike@S[:crank|cam] flip@S nocam@CYCLE (repeatable)\n"
                 "\t--truth FILE.json    every revolution and fault of the file, as trigwave-scan --json\n",
                 name);
    std::fprintf(out, "usage- %s --help | --version\n", name);
    std::fprintf(out, "\tthis text, or the version, on standard output\n");
}
