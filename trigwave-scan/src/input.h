// Opens a recording as an edge source: a VCD capture when its text begins with a
// $keyword, else whatever libsndfile reads.
#pragma once

#include <memory>
#include <string>

#include "channel_wish.h"
#include "edge_source.h"
#include "input_kind.h"

// What the input layer needs of the command line.
struct input_request {
    std::string file;
    channel_wish channels;
    input_choice input = input_choice::automatic;  // how a sampled channel is compared
};

// Throws input_error with a message naming the file and what is wrong.
std::unique_ptr<edge_source> open_input(const input_request& request);
