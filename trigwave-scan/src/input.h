// Opens a recording as an edge source: a VCD capture when its text begins with a
// $keyword, else whatever libsndfile reads.
#pragma once

#include <memory>
#include <string>

#include "edge_source.h"
#include "input_kind.h"

// What the input layer needs of the command line.
struct input_request {
    std::string file;
    std::string crank;        // a channel number (audio) or a signal name (VCD); empty: the first
    std::string cam;          // the same, empty: the second
    bool cam_wanted = true;
    input_choice input = input_choice::automatic;  // how an audio channel is compared
};

// Throws input_error with a message naming the file and what is wrong.
std::unique_ptr<edge_source> open_input(const input_request& request);
