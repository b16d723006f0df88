#include "sound_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Floats per read: a bounded buffer whatever the channel count.
constexpr std::size_t block_floats = 1 << 16;

}  // namespace

sound_source::sound_source(SNDFILE* file, const SF_INFO& info, int crank, int cam, const std::string& name)
    : file_(file),
      info_(info),
      name_(name),
      crank_(crank),
      cam_(cam),
      block_frames_(std::max<std::size_t>(1, block_floats / static_cast<std::size_t>(std::max(info.channels, 1)))) {
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
    block_.resize(block_frames_ * static_cast<std::size_t>(info_.channels));
    // libsndfile reads a file cut short as far as it goes and says so only in its log:
    // "data : 529200 (should be 299956)" when the header announces more than is there.
    std::vector<char> log(8192, '\0');
    sf_command(file_, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size() - 1));
    const char* at = std::strstr(log.data(), "data : ");
    long long announced = 0, there = 0;
    if (at && std::sscanf(at, "data : %lld (should be %lld)", &announced, &there) == 2 && there < announced)
        cut_short_ = "its header announces " + std::to_string(announced) + " bytes of samples, the file holds " +
                     std::to_string(there);
}

sound_source::~sound_source() {
    if (file_) sf_close(file_);
}

bool sound_source::next(std::vector<edge>& crank, std::vector<edge>& cam) {
    if (!file_ || failed_) return false;
    const sf_count_t got = sf_readf_float(file_, block_.data(), static_cast<sf_count_t>(block_frames_));
    if (got <= 0) {
        if (sf_error(file_) != SF_ERR_NO_ERROR) {
            failed_ = true;
            failure_ = sf_strerror(file_);
        }
        return false;
    }
    const auto n = static_cast<std::size_t>(got);
    const auto stride = static_cast<std::size_t>(info_.channels);
    crank_finder_.feed(block_.data() + (crank_ - 1), n, stride, crank);
    if (cam_ > 0) cam_finder_.feed(block_.data() + (cam_ - 1), n, stride, cam);
    frames_read_ += got;
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
