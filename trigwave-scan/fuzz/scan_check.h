// What every harness checks of the edges it got, and of a scan made from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "edge.h"
#include "edge_source.h"
#include "fuzz_check.h"
#include "known_wheels.h"

// In time order, within [0, end], alternating rising and falling.
void check_edges(const std::vector<edge>& edges, double end);

// Finds the wheel (among the choice's too) and follows it through both channels, measuring
// it: every row and anomaly in range, and a wheel measured reads back as a wheel file.
void check_scan(const std::vector<edge>& crank, const std::vector<edge>& cam, double rate,
                const wheel_choice& choice = {});

bool same_edges(const std::vector<edge>& a, const std::vector<edge>& b);

// What a text reader (feed, finish, header_done, rate, seconds) made of a text fed in
// pieces of the size given.
struct text_reading {
    bool failed = false;
    std::vector<edge> crank, cam;
    double rate = 0, end = 0;
};

template <class Reader>
text_reading read_in_pieces(Reader reader, const char* text, std::size_t size, std::size_t piece) {
    text_reading r;
    try {
        for (std::size_t at = 0; at < size; at += piece)
            reader.feed(text + at, piece < size - at ? piece : size - at, r.crank, r.cam);
        reader.finish(r.crank, r.cam);
    } catch (const input_error&) {
        r.failed = true;
    }
    r.rate = reader.rate();
    // the last time read, back from seconds: a rounding's worth over
    r.end = reader.header_done() ? reader.seconds() * r.rate * (1 + 1e-12) : 0;
    return r;
}

// Reads the text after the first byte whole and in pieces of a size that byte chooses,
// with readers make() gives: both must give the same edges, or fail alike; then scans what
// was read.
template <class Make>
void check_text_reader(const uint8_t* bytes, std::size_t size, Make make) {
    if (size < 1) return;
    const std::size_t piece = 1 + bytes[0] % 64;
    const char* text = reinterpret_cast<const char*>(bytes + 1);
    const text_reading whole = read_in_pieces(make(), text, size - 1, size),
                       pieces = read_in_pieces(make(), text, size - 1, piece);
    FUZZ_CHECK(whole.failed == pieces.failed);
    FUZZ_CHECK(same_edges(whole.crank, pieces.crank) && same_edges(whole.cam, pieces.cam));
    if (whole.failed) return;
    FUZZ_CHECK(whole.rate > 0);
    check_edges(whole.crank, whole.end);
    check_edges(whole.cam, whole.end);
    check_scan(whole.crank, whole.cam, whole.rate);
}
