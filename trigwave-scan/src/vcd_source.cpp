#include "vcd_source.h"

vcd_source::vcd_source(FILE* file, const std::string& name, const channel_wish& wish)
    : file_(file), name_(name), parser_(wish) {
    std::vector<edge> c, m;
    try {
        while (!parser_.header_done() && read_block(c, m)) {
        }
    } catch (const input_error& e) {
        throw input_error(name + ": " + e.what());
    }
    if (!parser_.header_done()) throw input_error(name + ": not a VCD capture: no $enddefinitions");
    pending_crank_ = std::move(c);
    pending_cam_ = std::move(m);
}

bool vcd_source::read_block(std::vector<edge>& crank, std::vector<edge>& cam) {
    if (file_.ended()) return false;
    const std::string_view block = file_.next();
    if (!block.empty()) {
        parser_.feed(block.data(), block.size(), crank, cam);
        return true;
    }
    if (file_.failed()) warning_ = name_ + ": a read error; scanned as far as it goes";
    if (parser_.finish(crank, cam) && warning_.empty())
        warning_ = name_ + ": truncated: it ends in the middle of a line; scanned as far as it goes";
    return false;
}

bool vcd_source::next(std::vector<edge>& crank, std::vector<edge>& cam) {
    if (!pending_crank_.empty() || !pending_cam_.empty()) {
        crank.insert(crank.end(), pending_crank_.begin(), pending_crank_.end());
        cam.insert(cam.end(), pending_cam_.begin(), pending_cam_.end());
        pending_crank_.clear();
        pending_cam_.clear();
        return true;
    }
    try {
        return read_block(crank, cam);
    } catch (const input_error& e) {
        file_.close();
        warning_ = name_ + ": " + e.what() + "; scanned up to there";
        return false;
    }
}
