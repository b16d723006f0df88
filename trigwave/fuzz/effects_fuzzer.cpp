// trigwave's effect options on arbitrary command lines: the bytes split at each NUL as
// fuzz_args.h splits them, but into as many arguments as 100 faults take. The options are
// read as run.cpp reads them; what process_param (or a wheel file) accepts after them is
// rendered through the effects' renderer, one second at most, twice, and its truth written.
// An input that begins "orix-wheel" is a wheel file up to its first NUL, as render_fuzzer
// takes one (reversed when the text's length is odd), the options and sweeps after it.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "crank_model.h"
#include "effects.h"
#include "effects_renderer.h"
#include "fuzz_args.h"
#include "fuzz_check.h"
#include "memory_sink.h"
#include "options.h"
#include "trigwave.h"
#include "truth_json.h"
#include "wheel_file.h"

namespace {

// A whole 1-second file: the truth of its end, and every fault it can place, are checked too.
constexpr int32_t max_seconds = 1;
constexpr std::size_t header_size = 44;
constexpr std::size_t max_args = 256;

// The arguments, each in a heap block of its own size, as FuzzArgs keeps them.
struct arguments {
    std::vector<std::unique_ptr<char[]>> blocks;
    std::vector<std::string> originals;
    std::vector<char*> argv;

    arguments(const uint8_t* data, std::size_t size) {
        originals.emplace_back("trigwave");
        const char* p = reinterpret_cast<const char*>(data);
        const char* const end = p + size;
        while (size > 0 && originals.size() <= max_args) {
            const char* nul = static_cast<const char*>(std::memchr(p, '\0', end - p));
            originals.emplace_back(p, nul != nullptr ? nul : end);
            if (nul == nullptr) break;
            p = nul + 1;
        }
        for (const std::string& text : originals) {
            blocks.push_back(std::make_unique<char[]>(text.size() + 1));
            std::memcpy(blocks.back().get(), text.c_str(), text.size() + 1);
            argv.push_back(blocks.back().get());
        }
        argv.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(argv.size()) - 1; }
};

// A strict reading of one JSON document (RFC 8259): no NaN, no infinity, no control
// character in a string; UTF-8 throughout when the command line was.
class json_reader {
public:
    json_reader(const std::string& text, bool utf8) : p_(text.data()), end_(p_ + text.size()), utf8_(utf8) {}

    bool document() {
        space();
        if (!value(0)) return false;
        space();
        return p_ == end_;
    }

private:
    void space() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
    }
    bool take(char c) {
        if (p_ == end_ || *p_ != c) return false;
        ++p_;
        return true;
    }
    bool word(const char* w) {
        const std::size_t n = std::strlen(w);
        if (static_cast<std::size_t>(end_ - p_) < n || std::memcmp(p_, w, n) != 0) return false;
        p_ += n;
        return true;
    }
    bool digits() {
        const char* from = p_;
        while (p_ < end_ && *p_ >= '0' && *p_ <= '9') ++p_;
        return p_ > from;
    }
    bool number() {
        take('-');
        if (!take('0') && !(p_ < end_ && *p_ >= '1' && *p_ <= '9' && digits())) return false;
        if (take('.') && !digits()) return false;
        if (p_ < end_ && (*p_ == 'e' || *p_ == 'E')) {
            ++p_;
            if (!take('+')) take('-');
            if (!digits()) return false;
        }
        return true;
    }
    // One UTF-8 sequence of two to four bytes, shortest form, no surrogate, at most U+10FFFF.
    bool utf8_sequence() {
        const unsigned char lead = static_cast<unsigned char>(*p_++);
        const int more = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xF0 && lead <= 0xF4 ? 3 : -1;
        if (more < 0 || end_ - p_ < more) return false;
        const unsigned char second = static_cast<unsigned char>(*p_);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second > 0x8F))
            return false;
        for (int i = 0; i < more; ++i)
            if ((static_cast<unsigned char>(*p_++) & 0xC0) != 0x80) return false;
        return true;
    }
    bool string() {
        if (!take('"')) return false;
        while (p_ < end_) {
            const unsigned char c = static_cast<unsigned char>(*p_);
            if (c == '"') {
                ++p_;
                return true;
            }
            if (c < 0x20) return false;
            if (c == '\\') {
                ++p_;
                if (p_ == end_) return false;
                const char e = *p_++;
                if (e == 'u') {
                    for (int i = 0; i < 4; ++i, ++p_)
                        if (p_ == end_ || std::strchr("0123456789abcdefABCDEF", *p_) == nullptr || *p_ == '\0') return false;
                } else if (std::strchr("\"\\/bfnrt", e) == nullptr || e == '\0') {
                    return false;
                }
            } else if (c >= 0x80 && utf8_) {
                if (!utf8_sequence()) return false;
            } else {
                ++p_;
            }
        }
        return false;
    }
    template <typename Item>
    bool list(char close, int depth, Item item) {
        space();
        if (take(close)) return true;
        for (;;) {
            space();
            if (!item(depth)) return false;
            space();
            if (take(close)) return true;
            if (!take(',')) return false;
        }
    }
    bool value(int depth) {
        if (p_ == end_ || depth > 16) return false;
        switch (*p_) {
        case '{':
            ++p_;
            return list('}', depth + 1, [this](int d) {
                if (!string()) return false;
                space();
                return take(':') && (space(), value(d));
            });
        case '[': ++p_; return list(']', depth + 1, [this](int d) { return value(d); });
        case '"': return string();
        case 't': return word("true");
        case 'f': return word("false");
        case 'n': return word("null");
        default: return number();
        }
    }

    const char* p_;
    const char* const end_;
    const bool utf8_;
};

