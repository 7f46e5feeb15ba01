#include "engine/media/adpcm.h"

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "tests/support/test_support.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

using namespace wave_test;

namespace {
ST_WAV_INFO Info(const uint8_t* image, uint32_t size)
{
    ST_WAV_INFO info;
    EXPECT_EQ(ParseWaveInfo(image, size, false, &info), CX_ERR_NONE);
    return info;
}

ST_WAV_INFO Info(const std::string& image)
{
    return Info(Bytes(image), static_cast<uint32_t>(image.size()));
}

// Root-mean-square difference of two equally long sample lists.
double RmsError(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += (a[i] - b[i]) * static_cast<double>(a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(a.size()));
}

// Compresses then decompresses a 16-bit PCM image; returns the decoded samples.
std::vector<int16_t> RoundTrip(const std::string& pcm, ST_WAV_INFO* compressedInfo = nullptr)
{
    uint32_t packedSize = 0;
    uint8_t* packed = CompressAdpcmWave(Info(pcm), &packedSize);
    EXPECT_NE(packed, nullptr);
    if (!packed)
        return {};
    const ST_WAV_INFO info = Info(packed, packedSize);
    if (compressedInfo)
        *compressedInfo = info;
    uint32_t plainSize = 0;
    uint8_t* plain = DecompressAdpcmWave(info, &plainSize);
    CX_FREE(packed);
    EXPECT_NE(plain, nullptr);
    if (!plain)
        return {};
    const ST_WAV_INFO out = Info(plain, plainSize);
    EXPECT_EQ(out.nBits, 16);
    EXPECT_EQ(out.bADPCM, 0u);
    std::vector<int16_t> samples = ReadSamples16(out.pData, out.nDataLength);
    CX_FREE(plain);
    return samples;
}

// sox decodes every whole block and ignores the "fact" count, so its output
// may run longer than ours: the samples we produce must be its first ones.
void ExpectPrefixOf(const std::vector<int16_t>& ours, const std::vector<int16_t>& theirs)
{
    ASSERT_LE(ours.size(), theirs.size());
    ASSERT_GT(ours.size(), 0u);
    EXPECT_EQ(ours,
              std::vector<int16_t>(theirs.begin(), theirs.begin() + static_cast<ptrdiff_t>(ours.size())));
}

bool HaveSox()
{
    return std::system("command -v sox >/dev/null 2>&1") == 0;
}
} // namespace

TEST(AdpcmCodec, RoundTripOfToneStaysWithinCodecError)
{
    const std::vector<int16_t> tone = Tone(440, 12000, 22050, 5000);
    ST_WAV_INFO packed;
    const std::vector<int16_t> back = RoundTrip(Pcm16Wave(tone, 1, 22050), &packed);
    ASSERT_EQ(back.size(), tone.size());
    EXPECT_EQ(packed.bADPCM, 1u);
    EXPECT_EQ(packed.nBits, 4);
    EXPECT_EQ(packed.nSamples, 5000u);
    EXPECT_EQ(packed.nRate, 22050u);
    // IMA ADPCM tracks a smooth tone to a few per cent of its amplitude.
    EXPECT_LT(RmsError(tone, back), 0.02 * 12000);
    // Each block header carries its first sample exactly.
    const uint32_t perBlock = GetAdpcmSamplesPerBlock(packed.nBlockSize, 1);
    ASSERT_GT(perBlock, 1u);
    for (uint32_t i = 0; i < tone.size(); i += perBlock)
        EXPECT_EQ(back[i], tone[i]) << i;
}

TEST(AdpcmCodec, StereoChannelsStayApart)
{
    // A tone on the left, silence on the right.
    std::vector<int16_t> samples;
    const std::vector<int16_t> left = Tone(300, 8000, 22050, 3000);
    for (int16_t s : left)
    {
        samples.push_back(s);
        samples.push_back(0);
    }
    const std::vector<int16_t> back = RoundTrip(Pcm16Wave(samples, 2, 22050));
    ASSERT_EQ(back.size(), samples.size());
    std::vector<int16_t> backLeft, backRight;
    for (size_t i = 0; i < back.size(); i += 2)
    {
        backLeft.push_back(back[i]);
        backRight.push_back(back[i + 1]);
    }
    EXPECT_LT(RmsError(left, backLeft), 0.02 * 8000);
    EXPECT_LT(RmsError(std::vector<int16_t>(left.size(), 0), backRight), 8.0);
}

TEST(AdpcmCodec, EightBitSourceIsWidened)
{
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += static_cast<char>(128 + std::lround(100 * std::sin(2 * M_PI * 200 * i / 11025.0)));
    const std::string image = Riff(Fmt(1, 1, 11025, 1, 8) + Chunk("data", bytes));
    const std::vector<int16_t> back = RoundTrip(image);
    ASSERT_EQ(back.size(), 2000u);
    std::vector<int16_t> wide;
    for (char c : bytes)
        wide.push_back(static_cast<int16_t>((static_cast<uint8_t>(c) - 128) << 8));
    EXPECT_LT(RmsError(wide, back), 0.04 * 100 * 256);
}

