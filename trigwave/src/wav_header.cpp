#include "wav_header.h"

#include <cstring>

void wavheader_setup(wavheader_t* header, int frames) {
    // 32-bit arithmetic on purpose: the header fields are 32 bits wide.
    const uint32_t data_size = 4u * static_cast<uint32_t>(frames);
    std::memcpy(header->riff_id, "RIFF", 4);
    header->riff_size = data_size + 36u;
    std::memcpy(header->wave_id, "WAVE", 4);
    std::memcpy(header->fmt_id, "fmt ", 4);
    header->fmt_size = 16;
    header->audio_format = 1;
    header->num_channels = 2;
    header->sample_rate = 44100;
    header->byte_rate = 176400;
    header->block_align = 4;
    header->bits_per_sample = 16;
    std::memcpy(header->data_id, "data", 4);
    header->data_size = data_size;
}

namespace {

class byte_writer {
public:
    explicit byte_writer(std::array<unsigned char, wav_header_bytes>* out) : out_(out) {}
    void chars(const char (&id)[4]) {
        for (char c : id) (*out_)[pos_++] = static_cast<unsigned char>(c);
    }
    void u16(uint16_t v) {
        (*out_)[pos_++] = static_cast<unsigned char>(v & 0xFF);
        (*out_)[pos_++] = static_cast<unsigned char>(v >> 8);
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v & 0xFFFF));
        u16(static_cast<uint16_t>(v >> 16));
    }

private:
    std::array<unsigned char, wav_header_bytes>* out_;
    std::size_t pos_ = 0;
};

}  // namespace

std::array<unsigned char, wav_header_bytes> serialize_wavheader(const wavheader_t& header) {
    std::array<unsigned char, wav_header_bytes> bytes{};
    byte_writer w(&bytes);
    w.chars(header.riff_id);
    w.u32(header.riff_size);
    w.chars(header.wave_id);
    w.chars(header.fmt_id);
    w.u32(header.fmt_size);
    w.u16(header.audio_format);
    w.u16(header.num_channels);
    w.u32(header.sample_rate);
    w.u32(header.byte_rate);
    w.u16(header.block_align);
    w.u16(header.bits_per_sample);
    w.chars(header.data_id);
    w.u32(header.data_size);
    return bytes;
}
