// A wheel file: any engine's crank and cam pattern as text, read by trigwave (to play it)
// and trigwave-scan (to know it, and to write what it learned). Pure: text in, wheel out.
//
//   orix-wheel 1
//   # a comment, here or after any line's words
//   name 36-2-2-2
//   source a plain description: 36 slots, teeth missing in slots 34, 35, 10, 11, 22, 23
//   cycle 360
//   crank slots 36 missing 10 11 22 23 34 35 full 0
//   cam tooth 0 10
//
// Angles are crank degrees with up to three decimals, read in fixed point (thousandths of a
// degree), never through the C library's float parsing. A tooth is high from its rise to its
// fall (a fall below its rise wraps through 0); its level, the relative level unless the line
// says full, holds for the tooth and for the low stretch before it, as trigwave's reference
// tooth does. "crank slots N" is N equal slots over the crank's cycle, a tooth in each slot
// not missing, low for the first half of its slot and high for the second; slots count
// from 0. The crank's cycle is 360 (its pattern repeats every revolution) or 720 degrees;
// the cam's is always 720.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct wheel_tooth {
    int32_t rise = 0, fall = 0;  // thousandths of a crank degree, within the cycle
    bool full = false;           // at full level, not the relative level
};

struct wheel_file {
    std::string name, source;
    int32_t cycle = 360;  // the crank pattern's cycle in degrees: 360 or 720
    std::vector<wheel_tooth> crank, cam;  // by rise, ascending
};

// What is wrong and on which line (0: the file as a whole).
struct wheel_file_error : std::runtime_error {
    wheel_file_error(long line, const std::string& what)
        : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + what : what), line(line) {}
    long line;
};

constexpr int wheel_file_version = 1;

// Throws wheel_file_error for anything it cannot use: an unknown line, a bad angle, angles
// outside the cycle, a tooth of no width, teeth that overlap, no crank tooth.
wheel_file parse_wheel_file(std::string_view text);

// "12.5" as 12500; false for anything else (more than three decimals, a sign, an exponent).
bool parse_millidegrees(std::string_view text, int32_t& out);
