// Reading the six positional arguments into the generator object.
#include <cstring>
#include <utility>

#include "int_parse.h"
#include "trigwave.h"
#include "wheel_catalog.h"
#include "wheel_geometry.h"

Trigwave::Trigwave() : filename(new char[filename_size]) { filename[0] = '\0'; }

Trigwave::~Trigwave() { delete[] filename; }

namespace {

// Reads a sweep argument; on failure returns the caller's code for that sweep.
// The tokeniser writes terminators into the argument in place.
int read_sweep(tokens_t* tokens, char* text, const char* label, int failure_code) {
    return Trigwave::parse_tokens_min2entries(tokens, text, "-", label) != 0 ? failure_code
                                                                             : PARAM_OK;
}

bool uses_tooth_slots(char type) { return type == 'm' || type == 'e'; }

// An option trigwave does not know where the type (or a wheel file's first sweep) goes.
bool refused_like_option(int argc, char* argv[]) {
    if (argc < 2 || argv[1][0] != '-') return false;
    std::fprintf(stderr,
                 "<type> %s is refused: a type never begins with - (--help and --version "
                 "go alone)\n",
                 argv[1]);
    return true;
}

}  // namespace

int Trigwave::process_param(int argc, char* argv[]) {
    // Checked before the count, so a mistyped option is named whatever follows it: the
    // type is part of the file's name, and a file named like an option is hard to handle.
    if (refused_like_option(argc, argv)) return PARAM_TYPE_LIKE_OPTION;
    if (argc < 7) {
        std::fprintf(stderr, "NOT enough parameters: %d (min:7)\n", argc);
        return PARAM_TOO_FEW;
    }
    primstr = argv[1];
    take_sweep_arguments(argv + 2);

    if (std::strlen(primstr) < 4) {
        std::fprintf(stderr, "<type> %s is refused: it needs at least 4 characters\n", primstr);
        return PARAM_TYPE_TOO_SHORT;
    }
    fill_from_primstr(primstr);

    // Only codes up to 'Z' are capitals; bytes of 128 and above keep the normal polarity.
    const unsigned char letter = static_cast<unsigned char>(trigger_type);
    if (letter <= 90) {
        polarity = 0x80;
        trigger_type = static_cast<char>(letter + 32);
    } else {
        polarity = 0;
    }
    if (uses_tooth_slots(trigger_type) &&
        static_cast<uint8_t>(wheel.toothcnt + wheel.missing) == 0) {
        std::fprintf(stderr,
                     "<type> %s is refused: types m and e need a slot count (toothcnt + missing) "
                     "that is not 0 modulo 256\n",
                     primstr);
        return PARAM_NO_SLOTS;
    }
    return read_sweeps();
}

int Trigwave::process_wheel_param(const char* label, std::unique_ptr<wheel_sampler> drawing,
                                  bool reversed, int argc, char* argv[]) {
    if (refused_like_option(argc, argv)) return PARAM_TYPE_LIKE_OPTION;
    if (argc != 6) {
        std::fprintf(stderr,
                     "%s parameters after the wheel file: %d (it takes 5: <RPM> <seconds> "
                     "<sectrig_position> <amplitude> <normal_tooth_relative_amplitude>)\n",
                     argc < 6 ? "NOT enough" : "too many", argc - 1);
        return argc < 6 ? PARAM_TOO_FEW : PARAM_TOO_MANY;
    }
    primstr = const_cast<char*>(label);
    take_sweep_arguments(argv + 1);
    wheel_drawing = std::move(drawing);
    polarity = reversed ? 0x80 : 0;
    return read_sweeps();
}

void Trigwave::take_sweep_arguments(char* argv[]) {
    rpm_str = argv[0];
    length_str = argv[1];
    cam_pos_str = argv[2];
    amplitude_str = argv[3];
    fading_str = argv[4];
    // Named before any sweep is tokenised, while the arguments are intact.
    std::snprintf(filename, filename_size, "%s_%s_%s_%s_%s_%s.wav", primstr, rpm_str, length_str,
                  cam_pos_str, amplitude_str, fading_str);
}

int Trigwave::read_sweeps() {
    std::fprintf(stderr, "rpm_str is: %s\n", rpm_str);
    int rc = read_sweep(&rpm_tokens, rpm_str, "<RPM>", PARAM_BAD_RPM);
    if (rc != PARAM_OK) return rc;

    int32_t seconds = 0;
    switch (read_decimal_int(length_str, &seconds)) {
    case int_read::no_number:
        std::fprintf(stderr, "bad length: %s\n", length_str);
        seconds = 120;
        break;
    case int_read::overflow:
        seconds = -1;
        break;
    case int_read::ok:
        break;
    }
    if (seconds < 0 || seconds > max_length_sec) {
        std::fprintf(stderr, "<seconds> %s is refused: the length must be 0 to 24347 seconds\n",
                     length_str);
        return PARAM_BAD_LENGTH;
    }
    length_sec = seconds;
    std::fprintf(stderr, "The length of the wav file will be %i seconds\n", length_sec);

    std::fprintf(stderr, "cam_pos_str is: %s\n", cam_pos_str);
    rc = read_sweep(&cam_pos_tokens, cam_pos_str, "<sectrig_position>", PARAM_BAD_CAM_POS);
    if (rc != PARAM_OK) return rc;
    std::fprintf(stderr, "amplitude_str is: %s\n", amplitude_str);
    rc = read_sweep(&amplitude_tokens, amplitude_str, "<amplitude>", PARAM_BAD_AMPLITUDE);
    if (rc != PARAM_OK) return rc;
    std::fprintf(stderr, "fading_str is: %s\n", fading_str);
    return read_sweep(&fading_tokens, fading_str, "<normal_tooth_relative_amplitude>",
                      PARAM_BAD_FADING);
}

void Trigwave::fill_from_primstr(const char* str) {
    trigger_type = str[0];
    wheel = wheel_geometry::wheel_of_type(str);
    std::fprintf(stderr, "primstr=%s, toothcnt=%d, missing=%d\n", str, wheel.toothcnt,
                 wheel.missing);
}

void Trigwave::usage(const char* name, FILE* out) {
    std::fprintf(out,
                 "usage- %s <type> <RPM> <seconds> <sectrig_position> <amplitude> "
                 "<normal_tooth_relative_amplitude>\n",
                 name);
    std::fprintf(out,
                 "\tmost parameters allow constant like 40 or continuous changes with 40-80-85-70 "
                 "syntax\n");
    std::fprintf(out, "\tspecify ALL parameters (amplitude=1000 is normal 100%%)\n");
    std::fprintf(out,
                 "\t60-2 (58+2) at 180-1740 RPM, 60 sec length, sectrig rising edge=15..30crankdeg, "
                 "amplitude=10%%..100%%, normaltooth=100%% .. 90%%-\n");
    std::fprintf(out, "\ttrigwave m582 180-1740 60 15-30 100-1000 1000-900\n");
    std::fprintf(out,
                 "\tRev up from 140 to 3000 RPM in 4 steps, holding 200 RPM for a while, sweeping "
                 "sectrig 20+-5 degree-\n");
    std::fprintf(out, "\ttrigwave m582 140-200-200-3000 60 15-25-20 1000 1000\n");
    std::fprintf(out, "\ttype-\n");
    for (const wheel_type& t : wheel_types()) std::fprintf(out, "\t%s: %s\n", t.type, t.usage);
    std::fprintf(out, "\tcapitals for reverse polarity; might be necessary depending on soundcard\n");
}
