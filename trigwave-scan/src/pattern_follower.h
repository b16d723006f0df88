// Follows a stream of edge times against one period of a pattern of intervals (a
// wheel's teeth). It finds its place by the shape of the last period's spacings, each
// against the median of its neighbours, which holds at any speed and through a cranking
// engine's ripple; then it decides each edge a few edges late, against a speed taken from
// the teeth on both sides of it: a real change of speed moves them all, a fault only one.
// An edge is the tooth due, or comes after a missing one, or is extra (the next edge then
// falls where this one was due), or the follower has lost its place.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

class pattern_follower {
public:
    // intervals[k] is the expected spacing before the period's edge k (edge 0 opens it),
    // in any unit. The pattern must not be empty.
    explicit pattern_follower(std::vector<double> intervals);

    enum class kind { unsynced, accepted, extra, lost };
    struct step {
        double at = 0;
        kind what = kind::unsynced;
        std::size_t position = 0;     // accepted: the edge's place; extra and lost: the place due
        bool missing_before = false;  // accepted after a missing edge at position - 1
        double misfit = 0;            // accepted: how far the spacing strayed, as |log(ratio)|
        double lost_at = 0;           // lost: where the place was lost, the tooth due when it came late
    };

    // Takes the next edge (in time order); appends the steps of the edges decided by now.
    void feed(double at, std::vector<step>& out);
    // Decides the edges still held, with what there is.
    void finish(std::vector<step>& out);

    // Time per pattern unit at the last accepted edge.
    double unit() const { return unit_; }
    // The pattern units an accepted step covers since the tooth before it (two spacings
    // after a missing tooth).
    double spanned(const step& s) const;

private:
    void decide(std::vector<step>& out);
    void try_sync(double at, std::vector<step>& out);
    // The edge is the tooth at s.position, the teeth turning at unit time per pattern unit.
    void accept(const step& s, double unit, std::vector<step>& out);
    // The speed about an edge under one reading of it, and how far the teeth after it
    // stray from that speed (the median of their log ratios).
    struct reading {
        double unit = 0, stray = 0;
        double next_unit = 0;  // the first spacing after the edge, per pattern unit (0: none)
    };
    reading read_on(std::size_t shift, bool dropped) const;
    // The teeth before the edge and after it (as r places them) all keep r's speed.
    bool even_speed(const reading& r) const;
    // The place that the window's spacing shapes fit with the fewest outliers, and the next best.
    struct placement {
        int best = -1, best_out = 1 << 30, second_out = 1 << 30;
        bool sure(int allowed, std::size_t symmetry) const {
            return best >= 0 && best_out <= allowed && (symmetry == 1 || second_out >= best_out + 2);
        }
    };
    placement place(const std::vector<double>& shape, const std::vector<bool>& known, const std::vector<double>& want,
                    std::size_t ends_before) const;

    std::vector<double> intervals_;
    std::vector<double> shape_;      // log of each spacing against its neighbours' median
    std::vector<double> around_shape_;  // the same against the two before it and the two after
    std::size_t symmetry_;           // the shortest shift that maps the pattern onto itself
    std::size_t window_;             // spacings matched to sync: a period (to its symmetry) and one
    std::size_t relock_window_;      // and after a loss: two periods and one, where that is short
    double longest_;                 // the widest spacing of the pattern

    std::deque<double> pending_;     // edges not decided yet
    std::deque<double> history_;     // the last edges decided, for finding the place
    bool synced_ = false;
    bool lost_ = false;              // lost, not placed again yet
    std::size_t position_ = 0;
    double last_at_ = 0;
    double unit_ = 0;
    std::deque<double> recent_units_;  // time per unit of the last accepted spacings
    int extras_in_row_ = 0;
    bool missed_last_ = false;
};
