// The two kinds of comma-separated trigger recording, told from their first lines, and
// which of their columns hold the time, the crank and the cam.
//
// logic: a logic analyzer's or a scope's export: the time first (seconds unless the header
// names another unit), a column per channel, a header row or none, a row per change or per
// sample. Channels by name, or by number from 1 after the time; by default a column named
// crank and one named cam, else the first and second channels.
//
// composite: a controller's tooth log from its tuning software: "#Firmware: ..." and the
// like, a header row, a units row, a row per trigger event with the levels after it, and
// "MARK nnn" lines between rows. Columns by name whatever their order; the time from
// "Time" in the unit under it; the crank from "PriLevel" and the cam from "SecLevel" unless
// others are named.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "channel_wish.h"

enum class csv_format : uint8_t { logic, composite };

// Whether a file's first bytes are one of these (the rest of the file is not looked at).
bool looks_like_logic_csv(std::string_view head);
bool looks_like_composite_log(std::string_view head);


struct csv_layout {
    std::size_t columns = 0;         // fields in every row
    std::size_t time = 0;            // the time's column
    double ticks_per_unit = 1e9;     // nanoseconds per unit of the time column
    std::size_t crank = 0, cam = 0;  // the channels' columns
    bool has_cam = false;
    std::string crank_name, cam_name;  // as messages name them
};

// From the header's fields (none: a file without one, its first row having columns
// fields). Throws input_error when a channel is not there or a unit is not known.
csv_layout logic_layout(const std::vector<std::string_view>& header, std::size_t columns, const channel_wish& wish);
csv_layout composite_layout(const std::vector<std::string_view>& header, const std::vector<std::string_view>& units,
                            const channel_wish& wish);
