// Renders the first frames of every command line that process_param accepts, into
// memory, and compares them with the plain per-frame path (frame_math.h and the
// samplers), which the run-by-run renderer must match to the bit. The last frames of
// the file, which a capped render never reaches, are probed through the same steps.
// An input that begins "orix-wheel" is a wheel file up to its first NUL, played with the
// five sweeps after it as trigwave --wheel plays one (reversed when the text's length is
// odd), so every wheel the parser accepts is rendered too.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "frame_math.h"
#include "fuzz_args.h"
#include "fuzz_check.h"
#include "memory_sink.h"
#include "trigwave.h"
#include "wheel_file.h"

namespace {

// One second: files of 1 s are rendered whole, end included.
constexpr uint32_t frame_cap = 44100;
// Frames compared one by one at both ends of what was rendered; between them every 13th
// (the plain path costs a few microseconds a frame under the sanitizers).
constexpr uint32_t compare_at_ends = 1024;
constexpr uint32_t compare_every = 13;
constexpr std::size_t header_size = 44;

uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void check_header(const unsigned char* h, uint32_t frames) {
    FUZZ_CHECK(std::memcmp(h, "RIFF", 4) == 0);
    FUZZ_CHECK(le32(h + 4) == 4 * frames + 36);
    FUZZ_CHECK(std::memcmp(h + 8, "WAVEfmt ", 8) == 0);
    FUZZ_CHECK(le32(h + 16) == 16);
    FUZZ_CHECK(le16(h + 20) == 1);
    FUZZ_CHECK(le16(h + 22) == 2);
    FUZZ_CHECK(le32(h + 24) == 44100);
    FUZZ_CHECK(le32(h + 28) == 176400);
    FUZZ_CHECK(le16(h + 32) == 4);
    FUZZ_CHECK(le16(h + 34) == 16);
    FUZZ_CHECK(std::memcmp(h + 36, "data", 4) == 0);
    FUZZ_CHECK(le32(h + 40) == 4 * frames);
}

// Interpolation never leaves the range of the points it interpolates, and hits the
// first point at the start and the last one at the very end.
void check_lookup(const tokens_t& t, double p) {
    const uint16_t* first = t.values;
    const uint16_t* end = t.values + t.count;
    const double lo = *std::min_element(first, end);
    const double hi = *std::max_element(first, end);
    const double v = static_cast<double>(Trigwave::lookup_and_weight(&t, p));
    FUZZ_CHECK(v >= lo && v <= hi);
    if (p == 0.0) FUZZ_CHECK(v == t.values[0]);
    if (p == 1.0) FUZZ_CHECK(v == t.values[t.count - 1]);
}

void check_samples(Trigwave& g, uint16_t angle, uint16_t cam_pos, double amplitude,
                   double relative) {
    const int16_t crank = g.primary_trigger_sample(angle, amplitude, relative);
    const int16_t cam = g.cam_trigger_sample(angle, cam_pos, amplitude);
    FUZZ_CHECK(crank >= -32767 && cam >= -32767);
    // The other polarity is the same signal upside down.
    const uint8_t polarity = g.polarity;
    g.polarity = polarity != 0 ? 0 : 0x80;
    FUZZ_CHECK(g.primary_trigger_sample(angle, amplitude, relative) == -crank);
    g.polarity = polarity;
}

// The per-frame steps of the renderer at the last frames of the file, which a capped
// render never reaches.
void probe_file_end(Trigwave& g, uint32_t total, uint32_t segments, uint32_t per_segment) {
    for (const tokens_t* t : {&g.cam_pos_tokens, &g.amplitude_tokens, &g.fading_tokens}) {
        for (double p : {0.0, 0.5, std::nextafter(1.0, 0.0), 1.0}) check_lookup(*t, p);
    }
    if (total == 0) return;
    const uint16_t start = g.rpm_tokens.values[segments - 1];
    const uint16_t end = g.rpm_tokens.values[segments];
    const uint16_t rpm = frame_rpm(start, end, per_segment - 1, per_segment);
    FUZZ_CHECK(rpm >= std::min(start, end) && rpm <= std::max(start, end));
    double accumulator = 0.0;
    for (uint32_t n = total > 4 ? total - 4 : 0; n < total; ++n) {
        const double position = frame_position(n, total);
        FUZZ_CHECK(position >= 0.0 && position < 1.0);
        for (const tokens_t* t : {&g.cam_pos_tokens, &g.amplitude_tokens, &g.fading_tokens})
            check_lookup(*t, position);
        const uint16_t cam_pos =
            cam_position_units(Trigwave::lookup_and_weight(&g.cam_pos_tokens, position));
        const uint16_t angle = advance_angle(&accumulator, rpm);
        const double relative = sweep_factor(Trigwave::lookup_and_weight(&g.fading_tokens, position));
        const double amplitude =
            sweep_factor(Trigwave::lookup_and_weight(&g.amplitude_tokens, position));
        check_samples(g, angle, cam_pos, amplitude, relative);
        check_samples(g, static_cast<uint16_t>(angle * 40503u), cam_pos, amplitude, relative);
    }
}

// Walks frames 0 .. count-1 the plain way and compares them with the rendered bytes.
void compare_with_plain_path(Trigwave& g, uint32_t segments, uint32_t per_segment,
                             uint32_t total, const unsigned char* frames, uint32_t count) {
    double accumulator = 0.0;
    uint32_t n = 0;
    for (uint32_t i = 0; i < segments && n < count; ++i) {
        const uint16_t start = g.rpm_tokens.values[i];
        const uint16_t end = g.rpm_tokens.values[i + 1];
        for (uint32_t j = 0; j < per_segment && n < count; ++j, ++n) {
            if (n >= compare_at_ends && n + compare_at_ends < count && n % compare_every != 0) {
                // A frame not compared only moves the accumulator, by advance_angle's sum
                // (its speed in integers, which the unit tests hold equal to frame_rpm):
                // the plain steps of every frame took half the time.
                advance_angle_by(&accumulator, angle_step(frame_rpm_exact(start, end, j, per_segment)));
                continue;
            }
            const uint16_t rpm = frame_rpm(start, end, j, per_segment);
            const uint16_t angle = advance_angle(&accumulator, rpm);
            const double position = frame_position(n, total);
            const uint16_t cam_pos =
                cam_position_units(Trigwave::lookup_and_weight(&g.cam_pos_tokens, position));
            const double relative =
                sweep_factor(Trigwave::lookup_and_weight(&g.fading_tokens, position));
            const double amplitude =
                sweep_factor(Trigwave::lookup_and_weight(&g.amplitude_tokens, position));
            const unsigned char* f = frames + 4 * static_cast<std::size_t>(n);
            if (static_cast<int16_t>(le16(f)) != g.primary_trigger_sample(angle, amplitude, relative) ||
                static_cast<int16_t>(le16(f + 2)) != g.cam_trigger_sample(angle, cam_pos, amplitude)) {
                dprintf(2, "frame %u differs from the plain path\n", n);
                FUZZ_CHECK(!"rendered frame equals the plain per-frame path");
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silence_program_stderr();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const char wheel_mark[] = "orix-wheel";
    const bool wheel = size >= sizeof wheel_mark - 1 && std::memcmp(data, wheel_mark, sizeof wheel_mark - 1) == 0;
    const uint8_t* const nul = wheel ? static_cast<const uint8_t*>(std::memchr(data, 0, size)) : nullptr;
    if (wheel && nul == nullptr) return -1;
    const std::size_t text_size = wheel ? static_cast<std::size_t>(nul - data) : 0;
    // The sweeps after the text stand where a command line's arguments after the type do.
    FuzzArgs args(wheel ? nul + 1 : data, wheel ? size - text_size - 1 : size);
    Trigwave generator;
    if (wheel) {
        std::unique_ptr<wheel_sampler> drawing;
        try {
            drawing = std::make_unique<wheel_sampler>(
                parse_wheel_file(std::string_view(reinterpret_cast<const char*>(data), text_size)));
        } catch (const wheel_file_error&) {
            return -1;
        }
        if (generator.process_wheel_param("w", std::move(drawing), text_size % 2 == 1, args.argc(),
                                          args.argv()) != PARAM_OK)
            return -1;
    } else if (generator.process_param(args.argc(), args.argv()) != PARAM_OK) {
        return -1;  // not kept
    }

    // The frame count of the whole file, from the description of the output: equal whole
    // shares of length x 44100 frames for each RPM segment.
    const uint32_t segments = generator.rpm_tokens.count - 1u;
    const uint32_t per_segment =
        static_cast<uint32_t>(generator.length_sec) * 44100u / segments;
    const uint32_t total = per_segment * segments;

    MemorySink sink(header_size + 4 * frame_cap);
    generator.wavfile = sink.open();
    FUZZ_CHECK(generator.wavfile != nullptr);
    const int rc = generator.generate_wav_output();
    FUZZ_CHECK(sink.closed());

    // The sink takes whole buffer loads, so a capped render keeps somewhat fewer frames.
    const std::vector<unsigned char>& out = sink.bytes();
    if (total <= frame_cap) {
        FUZZ_CHECK(rc == RENDER_OK);
        FUZZ_CHECK(out.size() == header_size + 4 * total);
    } else {
        FUZZ_CHECK(rc == RENDER_WRITE_FAILED);
        FUZZ_CHECK(out.size() <= header_size + 4 * frame_cap);
    }
    if (out.size() >= header_size) check_header(out.data(), total);
    for (std::size_t k = header_size; k + 1 < out.size(); k += 2)
        FUZZ_CHECK(static_cast<int16_t>(le16(&out[k])) != -32768);
    if (out.size() > header_size) {
        const uint32_t received = static_cast<uint32_t>((out.size() - header_size) / 4);
        compare_with_plain_path(generator, segments, per_segment, total, out.data() + header_size,
                                received);
    }

    probe_file_end(generator, total, segments, per_segment);
    return 0;
}
