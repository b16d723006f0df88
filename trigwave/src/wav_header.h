// The 44-byte RIFF WAVE header of a 16-bit stereo 44100 Hz PCM file.
#pragma once

#include <array>
#include <cstdint>

struct wavheader_t {
    char riff_id[4];
    uint32_t riff_size;
    char wave_id[4];
    char fmt_id[4];
    uint32_t fmt_size;
    uint16_t audio_format;
    uint16_t num_channels;
    uint32_t sample_rate;
    uint32_t byte_rate;
    uint16_t block_align;
    uint16_t bits_per_sample;
    char data_id[4];
    uint32_t data_size;
};

constexpr std::size_t wav_header_bytes = 44;

void wavheader_setup(wavheader_t* header, int frames);

// The header as it lies in the file: little-endian, no padding.
std::array<unsigned char, wav_header_bytes> serialize_wavheader(const wavheader_t& header);
