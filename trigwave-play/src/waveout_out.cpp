// The player's sound card on Windows, through WinMM's waveOut: on every Windows since XP, and
// on Vista and later it reaches the system's audio engine as any other program's sound does.
// The ANSI calls throughout, as main() receives its arguments in the ANSI code page.
#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <cctype>
#include <cstring>
#include <vector>

#include "audio_out.h"

namespace {

// The buffer in blocks of one period, two more than buffer_ms holds: waveOut hands blocks
// back late and in bursts (wine marks them played 30 ms at a time), and with only
// buffer_ms queued the device ran dry between a burst and the blocks written after it.
constexpr std::size_t block_count = 44100 * buffer_ms / 1000 / period_frames + 2;
static_assert(block_count >= 2, "the buffer holds at least two periods");
// A device that has finished none of the queued blocks in this long has stopped for good.
constexpr DWORD stalled_ms = 5000;

std::string system_words(MMRESULT result) {
    char text[MAXERRORLENGTH] = {};
    if (waveOutGetErrorTextA(result, text, MAXERRORLENGTH) != MMSYSERR_NOERROR)
        return "error " + std::to_string(result);
    return text;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The device for --device NAME: a number as waveOut counts them, else the first device whose
// name holds NAME (an exact name before a part of one). szPname is cut at 31 characters, so a
// longer NAME matches a cut name that begins it. False with the names there are.
bool find_device(const std::string& name, UINT& id, std::string& error) {
    if (name.find_first_not_of("0123456789") == std::string::npos && name.size() < 9) {
        id = static_cast<UINT>(std::stoul(name));
        return true;
    }
    const std::string wanted = lower(name);
    const UINT count = waveOutGetNumDevs();
    std::string names;
    bool partial = false;
    for (UINT i = 0; i < count; ++i) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
        const std::string have = lower(caps.szPname);
        if (have == wanted) {
            id = i;
            return true;
        }
        const bool cut = have.size() == MAXPNAMELEN - 1 && wanted.compare(0, have.size(), have) == 0;
        if (!partial && (have.find(wanted) != std::string::npos || cut)) {
            id = i;
            partial = true;
        }
        names += (names.empty() ? "" : ", ") + std::to_string(i) + " \"" + caps.szPname + "\"";
    }
    if (partial) return true;
    error = "cannot open the sound device \"" + name + "\": no waveOut device's name holds it (" +
            (names.empty() ? std::string("there is none") : "devices: " + names) + ")";
    return false;
}

class waveout_out final : public audio_out {
public:
    ~waveout_out() override {
        if (device_ != nullptr) {
            waveOutReset(device_);
            close();
        }
        if (event_ != nullptr) CloseHandle(event_);
    }

    bool open(const std::string& device, std::string& error) override {
        name_ = device.empty() ? "default" : device;
        UINT id = WAVE_MAPPER;
        if (!device.empty() && !find_device(device, id, error)) return false;
        event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (event_ == nullptr) {
            error = "cannot open the sound device \"" + name_ + "\": no event for it";
            return false;
        }
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = 44100;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = 44100 * 4;
        const MMRESULT result = waveOutOpen(&device_, id, &format, reinterpret_cast<DWORD_PTR>(event_), 0,
                                            CALLBACK_EVENT);
        if (result != MMSYSERR_NOERROR) {
            device_ = nullptr;
            error = (result == WAVERR_BADFORMAT
                         ? "the sound device \"" + name_ + "\" refuses 44100 Hz stereo 16-bit: "
                         : "cannot open the sound device \"" + name_ + "\": ") +
                    system_words(result);
            return false;
        }
        // Held until the buffer is full, as ALSA starts the stream: the first blocks are not
        // played out before the next ones come.
        waveOutPause(device_);
        // A busy machine must not starve the stream.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        for (block& b : blocks_) {
            b.frames.resize(2 * period_frames);
            b.header.lpData = reinterpret_cast<LPSTR>(b.frames.data());
        }
        return true;
    }