bool valid_utf8(const std::string& s) {
    const std::string quoted = json_string(s);
    return json_reader(quoted, true).document();
}

// The option reader's promises about what it accepted.
void check_options(const file_options& o, const arguments& args) {
    const effects& fx = o.fx;
    FUZZ_CHECK(o.first >= 1 && o.first <= args.argc());
    FUZZ_CHECK(fx.runout >= 0 && fx.runout <= 50000);
    FUZZ_CHECK(fx.cylinders >= 0 && fx.cylinders <= 16);
    FUZZ_CHECK(fx.cylinders > 0 ? fx.depth > 0 && fx.depth <= 60000 : fx.depth == 0);
    FUZZ_CHECK(fx.noise_dbfs >= -120000 && fx.noise_dbfs <= 0 && (fx.noise || fx.noise_dbfs == 0));
    FUZZ_CHECK(fx.jitter >= 0 && fx.jitter <= 10000);
    FUZZ_CHECK(fx.faults.size() <= 100);
    std::size_t k = 0;
    for (int i = 1; i < o.first; i += args.originals[i] == "--vr" || args.originals[i] == "--reverse" ? 1 : 2) {
        if (args.originals[i] != "--fault") continue;
        // each --fault's value, in order, as it was given
        FUZZ_CHECK(k < fx.faults.size() && fx.faults[k].text == args.originals[i + 1]);
        const fault& f = fx.faults[k++];
        const std::string kind = f.text.substr(0, f.text.find('@'));
        switch (f.kind) {
        case fault_kind::missing:
        case fault_kind::extra:
            FUZZ_CHECK(kind == (f.kind == fault_kind::missing ? "missing" : "extra"));
            FUZZ_CHECK(f.revolution >= 1 && f.revolution <= 1000000000 && f.tooth >= 1 && f.tooth <= 1000);
            break;
        case fault_kind::dropout:
        case fault_kind::spike:
        case fault_kind::flip:
            FUZZ_CHECK(kind == (f.kind == fault_kind::dropout ? "dropout" : f.kind == fault_kind::spike ? "spike" : "flip"));
            FUZZ_CHECK(f.at_us >= 0 && f.at_us <= 24347000000LL);
            FUZZ_CHECK(f.kind == fault_kind::dropout ? f.length_us > 0 && f.length_us <= 24347000000LL : f.length_us == 0);
            FUZZ_CHECK(f.kind == fault_kind::dropout || f.channel != fault_channel::both);
            FUZZ_CHECK(f.kind != fault_kind::flip || f.channel == fault_channel::crank);
            break;
        case fault_kind::nocam:
            FUZZ_CHECK(kind == "nocam" && f.cycle >= 1 && f.cycle <= 1000000000);
            break;
        }
    }
    FUZZ_CHECK(k == fx.faults.size());
    const std::string suffix = effects_suffix(fx);
    FUZZ_CHECK(suffix.size() <= 200);
    for (char c : suffix)
        FUZZ_CHECK((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                   c == '-');
}

// run.cpp's effects_fit, without its messages.
bool effects_fit(const effects& fx, const crank_model& m) {
    if (fx.vr && m.teeth.empty()) return false;
    if (fx.jitter > 0 && m.edges.empty()) return false;
    for (const fault& f : fx.faults)
        if ((f.kind == fault_kind::missing || f.kind == fault_kind::extra) && f.tooth > m.teeth_per_row) return false;
    return fx.faults.empty() || !m.first_teeth.empty() || m.from_cam;
}

// The whole file, through the effects' renderer when one is given.
std::vector<unsigned char> render(Trigwave& g, effects_renderer* renderer, std::size_t frames) {
    MemorySink sink(header_size + 4 * frames);
    g.wavfile = sink.open();
    FUZZ_CHECK(g.wavfile != nullptr);
    FUZZ_CHECK(g.generate_wav_output(renderer) == RENDER_OK);
    FUZZ_CHECK(sink.closed() && sink.bytes().size() == header_size + 4 * frames);
    uint32_t data_size = 0;
    std::memcpy(&data_size, sink.bytes().data() + 40, 4);
    FUZZ_CHECK(data_size == 4 * frames);
    return sink.bytes();
}

void check_truth(const truth_log& log, double end_s) {
    const auto within = [end_s](const std::vector<truth_anomaly>& list) {
        for (const truth_anomaly& a : list) FUZZ_CHECK(a.time_s >= 0 && a.time_s <= end_s);
    };
    within(log.before);
    for (std::size_t i = 0; i < log.rows.size(); ++i) {
        const truth_row& r = log.rows[i];
        FUZZ_CHECK(r.time_s >= 0 && r.time_s <= end_s);
        if (i > 0) FUZZ_CHECK(r.number > log.rows[i - 1].number && r.time_s > log.rows[i - 1].time_s);
        within(r.anomalies);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silence_program_stderr();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const char wheel_mark[] = "orix-wheel";
    const bool wheel = size >= sizeof wheel_mark - 1 && std::memcmp(data, wheel_mark, sizeof wheel_mark - 1) == 0;
    const uint8_t* const nul = wheel ? static_cast<const uint8_t*>(std::memchr(data, 0, size)) : nullptr;
    if (wheel && nul == nullptr) return -1;
    const std::size_t text_size = wheel ? static_cast<std::size_t>(nul - data) : 0;
    arguments args(wheel ? nul + 1 : data, wheel ? size - text_size - 1 : size);

    file_options options;
    const bool read = read_file_options(args.argc(), args.argv.data(), options);
    // The reader only reads: the arguments are as they were.
    for (int i = 0; i < args.argc(); ++i) FUZZ_CHECK(args.originals[i] == args.argv[i]);
    if (!read) return -1;  // not kept
    check_options(options, args);
    const effects& fx = options.fx;
    // --wheel names a file the harness does not read; --output only names the WAV.
    if (options.wheel != nullptr) return -1;

    const int rest = args.argc() - options.first + 1;
    char** const after = args.argv.data() + options.first - 1;
    Trigwave generator;
    if (wheel) {
        std::unique_ptr<wheel_sampler> drawing;
        try {
            drawing = std::make_unique<wheel_sampler>(
                parse_wheel_file(std::string_view(reinterpret_cast<const char*>(data), text_size)));
        } catch (const wheel_file_error&) {
            return -1;
        }
        if (generator.process_wheel_param("w", std::move(drawing), text_size % 2 == 1, rest, after) != PARAM_OK)
            return -1;
    } else if (generator.process_param(rest, after) != PARAM_OK) {
        return -1;
    }
    generator.length_sec = std::min(generator.length_sec, max_seconds);
    if (!check_effects(fx, generator.length_sec)) return -1;
    // a file with nothing that changes its samples keeps its plain name
    const std::string suffix = effects_suffix(fx);
    FUZZ_CHECK(suffix.empty() == !fx.changes_samples());
    generator.add_to_name(suffix);
    const crank_model model = make_crank_model(generator);
    if (!effects_fit(fx, model)) return -1;

    const render_plan plan = make_render_plan(generator.rpm_tokens.count, generator.length_sec);
    effects_renderer first(generator, model, fx);
    const std::vector<unsigned char> wav = render(generator, &first, plan.total_frames);
    // The same effects give the same file and the same truth.
    effects_renderer second(generator, model, fx);
    FUZZ_CHECK(render(generator, &second, plan.total_frames) == wav);
    check_truth(first.truth(), static_cast<double>(plan.total_frames) / sample_rate);
    const std::string json = truth_json(first.truth(), model, generator, fx, generator.filename);
    FUZZ_CHECK(json == truth_json(second.truth(), model, generator, fx, generator.filename));
    bool utf8 = true;
    for (const std::string& a : args.originals) utf8 = utf8 && valid_utf8(a);
    FUZZ_CHECK(json_reader(json, utf8).document());
    first.unplaced();

    // A truth file alone leaves the samples as the plain renderer draws them.
    if (!fx.changes_samples()) FUZZ_CHECK(render(generator, nullptr, plan.total_frames) == wav);
    return 0;
}
