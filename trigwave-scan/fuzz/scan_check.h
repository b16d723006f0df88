// What every harness checks of the edges it got, and of a scan made from them.
#pragma once

#include <vector>

#include "edge.h"

// In time order, within [0, end], alternating rising and falling.
void check_edges(const std::vector<edge>& edges, double end);

// Finds the wheel and follows it through both channels: every row and anomaly in range.
void check_scan(const std::vector<edge>& crank, const std::vector<edge>& cam, double rate);

bool same_edges(const std::vector<edge>& a, const std::vector<edge>& b);
