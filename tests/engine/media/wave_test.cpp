// CxWave's in-memory editing of its data: reversal and tremolo, and the
// conversions it refuses. None of it needs an audio device.
#include "engine/media/wave.h"

#include "engine/core/error.h"
#include "tests/support/test_support.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace wave_test;

namespace {
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
    double sum = 0;
    for (size_t i = 0; i < back.size(); ++i)
        sum += std::pow(back[i] - tone[tone.size() - 1 - i], 2);
    // Two passes through the codec.
    EXPECT_LT(std::sqrt(sum / static_cast<double>(back.size())), 0.04 * 9000);
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
