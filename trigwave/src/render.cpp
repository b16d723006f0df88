// Rendering: walks the file's frames, derives speed, cam position and levels
// from the sweeps, and writes one stereo frame (crank, then cam) per step.
#include "effects_renderer.h"
#include "frame_math.h"
#include "frame_renderer.h"
#include "trigwave.h"
#include "wav_header.h"

namespace {

int write_failed(FILE* file) {
    std::fprintf(stderr, "fwrite error\n");
    std::fclose(file);
    return RENDER_WRITE_FAILED;
}

}  // namespace

int Trigwave::generate_wav_output(effects_renderer* effects) {
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

    // The frames go out run by run (frame_renderer); the plain per-frame
    // functions of frame_math.h and the samplers remain the reference it is
    // tested against.
    if (effects != nullptr) {
        if (!effects->render(wavfile)) return write_failed(wavfile);
        return close_output();
    }
    frame_renderer frames(*this, plan, wavfile);
    for (uint32_t i = 0; i < plan.segments; ++i) {
        const uint16_t start = rpm_tokens.values[i];
        const uint16_t end = rpm_tokens.values[i + 1];
        std::fprintf(stderr, "start_rpm: %d end_rpm: end_rpm: %d \n", start, end);
        if (!frames.render_segment(i, start, end)) return write_failed(wavfile);
    }
    if (!frames.drain()) return write_failed(wavfile);
    return close_output();
}

int Trigwave::close_output() {
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
