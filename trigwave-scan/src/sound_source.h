// Audio recordings through libsndfile: any format, rate and channel count it reads,
// as floats, two chosen channels through their own edge finders, each of the kind asked
// for or decided from the recording's first stretch.
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
    // when the file holds no samples or lacks a channel. Reads the first stretch at once.
    sound_source(SNDFILE* file, const SF_INFO& info, int crank, int cam, input_choice input, const std::string& name);
    ~sound_source() override;
    sound_source(const sound_source&) = delete;
    sound_source& operator=(const sound_source&) = delete;

    double rate() const override { return info_.samplerate; }
    bool next(std::vector<edge>& crank, std::vector<edge>& cam) override;
    double seconds() const override { return static_cast<double>(frames_read_) / info_.samplerate; }
    std::string warning() const override;
    std::string input_line() const override;
    bool crank_timed_falling() const override { return crank_finder_.kind() == input_kind::vr; }

private:
    // Reads up to frames frames into the block; 0 at the end or on a failure.
    std::size_t read(std::size_t frames);

    SNDFILE* file_;
    SF_INFO info_;
    std::string name_;
    int crank_, cam_;
    std::vector<float> block_;
    std::size_t block_frames_;
    std::size_t first_frames_ = 0;   // the first stretch, read and judged before the rest
    bool finished_ = false;          // the finders' last edges handed out
    bool decided_;                   // the kinds were decided from the signal, not asked for
    edge_finder crank_finder_{input_kind::hall}, cam_finder_{input_kind::hall};
    sf_count_t frames_read_ = 0;
    bool failed_ = false;
    std::string failure_;
    std::string cut_short_;   // what the header announced beyond the file's end
};
