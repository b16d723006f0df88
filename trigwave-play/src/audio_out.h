// The sound card, as the player sees it: opened for 44100 frames a second of two 16-bit
// channels, written frame blocks in the file's byte order, told of the end or of a stop.
// ALSA on Linux (alsa_out.cpp), WinMM's waveOut on Windows (waveout_out.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The device's buffer: what a change waits behind before it is heard. In four periods of
// 10 ms, a change waits behind three (30 ms), and a busy machine has that long to write the
// next period; 30 ms in all ran dry now and then through PulseAudio on an idle machine.
constexpr unsigned buffer_ms = 40;
constexpr std::size_t period_frames = 441;

class audio_out {
public:
    virtual ~audio_out() = default;

    // Opens the device (empty: the system's default); false with its name and the
    // system's words in error, before any sound.
    virtual bool open(const std::string& device, std::string& error) = 0;
    // Queues `count` stereo frames, waiting while the buffer is full; false with the
    // system's words when the device fails for good.
    virtual bool write(const int16_t* frames, std::size_t count, std::string& error) = 0;
    // Waits until a period can be written: the player takes the keys and commands after this
    // wait, not before, so a change waits behind the queue only, not behind the wait too.
    virtual void wait_room() {}
    // Plays out what is queued (the stream's end), or drops it (quit, Ctrl-C).
    virtual void finish() = 0;
    virtual void stop() = 0;
    // Frames given to the device and not yet played, as it counted them after the last write:
    // what the next frame waits behind.
    virtual std::size_t queued_frames() = 0;
    // Times the device ran out of frames to play.
    virtual uint64_t underruns() const = 0;
};

std::unique_ptr<audio_out> make_audio_out();
