#include "player.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

std::atomic<bool> stop_requested{false};

namespace {

void show_status(const live_frames& frames, uint64_t underruns, bool paused) {
    const live_values& v = frames.values();
    std::fprintf(stderr, "\r%5u RPM  cam %5.1f deg  %9.2f s  %llu underruns%s   ", v.rpm, v.cam_degrees,
                 static_cast<double>(frames.frames_played()) / 44100.0,
                 static_cast<unsigned long long>(underruns), paused ? "  paused" : "");
    std::fflush(stderr);
}

// A key's change; false for q.
bool take_key(key k, live_frames& frames, bool& paused) {
    switch (k) {
    case key::up: frames.nudge_rpm(10); break;
    case key::down: frames.nudge_rpm(-10); break;
    case key::page_up: frames.nudge_rpm(100); break;
    case key::page_down: frames.nudge_rpm(-100); break;
    case key::right: frames.nudge_cam(1); break;
    case key::left: frames.nudge_cam(-1); break;
    case key::space: paused = !paused; break;
    case key::quit: return false;
    case key::none: case key::other: break;
    }
    return true;
}

// How long the changes took to be heard: from a line's arrival (or a key) to the turn of the
// first frame made after it at the device.
class change_clock {
public:
    void changed(std::chrono::steady_clock::time_point at) {
        if (!pending_ || at < since_) since_ = at;
        pending_ = true;
    }
    // A block of `count` frames was just given to a device holding `queued` frames in all.
    void written(std::size_t count, std::size_t queued, play_report& report) {
        if (!pending_ || count == 0) return;
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since_).count() +
                          (queued > count ? static_cast<double>(queued - count) / 44.1 : 0.0);
        report.latency_min = report.changes == 0 ? ms : std::min(report.latency_min, ms);
        report.latency_max = std::max(report.latency_max, ms);
        report.latency_sum += ms;
        ++report.changes;
        pending_ = false;
    }

private:
    bool pending_ = false;
    std::chrono::steady_clock::time_point since_;
};

}  // namespace

play_report play(live_frames& frames, audio_out& out, keyboard& keys, command_inbox* inbox) {
    using clock = std::chrono::steady_clock;
    play_report report;
    std::vector<int16_t> block(2 * period_frames);
    const bool status_line = keys.active() && stderr_is_terminal();
    clock::time_point shown = clock::now();
    change_clock changes;
    bool paused = false;
    bool quit = false;
    while (!quit) {
        out.wait_room();
        if (stop_requested) {
            out.stop();
            break;
        }
        if (inbox != nullptr) {
            for (const received& r : inbox->take()) {
                frames.take(r.cmd);
                if (!r.cmd.timed) changes.changed(r.came);
            }
        }
        for (key k = keys.poll(); k != key::none; k = keys.poll()) {
            if (!take_key(k, frames, paused)) quit = true;
            if (k != key::other) changes.changed(clock::now());
        }
        if (quit) break;
        std::size_t count = period_frames;
        if (paused) {
            // The wheel stands still: silence keeps the card playing, so no underrun.
            std::fill(block.begin(), block.end(), int16_t{0});
        } else {
            count = frames.render(block.data(), period_frames);
        }
        std::string error;
        if (count > 0 && !out.write(block.data(), count, error)) {
            std::fprintf(stderr, "%strigwave-play: %s\n", status_line ? "\n" : "", error.c_str());
            report.status = status_device;
            break;
        }
        changes.written(count, out.queued_frames(), report);
        if (frames.ended()) {
            out.finish();
            break;
        }
        if (status_line && clock::now() - shown > std::chrono::milliseconds(100)) {
            show_status(frames, out.underruns(), paused);
            shown = clock::now();
        }
    }
    if (quit) out.finish();
    if (status_line) {
        show_status(frames, out.underruns(), paused);
        std::fputc('\n', stderr);
    }
    report.seconds = static_cast<double>(frames.frames_played()) / 44100.0;
    report.underruns = out.underruns();
    if (report.status == 0 && report.underruns > 0) report.status = status_underruns;
    return report;
}
