// The command lines of a script, read as the player reads standard input: every line that
// is not blank or a note has one answer, a line of its own; each command taken acts on the
// frames that follow as it says.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command_inbox.h"
#include "fuzz_args.h"
#include "fuzz_check.h"
#include "live_frames.h"

namespace {

Trigwave& generator() {
    static Trigwave* tw = [] {
        static char a0[] = "trigwave-play", a1[] = "m582", a2[] = "1000-3000", a3[] = "1", a4[] = "20-40",
                    a5[] = "1000", a6[] = "900";
        static char* argv[] = {a0, a1, a2, a3, a4, a5, a6, nullptr};
        auto* g = new Trigwave();
        FUZZ_CHECK(g->process_param(7, argv) == 0);
        return g;
    }();
    return *tw;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silence_program_stderr();  // the generator's notes on its arguments
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    live_frames frames(generator(), true);
    command_inbox inbox;
    std::vector<int16_t> block(2 * 64);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;

        char* answer = nullptr;
        std::size_t answer_size = 0;
        std::FILE* answers = open_memstream(&answer, &answer_size);
        FUZZ_CHECK(answers != nullptr);
        inbox.read_line(line, answers);
        std::fclose(answers);
        const std::string said(answer, answer_size);
        std::free(answer);
        std::vector<command> taken;
        for (const received& r : inbox.take()) taken.push_back(r.cmd);
        // one line: "ok" for a command taken, "error: ..." for none; nothing for a note
        if (!said.empty()) {
            FUZZ_CHECK(said.find('\n') == said.size() - 1);
            FUZZ_CHECK(said == "ok\n" ? taken.size() == 1 : said.rfind("error: ", 0) == 0 && taken.empty());
        } else {
            FUZZ_CHECK(taken.empty());
        }

        for (const command& c : taken) {
            const bool was_ended = frames.ended();
            frames.take(c);
            // the command's own frame, unless a timed one comes due there too
            const bool alone = frames.next_timed() > frames.frames_played();
            const std::size_t first = frames.render(block.data(), 1);
            FUZZ_CHECK(first <= 1);
            if (!was_ended && !c.timed && c.kind == command_kind::quit) FUZZ_CHECK(first == 0 && frames.ended());
            if (!was_ended && !c.timed && alone && first == 1) {
                if (c.kind == command_kind::rpm && c.over == 0) FUZZ_CHECK(frames.values().rpm == c.value);
                if (c.kind == command_kind::cam) FUZZ_CHECK(frames.values().cam_degrees == c.value);
            }
            FUZZ_CHECK(frames.render(block.data(), 63) <= 63);
        }
    }
    return 0;
}
