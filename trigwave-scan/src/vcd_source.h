// A logic analyzer's capture as a VCD file, read a block at a time.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "edge_source.h"
#include "file_blocks.h"
#include "vcd_parser.h"

class vcd_source : public edge_source {
public:
    // Takes the open file; reads its header at once (throws input_error naming the file).
    vcd_source(FILE* file, const std::string& name, const channel_wish& wish);

    double rate() const override { return parser_.rate(); }
    bool next(std::vector<edge>& crank, std::vector<edge>& cam) override;
    double seconds() const override { return parser_.seconds(); }
    std::string warning() const override { return warning_; }

private:
    bool read_block(std::vector<edge>& crank, std::vector<edge>& cam);

    file_blocks file_;
    std::string name_;
    vcd_parser parser_;
    std::string warning_;
    std::vector<edge> pending_crank_, pending_cam_;  // edges read with the header
};
