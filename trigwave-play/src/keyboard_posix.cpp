#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "keyboard.h"

namespace {

termios saved;
bool saved_valid = false;

void restore_terminal() {
    if (saved_valid) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

int read_byte() {
    unsigned char c;
    return read(STDIN_FILENO, &c, 1) == 1 ? c : -1;
}

}  // namespace

keyboard::keyboard() {
    // In the background (started with &) a change of the terminal's modes would stop the
    // process: its keys are then left alone.
    if (!isatty(STDIN_FILENO) || tcgetpgrp(STDIN_FILENO) != getpgrp() || tcgetattr(STDIN_FILENO, &saved) != 0)
        return;
    saved_valid = true;
    // Ctrl-C still interrupts (ISIG stays); keys come at once, unechoed, never waited for.
    termios raw = saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return;
    std::atexit(restore_terminal);
    active_ = true;
}

keyboard::~keyboard() { restore_terminal(); }

key keyboard::poll() {
    if (!active_) return key::none;
    const int c = read_byte();
    switch (c) {
    case -1: return key::none;
    case ' ': return key::space;
    case 'q': case 'Q': return key::quit;
    case 0x1b: break;
    default: return key::other;
    }
    // ESC [ A..D are the arrows, ESC [ 5 ~ and ESC [ 6 ~ page up and down.
    if (read_byte() != '[') return key::other;
    switch (read_byte()) {
    case 'A': return key::up;
    case 'B': return key::down;
    case 'C': return key::right;
    case 'D': return key::left;
    case '5': return read_byte() == '~' ? key::page_up : key::other;
    case '6': return read_byte() == '~' ? key::page_down : key::other;
    default: return key::other;
    }
}

bool stdin_is_terminal() { return isatty(STDIN_FILENO) != 0; }
bool stderr_is_terminal() { return isatty(STDERR_FILENO) != 0; }

bool stdin_is_file() {
    struct stat st;
    return fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode);
}
