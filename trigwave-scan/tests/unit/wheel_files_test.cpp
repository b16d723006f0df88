// Wheel files in trigwave-scan: a file as the edges a decoder follows (its period, gaps,
// polarity clue and cam), the library's wheels told and named from edges drawn by
// trigwave's own wheel sampler, the wheel measured from such edges, and the writer, whose
// text the parser must read back as the same wheel.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "edge_source.h"
#include "library_wheels.h"
#include "scan_pipeline.h"
#include "wheel_file.h"
#include "wheel_finder.h"
#include "wheel_measurer.h"
#include "wheel_sampler.h"
#include "wheel_writer.h"

namespace {

const std::string head = "orix-wheel 1\n";

wheel_file wheel(const std::string& body) { return parse_wheel_file(head + body); }

std::vector<double> ones_after(double first, std::size_t n) {
    std::vector<double> p(n, 1.0);
    p[0] = first;
    return p;
}

// Edges of a wheel file as trigwave draws it: each of the 65536 angles of a cycle a tick,
// for the cycles given; the crank upside down when reversed.
struct drawing {
    std::vector<edge> crank, cam;
};

drawing draw(const wheel_file& w, int cycles, bool reversed) {
    const wheel_sampler s(w);
    drawing d;
    int crank_was = 0, cam_was = 0;
    for (long i = 0; i < 65536L * cycles; ++i) {
        const auto a = static_cast<uint16_t>(i % 65536);
        const int crank = (s.crank(a, 1.0) > 0) != reversed ? 1 : 0;
        const int cam = s.cam(a, 0, 1.0) > 0 ? 1 : 0;
        if (i > 0 && crank != crank_was) d.crank.push_back({static_cast<double>(i), crank == 1, 1});
        if (i > 0 && cam != cam_was) d.cam.push_back({static_cast<double>(i), cam == 1, 1});
        crank_was = crank;
        cam_was = cam;
    }
    return d;
}

class drawn_edges : public edge_source {
public:
    explicit drawn_edges(const drawing& d) : d_(d) {}
    double rate() const override { return 65536.0; }
    bool next(std::vector<edge>& crank, std::vector<edge>& cam) override {
        if (done_) return false;
        done_ = true;
        crank.insert(crank.end(), d_.crank.begin(), d_.crank.end());
        cam.insert(cam.end(), d_.cam.begin(), d_.cam.end());
        return true;
    }
    double seconds() const override { return d_.crank.empty() ? 0 : d_.crank.back().at / 65536.0 + 0.01; }

private:
    const drawing& d_;
    bool done_ = false;
};

}  // namespace

TEST(LibraryWheels, AFileIsTheEdgesADecoderFollows) {
    struct row {
        const char* name;
        std::string body;
        std::vector<double> teeth;  // the period's spacings, the first opening it
        bool even, per_cycle;
        int periods_per_cycle;
        polarity_clue mark;
        int cam_pulses;
        bool cam_high;
    } rows[] = {
        {"36-2 of slots", "name a\ncycle 360\ncrank slots 36 missing 34 35 full 0\n", ones_after(3, 34), false, false, 2,
         polarity_clue::gap_low, 0, false},
        // the same wheel measured: teeth a degree or so off their slots are still its slots
        {"36-2 measured", "name a\ncycle 360\ncrank tooth 0 6 full\ncrank tooth 11.5 16\n" + [] {
             std::string s;
             for (int k = 2; k < 34; ++k) s += "crank tooth " + std::to_string(10 * k) + ".5 " + std::to_string(10 * k + 5) + "\n";
             return s;
         }(), ones_after(3, 34), false, false, 2, polarity_clue::gap_low, 0, false},
        // its gap high: no clue in the gap's level a decoder could trust
        {"36-2 gap high", "name a\ncycle 360\ncrank tooth 5 30 full\n" + [] {
             std::string s;
             for (int k = 3; k < 36; ++k) s += "crank tooth " + std::to_string(10 * k + 5) + " " + std::to_string(10 * k + 9) + "\n";
             return s;
         }(), ones_after(3, 34), false, false, 2, polarity_clue::none, 0, false},
        {"three groups of ten a revolution", "name a\ncycle 360\ncrank slots 36 missing 10 11 22 23 34 35\ncam tooth 0 10\n",
         ones_after(3, 10), false, false, 6, polarity_clue::gap_low, 1, true},
        {"four uneven teeth", "name a\ncycle 360\ncrank tooth 0 10\ncrank tooth 70 80\ncrank tooth 180 190\ncrank tooth 250 260\n",
         {110, 70}, false, false, 4, polarity_clue::none, 0, false},
        {"uneven over a cycle", "name a\ncycle 720\ncrank tooth 0 10\ncrank tooth 100 110\ncrank tooth 300 310\ncam tooth 700 5\n",
         {420, 100, 200}, false, true, 1, polarity_clue::none, 1, true},
        {"24 even teeth a cycle", "name a\ncycle 720\ncrank slots 24\ncam tooth 0 500\n", std::vector<double>(24, 1.0), true, true, 1,
         polarity_clue::none, 1, false},
        {"12 even teeth a revolution", "name a\ncycle 360\ncrank slots 12\n", std::vector<double>(24, 1.0), true, true, 1,
         polarity_clue::none, 0, false},
        // measured a little off their slots, still even to a decoder
        {"12 even teeth measured", "name a\ncycle 360\n" + [] {
             std::string s;
             for (int k = 0; k < 12; ++k) s += "crank tooth " + std::to_string(30 * k + 15) + (k % 2 ? ".5 " : " ") + std::to_string(30 * k + 25) + "\n";
             return s;
         }(), std::vector<double>(24, 1.0), true, true, 1, polarity_clue::none, 0, false},
    };
    for (const row& r : rows) {
        const known_wheel w = known_from_file(wheel(r.body));
        ASSERT_EQ(w.teeth.size(), r.teeth.size()) << r.name;
        for (std::size_t i = 0; i < r.teeth.size(); ++i) EXPECT_NEAR(w.teeth[i], r.teeth[i], 1e-9) << r.name << " spacing " << i;
        EXPECT_TRUE(w.library) << r.name;
        EXPECT_EQ(w.even_teeth, r.even) << r.name;
        EXPECT_EQ(w.per_cycle, r.per_cycle) << r.name;
        EXPECT_EQ(w.periods_per_cycle, r.periods_per_cycle) << r.name;
        EXPECT_EQ(w.mark, r.mark) << r.name;
        EXPECT_EQ(w.cam.size(), static_cast<std::size_t>(r.cam_pulses)) << r.name;
        if (r.cam_pulses) {
            EXPECT_EQ(w.cam_pulse_high, r.cam_high) << r.name;
        }
    }
}

