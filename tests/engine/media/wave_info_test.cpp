#include "engine/media/wave_info.h"

#include "engine/core/error.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace wave_test;

namespace {
uint32_t Parse(const std::string& image, ST_WAV_INFO* info)
{
    // A copy of exactly the image's size, so the sanitizer sees any read past it.
    std::vector<uint8_t> copy(image.begin(), image.end());
    const uint32_t code = ParseWaveInfo(copy.data(), static_cast<uint32_t>(copy.size()), false, info);
    if (code == CX_ERR_NONE)
        info->pData = Bytes(image) + (info->pData - copy.data());
    return code;
}

std::string Fact(uint32_t samples)
{
    std::string fact;
    Put32(fact, samples);
    return Chunk("fact", fact);
}

struct Accepted
{
    const char* what;
    std::string image;
    uint32_t rate, samples, dataLength;
    uint16_t bits, channels;
    uint32_t adpcm;
    size_t dataOffset; // from the image's start
};
} // namespace

TEST(WaveInfo, DescribesTheImagesItAccepts)
{
    const std::string stereo = Pcm16Wave(Tone(440, 1000, 22050, 100, 2), 2, 22050);
    const Accepted cases[] = {
        // Samples counts every value: data length x 8 / bits.
        {"16-bit stereo", stereo, 22050, 200, 400, 16, 2, 0, 44},
        {"after an odd-sized chunk",
         Riff(Chunk("LIST", "abc") + Fmt(1, 1, 11025, 1, 8) + Chunk("data", "12345")), 11025, 5, 5, 8, 1, 0,
         12 + 12 + 24 + 8},
        {"adat as data", Riff(Fmt(1, 1, 8000, 2, 16) + Chunk("adat", "wxyz")), 8000, 2, 4, 16, 1, 0, 44},
        {"zero bits", Riff(Fmt(1, 1, 22050, 2, 0) + Chunk("data", "abcd")), 22050, 0, 4, 0, 1, 0, 44},
        {"ADPCM with fact",
         Riff(Fmt(0x11, 1, 22050, 256, 4) + Fact(777) + Chunk("data", std::string(512, '\0'))), 22050, 777,
         512, 4, 1, 1, 56},
        // 256-byte mono blocks hold (256 - 4) x 8 / 4 + 1 = 505 samples; a part block counts as whole.
        {"ADPCM without fact", Riff(Fmt(0x11, 1, 22050, 256, 4) + Chunk("data", std::string(600, '\0'))),
         22050, 3 * 505, 600, 4, 1, 1, 44},
    };
    for (const Accepted& c : cases)
    {
        ST_WAV_INFO info;
        ASSERT_EQ(Parse(c.image, &info), CX_ERR_NONE) << c.what;
        EXPECT_EQ(info.nRate, c.rate) << c.what;
        EXPECT_EQ(info.nSamples, c.samples) << c.what;
        EXPECT_EQ(info.nDataLength, c.dataLength) << c.what;
        EXPECT_EQ(info.nBits, c.bits) << c.what;
        EXPECT_EQ(info.nChannels, c.channels) << c.what;
        EXPECT_EQ(info.bADPCM, c.adpcm) << c.what;
        EXPECT_EQ(info.pData, Bytes(c.image) + c.dataOffset) << c.what;
    }
    // Raw data is 16-bit mono at 22000 Hz, its block the whole data.
    const uint8_t raw[10] = {};
    ST_WAV_INFO info;
    ASSERT_EQ(ParseWaveInfo(raw, sizeof(raw), true, &info), CX_ERR_NONE);
    EXPECT_EQ(info.pData, raw);
    EXPECT_EQ(info.nRate, 22000u);
    EXPECT_EQ(info.nBlockSize, 10u);
    EXPECT_EQ(info.nSamples, 5u);
    EXPECT_EQ(info.nBits, 16);
    EXPECT_EQ(info.nChannels, 1);
}

TEST(WaveInfo, RejectsIncompleteOrInconsistentImages)
{
    const std::string fmt = Fmt(1, 1, 22050, 2, 16);
    const std::string data = Chunk("data", "abcd");
    const std::string cases[] = {
        "",
        std::string("RIFF\x04\0\0\0WAV", 11),
        std::string("RIFF\x04\0\0\0AVI ", 12),
        Riff(data),                                        // no "fmt "
        Riff(fmt),                                         // no data chunk
        Riff(fmt) + data,                                  // the data lies after the form's end
        Riff(fmt + Chunk("data", "abcd", 1000)),           // data runs past the end
        Riff(Chunk("LIST", "x", 0x7FFFFFF0) + fmt + data), // a chunk before them runs past the end
        Riff(Fmt(1, 1, 22050, 0, 16) + data),              // zero block alignment
        Riff(Fmt(1, 0, 22050, 2, 16) + data),              // no channels
        Riff(Chunk("fmt ", "short") + data),               // format chunk too short
        Riff(Fmt(0x11, 2, 22050, 8, 4) + data),            // ADPCM block too small for its headers
    };
    for (const std::string& image : cases)
    {
        ST_WAV_INFO info;
        EXPECT_EQ(Parse(image, &info), CX_ERR_INVALID_FILE_TYPE) << testing::PrintToString(image);
    }
}

