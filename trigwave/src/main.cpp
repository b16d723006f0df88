// trigwave: writes a stereo WAV file of synthetic engine trigger signals.
#include "trigwave.h"

int main(int argc, char* argv[]) {
    // Reachable for the whole run; the process's end releases it.
    static Trigwave* const generator = new Trigwave();

    if (generator->process_param(argc, argv) != 0) {
        Trigwave::usage(argc > 0 && argv[0] != nullptr ? argv[0] : "trigwave");
        return 2;
    }
    generator->generateFileName();
    if (!generator->openWavFile()) return 1;
    return generator->generate_wav_output();
}
