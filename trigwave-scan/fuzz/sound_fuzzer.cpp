// Opens arbitrary bytes through libsndfile as the program does a file (from memory here),
// reads them through the sound reader and its edge finders, and scans what was found.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <sndfile.h>

#include "edge_source.h"
#include "fuzz_check.h"
#include "scan_check.h"
#include "sound_source.h"

namespace {

struct memory_file {
    const uint8_t* data;
    sf_count_t size, at;
};

sf_count_t length(void* f) { return static_cast<memory_file*>(f)->size; }

sf_count_t seek(sf_count_t offset, int whence, void* f) {
    auto* m = static_cast<memory_file*>(f);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : m->size;
    m->at = std::clamp<sf_count_t>(base + offset, 0, m->size);
    return m->at;
}

sf_count_t read(void* out, sf_count_t count, void* f) {
    auto* m = static_cast<memory_file*>(f);
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, m->size - m->at);
    std::memcpy(out, m->data + m->at, static_cast<std::size_t>(n));
    m->at += n;
    return n;
}

sf_count_t write(const void*, sf_count_t, void*) { return 0; }

sf_count_t tell(void* f) { return static_cast<memory_file*>(f)->at; }

// Enough to scan a few revolutions without a slow input taking the fuzzer's time.
constexpr int most_blocks = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    memory_file file{bytes, static_cast<sf_count_t>(size), 0};
    SF_VIRTUAL_IO io{length, seek, read, write, tell};
    SF_INFO info{};
    SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!sf) return 0;
    const int cam = info.channels >= 2 ? 2 : 0;
    try {
        sound_source source(sf, info, 1, cam, input_choice::automatic, "memory");
        std::vector<edge> crank, cams;
        for (int block = 0; block < most_blocks && source.next(crank, cams); ++block) {
        }
        const double end = source.seconds() * source.rate();
        check_edges(crank, end);
        check_edges(cams, end);
        check_scan(crank, cams, source.rate());
        (void)source.warning();
    } catch (const input_error&) {
        // refused with a message: no samples, no such channel
    }
    return 0;
}
