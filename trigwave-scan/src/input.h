// Opens a recording as an edge source: a VCD capture when its text begins with a
// $keyword, else whatever libsndfile reads.
#pragma once

#include <memory>

#include "edge_source.h"
#include "options.h"

// Throws input_error with a message naming the file and what is wrong.
std::unique_ptr<edge_source> open_input(const scan_options& opts);
