// One line of the control language that a script (or another program) writes to
// trigwave-play's standard input: "rpm N", "rpm N over SECONDS", "cam N", "amplitude N",
// "relative N", "hold", "quit", and "at SECONDS COMMAND".
#pragma once

#include <cstdint>
#include <string>

enum class command_kind { rpm, cam, amplitude, relative, hold, quit };

struct command {
    command_kind kind = command_kind::hold;
    uint16_t value = 0;       // RPM, degrees or per mille, as trigwave's sweeps take them
    uint64_t over = 0;        // rpm: the ramp's length in frames (0: at once)
    bool timed = false;       // at SECONDS: played at frame `at` of the stream
    uint64_t at = 0;
};

// The command of one line (its line end already taken off); false with what is wrong
// in error, worded to follow "error: ".
bool parse_command(const std::string& line, command& out, std::string& error);

// A time in seconds ("2", "0.5", "1.25") as a count of frames at 44100 a second,
// rounded to the nearest frame; false for anything else or beyond a day's frames.
bool parse_seconds(const std::string& text, uint64_t& frames);