TEST(LibraryWheels, WheelsWithTheSameCrankShareOneEntry) {
    const std::vector<wheel_file> files = {
        wheel("name plain 36-2\ncycle 360\ncrank slots 36 missing 34 35 full 0\n"),
        wheel("name 12-2\ncycle 360\ncrank slots 12 missing 10 11 full 0\n"),
        wheel("name 36-2 three cam teeth\ncycle 360\ncrank slots 36 missing 34 35 full 0\ncam tooth 0 10\ncam tooth 240 250\ncam tooth 480 490\n"),
        wheel("name 36-2-2-2\ncycle 360\ncrank slots 36 missing 10 11 22 23 34 35 full 0\n"),
    };
    const std::vector<known_wheel> lib = library_wheels(files);
    ASSERT_EQ(lib.size(), 3u);
    EXPECT_EQ(lib[0].names, (std::vector<std::string>{"plain 36-2", "36-2 three cam teeth"}));
    EXPECT_EQ(lib[0].cam_teeth, (std::vector<int>{0, 3}));
    // 12-2 and three groups of ten: one shape, two wheels
    EXPECT_TRUE(same_shape(lib[1], lib[2]));
    EXPECT_FALSE(same_crank(lib[1], lib[2]));
    EXPECT_FALSE(same_shape(lib[0], lib[1]));
}

