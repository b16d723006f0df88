// trigwave-scan: reads a trigger recording and reports what an engine controller would see.
#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "scan.h"
#include "utf8_arguments.h"

int main(int argc, char* argv[]) {
    std::vector<std::string> args = utf8_arguments(argc, argv);
    std::vector<char*> utf8_argv;
    for (std::string& arg : args) utf8_argv.push_back(arg.data());
    utf8_argv.push_back(nullptr);
    argc = static_cast<int>(args.size());
    argv = utf8_argv.data();
    const char* const name = argc > 0 && argv[0] != nullptr ? argv[0] : "trigwave-scan";
    scan_options opts;
    std::string error;
    if (!parse_options(argc, argv, opts, error)) {
        std::fprintf(stderr, "trigwave-scan: %s\n", error.c_str());
        print_usage(name, stderr);
        return 2;
    }
    if (opts.help) {
        print_usage(name, stdout);
        return 0;
    }
    if (opts.version) {
        std::printf("trigwave-scan %s\n", TRIGWAVE_SCAN_VERSION);
        return 0;
    }
    return run_scan(opts, stdout, stderr);
}
