#include "input.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "csv_source.h"
#include "open_file.h"
#include "sound_source.h"
#include "vcd_source.h"

namespace {

// The sound formats' own marks: such a file is libsndfile's whatever follows.
bool looks_like_sound(std::string_view head) {
    static const char* const magic[] = {"RIFF", "RIFX", "RF64", "fLaC", "FORM", "OggS", ".snd", "caff"};
    for (const char* m : magic)
        if (head.substr(0, 4) == m) return true;
    return false;
}

// A VCD begins with a $section, perhaps after a line of a writer's own.
bool looks_like_vcd(std::string_view head) {
    const std::size_t i = head.find_first_not_of(" \t\r\n");
    return (i != std::string_view::npos && head[i] == '$') || head.find("$timescale") != std::string_view::npos ||
           head.find("$var ") != std::string_view::npos;
}

std::unique_ptr<edge_source> open_sound_file(const input_request& request) {
    const std::string& name = request.file;
    const channel_wish& wish = request.channels;
    const int crank = wish.crank.empty() ? 1 : channel_number(wish.crank);
    const int cam = !wish.cam_wanted ? 0 : wish.cam.empty() ? 2 : channel_number(wish.cam);
    if (crank == 0)
        throw input_error(name + ": --crank " + wish.crank + ": an audio file's channels are numbered from 1");
    if (cam == 0 && wish.cam_wanted)
        throw input_error(name + ": --cam " + wish.cam + ": an audio file's channels are numbered from 1 (or none)");
    SF_INFO info{};
    SNDFILE* sf = open_sound(name, &info);
    if (!sf)
        throw input_error(name + ": neither a sound file libsndfile reads nor a VCD, a CSV export or a composite log (" +
                          sf_strerror(nullptr) + ")");
    return std::make_unique<sound_source>(sf, info, crank, cam, request.input, name);
}

}  // namespace

std::unique_ptr<edge_source> open_input(const input_request& request) {
    const std::string& name = request.file;
    // Linux opens a folder and fails at the first read, Windows refuses to open it: either
    // way the person is told what they named.
    if (is_folder(name)) throw input_error(name + ": is a folder, not a recording");
    FILE* f = open_for_reading(name);
    if (!f) throw input_error(name + ": cannot open: " + std::strerror(errno));
    char bytes[4096];
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, f);
    if (got == 0) {
        const bool failed = std::ferror(f) != 0;
        const std::string why = failed ? std::strerror(errno) : "";
        std::fclose(f);
        throw input_error(name + (failed ? ": cannot be read: " + why : ": is empty"));
    }
    // Told from the content, never the name: each text format says whether the first
    // bytes are its own; libsndfile tells its formats from their headers itself.
    const std::string_view head(bytes, got);
    if (!looks_like_sound(head)) {
        if (looks_like_vcd(head)) {
            std::rewind(f);
            return std::make_unique<vcd_source>(f, name, request.channels);
        }
        for (csv_format format : {csv_format::composite, csv_format::logic}) {
            if (format == csv_format::composite ? looks_like_composite_log(head) : looks_like_logic_csv(head)) {
                std::rewind(f);
                return std::make_unique<csv_source>(f, name, format, request.channels, request.input);
            }
        }
    }
    std::fclose(f);
    return open_sound_file(request);
}
