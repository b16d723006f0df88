// The playing loop: a block of frames rendered, the commands and keys taken between
// blocks, the block handed to the sound card, the status line kept.
#pragma once

#include <atomic>

#include "audio_out.h"
#include "command_inbox.h"
#include "keyboard.h"
#include "live_frames.h"

// Exit statuses besides 0 (1: the device, 2: the command line).
constexpr int status_device = 1;
constexpr int status_underruns = 3;

// Set by Ctrl-C (or a request to terminate): the loop stops within one block.
extern std::atomic<bool> stop_requested;

struct play_report {
    int status = 0;
    double seconds = 0;  // of the stream, pauses left out
    uint64_t underruns = 0;
    // From a key or an untimed command to its first frame's turn at the device, in ms.
    unsigned changes = 0;
    double latency_min = 0, latency_max = 0, latency_sum = 0;
};

play_report play(live_frames& frames, audio_out& out, keyboard& keys, command_inbox* inbox);
