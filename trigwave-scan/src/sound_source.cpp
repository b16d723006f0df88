#include "sound_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Floats per read: a bounded buffer whatever the channel count.
constexpr std::size_t block_floats = 1 << 16;
// The first stretch, from which each channel's kind is decided: 64 Ki frames (fewer for
// many channels), whatever the reads after it.
constexpr std::size_t first_frames = 1 << 16;
constexpr std::size_t first_floats = 1 << 20;

}  // namespace

sound_source::sound_source(SNDFILE* file, const SF_INFO& info, int crank, int cam, input_choice input,
                           const std::string& name)
    : file_(file),
      info_(info),
      name_(name),
      crank_(crank),
      cam_(cam),
      block_frames_(std::max<std::size_t>(1, block_floats / static_cast<std::size_t>(std::max(info.channels, 1)))),
      decided_(input == input_choice::automatic) {
    const auto refuse = [&](const std::string& what) {
        sf_close(file_);
        file_ = nullptr;
        throw input_error(name + ": " + what);
    };
    if (info_.samplerate <= 0 || info_.channels <= 0) refuse("no sample rate or no channels in its header");
    if (info_.frames <= 0) refuse("holds no samples");
    const std::string channels = std::to_string(info_.channels) + (info_.channels == 1 ? " channel" : " channels");
    if (crank_ < 1 || crank_ > info_.channels)
        refuse("has " + channels + ", no channel " + std::to_string(crank_) + " for the crank");
    if (cam_ < 0 || cam_ > info_.channels)
        refuse("has " + channels + ", no channel " + std::to_string(cam_) + " for the cam (--cam none for a recording without one)");
    const auto stride = static_cast<std::size_t>(info_.channels);
    const std::size_t first = std::max<std::size_t>(1, std::min(first_frames, first_floats / stride));
    block_.resize(std::max(first, block_frames_) * stride);
    // libsndfile reads a file cut short as far as it goes and says so only in its log:
    // "data : 529200 (should be 299956)" when the header announces more than is there.
    std::vector<char> log(8192, '\0');
    sf_command(file_, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size() - 1));
    const char* at = std::strstr(log.data(), "data : ");
    long long announced = 0, there = 0;
    if (at && std::sscanf(at, "data : %lld (should be %lld)", &announced, &there) == 2 && there < announced)
        cut_short_ = "its header announces " + std::to_string(announced) + " bytes of samples, the file holds " +
                     std::to_string(there);

    first_frames_ = read(first);
    const auto kind_of = [&](int ch) {
        if (input != input_choice::automatic) return input == input_choice::vr ? input_kind::vr : input_kind::hall;
        return decide_input(block_.data() + (ch - 1), first_frames_, stride);
    };
    crank_finder_ = edge_finder(kind_of(crank_));
    if (cam_ > 0) cam_finder_ = edge_finder(kind_of(cam_));
}

sound_source::~sound_source() {
    if (file_) sf_close(file_);
}

std::size_t sound_source::read(std::size_t frames) {
    if (!file_ || failed_) return 0;
    const sf_count_t got = sf_readf_float(file_, block_.data(), static_cast<sf_count_t>(frames));
    if (got <= 0) {
        if (sf_error(file_) != SF_ERR_NO_ERROR) {
            failed_ = true;
            failure_ = sf_strerror(file_);
        }
        return 0;
    }
    return static_cast<std::size_t>(got);
}

bool sound_source::next(std::vector<edge>& crank, std::vector<edge>& cam) {
    // The first stretch was read to decide the kinds: it is the first block.
    const std::size_t n = first_frames_ > 0 ? first_frames_ : read(block_frames_);
    first_frames_ = 0;
    if (n == 0) {
        // the edges the finders still hold, once
        if (!finished_) {
            crank_finder_.finish(crank);
            if (cam_ > 0) cam_finder_.finish(cam);
            finished_ = true;
        }
        return false;
    }
    const auto stride = static_cast<std::size_t>(info_.channels);
    crank_finder_.feed(block_.data() + (crank_ - 1), n, stride, crank);
    if (cam_ > 0) cam_finder_.feed(block_.data() + (cam_ - 1), n, stride, cam);
    frames_read_ += static_cast<sf_count_t>(n);
    return true;
}

std::string sound_source::warning() const {
    if (!cut_short_.empty()) return name_ + ": truncated: " + cut_short_ + "; scanned as far as it goes";
    if (frames_read_ >= info_.frames && !failed_) return {};
    std::string w = name_ + ": truncated: " + std::to_string(frames_read_) + " of " + std::to_string(info_.frames) +
                    " frames could be read; scanned as far as it goes";
    if (!failure_.empty()) w += " (" + failure_ + ")";
    return w;
}

std::string sound_source::input_line() const {
    return ::input_line(input_kind_name(crank_finder_.kind()), cam_ > 0 ? input_kind_name(cam_finder_.kind()) : nullptr,
                        decided_);
}
