// The generator object of one trigwave run: the six arguments, the wheel
// description, the four sweep tables, the length and the output stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "wheel_sampler.h"

class effects_renderer;

// One sweep: up to 999 parsed points plus one slot for a copy of the last
// point, which interpolation reads at the very end of the file.
struct tokens_t {
    uint16_t count;
    uint16_t values[1000];
};

struct wheel_param_t {
    uint8_t toothcnt;
    uint8_t missing;
};

// Codes returned by process_param (0 = success).
enum param_code : int {
    PARAM_OK = 0,
    PARAM_TOO_FEW = 2,
    PARAM_BAD_RPM = 3,
    PARAM_BAD_CAM_POS = 4,
    PARAM_BAD_AMPLITUDE = 5,
    PARAM_BAD_FADING = 6,
    PARAM_TYPE_TOO_SHORT = 10,
    PARAM_NO_SLOTS = 11,
    PARAM_BAD_LENGTH = 12,
    PARAM_TYPE_LIKE_OPTION = 13,
    PARAM_TOO_MANY = 14,
};

// Codes returned by parse_tokens (0 = success).
enum token_code : int {
    TOKENS_OK = 0,
    TOKENS_NO_NUMBER = 7,
    TOKENS_TOO_BIG = 8,
    TOKENS_NONE = 9,
};

// Exit statuses of generate_wav_output besides 0.
enum render_code : int {
    RENDER_OK = 0,
    RENDER_WRITE_FAILED = 5,
    RENDER_HEADER_FAILED = 7,
};

class Trigwave {
public:
    static constexpr int filename_size = 4090;
    static constexpr int max_points = 999;
    static constexpr int max_length_sec = 24347;

    Trigwave();
    virtual ~Trigwave();
    Trigwave(const Trigwave&) = delete;
    Trigwave& operator=(const Trigwave&) = delete;

    // Command line (params.cpp).
    int process_param(int argc, char* argv[]);
    void fill_from_primstr(const char* str);
    // A wheel file in the type's place: the label names the output file as a type does,
    // and argv holds the five sweep arguments after argv[0].
    int process_wheel_param(const char* label, std::unique_ptr<wheel_sampler> drawing,
                            bool reversed, int argc, char* argv[]);
    // Standard error after an argument error; standard output for --help.
    static void usage(const char* name, FILE* out = stderr);

    // Sweeps (sweep.cpp). The label names the argument in refusal messages.
    static int parse_tokens(tokens_t* tokens, char* str, const char* sep,
                            const char* label = "<RPM>");
    static uint8_t parse_tokens_min2entries(tokens_t* tokens, char* str, const char* sep,
                                            const char* label = "<RPM>");
    static long double lookup_and_weight(const tokens_t* tokens, double p);

    // Wheel patterns (wheels.cpp).
    int16_t primary_trigger_sample(uint16_t angle, double amplitude, double relative) const;
    int16_t cam_trigger_sample(uint16_t angle, uint16_t cam_pos, double amplitude) const;
    static int16_t onetooth(uint16_t phase);
    static int16_t trigger_coil(wheel_param_t wheel, uint16_t angle);
    static int16_t trigger_missing_tooth(wheel_param_t wheel, uint16_t angle, double relative);
    static int16_t trigger_lotus_elise(wheel_param_t wheel, uint16_t angle, double relative);
    static int16_t trigger_fiat_stilo(uint16_t angle);
    static int16_t trigger_subaru_crank(wheel_param_t wheel, uint16_t angle, double relative);
    static int16_t trigger_simple_cam(uint16_t angle, uint16_t cam_pos, double amplitude);
    static int16_t trigger_subaru_cam(uint16_t angle, uint16_t cam_pos, double amplitude);
    static int16_t subaru_vr_signal(uint16_t a, uint16_t b, uint16_t c);

    // Output file (wav_file.cpp) and rendering (render.cpp). A name given outright replaces
    // the one formed from the arguments; utf8 says it came from the wide command line.
    void generateFileName(const char* prefix = nullptr);
    void name_output(const char* name, bool utf8);
    // Adds a part to the formed name before its ".wav".
    void add_to_name(const std::string& part);
    bool openWavFile();
    // The frames of the plain renderer, or of the effects' renderer when one is given.
    int generate_wav_output(effects_renderer* effects = nullptr);
    // Takes back a file just written (its options asked for what it cannot hold).
    void remove_output();
    // Writes a text file beside the WAV, named as the WAV is (UTF-8 or not); false with the
    // system's words on standard error.
    bool write_text_file(const char* path, const std::string& text) const;

    char* primstr = nullptr;
    char* rpm_str = nullptr;
    char* length_str = nullptr;
    char* cam_pos_str = nullptr;
    char* amplitude_str = nullptr;
    char* fading_str = nullptr;
    char* filename;
    char trigger_type = 0;
    uint8_t polarity = 0;
    wheel_param_t wheel{};
    tokens_t rpm_tokens{};
    tokens_t cam_pos_tokens{};
    tokens_t amplitude_tokens{};
    tokens_t fading_tokens{};
    int32_t length_sec = 0;
    FILE* wavfile = nullptr;
    // A wheel file's crank and cam, drawn once; none for the built-in types.
    std::unique_ptr<wheel_sampler> wheel_drawing;
    bool utf8_filename = false;

private:
    int close_output();
    void take_sweep_arguments(char* argv[]);
    int read_sweeps();
};
