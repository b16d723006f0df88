// Rendering: walks the file's frames, derives speed, cam position and levels
// from the sweeps, and writes one stereo frame (crank, then cam) per step.
#include "frame_math.h"
#include "trigwave.h"
#include "wav_header.h"

namespace {

bool write_sample(FILE* file, int16_t sample) {
    const uint16_t bits = static_cast<uint16_t>(sample);
    const unsigned char bytes[2] = {static_cast<unsigned char>(bits & 0xFF),
                                    static_cast<unsigned char>(bits >> 8)};
    return std::fwrite(bytes, sizeof bytes, 1, file) == 1;
}

int write_failed(FILE* file) {
    std::fprintf(stderr, "fwrite error\n");
    std::fclose(file);
    return RENDER_WRITE_FAILED;
}

}  // namespace

int Trigwave::generate_wav_output() {
    const render_plan plan = make_render_plan(rpm_tokens.count, length_sec);

    wavheader_t header;
    wavheader_setup(&header, static_cast<int>(plan.total_frames));
    const auto header_bytes = serialize_wavheader(header);
    const int written =
        static_cast<int>(std::fwrite(header_bytes.data(), header_bytes.size(), 1, wavfile) * 44);
    std::fprintf(stderr, "wavheader length=%d (ideally 44 ?)\n", written);
    if (written != 44) {
        std::fclose(wavfile);
        return RENDER_HEADER_FAILED;
    }

    double accumulator = 0.0;
    for (uint32_t i = 0; i < plan.segments; ++i) {
        const uint16_t start = rpm_tokens.values[i];
        const uint16_t end = rpm_tokens.values[i + 1];
        std::fprintf(stderr, "start_rpm: %d end_rpm: end_rpm: %d \n", start, end);
        for (uint32_t j = 0; j < plan.frames_per_segment; ++j) {
            const uint32_t n = i * plan.frames_per_segment + j;
            const uint16_t rpm = frame_rpm(start, end, j, plan.frames_per_segment);
            const double position = frame_position(n, plan.total_frames);
            const uint16_t cam_pos = cam_position_units(lookup_and_weight(&cam_pos_tokens, position));
            const uint16_t angle = advance_angle(&accumulator, rpm);
            const double relative = sweep_factor(lookup_and_weight(&fading_tokens, position));
            const double amplitude = sweep_factor(lookup_and_weight(&amplitude_tokens, position));

            if (!write_sample(wavfile, primary_trigger_sample(angle, amplitude, relative)))
                return write_failed(wavfile);
            if (!write_sample(wavfile, cam_trigger_sample(angle, cam_pos, amplitude)))
                return write_failed(wavfile);
        }
    }

    // Data still buffered has not reached the file yet: a failure here is a failed write.
    const bool flushed = std::fflush(wavfile) == 0;
    const bool closed = std::fclose(wavfile) == 0;
    wavfile = nullptr;
    if (!flushed || !closed) {
        std::fprintf(stderr, "fwrite error\n");
        return RENDER_WRITE_FAILED;
    }
    return RENDER_OK;
}
