// Wheel files as wheels the scan knows: the edges a decoder follows, worked out from the
// teeth a file describes. Pure: wheel files in, known wheels out.
#pragma once

#include <vector>

#include "known_wheels.h"
#include "wheel_file.h"

// One wheel file as a known wheel named by it. The tooth edge is each crank tooth's rise
// (its fall when the crank is reversed); the period is the shortest stretch the rises
// repeat over, opened after its widest spacing (the reference tooth's, of equals); a
// cycle-720 file counts cycles from the cam, unless its pattern spans the cycle once. Rises
// evenly spaced (each within a tenth of the median spacing) make even teeth, told by the cam
// as trigwave's coil types are. The cam's pulses are the state it spends the
// less time in, as the scan takes them. With centres, each tooth is taken at its centre,
// where a VR sensor's conditioner times it: teeth of uneven widths make another pattern.
known_wheel known_from_file(const wheel_file& file, bool centres = false);

// Whether a decoder following the edges sees the same period: as many teeth, and in some
// rotation every spacing within half a degree of a 360-degree period (a wheel of slots as
// its slots). The period may be another length: three groups of ten teeth a revolution
// have the shape of a 12-2 wheel.
bool same_shape(const known_wheel& a, const known_wheel& b);
// The same shape and as many periods per cycle: a decoder sees the two alike.
bool same_crank(const known_wheel& a, const known_wheel& b);

// The library's files as known wheels, those with the same crank sharing one entry
// (the first file's place, the names in the files' order).
std::vector<known_wheel> library_wheels(const std::vector<wheel_file>& files, bool centres = false);
