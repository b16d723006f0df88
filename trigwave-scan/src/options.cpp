#include "options.h"

#include <cstring>

namespace {

// "--name value" or "--name=value".
bool take_value(const std::string& arg, const char* name, int& i, int argc, char* const argv[], std::string& value,
                std::string& error) {
    const std::string n = name;
    if (arg == n) {
        if (i + 1 >= argc) {
            error = n + " needs a value";
            return false;
        }
        value = argv[++i];
        return true;
    }
    value = arg.substr(n.size() + 1);
    return true;
}

bool is_option(const std::string& arg, const char* name) {
    const std::size_t n = std::strlen(name);
    return arg.compare(0, n, name) == 0 && (arg.size() == n || arg[n] == '=');
}

}  // namespace

bool parse_options(int argc, char* const argv[], scan_options& out, std::string& error) {
    bool files_only = false;
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (!files_only && arg == "--") {
            files_only = true;
        } else if (!files_only && (arg == "--help" || arg == "-h")) {
            out.help = true;
        } else if (!files_only && arg == "--version") {
            out.version = true;
        } else if (!files_only && arg == "--json") {
            out.json = true;
        } else if (!files_only && (is_option(arg, "--wheel") || is_option(arg, "--save-wheel"))) {
            const char* name = is_option(arg, "--wheel") ? "--wheel" : "--save-wheel";
            std::string value;
            if (!take_value(arg, name, i, argc, argv, value, error)) return false;
            if (value.empty()) {
                error = std::string(name) + " needs a value";
                return false;
            }
            (std::strcmp(name, "--wheel") == 0 ? out.wheel : out.save_wheel) = value;
        } else if (!files_only && (is_option(arg, "--crank") || is_option(arg, "--cam") || is_option(arg, "--csv") ||
                                   is_option(arg, "--plot") || is_option(arg, "--input"))) {
            const char* name = is_option(arg, "--crank") ? "--crank" : is_option(arg, "--cam") ? "--cam"
                             : is_option(arg, "--csv")   ? "--csv" : is_option(arg, "--plot") ? "--plot" : "--input";
            std::string value;
            if (!take_value(arg, name, i, argc, argv, value, error)) return false;
            if (value.empty()) {
                error = std::string(name) + " needs a value";
                return false;
            }
            channel_wish& channels = out.recording.channels;
            if (std::strcmp(name, "--crank") == 0) channels.crank = value;
            if (std::strcmp(name, "--cam") == 0) {
                channels.cam_wanted = value != "none";
                channels.cam = channels.cam_wanted ? value : "";
            }
            if (std::strcmp(name, "--csv") == 0) out.csv = value;
            if (std::strcmp(name, "--plot") == 0) out.plot = value;
            if (std::strcmp(name, "--input") == 0 && !parse_input_choice(value, out.recording.input)) {
                error = "--input " + value + ": auto, hall or vr";
                return false;
            }
        } else if (!files_only && arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            ++files;
            out.recording.file = arg;
        }
    }
    // As trigwave: the two options are answered only as the whole command line.
    if (out.help || out.version) {
        if (argc == 2) return true;
        error = "--help and --version are answered alone";
        return false;
    }
    if (files != 1) {
        error = files == 0 ? "no recording given" : "one recording at a time";
        return false;
    }
    if (out.recording.file.empty()) {
        error = "an empty file name";
        return false;
    }
    return true;
}

// The Windows build's libsndfile is built without its external codecs: no FLAC, Ogg or MP3.
#ifdef _WIN32
#define AUDIO_FORMATS "WAV, AIFF, CAF, ..."
#else
#define AUDIO_FORMATS "WAV, FLAC, ..."
#endif

void print_usage(const char* name, FILE* out) {
    std::fprintf(out,
                 "usage: %s [--crank N|NAME] [--cam N|NAME|none] [--input KIND] [--wheel FILE] [--save-wheel FILE]\n"
                 "       [--csv FILE] [--json] [--plot FILE.svg] RECORDING\n"
                 "       %s --help | --version\n"
                 "Reads a trigger recording and reports the wheel, RPM, teeth, gap and cam angle\n"
                 "revolution by revolution. Formats, told from the content: audio through libsndfile\n"
                 "(" AUDIO_FORMATS "); a VCD capture; a logic analyzer's or scope's CSV export (time in\n"
                 "seconds, a column per channel); a composite log of tuning software (PriLevel, SecLevel, Time).\n"
                 "  --crank N|NAME  crank channel (from 1; default 1), or a VCD signal or CSV column by name\n"
                 "                  (default: a CSV's column named crank; a composite log's PriLevel)\n"
                 "  --cam N|NAME    cam channel (default 2), signal or column (default: cam; SecLevel);\n"
                 "                  none for a recording without a cam\n"
                 "  --input KIND    auto, hall or vr: the sensor of an audio recording or a CSV's sampled\n"
                 "                  column, a hall comparator or a VR zero crossing (default auto: decided\n"
                 "                  from the signal, and said)\n"
                 "  --csv FILE      one row per revolution (per cycle for wheels counted from the cam)\n"
                 "  --json          the same as one JSON document on standard output\n"
                 "  --plot FILE.svg RPM and cam angle over time, anomalies marked\n"
                 "  --wheel FILE    follow the wheel this wheel file describes instead of telling it from\n"
                 "                  the recording, and name it\n"
                 "  --save-wheel FILE  write the wheel learned (crank and cam, each angle averaged over the\n"
                 "                  revolutions followed) as a wheel file\n"
                 "Wheels are told among trigwave's types, the wheel library (the *.wheel files in wheels/\n"
                 "beside the program, else in ../share/orix/wheels from its folder) and patterns learned.\n"
                 "exit status: 0 synced, no anomaly; 1 anomalies, sync lost or no wheel; 2 usage or input error\n",
                 name, name);
}
