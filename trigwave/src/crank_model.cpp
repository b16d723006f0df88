#include "crank_model.h"

#include <algorithm>
#include <cmath>

#include "wheel_catalog.h"
#include "wheel_geometry.h"

namespace {

constexpr uint32_t cycle = wheel_geometry::cycle_units;

// A jump of more than this between neighbouring units is an edge; the levels differ by at
// least twice the relative level's 16383 at a tooth, while full and relative levels of one
// side differ by 16384 at most.
constexpr int edge_jump = 20000;

double forward(double from, double to) { return to >= from ? to - from : to + cycle - from; }

// The crank at amplitude 1 and relative 0.5, as the normal polarity draws it.
int normal_crank(const Trigwave& tw, uint32_t unit) {
    const int s = tw.primary_trigger_sample(static_cast<uint16_t>(unit), 1.0, 0.5);
    return tw.polarity != 0 ? -s : s;
}

// A gap low between the teeth, short high windows or a sawtooth's sharp fall tell a decoder
// which way up the crank is; an even square wave does not.
bool polarity_told(const Trigwave& tw, const crank_model& m, const std::vector<int>& level) {
    if (!tw.wheel_drawing) {
        for (const wheel_type& t : wheel_types())
            if (t.type[0] == tw.trigger_type) return t.clue != polarity_clue::none;
        return false;
    }
    std::vector<uint32_t> rises;
    for (const crank_edge& e : m.edges)
        if (e.followed) rises.push_back(e.at);
    if (rises.size() < 2) return false;
    std::vector<double> s;
    double widest = 0, middle = 0;
    for (std::size_t i = 0; i < rises.size(); ++i) {
        const double d = forward(rises[(i + rises.size() - 1) % rises.size()], rises[i]);
        s.push_back(d);
        if (d > widest) {
            widest = d;
            middle = rises[i] - d / 2;
        }
    }
    std::sort(s.begin(), s.end());
    if (middle < 0) middle += cycle;
    return widest > 1.5 * s[s.size() / 2] && level[static_cast<uint32_t>(middle) % cycle] < 0;
}

void find_edges(const Trigwave& tw, crank_model& m) {
    std::vector<int> level(cycle);
    for (uint32_t u = 0; u < cycle; ++u) level[u] = normal_crank(tw, u);
    std::vector<int> jump;  // +1 up, -1 down, per edge
    for (uint32_t u = 0; u < cycle; ++u) {
        const int d = level[u] - level[(u + cycle - 1) % cycle];
        if (d > edge_jump || d < -edge_jump) {
            crank_edge e;
            e.at = u;
            m.edges.push_back(e);
            jump.push_back(d > 0 ? 1 : -1);
        }
    }
    // A decoder follows the sharp rises; a sawtooth has only its sharp falls.
    const bool any_rise = std::find(jump.begin(), jump.end(), 1) != jump.end();
    const int followed = any_rise ? 1 : -1;
    const std::size_t n = m.edges.size();
    for (std::size_t i = 0; i < n; ++i) m.edges[i].followed = jump[i] == followed;
    // Where nothing in the signal tells its polarity, a decoder follows the signal's rises,
    // which on a reversed crank are its teeth's falls.
    m.polarity_told = polarity_told(tw, m, level);
    if (tw.polarity != 0 && any_rise && !m.polarity_told)
        for (std::size_t i = 0; i < n; ++i) m.edges[i].followed = jump[i] != followed;
    for (std::size_t i = 0; i < n; ++i) {
        crank_edge& e = m.edges[i];
        const double before = forward(m.edges[(i + n - 1) % n].at, e.at);
        const double after = forward(e.at, m.edges[(i + 1) % n].at);
        // a quarter of the way to either neighbour: a narrow tooth keeps half its width, as a
        // sensor's timing wanders but its tooth stays a tooth
        e.room = 0.25 * std::min(n > 1 ? before : cycle, n > 1 ? after : cycle);
        // the nearest edges of the same direction on either side
        double pitch = cycle;
        for (std::size_t k = 1; k < n && pitch == cycle; ++k)
            if (jump[(i + k) % n] == jump[i]) pitch = std::min(pitch, forward(e.at, m.edges[(i + k) % n].at));
        for (std::size_t k = 1; k < n; ++k)
            if (jump[(i + n - k) % n] == jump[i]) {
                pitch = std::min(pitch, forward(m.edges[(i + n - k) % n].at, e.at));
                break;
            }
        e.pitch = pitch;
    }
}

// A bump of flux per tooth (the stretch from a followed edge to the next edge), a little
// wider than the tooth but reaching no neighbour's centre, so each centre stays the zero
// crossing. The teeth either side of a gap swing twice as far, as on real wheels, where the
// flux falls further into the gap.
void find_teeth(crank_model& m) {
    const std::size_t n = m.edges.size();
    std::vector<double> width;
    for (std::size_t i = 0; i < n; ++i) {
        if (!m.edges[i].followed) continue;
        const double w = forward(m.edges[i].at, m.edges[(i + 1) % n].at);
        vr_tooth t;
        t.edge = m.edges[i].at;
        // a sawtooth's sharp edges are its teeth: each centred on its edge
        const bool edges_only = std::all_of(m.edges.begin(), m.edges.end(), [](const crank_edge& e) { return e.followed; });
        t.centre = edges_only ? m.edges[i].at : m.edges[i].at + w / 2;
        if (t.centre >= cycle) t.centre -= cycle;
        m.teeth.push_back(t);
        width.push_back(edges_only ? w / 2 : w);
    }
    const std::size_t k = m.teeth.size();
    for (std::size_t i = 0; i < k; ++i) {
        vr_tooth& t = m.teeth[i];
        const double before = k > 1 ? forward(m.teeth[(i + k - 1) % k].centre, t.centre) : cycle;
        const double after = k > 1 ? forward(t.centre, m.teeth[(i + 1) % k].centre) : cycle;
        t.pitch = std::min(before, after);
        t.half_width = std::min(1.2 * width[i], 0.6 * t.pitch);
        t.size = std::max(before, after) > 1.5 * t.pitch ? 2 : 1;
        t.room = 0.45 * t.pitch;
    }
}

// The flux slope over the cycle at unit steps; an ordinary tooth's peak (the median of the
// teeth's) is made 1.
void scale_teeth(crank_model& m) {
    if (m.teeth.empty()) return;
    std::vector<double> peaks;
    const int k = static_cast<int>(m.teeth.size());
    for (int i = 0; i < k; ++i) {
        const vr_tooth& t = m.teeth[i];
        double peak = 0;
        for (double x = -t.half_width; x <= t.half_width; x += 1) {
            double sum = 0;
            // a bump reaches no neighbour's centre, so four teeth either side are all it meets
            const int from = k <= 9 ? 0 : i - 4, to = k <= 9 ? k - 1 : i + 4;
            for (int j = from; j <= to; ++j) {
                const vr_tooth& o = m.teeth[static_cast<std::size_t>((j + k) % k)];
                double d = t.centre + x - o.centre;
                if (d > cycle / 2) d -= cycle;
                if (d < -static_cast<double>(cycle) / 2) d += cycle;
                sum += o.size * flux_slope(d / o.half_width) / o.half_width;
            }
            peak = std::max(peak, std::fabs(sum));
        }
        peaks.push_back(peak);
    }
    std::sort(peaks.begin(), peaks.end());
    m.vr_scale = 1 / peaks[peaks.size() / 2];
}

// Cam pulses from the cam drawn at amplitude 1, cam position 0: pulses are the shorter state.
void find_cam(const Trigwave& tw, crank_model& m) {
    std::vector<bool> high(cycle);
    uint32_t highs = 0;
    for (uint32_t u = 0; u < cycle; ++u) {
        high[u] = tw.cam_trigger_sample(static_cast<uint16_t>(u), 0, 1.0) > 0;
        highs += high[u];
    }
    m.cam_pulse_high = 2 * highs < cycle;
    m.cam_shifts = tw.wheel_drawing || tw.trigger_type != 's';
    for (uint32_t u = 0; u < cycle; ++u)
        if (high[u] == m.cam_pulse_high && high[(u + cycle - 1) % cycle] != m.cam_pulse_high) m.cam.push_back({u, false});
    if (m.cam.empty()) return;
    // The reference: trigwave's types open their cam at their first pulse; a wheel file's
    // is the pulse after the widest spacing, the first of equals.
    std::size_t ref = 0;
    if (tw.wheel_drawing) {
        double widest = -1;
        for (std::size_t i = 0; i < m.cam.size(); ++i) {
            const double s = forward(m.cam[(i + m.cam.size() - 1) % m.cam.size()].start, m.cam[i].start);
            if (s > widest + 0.5) {
                widest = s;
                ref = i;
            }
        }
    } else if (tw.trigger_type == 's') {
        const uint16_t first = static_cast<uint16_t>(2 * wheel_geometry::subaru_cam_starts[0]);
        for (std::size_t i = 0; i < m.cam.size(); ++i)
            if (m.cam[i].start == first) ref = i;
    }
    m.cam[ref].reference = true;
}

// Revolutions counted from the tooth after the widest gap, when one gap is wider than the
// rest; else cycles from the cam.
void find_rows(const Trigwave& tw, crank_model& m) {
    std::vector<uint32_t> rises;
    for (const crank_edge& e : m.edges)
        if (e.followed) rises.push_back(e.at);
    if (rises.empty()) return;
    const std::size_t n = rises.size();
    if (!tw.wheel_drawing) {
        for (const wheel_type& t : wheel_types()) {
            if (t.type[0] != tw.trigger_type) continue;
            if (t.per_cycle) break;
            // the tooth after the revolution's widest gap, the first of equals
            double widest = -1;
            uint32_t first = rises.front();
            for (std::size_t i = 0; i < n && rises[i] < cycle / 2; ++i) {
                const double d = forward(rises[(i + n - 1) % n], rises[i]);
                if (d > widest + 0.5) {
                    widest = d;
                    first = rises[i];
                }
            }
            m.has_gap = true;
            m.first_teeth = {first, first + cycle / 2};
            m.teeth_per_row = static_cast<int>(n / 2);
            return;
        }
    } else {
        // the widest spacing, and whether another is as wide over the cycle
        std::vector<double> s(n);
        for (std::size_t i = 0; i < n; ++i) s[i] = forward(rises[(i + n - 1) % n], rises[i]);
        const double widest = *std::max_element(s.begin(), s.end());
        std::vector<std::size_t> after;
        for (std::size_t i = 0; i < n; ++i)
            if (s[i] > widest - 0.01 * widest) after.push_back(i);
        bool gapped = false;
        for (double x : s) gapped = gapped || x < widest / 1.5;
        // a 360-degree pattern drawn twice a cycle has two alike widest spacings
        const bool per_rev = after.size() == 2 && n % 2 == 0 && after[1] == after[0] + n / 2;
        if (gapped && (after.size() == 1 || per_rev)) {
            m.has_gap = true;
            m.per_cycle = after.size() == 1;
            for (std::size_t i : after) m.first_teeth.push_back(rises[i]);
            m.teeth_per_row = static_cast<int>(n / after.size());
            return;
        }
    }
    m.per_cycle = true;
    m.from_cam = true;
    m.teeth_per_row = static_cast<int>(n);
}

}  // namespace

crank_model make_crank_model(const Trigwave& tw) {
    crank_model m;
    find_edges(tw, m);
    find_teeth(m);
    scale_teeth(m);
    find_cam(tw, m);
    find_rows(tw, m);
    return m;
}