TEST(AdpcmCodec, RefusesWhatItCannotConvert)
{
    uint32_t size = 99;
    const std::string pcm24 = Riff(Fmt(1, 1, 22050, 3, 24) + Chunk("data", std::string(30, '\0')));
    EXPECT_EQ(CompressAdpcmWave(Info(pcm24), &size), nullptr);
    EXPECT_EQ(size, 0u);
    const std::string pcm = Pcm16Wave(Tone(100, 100, 22050, 10), 1, 22050);
    EXPECT_EQ(DecompressAdpcmWave(Info(pcm), &size), nullptr);
    const std::string adpcm = Riff(Fmt(0x11, 1, 22050, 256, 4) + Chunk("data", std::string(256, '\0')));
    EXPECT_EQ(CompressAdpcmWave(Info(adpcm), &size), nullptr);
}

TEST(AdpcmCodec, PartialLastBlockDecodesOnlyWhatItHolds)
{
    // One whole 256-byte block and 4 header + 8 data bytes of a second: 505 + 1 + 16 samples.
    std::string data(256 + 12, '\0');
    const std::string image = Riff(Fmt(0x11, 1, 22050, 256, 4) + Chunk("data", data));
    const ST_WAV_INFO info = Info(image);
    ASSERT_EQ(info.nSamples, 2u * 505u);
    uint32_t size = 0;
    uint8_t* plain = DecompressAdpcmWave(info, &size);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(Info(plain, size).nSamples, 505u + 1u + 16u);
    CX_FREE(plain);
}

TEST(AdpcmCodec, DecoderClampsStepIndexOfHeader)
{
    std::string block = std::string("\0\0\xFF\0", 4) + std::string(252, '\x77');
    const std::string image = Riff(Fmt(0x11, 1, 22050, 256, 4) + Chunk("data", block));
    uint32_t size = 0;
    uint8_t* plain = DecompressAdpcmWave(Info(image), &size);
    ASSERT_NE(plain, nullptr);
    // Step index 88 and nibble 7 push the value straight to the top of the range.
    const ST_WAV_INFO out = Info(plain, size);
    EXPECT_EQ(ReadSamples16(out.pData, out.nDataLength)[1], 32767);
    CX_FREE(plain);
}

// The encoders of other programs and ours agree on the format: a file that
// sox compresses decodes here exactly as sox decodes it, and the reverse.
TEST(AdpcmInterop, SoxImaAdpcmFilesDecodeAsSoxDecodesThem)
{
    if (!HaveSox())
        GTEST_SKIP() << "sox is not installed";
    TempDir dir;
    const std::vector<int16_t> tone = Tone(523, 9000, 22050, 4321);
    const std::string source = dir.Write("tone.wav", Pcm16Wave(tone, 1, 22050));
    const std::string packed = dir.File("packed.wav");
    const std::string reference = dir.File("reference.wav");
    ASSERT_EQ(std::system(("sox " + source + " -e ima-adpcm " + packed).c_str()), 0);
    ASSERT_EQ(std::system(("sox " + packed + " -e signed-integer -b 16 " + reference).c_str()), 0);

    const std::string packedImage = TempDir::Read(packed);
    const ST_WAV_INFO packedInfo = Info(packedImage);
    ASSERT_EQ(packedInfo.bADPCM, 1u);
    uint32_t size = 0;
    uint8_t* plain = DecompressAdpcmWave(packedInfo, &size);
    ASSERT_NE(plain, nullptr);
    const ST_WAV_INFO ours = Info(plain, size);
    const std::string referenceImage = TempDir::Read(reference);
    const ST_WAV_INFO theirs = Info(referenceImage);
    ExpectPrefixOf(ReadSamples16(ours.pData, ours.nDataLength),
                   ReadSamples16(theirs.pData, theirs.nDataLength));
    EXPECT_EQ(ours.nSamples, 4321u);
    EXPECT_LT(RmsError(tone, ReadSamples16(ours.pData, ours.nDataLength)), 0.02 * 9000);
    CX_FREE(plain);
}

TEST(AdpcmInterop, SoxDecodesOurFilesAsWeDo)
{
    if (!HaveSox())
        GTEST_SKIP() << "sox is not installed";
    TempDir dir;
    const std::string source = Pcm16Wave(Tone(700, 7000, 22050, 3000, 2), 2, 22050);
    uint32_t packedSize = 0;
    uint8_t* packed = CompressAdpcmWave(Info(source), &packedSize);
    ASSERT_NE(packed, nullptr);
    const std::string packedPath =
        dir.Write("ours.wav", std::string(reinterpret_cast<const char*>(packed), packedSize));
    uint32_t plainSize = 0;
    uint8_t* plain = DecompressAdpcmWave(Info(packed, packedSize), &plainSize);
    ASSERT_NE(plain, nullptr);
    const std::string decoded = dir.File("decoded.wav");
    ASSERT_EQ(std::system(("sox " + packedPath + " -e signed-integer -b 16 " + decoded).c_str()), 0);
    const std::string soxImage = TempDir::Read(decoded);
    const ST_WAV_INFO theirs = Info(soxImage);
    const ST_WAV_INFO ours = Info(plain, plainSize);
    ExpectPrefixOf(ReadSamples16(ours.pData, ours.nDataLength),
                   ReadSamples16(theirs.pData, theirs.nDataLength));
    EXPECT_EQ(ours.nSamples, 6000u);
    CX_FREE(packed);
    CX_FREE(plain);
}
