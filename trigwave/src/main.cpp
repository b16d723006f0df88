// trigwave: writes a stereo WAV file of synthetic engine trigger signals.
#include <cstdio>

#include "options.h"
#include "run.h"

int main(int argc, char* argv[]) {
    const char* const name = argc > 0 && argv[0] != nullptr ? argv[0] : "trigwave";
    switch (lone_option(argc, argv)) {
    case cli_option::help:
        print_help(name, stdout);
        return 0;
    case cli_option::version:
        // The build's version, project()'s in CMake.
        std::printf("trigwave %s\n", TRIGWAVE_VERSION);
        return 0;
    case cli_option::none:
        break;
    }

    return run_trigwave(name, argc, argv);
}
