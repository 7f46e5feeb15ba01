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
} // namespace

TEST(WaveInfo, DescribesSixteenBitStereoPcm)
{
    const std::string image = Pcm16Wave(Tone(440, 1000, 22050, 100, 2), 2, 22050);
    ST_WAV_INFO info;
    ASSERT_EQ(Parse(image, &info), CX_ERR_NONE);
    EXPECT_EQ(info.nFormat, 0);
    EXPECT_EQ(info.nRate, 22050u);
    EXPECT_EQ(info.nChannels, 2);
    EXPECT_EQ(info.nBits, 16);
    EXPECT_EQ(info.nBlockSize, 4u);
    EXPECT_EQ(info.nDataLength, 400u);
    // Samples counts every 16-bit value: data length x 8 / bits.
    EXPECT_EQ(info.nSamples, 200u);
    EXPECT_EQ(info.bADPCM, 0u);
    EXPECT_EQ(info.pData, Bytes(image) + 44);
}

TEST(WaveInfo, FindsFormatChunkAfterOddSizedListChunk)
{
    const std::string image = Riff(Chunk("LIST", "abc") + Fmt(1, 1, 11025, 1, 8) + Chunk("data", "12345"));
    ST_WAV_INFO info;
    ASSERT_EQ(Parse(image, &info), CX_ERR_NONE);
    EXPECT_EQ(info.nRate, 11025u);
    EXPECT_EQ(info.nBits, 8);
    EXPECT_EQ(info.nSamples, 5u);
    EXPECT_EQ(memcmp(info.pData, "12345", 5), 0);
}

TEST(WaveInfo, AcceptsAdatAsDataChunk)
{
    const std::string image = Riff(Fmt(1, 1, 8000, 2, 16) + Chunk("adat", "wxyz"));
    ST_WAV_INFO info;
    ASSERT_EQ(Parse(image, &info), CX_ERR_NONE);
    EXPECT_EQ(info.nDataLength, 4u);
    EXPECT_EQ(memcmp(info.pData, "wxyz", 4), 0);
}

TEST(WaveInfo, RawDataIsSixteenBitMonoAt22000)
{
    const uint8_t data[10] = {};
    ST_WAV_INFO info;
    ASSERT_EQ(ParseWaveInfo(data, sizeof(data), true, &info), CX_ERR_NONE);
    EXPECT_EQ(info.pData, data);
    EXPECT_EQ(info.nRate, 22000u);
    EXPECT_EQ(info.nBlockSize, 10u);
    EXPECT_EQ(info.nSamples, 5u);
    EXPECT_EQ(info.nBits, 16);
    EXPECT_EQ(info.nChannels, 1);
}

TEST(WaveInfo, ImaAdpcmTakesSampleCountFromFactChunk)
{
    std::string fact;
    Put32(fact, 777);
    const std::string image =
        Riff(Fmt(0x11, 1, 22050, 256, 4) + Chunk("fact", fact) + Chunk("data", std::string(512, '\0')));
    ST_WAV_INFO info;
    ASSERT_EQ(Parse(image, &info), CX_ERR_NONE);
    EXPECT_EQ(info.bADPCM, 1u);
    EXPECT_EQ(info.nSamples, 777u);
}

