// Wave data without an audio device: the ADPCM codec, against sox as well,
// and CxWave's editing of its data (reversal, tremolo).
#include "engine/media/adpcm.h"
#include "engine/media/wave.h"

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
void Give(CxWave& wave, const std::string& bytes, uint32_t flags = 0)
{
    ASSERT_EQ(wave.SetData(bytes.data(), static_cast<uint32_t>(bytes.size()), false), 0u);
    wave.SetPlayFlags(flags);
}

std::string Data(CxWave& wave)
{
    ST_WAV_INFO info;
    EXPECT_EQ(wave.GetWaveInfo(&info), 0u);
    return std::string(reinterpret_cast<const char*>(info.pData), info.nDataLength);
}

std::vector<int16_t> Samples(CxWave& wave)
{
    const std::string data = Data(wave);
    return ReadSamples16(Bytes(data), static_cast<uint32_t>(data.size()));
}
} // namespace

TEST(AdpcmCodec, RoundTripStaysWithinCodecErrorAndKeepsChannelsApart)
{
    const std::vector<int16_t> tone = Tone(440, 12000, 22050, 5000);
    ST_WAV_INFO packed;
    const std::vector<int16_t> back = RoundTrip(Pcm16Wave(tone, 1, 22050), &packed);
    ASSERT_EQ(back.size(), tone.size());
    EXPECT_EQ(packed.bADPCM, 1u);
    EXPECT_EQ(packed.nBits, 4);
    EXPECT_EQ(packed.nSamples, 5000u);
    // IMA ADPCM tracks a smooth tone to a few per cent of its amplitude.
    EXPECT_LT(RmsError(tone, back), 0.02 * 12000);
    // Each block header carries its first sample exactly.
    const uint32_t perBlock = GetAdpcmSamplesPerBlock(packed.nBlockSize, 1);
    ASSERT_GT(perBlock, 1u);
    for (uint32_t i = 0; i < tone.size(); i += perBlock)
        EXPECT_EQ(back[i], tone[i]) << i;

    // Stereo: a tone on the left, silence on the right.
    std::vector<int16_t> samples;
    for (int16_t s : tone)
        samples.insert(samples.end(), {s, 0});
    const std::vector<int16_t> both = RoundTrip(Pcm16Wave(samples, 2, 22050));
    ASSERT_EQ(both.size(), samples.size());
    std::vector<int16_t> side[2];
    for (size_t i = 0; i < both.size(); ++i)
        side[i % 2].push_back(both[i]);
    EXPECT_LT(RmsError(tone, side[0]), 0.02 * 12000);
    EXPECT_LT(RmsError(std::vector<int16_t>(tone.size(), 0), side[1]), 8.0);
}

