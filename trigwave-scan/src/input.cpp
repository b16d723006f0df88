#include "input.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "open_file.h"
#include "sound_source.h"
#include "vcd_source.h"

namespace {

// A channel number from 1, or 0 when the text is not one.
int channel_number(const std::string& text) {
    if (text.empty() || text.size() > 4) return 0;
    int n = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::unique_ptr<edge_source> open_input(const input_request& request) {
    const std::string& name = request.file;
    // Linux opens a folder and fails at the first read, Windows refuses to open it: either
    // way the person is told what they named.
    if (is_folder(name)) throw input_error(name + ": is a folder, not a recording");
    FILE* f = open_for_reading(name);
    if (!f) throw input_error(name + ": cannot open: " + std::strerror(errno));
    char head[4096];
    const std::size_t got = std::fread(head, 1, sizeof head, f);
    if (got == 0) {
        const bool failed = std::ferror(f) != 0;
        const std::string why = failed ? std::strerror(errno) : "";
        std::fclose(f);
        throw input_error(name + (failed ? ": cannot be read: " + why : ": is empty"));
    }
    // A VCD begins with a $section, perhaps after a line of a writer's own.
    std::size_t i = 0;
    while (i < got && std::isspace(static_cast<unsigned char>(head[i]))) ++i;
    const std::string text(head, got);
    static const char* const audio_magic[] = {"RIFF", "RIFX", "RF64", "fLaC", "FORM", "OggS", ".snd", "caff"};
    bool audio = false;
    for (const char* m : audio_magic) audio = audio || text.compare(0, 4, m) == 0;
    const bool vcd = !audio && ((i < got && head[i] == '$') || text.find("$timescale") != std::string::npos ||
                                text.find("$var ") != std::string::npos);
    if (vcd) {
        std::rewind(f);
        return std::make_unique<vcd_source>(f, name, request.crank, request.cam, request.cam_wanted);
    }
    std::fclose(f);

    const int crank = request.crank.empty() ? 1 : channel_number(request.crank);
    const int cam = !request.cam_wanted ? 0 : request.cam.empty() ? 2 : channel_number(request.cam);
    if (crank == 0)
        throw input_error(name + ": --crank " + request.crank + ": an audio file's channels are numbered from 1");
    if (cam == 0 && request.cam_wanted)
        throw input_error(name + ": --cam " + request.cam + ": an audio file's channels are numbered from 1 (or none)");
    SF_INFO info{};
    SNDFILE* sf = open_sound(name, &info);
    if (!sf)
        throw input_error(name + ": neither a sound file libsndfile reads nor a VCD capture (" + sf_strerror(nullptr) + ")");
    return std::make_unique<sound_source>(sf, info, crank, cam, request.input, name);
}
