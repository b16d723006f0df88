#include "StartUpAnswer.h"

std::optional<std::string> StartUpAnswer(int argc, const char* const* argv)
{
    // Any other command line is ignored and the window opens, as it always has.
    if (argc != 2)
        return std::nullopt;
    const std::string option = argv[1];
    if (option == "--version")
        return std::string("keywright ") + KEYWRIGHT_VERSION + "\n";
    if (option == "--help")
        return "usage: keywright [--help | --version]\n"
               "Opens the window that creates the two hotkey databases of an Orixpilot\n"
               "target and registers them in the targets.db and profiles.db of a folder.\n"
               "  --help     this text\n"
               "  --version  the version\n"
               "Any other arguments are ignored.\n";
    return std::nullopt;
}
