// The keys of the Windows console. _getch reads a key unechoed and without Enter whatever
// the console's mode, so nothing is changed and there is nothing to give back.
#include <windows.h>

#include <conio.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>

#include "keyboard.h"

namespace {

// A pipe or a file on standard input is no console: its lines are commands. Nor is NUL,
// which _isatty would call a terminal.
bool stdin_is_console() {
    DWORD mode;
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    return in != nullptr && in != INVALID_HANDLE_VALUE && GetConsoleMode(in, &mode) != 0;
}

}  // namespace

keyboard::keyboard() { active_ = stdin_is_console(); }

keyboard::~keyboard() = default;

key keyboard::poll() {
    if (!active_ || !_kbhit()) return key::none;
    const int c = _getch();
    switch (c) {
    case ' ': return key::space;
    case 'q': case 'Q': return key::quit;
    case 0: case 0xe0: break;
    default: return key::other;
    }
    // An arrow or another key of the extended keyboard comes as two reads: 0 or 0xE0, then its code.
    switch (_getch()) {
    case 72: return key::up;
    case 80: return key::down;
    case 75: return key::left;
    case 77: return key::right;
    case 73: return key::page_up;
    case 81: return key::page_down;
    default: return key::other;
    }
}

bool stdin_is_terminal() { return stdin_is_console(); }
bool stderr_is_terminal() { return _isatty(_fileno(stderr)) != 0; }

bool stdin_is_file() {
    struct _stat st;
    return _fstat(_fileno(stdin), &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
}
