// Commands from standard input when it is not a terminal: a thread reads the lines,
// answers each on standard output ("ok" or "error: ..."), and leaves the commands for the
// player, which takes them before the next block of frames it renders.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "command.h"

// A command and when its line came, for the time until it is heard.
struct received {
    command cmd;
    std::chrono::steady_clock::time_point came;
};

class command_inbox {
public:
    // Starts reading standard input; the thread ends at its end.
    void start();
    // The commands read since the last call, in their order.
    std::vector<received> take();

    // Reads one line's command: answers it, and keeps it when it is one. Blank lines and
    // lines beginning with '#' are passed over unanswered, as a script's spacing and notes.
    void read_line(const std::string& line, FILE* answers);

private:
    std::mutex lock_;
    std::vector<received> waiting_;
};
