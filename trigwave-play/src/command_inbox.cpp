#include "command_inbox.h"

#include <iostream>
#include <string>
#include <thread>

#include "keyboard.h"

void command_inbox::read_line(const std::string& raw, FILE* answers) {
    std::string line = raw;
    if (!line.empty() && line.back() == '\r') line.pop_back();  // a Windows script's line end
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') return;
    command c;
    std::string error;
    if (!parse_command(line, c, error)) {
        std::fprintf(answers, "error: %s\n", error.c_str());
    } else {
        {
            const std::lock_guard<std::mutex> hold(lock_);
            waiting_.push_back({c, std::chrono::steady_clock::now()});
        }
        std::fprintf(answers, "ok\n");
    }
    std::fflush(answers);
}

void command_inbox::start() {
    const auto read_all = [this] {
        std::string line;
        while (std::getline(std::cin, line)) read_line(line, stdout);
    };
    if (stdin_is_file()) {
        read_all();
        return;
    }
    // Detached: a read that waits for a line must not keep the player from ending.
    std::thread(read_all).detach();
}

std::vector<received> command_inbox::take() {
    const std::lock_guard<std::mutex> hold(lock_);
    std::vector<received> out;
    out.swap(waiting_);
    return out;
}
