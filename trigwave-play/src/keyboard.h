// The keys of a terminal, read without waiting and without echo while the player runs;
// the terminal is given back as it was when the keyboard goes (or the process ends).
// POSIX terminals in keyboard_posix.cpp, the Windows console in keyboard_windows.cpp.
#pragma once

enum class key { none, up, down, page_up, page_down, left, right, space, quit, other };

class keyboard {
public:
    keyboard();
    ~keyboard();
    keyboard(const keyboard&) = delete;
    keyboard& operator=(const keyboard&) = delete;

    // Whether standard input is a terminal (or console) whose keys are read.
    bool active() const { return active_; }
    // The next key pressed, or none.
    key poll();

private:
    bool active_ = false;
};

// Whether standard input is a terminal: its keys are read when the player runs in the
// foreground, and nothing is read from it in the background, where reading would stop it.
bool stdin_is_terminal();
// Whether standard error is a terminal, where the status line is kept.
bool stderr_is_terminal();
// Whether standard input is a file on the disk: a script whose lines are all read before the
// first frame, so that its timed commands meet their frames however fast the device takes them.
bool stdin_is_file();
