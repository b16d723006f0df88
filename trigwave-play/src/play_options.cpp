#include "play_options.h"

#include <cstring>
#include <memory>
#include <vector>

#include "wheel_catalog.h"
#include "wheel_text.h"

namespace {

// The arguments kept alive for the generator, whose strings point into them.
std::vector<char*>& kept_arguments() {
    static std::vector<char*> kept;
    return kept;
}

}  // namespace

bool read_play_options(int argc, char* argv[], play_options& out, Trigwave& generator) {
    // The player's own options come first; what follows is trigwave's command line.
    std::vector<char*>& rest = kept_arguments();
    rest.assign(1, argv[0]);
    int i = 1;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hold") == 0) {
            if (out.hold) {
                std::fprintf(stderr, "--hold is given twice\n");
                return false;
            }
            out.hold = true;
        } else if (std::strcmp(argv[i], "--device") == 0) {
            if (!out.device.empty() || i + 1 >= argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "--device takes one device name\n");
                return false;
            }
            out.device = argv[++i];
        } else {
            break;
        }
    }
    for (; i < argc; ++i) rest.push_back(argv[i]);
    const int count = static_cast<int>(rest.size());
    rest.push_back(nullptr);
    char** const args = rest.data();
    if (!read_file_options(count, args, out.file)) return false;
    if (out.file.output != nullptr || out.file.fx.truth != nullptr) {
        std::fprintf(stderr, "%s names a file: trigwave-play writes none (trigwave does)\n",
                     out.file.output != nullptr ? "--output" : "--truth");
        return false;
    }
    const int after_count = count - out.file.first + 1;
    char** const after = args + out.file.first - 1;
    int status;
    if (out.file.wheel != nullptr) {
        std::unique_ptr<wheel_sampler> drawing = load_wheel(out.file.wheel);
        if (!drawing) return false;
        static std::string label;
        label = wheel_label(out.file.wheel);
        status = generator.process_wheel_param(label.c_str(), std::move(drawing), out.file.reverse, after_count, after);
    } else {
        status = generator.process_param(after_count, after);
    }
    return status == 0 && (!out.file.fx.any() || check_effects(out.file.fx, generator.length_sec));
}

void print_play_usage(const char* name, FILE* out) {
    std::fprintf(out,
                 "Usage: %s [--device NAME] [--hold] [--wheel FILE [--reverse]] <type> <RPM> <seconds> "
                 "<sectrig_position> <amplitude> <normal_tooth_relative_amplitude>\n"
                 "Plays the frames that trigwave would write for the same arguments to the sound card "
                 "(44100 Hz, stereo, 16-bit), crank on the left channel, cam on the right.\n"
                 "  --device NAME  the ALSA device on Linux, the waveOut device's name or number on "
                 "Windows (default: the system's)\n"
                 "  --hold         after the last frame, keep playing the last values until quit\n"
                 "  and trigwave's --wheel, --reverse, --vr, --runout, --cranking, --noise, --jitter, --seed and "
                 "--fault\n"
                 "Keys on a terminal: up/down +-10 RPM, page up/down +-100 RPM, left/right cam +-1 degree, "
                 "space pause, q quit.\n"
                 "Commands on standard input otherwise, a line each: rpm N, rpm N over SECONDS, cam N, "
                 "amplitude N, relative N, hold, quit, at SECONDS COMMAND.\n"
                 "Statuses: 0 played, 1 the device failed, 2 an argument error, 3 played with underruns.\n",
                 name);
    std::fprintf(out, "Types:\n");
    for (const wheel_type& t : wheel_types()) std::fprintf(out, "  %s: %s\n", t.type, t.usage);
    std::fprintf(out, "  capitals for reverse polarity\n");
}