    bool write(const int16_t* frames, std::size_t count, std::string& error) override {
        while (count > 0) {
            block* next = nullptr;
            if (!wait_for([&] { return (next = free_block()) != nullptr; })) {
                error = "the sound device \"" + name_ + "\" stopped playing";
                return false;
            }
            // An underrun: every block queued so far is played out, so the device has had
            // nothing left to play and has played silence since. waveOut goes on without a
            // word; this is the one sign of it. Before the device starts, nothing is played.
            if (started_ && queued() == 0) ++underruns_;
            const std::size_t n = count < period_frames ? count : period_frames;
            std::memcpy(next->frames.data(), frames, n * 4);
            WAVEHDR& h = next->header;
            if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &h, sizeof h);
            h.dwBufferLength = static_cast<DWORD>(n * 4);
            h.dwFlags = 0;
            MMRESULT result = waveOutPrepareHeader(device_, &h, sizeof h);
            if (result == MMSYSERR_NOERROR) result = waveOutWrite(device_, &h, sizeof h);
            if (result != MMSYSERR_NOERROR) {
                error = "the sound device \"" + name_ + "\" failed: " + system_words(result);
                return false;
            }
            next->used = true;
            written_ += n;
            frames += 2 * n;
            count -= n;
            if (!started_ && queued() == block_count) start();
        }
        return true;
    }

    void wait_room() override {
        if (device_ != nullptr) wait_for([&] { return free_block() != nullptr; });
    }

    void finish() override {
        if (device_ == nullptr) return;
        start();
        wait_for([&] { return queued() == 0; });
        close();
    }

    void stop() override {
        if (device_ == nullptr) return;
        waveOutReset(device_);
        close();
    }

    std::size_t queued_frames() override {
        if (device_ == nullptr) return 0;
        // The device's count of frames played since it opened, against those written; both
        // 32-bit counts, so their difference holds across the wrap. Blocks not yet handed back
        // where the device keeps no count.
        MMTIME played{};
        played.wType = TIME_SAMPLES;
        if (waveOutGetPosition(device_, &played, sizeof played) == MMSYSERR_NOERROR) {
            DWORD ahead = ~DWORD{0};
            if (played.wType == TIME_SAMPLES) ahead = static_cast<DWORD>(written_) - played.u.sample;
            if (played.wType == TIME_BYTES) ahead = (static_cast<DWORD>(written_ * 4) - played.u.cb) / 4;
            if (ahead <= block_count * period_frames) return ahead;
        }
        std::size_t frames = 0;
        for (const block& b : blocks_)
            if (b.used && !(b.header.dwFlags & WHDR_DONE)) frames += b.header.dwBufferLength / 4;
        return frames;
    }

    uint64_t underruns() const override { return underruns_; }

private:
    struct block {
        std::vector<int16_t> frames;
        WAVEHDR header{};
        bool used = false;  // written at least once
    };

    // Blocks written and not played out yet.
    std::size_t queued() const {
        std::size_t n = 0;
        for (const block& b : blocks_)
            if (b.used && !(b.header.dwFlags & WHDR_DONE)) ++n;
        return n;
    }

    block* free_block() {
        for (block& b : blocks_)
            if (!b.used || (b.header.dwFlags & WHDR_DONE)) return &b;
        return nullptr;
    }

    void start() {
        if (started_) return;
        started_ = true;
        waveOutRestart(device_);
    }

    // Waits on the device's event (set as each block is played out) until ready() holds;
    // false when no block has been played out in stalled_ms.
    template <typename Ready>
    bool wait_for(Ready ready) {
        std::size_t before = queued();
        DWORD since = GetTickCount();
        while (!ready()) {
            if (queued() != before) {
                before = queued();
                since = GetTickCount();
            } else if (GetTickCount() - since >= stalled_ms) {
                return false;
            }
            WaitForSingleObject(event_, 100);
        }
        return true;
    }

    void close() {
        for (block& b : blocks_)
            if (b.header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &b.header, sizeof b.header);
        waveOutClose(device_);
        device_ = nullptr;
        // The system's audio threads wind down just after the close returns; a process that
        // ends at once, with them still ending, has crashed under wine on qemu-i386.
        Sleep(50);
    }

    HWAVEOUT device_ = nullptr;
    HANDLE event_ = nullptr;
    std::array<block, block_count> blocks_;
    std::string name_;
    bool started_ = false;
    uint64_t written_ = 0;  // frames since the device opened
    uint64_t underruns_ = 0;
};

}  // namespace

std::unique_ptr<audio_out> make_audio_out() { return std::make_unique<waveout_out>(); }
