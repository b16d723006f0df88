#include "csv_source.h"

csv_source::csv_source(FILE* file, const std::string& name, csv_format format, const channel_wish& wish,
                       input_choice input)
    : file_(file), name_(name), parser_(format, wish, input), block_(1 << 16) {
    try {
        while (!parser_.header_done() && read_block(pending_crank_, pending_cam_)) {
        }
    } catch (const input_error& e) {
        // A header it cannot use refuses the file; a bad row after it ends the reading there.
        if (parser_.header_done()) {
            stop(e, pending_crank_, pending_cam_);
            return;
        }
        std::fclose(file_);
        file_ = nullptr;
        throw input_error(name + ": " + e.what());
    }
}

void csv_source::stop(const input_error& e, std::vector<edge>& crank, std::vector<edge>& cam) {
    ended_ = true;
    failure_ = name_ + ": " + e.what();
    parser_.cut(crank, cam);
}

csv_source::~csv_source() {
    if (file_) std::fclose(file_);
}

bool csv_source::read_block(std::vector<edge>& crank, std::vector<edge>& cam) {
    if (ended_) return false;
    const std::size_t got = std::fread(block_.data(), 1, block_.size(), file_);
    if (got > 0) {
        parser_.feed(block_.data(), got, crank, cam);
        return true;
    }
    ended_ = true;
    read_error_ = std::ferror(file_) != 0;
    parser_.finish(crank, cam);
    return false;
}

bool csv_source::next(std::vector<edge>& crank, std::vector<edge>& cam) {
    if (!pending_crank_.empty() || !pending_cam_.empty() || ended_) {
        crank.insert(crank.end(), pending_crank_.begin(), pending_crank_.end());
        cam.insert(cam.end(), pending_cam_.begin(), pending_cam_.end());
        pending_crank_.clear();
        pending_cam_.clear();
        return !ended_;
    }
    try {
        return read_block(crank, cam);
    } catch (const input_error& e) {
        stop(e, crank, cam);
        return false;
    }
}

std::string csv_source::warning() const {
    return read_error_ ? name_ + ": a read error; scanned as far as it goes" : std::string();
}