TEST(AdpcmCodec, EightBitSourceIsWidened)
{
    std::string bytes;
    std::vector<int16_t> wide;
    for (int i = 0; i < 2000; ++i)
    {
        bytes += static_cast<char>(128 + std::lround(100 * std::sin(2 * M_PI * 200 * i / 11025.0)));
        wide.push_back(static_cast<int16_t>((static_cast<uint8_t>(bytes.back()) - 128) << 8));
    }
    const std::vector<int16_t> back = RoundTrip(Riff(Fmt(1, 1, 11025, 1, 8) + Chunk("data", bytes)));
    ASSERT_EQ(back.size(), 2000u);
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

namespace {
// Decodes an ADPCM image; the samples, or none.
std::vector<int16_t> Decode(const ST_WAV_INFO& packed)
{
    uint32_t size = 0;
    uint8_t* plain = DecompressAdpcmWave(packed, &size);
    EXPECT_NE(plain, nullptr);
    if (!plain)
        return {};
    const ST_WAV_INFO out = Info(plain, size);
    std::vector<int16_t> samples = ReadSamples16(out.pData, out.nDataLength);
    CX_FREE(plain);
    return samples;
}
} // namespace

TEST(AdpcmCodec, DecoderKeepsToTheBlocksAndClampsTheirHeaders)
{
    // One whole 256-byte block and 4 header + 8 data bytes of a second: 505 + 1 + 16 samples.
    const std::string partial =
        Riff(Fmt(0x11, 1, 22050, 256, 4) + Chunk("data", std::string(256 + 12, '\0')));
    ASSERT_EQ(Info(partial).nSamples, 2u * 505u);
    EXPECT_EQ(Decode(Info(partial)).size(), 505u + 1u + 16u);
    // Step index 255 is clamped to 88, and nibble 7 then reaches the top of the range.
    const std::string block = std::string("\0\0\xFF\0", 4) + std::string(252, '\x77');
    const std::vector<int16_t> clamped =
        Decode(Info(Riff(Fmt(0x11, 1, 22050, 256, 4) + Chunk("data", block))));
    ASSERT_GT(clamped.size(), 1u);
    EXPECT_EQ(clamped[1], 32767);
}

// The encoders of other programs and ours agree on the format: a file that
// sox compresses decodes here exactly as sox decodes it, and the reverse.
TEST(AdpcmInterop, SoxAndWeDecodeEachOthersFilesAlike)
{
    if (std::system("command -v sox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sox is not installed";
    TempDir dir;
    auto sox = [&](const std::string& from, const std::string& options, const std::string& to) {
        EXPECT_EQ(std::system(("sox " + from + " " + options + " " + to).c_str()), 0);
        return TempDir::Read(to);
    };
    const std::string toPcm = "-e signed-integer -b 16";
    // Theirs.
    const std::vector<int16_t> tone = Tone(523, 9000, 22050, 4321);
    const std::string source = dir.Write("tone.wav", Pcm16Wave(tone, 1, 22050));
    const std::string packed = sox(source, "-e ima-adpcm", dir.File("packed.wav"));
    const std::string reference = sox(dir.File("packed.wav"), toPcm, dir.File("reference.wav"));
    ASSERT_EQ(Info(packed).bADPCM, 1u);
    const std::vector<int16_t> ours = Decode(Info(packed));
    EXPECT_EQ(ours.size(), 4321u);
    ExpectPrefixOf(ours, ReadSamples16(Info(reference).pData, Info(reference).nDataLength));
    EXPECT_LT(RmsError(tone, ours), 0.02 * 9000);
    // Ours, in stereo.
    uint32_t size = 0;
    uint8_t* compressed =
        CompressAdpcmWave(Info(Pcm16Wave(Tone(700, 7000, 22050, 3000, 2), 2, 22050)), &size);
    ASSERT_NE(compressed, nullptr);
    const std::string image(reinterpret_cast<const char*>(compressed), size);
    CX_FREE(compressed);
    const std::string decoded = sox(dir.Write("ours.wav", image), toPcm, dir.File("decoded.wav"));
    const std::vector<int16_t> mine = Decode(Info(image));
    EXPECT_EQ(mine.size(), 6000u);
    ExpectPrefixOf(mine, ReadSamples16(Info(decoded).pData, Info(decoded).nDataLength));
}

TEST(WaveData, ReverseKeepsChannelsTogetherInEveryWidth)
{
    CxWave stereo;
    Give(stereo, Pcm16Wave({1, 2, 3, 4, 5, 6}, 2, 22050));
    ASSERT_EQ(stereo.Reverse(), 0u);
    EXPECT_EQ(Samples(stereo), (std::vector<int16_t>{5, 6, 3, 4, 1, 2}));
    CxWave eight;
    Give(eight, Riff(Fmt(1, 1, 11025, 1, 8) + Chunk("data", "abcde")));
    ASSERT_EQ(eight.Reverse(), 0u);
    EXPECT_EQ(Data(eight), "edcba");
    CxWave raw;
    Give(raw, Samples16({10, -20, 30}), CX_SOUND_RAW);
    ASSERT_EQ(raw.Reverse(), 0u);
    EXPECT_EQ(ReadSamples16(raw.GetData(), raw.GetDataSize()), (std::vector<int16_t>{30, -20, 10}));
}

TEST(WaveData, ReverseOfAdpcmStaysAdpcm)
{
    const std::vector<int16_t> tone = Tone(300, 9000, 22050, 3000);
    CxWave wave;
    Give(wave, Pcm16Wave(tone, 1, 22050));
    EXPECT_FALSE(wave.IsADPCM());
    ASSERT_EQ(wave.CompressADPCM(), 0u);
    ASSERT_TRUE(wave.IsADPCM());
    EXPECT_LT(wave.GetDataSize(), tone.size() * 2 / 3);
    ASSERT_EQ(wave.Reverse(), 0u);
    EXPECT_TRUE(wave.IsADPCM());
    ASSERT_EQ(wave.DecompressADPCM(), 0u);
    EXPECT_FALSE(wave.IsADPCM());
    const std::vector<int16_t> back = Samples(wave);
    ASSERT_EQ(back.size(), tone.size());
    // Two passes through the codec.
    EXPECT_LT(RmsError(std::vector<int16_t>(tone.rbegin(), tone.rend()), back), 0.04 * 9000);
}

TEST(WaveData, TremoloFollowsTheSineInEveryWidth)
{
    // 1000 Hz at 8000 Hz: the sine is 0, 1, 0, -1 at samples 0, 2, 4, 6.
    CxWave wave;
    Give(wave, Pcm16Wave(std::vector<int16_t>(8, 10000), 1, 8000));
    ASSERT_EQ(wave.Tremolo(1000, 0, 1), 0u);
    const std::vector<int16_t> out = Samples(wave);
    // Gain 0.4 x (sine + 1.2).
    for (const auto& [at, value] :
         std::vector<std::pair<int, int>>{{0, 4800}, {2, 8800}, {4, 4800}, {6, 800}})
        EXPECT_NEAR(out[at], value, 1) << at;
    // 8-bit: gain 0.5 x (sine + 1) applied to the distance from 128.
    CxWave eight;
    Give(eight, Riff(Fmt(1, 1, 8000, 1, 8) + Chunk("data", std::string(8, static_cast<char>(228)))));
    ASSERT_EQ(eight.Tremolo(1000, 0, 1), 0u);
    const std::string bytes = Data(eight);
    for (const auto& [at, value] : std::vector<std::pair<int, int>>{{0, 178}, {2, 228}, {6, 128}})
        EXPECT_EQ(static_cast<uint8_t>(bytes[at]), value) << at;
    // Without depth nothing changes.
    const std::vector<int16_t> tone = Tone(440, 5000, 22050, 500, 2);
    CxWave still;
    Give(still, Pcm16Wave(tone, 2, 22050));
    ASSERT_EQ(still.Tremolo(5, 0.3f, 0), 0u);
    EXPECT_EQ(Samples(still), tone);
}

TEST(WaveData, EditsAndConversionsRefuseDataTheyCannotHandle)
{
    ErrorCapture errors;
    const std::string wide = Riff(Fmt(1, 1, 22050, 3, 24) + Chunk("data", "abcdef"));
    CxWave reversed;
    Give(reversed, wide);
    EXPECT_EQ(reversed.Reverse(), CX_ERR_UNKNOWN);
    EXPECT_EQ(Data(reversed), "abcdef");
    CxWave tremolo;
    Give(tremolo, wide);
    EXPECT_EQ(tremolo.Tremolo(10, 0, 1), CX_ERR_UNKNOWN);
    CxWave mp3;
    Give(mp3, std::string("\xFF\xFB\x90\x64", 4) + std::string(400, '\0'), CX_SOUND_MP3);
    EXPECT_EQ(mp3.CompressADPCM(), CX_ERR_UNKNOWN);
    EXPECT_EQ(mp3.GetDataSize(), 404u);
    CxWave pcm;
    Give(pcm, Pcm16Wave({1, 2, 3}, 1, 22050));
    EXPECT_EQ(pcm.DecompressADPCM(), CX_ERR_UNKNOWN);
    CxWave empty;
    EXPECT_EQ(empty.CompressADPCM(), CX_ERR_UNKNOWN);
}
