// What every harness checks of the edges it got, and of a scan made from them.
#pragma once

#include <cstddef>
#include <vector>

#include "edge.h"
#include "edge_source.h"

// In time order, within [0, end], alternating rising and falling.
void check_edges(const std::vector<edge>& edges, double end);

// Finds the wheel and follows it through both channels: every row and anomaly in range.
void check_scan(const std::vector<edge>& crank, const std::vector<edge>& cam, double rate);

bool same_edges(const std::vector<edge>& a, const std::vector<edge>& b);

// Feeds a text reader (feed, then finish) its text in pieces of the size given; true when
// it refused it.
template <class Reader>
bool read_in_pieces(Reader& reader, const char* text, std::size_t size, std::size_t piece, std::vector<edge>& crank,
                    std::vector<edge>& cam) {
    try {
        for (std::size_t at = 0; at < size; at += piece)
            reader.feed(text + at, piece < size - at ? piece : size - at, crank, cam);
        reader.finish(crank, cam);
    } catch (const input_error&) {
        return true;
    }
    return false;
}
