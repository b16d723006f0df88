// What a real engine and its sensors add to the clean signal, as the command line asks for
// it: a VR sensor's shape, cranking, noise, jitter and injected faults, and where the truth of
// the file goes. Values are kept in fixed point as given, so a file's name says them exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class fault_kind { missing, extra, dropout, spike, flip, nocam };
enum class fault_channel { crank, cam, both };

struct fault {
    fault_kind kind = fault_kind::missing;
    long revolution = 0;  // missing, extra: revolution (or cycle) and tooth, from 1
    int tooth = 0;
    long cycle = 0;       // nocam
    int64_t at_us = 0;    // dropout, spike, flip: microseconds from the file's start
    int64_t length_us = 0;  // dropout
    fault_channel channel = fault_channel::crank;
    std::string text;  // as given
};

struct effects {
    bool vr = false;
    int64_t runout = 0;     // thousandths of a percent; 0: none
    int cylinders = 0;      // 0: no cranking
    int64_t depth = 0;      // thousandths of a percent
    bool noise = false;
    int64_t noise_dbfs = 0;  // thousandths of a dB, at most 0
    int64_t jitter = 0;     // thousandths of a percent; 0: none
    uint64_t seed = 1;
    std::vector<fault> faults;
    const char* truth = nullptr;  // --truth FILE.json
    uint32_t given = 0;           // the valued options met so far, a bit each

    // True when the samples differ from the plain file's.
    bool changes_samples() const {
        return vr || runout > 0 || cylinders > 0 || noise || jitter > 0 || !faults.empty();
    }
    // True when trigwave takes the effects' path (a truth file alone needs it too).
    bool any() const { return changes_samples() || truth != nullptr; }
    bool random() const { return noise || jitter > 0; }
};

// Reads one effect option at argv[i] (with its value after it). Returns the number of
// arguments it took, 0 when argv[i] is no effect option, -1 after printing what is wrong.
int take_effect_option(int argc, char* const argv[], int i, effects& fx);

// The checks that need the rest of the command line: --runout without --vr, a fault past the
// file's end. False after printing what is wrong.
bool check_effects(const effects& fx, int32_t length_sec);

// The short suffix of the output name for what changes the samples ("" for none): letters,
// digits, '-' and '.' only.
std::string effects_suffix(const effects& fx);

// A fixed-point number as written: 2500 with 3 decimals is "2.5".
std::string fixed_text(int64_t value, int decimals);