TEST(Id3Skip, TagSizeIsSevenBitDigitsOfVersionThreeOnly)
{
    const struct
    {
        std::string data;
        uint32_t size; // passed in; 0: the whole data
        uint32_t start;
    } cases[] = {
        {std::string("ID3\x03\0\0\0\0\0\x64", 10) + std::string(200, '\xAA'), 0, 110},
        {std::string("ID3\x03\0\0\x01\x01\x01\x01", 10) + std::string(0x204100, '\0'), 0, 10 + 0x204081},
        {std::string("ID3\x04\0\0\0\0\0\x10", 10) + std::string(32, '\0'), 0, 0}, // other versions
        {std::string("ID3\x03\0\0\0\0\0\x10", 10), 5, 0},                         // shorter than a header
        {std::string(64, '\xFF'), 0, 0},
        // A tag larger than the data ends at the data's end.
        {std::string("ID3\x03\0\0\0\0\x7F\x7F", 10) + std::string(20, '\0'), 0, 30},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SkipId3Tag(Bytes(c.data), c.size ? c.size : static_cast<uint32_t>(c.data.size())), c.start)
            << testing::PrintToString(c.data.substr(0, 10));
}

TEST(Mp3Header, ReadsSampleRateOfFirstFrame)
{
    // MPEG-1 layer III, 128 kbit/s, 44100 Hz after two bytes of junk.
    const uint8_t mpeg1[] = {0x00, 0x12, 0xFF, 0xFB, 0x90, 0x64, 0, 0};
    EXPECT_EQ(FindMp3SampleRate(mpeg1, sizeof(mpeg1), 0), 44100u);
    const uint8_t mpeg2[] = {0xFF, 0xF3, 0x90, 0x64}; // MPEG-2 layer III at 22050 Hz
    EXPECT_EQ(FindMp3SampleRate(mpeg2, sizeof(mpeg2), 0), 22050u);
    const uint8_t none[] = {0xFF, 0xFF, 0xFC, 0x00};
    EXPECT_EQ(FindMp3SampleRate(none, sizeof(none), 0), 0u);
}

TEST(FormatRecord, ShortAndLongFormsNeedChannelsAlignmentAndTheirWholeSize)
{
    // Tag 0: the 14-byte form.
    std::string shortForm = Record(0, 1, 22050, 2, 16, true) + "samples";
    ST_FORMAT_RECORD record;
    ASSERT_EQ(ParseFormatRecord(Bytes(shortForm), static_cast<uint32_t>(shortForm.size()), &record),
              CX_ERR_NONE);
    EXPECT_EQ(record.nSize, 14u);
    EXPECT_EQ(record.nChannels, 1);
    EXPECT_EQ(record.nRate, 22050u);
    EXPECT_EQ(record.nBlockAlign, 2);
    EXPECT_EQ(ParseFormatRecord(Bytes(shortForm), 13, &record), CX_ERR_INVALID_FILE_TYPE);
    // Other tags: 18 bytes plus the extra bytes the record counts.
    const std::string longForm = Record(0x11, 2, 11025, 512, 4, false, "\xF9\x03");
    ASSERT_EQ(ParseFormatRecord(Bytes(longForm), static_cast<uint32_t>(longForm.size()), &record),
              CX_ERR_NONE);
    EXPECT_EQ(record.nSize, 20u);
    EXPECT_EQ(record.nFormatTag, 0x11);
    EXPECT_EQ(ParseFormatRecord(Bytes(longForm), 19, &record), CX_ERR_INVALID_FILE_TYPE);
    EXPECT_EQ(ParseFormatRecord(Bytes(longForm), 17, &record), CX_ERR_INVALID_FILE_TYPE);
    // No channels, or no block alignment.
    shortForm[2] = 0;
    EXPECT_EQ(ParseFormatRecord(Bytes(shortForm), 14, &record), CX_ERR_INVALID_FILE_TYPE);
    shortForm[2] = 1;
    shortForm[12] = 0;
    EXPECT_EQ(ParseFormatRecord(Bytes(shortForm), 14, &record), CX_ERR_INVALID_FILE_TYPE);
}
