// CxWave's in-memory work on its data: wave information, ADPCM compression,
// reversal and tremolo. None of it needs an audio device.
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

std::vector<int16_t> Samples(CxWave& wave)
{
    ST_WAV_INFO info;
    EXPECT_EQ(wave.GetWaveInfo(&info), 0u);
    return ReadSamples16(info.pData, info.nDataLength);
}

std::string Bytes8(CxWave& wave)
{
    ST_WAV_INFO info;
    EXPECT_EQ(wave.GetWaveInfo(&info), 0u);
    return std::string(reinterpret_cast<const char*>(info.pData), info.nDataLength);
}

double Rms(const std::vector<int16_t>& a, const std::vector<int16_t>& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += (a[i] - b[i]) * static_cast<double>(a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(a.size()));
}
} // namespace

TEST(WaveData, WaveInfoOfBrokenDataIsInvalidWavFile)
{
    ErrorCapture errors;
    CxWave wave;
    Give(wave, Riff(Fmt(1, 1, 22050, 2, 16)));
    ST_WAV_INFO info;
    EXPECT_EQ(wave.GetWaveInfo(&info), CX_ERR_INVALID_FILE_TYPE);
    ASSERT_EQ(errors.Errors().size(), 1u);
    EXPECT_EQ(errors.Errors()[0].code, CX_ERR_INVALID_FILE_TYPE);
    EXPECT_EQ(errors.Errors()[0].text, "Invalid WAV File");
}

TEST(WaveData, RawDataDescribesItselfAsSixteenBitMono)
{
    CxWave wave;
    Give(wave, std::string(100, '\0'), CX_SOUND_RAW);
    ST_WAV_INFO info;
    ASSERT_EQ(wave.GetWaveInfo(&info), 0u);
    EXPECT_EQ(info.nRate, 22000u);
    EXPECT_EQ(info.nSamples, 50u);
    EXPECT_EQ(info.nBlockSize, 100u);
}

TEST(WaveData, ReverseKeepsChannelsTogether)
{
    CxWave wave;
    Give(wave, Pcm16Wave({1, 2, 3, 4, 5, 6}, 2, 22050));
    ASSERT_EQ(wave.Reverse(), 0u);
    EXPECT_EQ(Samples(wave), (std::vector<int16_t>{5, 6, 3, 4, 1, 2}));
}

TEST(WaveData, ReverseEightBitAndRawData)
{
    CxWave eight;
    Give(eight, Riff(Fmt(1, 1, 11025, 1, 8) + Chunk("data", "abcde")));
    ASSERT_EQ(eight.Reverse(), 0u);
    EXPECT_EQ(Bytes8(eight), "edcba");

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
    ASSERT_EQ(wave.CompressADPCM(), 0u);
    ASSERT_TRUE(wave.IsADPCM());
    ASSERT_EQ(wave.Reverse(), 0u);
    EXPECT_TRUE(wave.IsADPCM());
    ASSERT_EQ(wave.DecompressADPCM(), 0u);
    const std::vector<int16_t> back = Samples(wave);
    ASSERT_EQ(back.size(), tone.size());
    const std::vector<int16_t> reversed(tone.rbegin(), tone.rend());
    // Two passes through the codec.
    EXPECT_LT(Rms(reversed, back), 0.04 * 9000);
}

TEST(WaveData, OtherWidthsCannotBeEdited)
{
    ErrorCapture errors;
    CxWave wave;
    Give(wave, Riff(Fmt(1, 1, 22050, 3, 24) + Chunk("data", "abcdef")));
    EXPECT_EQ(wave.Reverse(), CX_ERR_UNKNOWN);
    EXPECT_EQ(Bytes8(wave), "abcdef");
    CxWave other;
    Give(other, Riff(Fmt(1, 1, 22050, 3, 24) + Chunk("data", "abcdef")));
    EXPECT_EQ(other.Tremolo(10, 0, 1), CX_ERR_UNKNOWN);
}

TEST(WaveData, TremoloOnSixteenBitFollowsTheSine)
{
    // 1000 Hz at 8000 Hz: the sine is 0, 1, 0, -1 at samples 0, 2, 4, 6.
    CxWave wave;
    Give(wave, Pcm16Wave(std::vector<int16_t>(8, 10000), 1, 8000));
    ASSERT_EQ(wave.Tremolo(1000, 0, 1), 0u);
    const std::vector<int16_t> out = Samples(wave);
    // Gain 0.4 x (sine + 1.2).
    EXPECT_NEAR(out[0], 4800, 1);
    EXPECT_NEAR(out[2], 8800, 1);
    EXPECT_NEAR(out[4], 4800, 1);
    EXPECT_NEAR(out[6], 800, 1);
}

TEST(WaveData, TremoloOnEightBitSwingsAroundTheMiddle)
{
    CxWave wave;
    Give(wave, Riff(Fmt(1, 1, 8000, 1, 8) + Chunk("data", std::string(8, static_cast<char>(228)))));
    ASSERT_EQ(wave.Tremolo(1000, 0, 1), 0u);
    const std::string out = Bytes8(wave);
    // Gain 0.5 x (sine + 1) applied to the distance from 128.
    EXPECT_EQ(static_cast<uint8_t>(out[0]), 178);
    EXPECT_EQ(static_cast<uint8_t>(out[2]), 228);
    EXPECT_EQ(static_cast<uint8_t>(out[6]), 128);
}

TEST(WaveData, TremoloWithoutDepthChangesNothing)
{
    const std::vector<int16_t> tone = Tone(440, 5000, 22050, 500, 2);
    CxWave wave;
    Give(wave, Pcm16Wave(tone, 2, 22050));
    ASSERT_EQ(wave.Tremolo(5, 0.3f, 0), 0u);
    EXPECT_EQ(Samples(wave), tone);
}

TEST(WaveData, CompressAndDecompressMakeCompleteWaveImages)
{
    const std::vector<int16_t> tone = Tone(440, 12000, 22050, 2000);
    CxWave wave;
    Give(wave, Pcm16Wave(tone, 1, 22050));
    EXPECT_FALSE(wave.IsADPCM());
    ASSERT_EQ(wave.CompressADPCM(), 0u);
    EXPECT_TRUE(wave.IsADPCM());
    ST_WAV_INFO info;
    ASSERT_EQ(wave.GetWaveInfo(&info), 0u);
    EXPECT_EQ(info.nSamples, 2000u);
    EXPECT_LT(wave.GetDataSize(), tone.size() * 2 / 3);
    ASSERT_EQ(wave.DecompressADPCM(), 0u);
    EXPECT_FALSE(wave.IsADPCM());
    const std::vector<int16_t> back = Samples(wave);
    ASSERT_EQ(back.size(), tone.size());
    EXPECT_LT(Rms(tone, back), 0.02 * 12000);
}

TEST(WaveData, ConversionsRefuseDataTheyCannotConvert)
{
    ErrorCapture errors;
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
