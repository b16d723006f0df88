#include "wav_header.h"

#include <gtest/gtest.h>

namespace {

TEST(WavHeader, MatchesTheUsageExamplesBytes) {
    // 60 s at 44100 frames per second: 2646000 frames, data 10584000 = 0x00A17FC0 bytes.
    const unsigned char expected[44] = {
        'R',  'I',  'F',  'F',  0xE4, 0x7F, 0xA1, 0x00,  // riff_size 10584036
        'W',  'A',  'V',  'E',  'f',  'm',  't',  ' ',
        0x10, 0x00, 0x00, 0x00,                          // fmt_size 16
        0x01, 0x00, 0x02, 0x00,                          // PCM, 2 channels
        0x44, 0xAC, 0x00, 0x00,                          // 44100
        0x10, 0xB1, 0x02, 0x00,                          // 176400
        0x04, 0x00, 0x10, 0x00,                          // block 4, 16 bits
        'd',  'a',  't',  'a',  0xC0, 0x7F, 0xA1, 0x00,  // data_size 10584000
    };
    wavheader_t header;
    wavheader_setup(&header, 2646000);
    const auto bytes = serialize_wavheader(header);
    for (std::size_t i = 0; i < 44; ++i) EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
}

struct size_case {
    int frames;
    uint32_t data_size;
    uint32_t riff_size;
};

TEST(WavHeader, SizesFollowTheFrameCount) {
    const size_case cases[] = {
        {0, 0, 36},
        {44100, 176400, 176436},
        {1073702700, 4294810800u, 4294810836u},  // 24347 s, the longest length accepted
    };
    for (const auto& c : cases) {
        wavheader_t header;
        wavheader_setup(&header, c.frames);
        EXPECT_EQ(header.data_size, c.data_size) << c.frames;
        EXPECT_EQ(header.riff_size, c.riff_size) << c.frames;
        const auto bytes = serialize_wavheader(header);
        EXPECT_EQ(bytes[40] | bytes[41] << 8 | bytes[42] << 16 | static_cast<uint32_t>(bytes[43]) << 24,
                  c.data_size);
    }
}

}  // namespace
