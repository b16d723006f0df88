// Follows a stream of edge times against one period of a known pattern of intervals
// (a wheel's teeth, or a cam's pulses). It finds its place from the ratios of successive
// intervals, which hold at any speed, then predicts each next interval from the last
// one: an edge that comes far too early is an extra tooth, one that comes when the next
// two intervals are due means a tooth is missing, anything else loses sync.
#pragma once

#include <cstddef>
#include <vector>

class pattern_follower {
public:
    // intervals[k] is the expected spacing before the period's edge k (edge 0 opens it),
    // in any unit. The pattern must not be empty. It syncs once the spacings have
    // matched one place for a whole period, or for checks_to_sync of them when given.
    explicit pattern_follower(std::vector<double> intervals, std::size_t checks_to_sync = 0);

    enum class kind { unsynced, accepted, extra, lost };
    struct step {
        kind what = kind::unsynced;
        std::size_t position = 0;   // accepted: the edge's place; extra: the place due next
        bool missing_before = false;  // accepted after a missing edge at position - 1
        double misfit = 0;            // accepted: how far the spacing strayed, as |log(ratio)|
    };

    step feed(double at);

    bool synced() const { return synced_; }
    std::size_t size() const { return intervals_.size(); }
    // The shortest shift that maps the pattern onto itself (1 for even teeth).
    std::size_t symmetry() const { return symmetry_; }

private:
    bool fits(double ratio, double expected) const;
    void restart(double at, double interval);

    std::vector<double> intervals_;
    std::size_t symmetry_;
    bool synced_ = false;
    std::vector<std::size_t> candidates_;  // places the last edge may hold, while unsynced
    bool have_last_ = false;
    double last_at_ = 0;
    double last_interval_ = 0;   // unsynced: the last spacing seen
    double unit_ = 0;            // synced: time per pattern unit, from the last accepted edge
    std::size_t position_ = 0;
    int extras_in_row_ = 0;
    bool missed_last_ = false;
    std::size_t checks_ = 0;     // spacing ratios matched since the last restart
    std::size_t checks_to_sync_;
};