TEST(LibraryWheels, TellsAndNamesTheLibrarysWheels) {
    const std::vector<wheel_file> files = {
        wheel("name 12-2\ncycle 360\ncrank slots 12 missing 10 11 full 0\n"),
        wheel("name plain\ncycle 360\ncrank slots 36 missing 34 35 full 0\n"),
        wheel("name one cam tooth\ncycle 360\ncrank slots 36 missing 34 35 full 0\ncam tooth 100 120\n"),
        wheel("name three cam teeth\ncycle 360\ncrank slots 36 missing 34 35 full 0\ncam tooth 30 60\ncam tooth 270 300\ncam tooth 510 540\n"),
        wheel("name groups\ncycle 360\ncrank slots 36 missing 10 11 22 23 34 35 full 0\ncam tooth 10 20\ncam tooth 200 260\n"),
        wheel("name even 30\ncycle 720\ncrank slots 30\ncam tooth 3 9\n"),
    };
    const wheel_choice choice{library_wheels(files), false, {}};
    struct row {
        const char* name;
        const wheel_file* drawn;
        bool reversed;
        const char* named;
        std::vector<std::string> also;
        const char* description;
        polarity p;
        int teeth_per_period;
    } rows[] = {
        // the wheel whose cam has the recording's teeth first, then one without a cam
        {"36-2, three cam teeth", &files[3], false, "three cam teeth", {"plain"}, "36-2", polarity::normal, 34},
        {"36-2, one cam tooth, reversed", &files[2], true, "one cam tooth", {"plain"}, "36-2", polarity::reversed, 34},
        // the cam says which: the crank alone looks like 12-2 three times a revolution
        {"three groups of ten", &files[4], false, "groups", {}, "36-2-2-2", polarity::normal, 60},
        {"12-2", &files[0], false, "12-2", {}, "12-2", polarity::normal, 10},
        {"even teeth counted by the cam", &files[5], false, "even 30", {}, "30 periods per cycle", polarity::unknown, 30},
    };
    for (const row& r : rows) {
        const drawing d = draw(*r.drawn, 8, r.reversed);
        const wheel_model m = find_wheel(d.crank, d.cam, true, false, choice);
        ASSERT_TRUE(m.found) << r.name << ": " << m.problem;
        EXPECT_EQ(m.name, r.named) << r.name;
        EXPECT_EQ(m.also, r.also) << r.name;
        EXPECT_EQ(m.description, r.description) << r.name;
        EXPECT_EQ(m.type, "") << r.name;
        EXPECT_EQ(m.crank_polarity, r.p) << r.name;
        EXPECT_EQ(m.teeth_per_period, r.teeth_per_period) << r.name;
    }
    // without the library, the same 36-2 is learned and named by nobody
    const drawing d = draw(files[3], 8, false);
    const wheel_model plain = find_wheel(d.crank, d.cam, true);
    EXPECT_EQ(plain.name, "");
    EXPECT_EQ(plain.description, "36-2");
}

TEST(LibraryWheels, AGivenWheelIsFollowedAlone) {
    const wheel_file given = wheel("name mine\ncycle 360\ncrank slots 36 missing 34 35 full 0\ncam tooth 0 10\n");
    const wheel_choice choice{library_wheels({given}), true, {}};
    struct row {
        const char* name;
        wheel_file drawn;
        bool clean;  // synced, no anomaly
    } rows[] = {
        {"its own wheel", given, true},
        // a 60-2 checked against the 36-2 it should have been: followed as that, never clean
        {"another wheel", wheel("name x\ncycle 360\ncrank slots 60 missing 58 59 full 0\ncam tooth 0 10\n"), false},
    };
    for (const row& r : rows) {
        const drawing d = draw(r.drawn, 8, false);
        drawn_edges source(d);
        scan_pipeline pipeline;
        const wheel_model& m = pipeline.learn(source, true, choice);
        ASSERT_TRUE(m.found) << r.name << ": " << m.problem;
        EXPECT_EQ(m.name, "mine") << r.name;
        EXPECT_TRUE(m.given) << r.name;
        EXPECT_EQ(m.teeth_per_period, 34) << r.name;
        pipeline.follow(source, {});
        const scan_summary& sum = pipeline.summary();
        EXPECT_EQ(sum.rows > 0 && sum.anomalies() == 0, r.clean) << r.name << ": " << sum.rows << " rows";
    }
}

