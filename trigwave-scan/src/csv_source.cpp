#include "csv_source.h"

#include <algorithm>

csv_source::csv_source(FILE* file, const std::string& name, csv_format format, const channel_wish& wish,
                       input_choice input)
    : file_(file), name_(name), parser_(format, wish, input) {
    try {
        while (!parser_.header_done() && read_block(pending_crank_, pending_cam_)) {
        }
    } catch (const input_error& e) {
        // A header it cannot use refuses the file; a bad row after it ends the reading there.
        if (parser_.header_done()) {
            stop(e, pending_crank_, pending_cam_);
            return;
        }
        throw input_error(name + ": " + e.what());
    }
}

void csv_source::stop(const input_error& e, std::vector<edge>& crank, std::vector<edge>& cam) {
    file_.close();
    failure_ = name_ + ": " + e.what();
    parser_.cut(crank, cam);
}

bool csv_source::read_block(std::vector<edge>& crank, std::vector<edge>& cam) {
    if (file_.ended()) return false;
    const std::string_view block = file_.next();
    if (!block.empty()) {
        parser_.feed(block.data(), block.size(), crank, cam);
        return true;
    }
    parser_.finish(crank, cam);
    return false;
}

// At most this many crank edges a stretch, as a block of audio or VCD holds: the wheel is
// told from the first few thousand, and its cost grows with every edge it is given.
constexpr std::size_t most_edges = 4096;

void csv_source::hand_out(std::vector<edge>& crank, std::vector<edge>& cam) {
    const std::size_t n = std::min(pending_crank_.size(), most_edges);
    const auto crank_end = pending_crank_.begin() + static_cast<std::ptrdiff_t>(n);
    // the cam's edges up to the last crank edge handed out, all of them once the crank's are
    auto cam_end = pending_cam_.end();
    if (crank_end != pending_crank_.end()) {
        const double until = pending_crank_[n - 1].at;
        cam_end = std::partition_point(pending_cam_.begin(), pending_cam_.end(), [&](const edge& e) { return e.at <= until; });
    }
    crank.insert(crank.end(), pending_crank_.begin(), crank_end);
    cam.insert(cam.end(), pending_cam_.begin(), cam_end);
    pending_crank_.erase(pending_crank_.begin(), crank_end);
    pending_cam_.erase(pending_cam_.begin(), cam_end);
}

bool csv_source::next(std::vector<edge>& crank, std::vector<edge>& cam) {
    while (pending_crank_.empty() && pending_cam_.empty() && !file_.ended()) {
        try {
            read_block(pending_crank_, pending_cam_);
        } catch (const input_error& e) {
            stop(e, pending_crank_, pending_cam_);
        }
    }
    if (pending_crank_.empty() && pending_cam_.empty()) return false;
    hand_out(crank, cam);
    return true;
}

std::string csv_source::warning() const {
    return file_.failed() ? name_ + ": a read error; scanned as far as it goes" : std::string();
}
