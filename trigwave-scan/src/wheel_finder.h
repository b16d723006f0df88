// Tells the wheel from the first stretch of a recording's edges: tries every known
// pattern, and a wheel of equal slots with missing ones, on the edges of each direction,
// and keeps the one followed without losing sync and with the fewest odd teeth.
#pragma once

#include <vector>

#include "edge.h"
#include "wheel_model.h"

// crank and cam are the edges of each channel in time order; cam is empty without a cam.
wheel_model find_wheel(const std::vector<edge>& crank, const std::vector<edge>& cam, bool cam_wanted);
