// Tells the wheel from the first stretch of a recording's edges: tries trigwave's types
// and the patterns learned from the recording itself, on the edges of each direction, and
// keeps the one that had to call the fewest teeth odd. Then the cam: its pulses per cycle
// and the one that marks the cycle, placed by crank angle.
#pragma once

#include <vector>

#include "edge.h"
#include "known_wheels.h"
#include "wheel_model.h"

// crank and cam are the edges of each channel in time order; cam is empty without a cam.
// prefer_falling: the falling edges are the timed ones (a VR conditioner's zero crossing).
// choice: the library's wheels, tried after trigwave's types and before the patterns
// learned; or one given wheel, followed alone.
wheel_model find_wheel(const std::vector<edge>& crank, const std::vector<edge>& cam, bool cam_wanted,
                       bool prefer_falling = false, const wheel_choice& choice = {});
