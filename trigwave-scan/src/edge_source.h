// A recording read as edges of the crank and the cam channel, a stretch at a time.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "edge.h"

// An input that cannot be read: the message names the file and what is wrong.
struct input_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class edge_source {
public:
    virtual ~edge_source() = default;
    // Ticks per second: the sample rate, or a capture's time units.
    virtual double rate() const = 0;
    // Appends the next stretch's edges; false once the recording is read to its end.
    virtual bool next(std::vector<edge>& crank, std::vector<edge>& cam) = 0;
    // Seconds covered so far.
    virtual double seconds() const = 0;
    // Said once the end is reached: a recording that stops short of what it announced.
    virtual std::string warning() const { return {}; }
    // Said once the end is reached: what could not be read, which ended the reading early
    // (the file, the line and what is wrong). The scan of what came before still stands.
    virtual std::string failure() const { return {}; }
    // How each channel's signal is compared, for a report: "crank hall, cam vr (as asked)".
    // Empty for a digital capture.
    virtual std::string input_line() const { return {}; }
    // The crank's falling edges are the timed ones (a VR conditioner's zero crossing; its
    // rising edges only mark where it armed).
    virtual bool crank_timed_falling() const { return false; }
};