TEST(WaveInfo, ImaAdpcmWithoutFactCountsPartialBlockAsWhole)
{
    // 256-byte mono blocks hold (256 - 4) x 8 / 4 + 1 = 505 samples; 600 bytes make two blocks and a part.
    const std::string image = Riff(Fmt(0x11, 1, 22050, 256, 4) + Chunk("data", std::string(600, '\0')));
    ST_WAV_INFO info;
    ASSERT_EQ(Parse(image, &info), CX_ERR_NONE);
    EXPECT_EQ(info.nSamples, 3u * 505u);
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

TEST(WaveInfo, ZeroBitsGiveNoSamples)
{
    const std::string image = Riff(Fmt(1, 1, 22050, 2, 0) + Chunk("data", "abcd"));
    ST_WAV_INFO info;
    ASSERT_EQ(Parse(image, &info), CX_ERR_NONE);
    EXPECT_EQ(info.nSamples, 0u);
}

TEST(WaveInfo, RiffSizeBoundsTheWalk)
{
    // Bytes after the form are not part of the wave.
    std::string image = Riff(Fmt(1, 1, 22050, 2, 16));
    image += Chunk("data", "abcd");
    ST_WAV_INFO info;
    EXPECT_EQ(Parse(image, &info), CX_ERR_INVALID_FILE_TYPE);
}

TEST(Id3Skip, VersionThreeTagOfSize100StartsAtByte110)
{
    std::string data = "ID3";
    data += '\x03';
    data += '\0';
    data += '\0';
    data += std::string("\0\0\0\x64", 4);
    data += std::string(200, '\xAA');
    EXPECT_EQ(SkipId3Tag(Bytes(data), static_cast<uint32_t>(data.size())), 110u);
}

TEST(Id3Skip, SizeIsSevenBitDigits)
{
    const std::string data = std::string("ID3\x03\0\0\x01\x01\x01\x01", 10) + std::string(0x204100, '\0');
    EXPECT_EQ(SkipId3Tag(Bytes(data), static_cast<uint32_t>(data.size())), 10u + 0x204081u);
}

TEST(Id3Skip, OtherVersionsAndShortDataStartAtZero)
{
    const std::string v4 = std::string("ID3\x04\0\0\0\0\0\x10", 10) + std::string(32, '\0');
    EXPECT_EQ(SkipId3Tag(Bytes(v4), static_cast<uint32_t>(v4.size())), 0u);
    EXPECT_EQ(SkipId3Tag(Bytes(v4), 5), 0u);
    const std::string plain(64, '\xFF');
    EXPECT_EQ(SkipId3Tag(Bytes(plain), 64), 0u);
}

TEST(Id3Skip, TagLargerThanDataEndsAtDataEnd)
{
    const std::string data = std::string("ID3\x03\0\0\0\0\x7F\x7F", 10) + std::string(20, '\0');
    EXPECT_EQ(SkipId3Tag(Bytes(data), static_cast<uint32_t>(data.size())), data.size());
}

TEST(Mp3Header, ReadsSampleRateOfFirstFrame)
{
    // MPEG-1 layer III, 128 kbit/s, 44100 Hz after two bytes of junk.
    const uint8_t mpeg1[] = {0x00, 0x12, 0xFF, 0xFB, 0x90, 0x64, 0, 0};
    EXPECT_EQ(FindMp3SampleRate(mpeg1, sizeof(mpeg1), 0), 44100u);
    // MPEG-2 layer III at 22050 Hz.
    const uint8_t mpeg2[] = {0xFF, 0xF3, 0x90, 0x64};
    EXPECT_EQ(FindMp3SampleRate(mpeg2, sizeof(mpeg2), 0), 22050u);
    const uint8_t none[] = {0xFF, 0xFF, 0xFC, 0x00};
    EXPECT_EQ(FindMp3SampleRate(none, sizeof(none), 0), 0u);
}

TEST(FormatRecord, ShortAndLongForms)
{
    // Tag 0: the 14-byte form.
    const std::string shortForm = std::string("\0\0\x01\0\x22\x56\0\0\x44\xAC\0\0\x02\0", 14) + "samples";
    ST_FORMAT_RECORD record;
    ASSERT_EQ(ParseFormatRecord(Bytes(shortForm), static_cast<uint32_t>(shortForm.size()), &record),
              CX_ERR_NONE);
    EXPECT_EQ(record.nSize, 14u);
    EXPECT_EQ(record.nChannels, 1);
    EXPECT_EQ(record.nRate, 22050u);
    EXPECT_EQ(record.nBlockAlign, 2);
    // Other tags: 18 bytes plus the extra bytes the record counts.
    std::string longForm;
    Put16(longForm, 0x11);
    Put16(longForm, 2);
    Put32(longForm, 11025);
    Put32(longForm, 11025);
    Put16(longForm, 512);
    Put16(longForm, 4);
    Put16(longForm, 2);
    Put16(longForm, 1017);
    ASSERT_EQ(ParseFormatRecord(Bytes(longForm), static_cast<uint32_t>(longForm.size()), &record),
              CX_ERR_NONE);
    EXPECT_EQ(record.nSize, 20u);
    EXPECT_EQ(record.nFormatTag, 0x11);
    // The same record cut short of its extra bytes does not fit.
    EXPECT_EQ(ParseFormatRecord(Bytes(longForm), 19, &record), CX_ERR_INVALID_FILE_TYPE);
    EXPECT_EQ(ParseFormatRecord(Bytes(longForm), 17, &record), CX_ERR_INVALID_FILE_TYPE);
    EXPECT_EQ(ParseFormatRecord(Bytes(shortForm), 13, &record), CX_ERR_INVALID_FILE_TYPE);
}

TEST(FormatRecord, NeedsChannelsAndBlockAlignment)
{
    std::string record(14, '\0');
    record[2] = 1;
    ST_FORMAT_RECORD out;
    EXPECT_EQ(ParseFormatRecord(Bytes(record), 14, &out), CX_ERR_INVALID_FILE_TYPE);
    record[12] = 2;
    EXPECT_EQ(ParseFormatRecord(Bytes(record), 14, &out), CX_ERR_NONE);
    record[2] = 0;
    EXPECT_EQ(ParseFormatRecord(Bytes(record), 14, &out), CX_ERR_INVALID_FILE_TYPE);
}
