// A comma-separated recording (a logic analyzer's export or a composite log) read a block
// at a time. What it cannot read past its header ends the reading there, and is said.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "csv_parser.h"
#include "edge_source.h"
#include "file_blocks.h"

class csv_source : public edge_source {
public:
    // Takes the open file; reads up to its first row at once (throws input_error naming
    // the file when the header lacks a channel).
    csv_source(FILE* file, const std::string& name, csv_format format, const channel_wish& wish, input_choice input);

    double rate() const override { return parser_.rate(); }
    bool next(std::vector<edge>& crank, std::vector<edge>& cam) override;
    double seconds() const override { return parser_.seconds(); }
    std::string warning() const override;
    std::string failure() const override { return failure_; }
    std::string input_line() const override { return parser_.input_line(); }
    bool crank_timed_falling() const override { return parser_.crank_timed_falling(); }

private:
    bool read_block(std::vector<edge>& crank, std::vector<edge>& cam);
    void stop(const input_error& e, std::vector<edge>& crank, std::vector<edge>& cam);
    void hand_out(std::vector<edge>& crank, std::vector<edge>& cam);

    file_blocks file_;
    std::string name_;
    csv_parser parser_;
    std::string failure_;
    // Edges read and not yet handed out: the first rows' come all at once, once judged.
    std::vector<edge> pending_crank_, pending_cam_;
};
