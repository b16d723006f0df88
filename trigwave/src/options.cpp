#include "options.h"

#include <cstring>

#include "trigwave.h"

cli_option lone_option(int argc, char* const argv[]) {
    if (argc != 2) return cli_option::none;
    if (std::strcmp(argv[1], "--help") == 0) return cli_option::help;
    if (std::strcmp(argv[1], "--version") == 0) return cli_option::version;
    return cli_option::none;
}

void print_help(const char* name, FILE* out) {
    Trigwave::usage(name, out);
    std::fprintf(out, "usage- %s --help | --version\n", name);
    std::fprintf(out, "\tthis text, or the version, on standard output\n");
}
