// Audio recordings through libsndfile: any format, rate and channel count it reads,
// as floats, two chosen channels through their own edge finders.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sndfile.h>

#include "edge_finder.h"
#include "edge_source.h"

class sound_source : public edge_source {
public:
    // Takes the open file; channels count from 1, cam 0 for none. Throws input_error
    // when the file holds no samples or lacks a channel.
    sound_source(SNDFILE* file, const SF_INFO& info, int crank, int cam, const std::string& name);
    ~sound_source() override;
    sound_source(const sound_source&) = delete;
    sound_source& operator=(const sound_source&) = delete;

    double rate() const override { return info_.samplerate; }
    bool next(std::vector<edge>& crank, std::vector<edge>& cam) override;
    double seconds() const override { return static_cast<double>(frames_read_) / info_.samplerate; }
    std::string warning() const override;

private:
    SNDFILE* file_;
    SF_INFO info_;
    std::string name_;
    int crank_, cam_;
    std::vector<float> block_;
    std::size_t block_frames_;
    edge_finder crank_finder_, cam_finder_;
    sf_count_t frames_read_ = 0;
    bool failed_ = false;
    std::string failure_;
    std::string cut_short_;   // what the header announced beyond the file's end
};
