// A comma-separated recording read as edges, a piece at a time: a logic analyzer's export
// or a controller's composite log (csv_layout says which columns are what). Pure: bytes
// in, edges out, in nanoseconds from the first row.
//
// A logic analyzer's column of 0 and 1 is a digital channel: an edge where it changes,
// timed at the row that shows it. A column of other numbers (a scope's volts) is sampled:
// it goes through the same input stage as audio, scaled to the loudest of its first rows,
// one sample a row, each edge timed between the rows around it. Which a column is, and
// how a sampled one is compared, is decided from the first 65536 rows, which are held
// until then.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "csv_layout.h"
#include "csv_text.h"
#include "edge.h"
#include "edge_finder.h"
#include "input_kind.h"

class csv_parser {
public:
    csv_parser(csv_format format, channel_wish wish, input_choice input);

    // Throws input_error (without the file's name) on what it cannot read: the line and
    // what is wrong there.
    void feed(const char* data, std::size_t size, std::vector<edge>& crank, std::vector<edge>& cam);
    // The last line, if the text ended without a newline, and whatever was held.
    void finish(std::vector<edge>& crank, std::vector<edge>& cam);
    // After a line it could not read: the edges of the rows before it that were held.
    void cut(std::vector<edge>& crank, std::vector<edge>& cam);

    // The columns are known: the header is read (or the first row of a file without one).
    bool header_done() const { return layout_.columns > 0; }
    double rate() const { return ticks_per_second; }
    double seconds() const { return last_ticks_ / ticks_per_second; }
    // "crank vr, cam digital (decided from the signal)"; empty when no column is sampled.
    std::string input_line() const;
    bool crank_timed_falling() const { return crank_.sampled && crank_.finder.kind() == input_kind::vr; }

    static constexpr std::size_t first_rows = 1 << 16;
    static constexpr double ticks_per_second = 1e9;

private:
    struct row {
        double ticks, crank, cam;
    };
    struct channel_state {
        bool sampled = false;
        int level = -1;
        float gain = 1;
        edge_finder finder{input_kind::hall};
        std::vector<float> pending;
    };

    void line(std::string_view text, std::vector<edge>& crank, std::vector<edge>& cam);
    void header(std::string_view text);
    void body(std::string_view text, std::vector<edge>& crank, std::vector<edge>& cam);
    void take(const row& r, std::vector<edge>& crank, std::vector<edge>& cam);
    void level(channel_state& ch, const std::string& name, double value, double ticks, std::vector<edge>& out);
    void judge(std::vector<edge>& crank, std::vector<edge>& cam);
    void flush(std::vector<edge>& crank, std::vector<edge>& cam, bool ending = false);
    void flush(channel_state& ch, std::vector<edge>& out, bool ending);
    double time_at(double position) const;
    [[noreturn]] void fail(const std::string& what) const;

    csv_format format_;
    channel_wish wish_;
    input_choice input_;
    line_splitter lines_;
    std::vector<std::string_view> fields_;
    std::vector<std::string> header_;  // a composite log's, until its units row
    bool units_next_ = false;
    csv_layout layout_;
    bool started_ = false;
    double first_time_ = 0, last_time_ = 0, last_ticks_ = 0;
    bool judged_ = false;
    std::vector<row> held_;
    channel_state crank_, cam_;
    std::vector<double> times_;   // the latest rows' times, for a sampled channel's edges
    double times_from_ = 0;        // the row number of times_[0]
};
