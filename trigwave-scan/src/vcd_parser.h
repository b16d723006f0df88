// Value Change Dump, as logic analyzers and simulators write it, read as a stream of
// whitespace-separated tokens: the header's time unit and 1-bit signals, then the
// value changes of the two chosen signals as edges. Pure: bytes in, edges out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "channel_wish.h"
#include "edge.h"

class vcd_parser {
public:
    // Signals by name; an empty name takes the first (crank) or second (cam) 1-bit
    // signal of the header. cam_wanted false reads no cam.
    explicit vcd_parser(channel_wish wish);

    // Throws input_error (without the file's name) on what is not a VCD or lacks a signal.
    void feed(const char* data, std::size_t size, std::vector<edge>& crank, std::vector<edge>& cam);
    // The last token, if the data ended in it; true when the data ended mid-line.
    bool finish(std::vector<edge>& crank, std::vector<edge>& cam);

    bool header_done() const { return body_; }
    double rate() const { return rate_; }
    double seconds() const { return static_cast<double>(now_) / rate_; }

private:
    void token(const std::string& t, std::vector<edge>& crank, std::vector<edge>& cam);
    void header_token(const std::string& t);
    void end_header();
    void change(char value, const std::string& id, std::vector<edge>& crank, std::vector<edge>& cam);

    channel_wish wish_;
    std::string partial_;
    bool last_was_newline_ = true;
    bool body_ = false;
    bool sections_ = false;          // a $section has been seen
    int words_before_ = 0;
    std::string keyword_;            // the $section being read, until its $end
    std::vector<std::string> words_;  // its words
    bool skipping_ = false;          // a $comment or the like in the body
    std::string vector_value_;       // a b.../r... value waiting for its id
    bool after_vector_ = false;
    double rate_ = 0;
    struct signal {
        std::string id, name;
        int width;
    };
    std::vector<signal> signals_;
    std::string crank_id_, cam_id_;
    int crank_level_ = -1, cam_level_ = -1;
    uint64_t now_ = 0;
    bool seen_time_ = false;
};
