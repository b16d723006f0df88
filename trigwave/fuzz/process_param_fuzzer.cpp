// process_param on arbitrary command lines: up to eight arguments of any bytes
// (split at NUL), checked against an independent reading of the same arguments.
#include <cstring>

#include "fuzz_args.h"
#include "fuzz_check.h"
#include "reference_params.h"
#include "tokens_check.h"
#include "trigwave.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silence_program_stderr();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzArgs args(data, size);
    std::vector<std::string> originals;
    for (int i = 0; i < args.argc(); ++i) originals.push_back(args.original(i));
    const reference_params expected = reference_process_param(originals);

    Trigwave generator;
    const int rc = generator.process_param(args.argc(), args.argv());
    FUZZ_CHECK(rc == expected.code);

    // Tokenising may only turn separators into terminators, and only in the four sweeps.
    for (int i = 0; i < args.argc(); ++i) {
        const std::string now = args.current(i);
        const std::string& was = originals[i];
        FUZZ_CHECK(now.back() == '\0');
        const bool sweep = i == 2 || i == 4 || i == 5 || i == 6;
        for (std::size_t k = 0; k < was.size(); ++k)
            FUZZ_CHECK(now[k] == was[k] || (sweep && was[k] == '-' && now[k] == '\0'));
    }

    if (rc == PARAM_OK) {
        FUZZ_CHECK(std::strcmp(generator.filename, expected.filename.c_str()) == 0);
        FUZZ_CHECK(generator.trigger_type == expected.trigger_type);
        FUZZ_CHECK(generator.polarity == expected.polarity);
        FUZZ_CHECK(generator.wheel.toothcnt == expected.toothcnt);
        FUZZ_CHECK(generator.wheel.missing == expected.missing);
        FUZZ_CHECK(generator.length_sec == expected.length_sec);
        check_table(generator.rpm_tokens, expected.rpm);
        check_table(generator.cam_pos_tokens, expected.cam_pos);
        check_table(generator.amplitude_tokens, expected.amplitude);
        check_table(generator.fading_tokens, expected.fading);
        generator.generateFileName();
        generator.generateFileName("out/");
        FUZZ_CHECK(std::strlen(generator.filename) < Trigwave::filename_size);
    } else {
        Trigwave::usage(args.argv()[0]);
    }
    return 0;
}
