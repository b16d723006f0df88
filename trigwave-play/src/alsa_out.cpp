// The player's sound card on Linux, through ALSA: the default device reaches PipeWire or
// PulseAudio through their ALSA plugins where they run.
#include <alsa/asoundlib.h>
#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "audio_out.h"

namespace {

// ALSA's own lines on standard error would come before ours and say the same, less plainly.
extern "C" void alsa_quiet(const char*, int, const char*, int, const char*, ...) {}

class alsa_out final : public audio_out {
public:
    ~alsa_out() override {
        if (pcm_ != nullptr) snd_pcm_close(pcm_);
    }

    bool open(const std::string& device, std::string& error) override {
        name_ = device.empty() ? "default" : device;
        snd_lib_error_set_handler(alsa_quiet);
        int err = snd_pcm_open(&pcm_, name_.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
        if (err < 0) {
            pcm_ = nullptr;
            error = "cannot open the sound device \"" + name_ + "\": " + snd_strerror(err);
            return false;
        }
        // No resampling: a device that cannot take 44100 Hz is refused rather than
        // played a converted signal.
        err = snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2, 44100, 0,
                                 buffer_ms * 1000);
        if (err < 0) {
            error = "the sound device \"" + name_ + "\" refuses 44100 Hz stereo 16-bit: " + snd_strerror(err);
            return false;
        }
        // A busy machine must not starve the stream: ahead of ordinary work where the system
        // allows it (root, or a raised RLIMIT_NICE); elsewhere at the ordinary priority.
        setpriority(PRIO_PROCESS, 0, -10);
        return true;
    }

    bool write(const int16_t* frames, std::size_t count, std::string& error) override {
        // Away longer than the device had queued, the player let it run dry, whether or not
        // the device says so: PulseAudio's plugin may play on through it without a word. A
        // device without a clock of its own (ALSA's null) queues nothing and is never late, nor is
        // one not yet started (it may take its time to start, with its buffer full).
        const auto queued_for = std::chrono::microseconds(static_cast<int64_t>(queued_) * 1000000 / 44100);
        bool counted = running_ && queued_ > 0 && std::chrono::steady_clock::now() - written_at_ > queued_for + late_slack;
        if (counted) ++underruns_;
        while (count > 0) {
            const snd_pcm_sframes_t n = snd_pcm_writei(pcm_, frames, count);
            if (n >= 0) {
                frames += 2 * static_cast<std::size_t>(n);
                count -= static_cast<std::size_t>(n);
                continue;
            }
            if (n == -EINTR || n == -EAGAIN) continue;
            if (n == -EPIPE && !counted) {
                ++underruns_;
                counted = true;
            }
            // An underrun or a suspend: the device is made ready again and the frames go on.
            const int err = snd_pcm_recover(pcm_, static_cast<int>(n), 1);
            if (err < 0) {
                error = "the sound device \"" + name_ + "\" failed: " + snd_strerror(err);
                return false;
            }
        }
        written_at_ = std::chrono::steady_clock::now();
        snd_pcm_sframes_t delay = 0;
        queued_ = snd_pcm_delay(pcm_, &delay) == 0 && delay > 0 ? static_cast<std::size_t>(delay) : 0;
        running_ = snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING;
        return true;
    }

    // A stream not yet started has room until its buffer is full; a signal ends the wait early.
    void wait_room() override { snd_pcm_wait(pcm_, static_cast<int>(buffer_ms)); }
    void finish() override { snd_pcm_drain(pcm_); }
    void stop() override { snd_pcm_drop(pcm_); }
    std::size_t queued_frames() override { return queued_; }
    uint64_t underruns() const override { return underruns_; }

private:
    // What a wake-up may be late by without the queue being gone.
    static constexpr std::chrono::milliseconds late_slack{5};

    snd_pcm_t* pcm_ = nullptr;
    std::chrono::steady_clock::time_point written_at_;
    std::size_t queued_ = 0;  // frames the device held after the last write
    bool running_ = false;    // and whether it was playing them
    std::string name_;
    uint64_t underruns_ = 0;
};

}  // namespace

std::unique_ptr<audio_out> make_audio_out() { return std::make_unique<alsa_out>(); }