TEST(WheelMeasurer, MeasuresTheTeethItFollowed) {
    // angles a drawing holds to a unit of 720/65536 degrees; the measure averages them
    const double unit = 720.0 / 65536;
    struct row {
        const char* name;
        std::string body;
        bool reversed;
        int cycle;
        int32_t crank_zero, cam_zero;  // where the file's angle is the measure's 0
    } rows[] = {
        // angle 0 the rise of the first tooth after the widest gap (slot 0's, at 5 degrees),
        // in the revolution the cam's one pulse falls in
        {"36-2-1 with a cam", "name a\ncycle 360\ncrank slots 36 missing 17 34 35 full 0\ncam tooth 100 130\n", false, 360,
         5000, 5000},
        // the cam's pulses are its low stretches, from 300 and 650 degrees: the second revolution's
        // comes sooner after its first tooth (285 degrees on, against 295), so the cycle starts there
        {"36-2 reversed, long cam teeth",
         "name a\ncycle 360\ncrank slots 36 missing 34 35\ncam tooth 30 300\ncam tooth 400 650\n", true, 360, 5000, 365000},
        // a cycle told by the cam: its angle 0 is the cam's reference pulse (after the wider space)
        {"three groups of ten", "name a\ncycle 360\ncrank slots 36 missing 10 11 22 23 34 35\ncam tooth 0 4\ncam tooth 300 304\n",
         false, 720, 0, 0},
    };
    for (const row& r : rows) {
        const wheel_file file = wheel(r.body);
        const std::vector<known_wheel> lib = library_wheels({file});
        const drawing d = draw(file, 12, r.reversed);
        drawn_edges source(d);
        scan_pipeline pipeline;
        const wheel_model& m = pipeline.learn(source, true, {lib, true, {}});
        ASSERT_TRUE(m.found) << r.name << ": " << m.problem;
        wheel_measurer measurer;
        pipeline.follow(source, {&measurer}, &measurer);
        wheel_file got;
        ASSERT_TRUE(measurer.learned("n", "s", got)) << r.name;
        EXPECT_GE(measurer.periods(), 4) << r.name;
        EXPECT_EQ(got.cycle, r.cycle) << r.name;
        // the file's teeth (by rise, slot 0's first) from the reference
        std::vector<wheel_tooth> want = file.crank;
        const int32_t c = r.cycle * 1000;
        if (r.cycle == 720) {
            // three revolutions' teeth over two: the file's 360 degrees twice
            std::vector<wheel_tooth> twice = want;
            for (wheel_tooth t : want) twice.push_back({t.rise + 360000, t.fall + 360000, t.full});
            want = twice;
        }
        ASSERT_EQ(got.crank.size(), want.size()) << r.name;
        const auto off = [](int32_t a, int32_t b, int32_t cycle) {
            const int32_t d = ((a - b) % cycle + cycle) % cycle;
            return std::min(d, cycle - d) / 1000.0;
        };
        for (std::size_t k = 0; k < want.size(); ++k) {
            EXPECT_LE(off(got.crank[k].rise, want[k].rise - r.crank_zero, c), 2 * unit) << r.name << " tooth " << k;
            EXPECT_LE(off(got.crank[k].fall, want[k].fall - r.crank_zero, c), 2 * unit) << r.name << " tooth " << k;
        }
        EXPECT_TRUE(got.crank[0].full) << r.name;
        // each of the file's cam teeth measured, wherever it falls in the list
        ASSERT_EQ(got.cam.size(), file.cam.size()) << r.name;
        for (const wheel_tooth& t : file.cam) {
            bool found = false;
            for (const wheel_tooth& g : got.cam)
                found = found || (off(g.rise, t.rise - r.cam_zero, 720000) <= 2 * unit &&
                                  off(g.fall, t.fall - r.cam_zero, 720000) <= 2 * unit);
            EXPECT_TRUE(found) << r.name << " cam tooth at " << t.rise;
        }
    }
}

TEST(WheelWriter, WritesWhatTheParserReadsBack) {
    struct row {
        const char* name;
        wheel_file w;
        const char* name_read;  // the name as read back
    } rows[] = {
        {"teeth and a cam that wraps", {"learned 36-2-1", "measured from x.vcd, 3 revolutions", 360,
                                        {{0, 5314, true}, {10807, 15112, false}, {350000, 359999, false}},
                                        {{700500, 20000, false}, {30000, 30002, false}}},
         "learned 36-2-1"},
        {"a tooth through 0, cycle 720", {"n", "", 720, {{300000, 300001, false}, {719000, 1000, true}}, {}}, "n"},
        {"a name with a hash and a tab", {"a #1\tb", "c\nd", 360, {{0, 10, true}}, {}}, "a _1_b"},
    };
    for (const row& r : rows) {
        const std::string text = wheel_file_text(r.w);
        wheel_file back;
        ASSERT_NO_THROW(back = parse_wheel_file(text)) << r.name << "\n" << text;
        EXPECT_EQ(back.name, r.name_read) << r.name;
        EXPECT_EQ(back.cycle, r.w.cycle) << r.name;
        ASSERT_EQ(back.crank.size(), r.w.crank.size()) << r.name;
        for (std::size_t k = 0; k < back.crank.size(); ++k) {
            // the reader sorts by rise; these are written in that order
            EXPECT_EQ(back.crank[k].rise, r.w.crank[k].rise) << r.name << " " << k;
            EXPECT_EQ(back.crank[k].fall, r.w.crank[k].fall) << r.name << " " << k;
            EXPECT_EQ(back.crank[k].full, r.w.crank[k].full) << r.name << " " << k;
        }
        ASSERT_EQ(back.cam.size(), r.w.cam.size()) << r.name;
        for (const wheel_tooth& t : r.w.cam) {
            bool found = false;
            for (const wheel_tooth& b : back.cam) found = found || (b.rise == t.rise && b.fall == t.fall);
            EXPECT_TRUE(found) << r.name << " cam " << t.rise;
        }
    }
    struct angle {
        int32_t millidegrees;
        const char* text;
    } angles[] = {{0, "0.000"}, {5, "0.005"}, {12500, "12.500"}, {719999, "719.999"}, {100010, "100.010"}};
    for (const angle& a : angles) EXPECT_EQ(degrees_text(a.millidegrees), a.text);
}
