// The Smacker encoder, checked by decoding its files with FFmpeg through the
// platform video layer: every pixel index, palette entry and sample must come back.
#include "tools/smk/smk_encoder.h"

#include "engine/graphics/draw_surface.h"
#include "engine/platform/audio.h"
#include "engine/platform/video.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {
// A palette of 6-bit-exact colours (they survive the file's 6-bit palette unchanged).
std::vector<uint8_t> MakePalette(uint32_t seed)
{
    std::vector<uint8_t> palette(768);
    std::mt19937 random(seed);
    for (uint8_t& v : palette)
    {
        const uint32_t six = random() & 63;
        v = static_cast<uint8_t>((six << 2) | (six >> 4));
    }
    return palette;
}

std::vector<uint8_t> NoisyFrame(int32_t w, int32_t h, uint32_t seed, uint32_t colours)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    std::mt19937 random(seed);
    for (uint8_t& p : pixels)
        p = static_cast<uint8_t>(random() % colours);
    return pixels;
}

// An 8-bit target of the movie's size drawing into surface.
ST_VIDEO_TARGET Target8(const CxVideo& video, std::vector<uint8_t>* surface)
{
    surface->resize(static_cast<size_t>(video.GetWidth()) * video.GetHeight());
    ST_VIDEO_TARGET target;
    target.pBits = surface->data();
    target.nPitch = target.nWidth = video.GetWidth();
    target.nHeight = video.GetHeight();
    return target;
}

std::vector<uint8_t> DecodeAll8(CxVideo& video)
{
    std::vector<uint8_t> all, surface;
    const ST_VIDEO_TARGET target = Target8(video, &surface);
    while (video.DecodeFrame(target) == CX_ERR_NONE)
        all.insert(all.end(), surface.begin(), surface.end());
    return all;
}

std::vector<uint8_t> Encode(CxSmackerEncoder& encoder)
{
    std::vector<uint8_t> file;
    EXPECT_EQ(encoder.Finish(&file), CX_ERR_NONE);
    return file;
}

using Frames = std::vector<std::vector<uint8_t>>;

// The frames, all with one palette, as a movie file.
std::vector<uint8_t> EncodeFrames(int32_t w, int32_t h, uint32_t fps, const Frames& frames,
                                  const std::vector<uint8_t>& palette)
{
    CxSmackerEncoder encoder;
    EXPECT_EQ(encoder.Begin(w, h, fps), CX_ERR_NONE);
    for (const std::vector<uint8_t>& frame : frames)
        EXPECT_EQ(encoder.AddFrame(frame.data(), palette.data()), CX_ERR_NONE);
    return Encode(encoder);
}

std::vector<uint8_t> Joined(const Frames& frames)
{
    std::vector<uint8_t> all;
    for (const std::vector<uint8_t>& frame : frames)
        all.insert(all.end(), frame.begin(), frame.end());
    return all;
}

ST_SMK_AUDIO Audio(uint32_t rate, uint16_t bits, uint16_t channels)
{
    ST_SMK_AUDIO audio;
    audio.nRate = rate;
    audio.nBits = bits;
    audio.nChannels = channels;
    return audio;
}

std::vector<uint8_t> AudioMovie(const ST_SMK_AUDIO& audio, int32_t frames, uint32_t fps)
{
    CxSmackerEncoder encoder;
    EXPECT_EQ(encoder.Begin(8, 8, fps), CX_ERR_NONE);
    const std::vector<uint8_t> palette = MakePalette(1);
    for (int32_t i = 0; i < frames; ++i)
        encoder.AddFrame(NoisyFrame(8, 8, static_cast<uint32_t>(i), 4).data(), palette.data());
    EXPECT_EQ(encoder.SetAudio(audio), CX_ERR_NONE);
    return Encode(encoder);
}

std::vector<uint8_t> DecodeAudio(const std::vector<uint8_t>& file, ST_VIDEO_AUDIO_INFO* info)
{
    CxVideo video;
    EXPECT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    *info = video.GetAudioInfo();
    std::vector<uint8_t> pixels, samples, part;
    const ST_VIDEO_TARGET target = Target8(video, &pixels);
    while (video.DecodeFrame(target) == CX_ERR_NONE)
    {
        video.TakeAudio(&part);
        samples.insert(samples.end(), part.begin(), part.end());
    }
    video.TakeAudio(&part);
    samples.insert(samples.end(), part.begin(), part.end());
    return samples;
}
} // namespace

TEST(SmackerEncoderVideo, EveryPixelAndPaletteEntryComesBack)
{
    Frames frames;
    for (uint32_t i = 0; i < 5; ++i)
        frames.push_back(NoisyFrame(32, 16, i, i == 2 ? 256 : 16 + i));
    const std::vector<uint8_t> palette = MakePalette(7);
    const std::vector<uint8_t> file = EncodeFrames(32, 16, 10, frames, palette);
    CxVideo video;
    ASSERT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    EXPECT_EQ(video.GetWidth(), 32);
    EXPECT_EQ(video.GetHeight(), 16);
    ASSERT_EQ(video.GetFrameCount(), 5);
    EXPECT_EQ(video.GetRateNum() * 1.0 / video.GetRateDen(), 10.0);
    EXPECT_EQ(DecodeAll8(video), Joined(frames));
    EXPECT_EQ(memcmp(video.GetPalette(), palette.data(), 768), 0);
}

TEST(SmackerEncoderVideo, LargeFramesWithManyPairsComeBack)
{
    // Every pair value is possible: a deep FULL tree, escapes chosen from the unused values.
    std::vector<uint8_t> frame = NoisyFrame(320, 240, 99, 256);
    // A skewed distribution as well, for long codes.
    std::fill(frame.begin(), frame.begin() + frame.size() / 2, 0);
    const std::vector<uint8_t> file = EncodeFrames(320, 240, 25, {frame}, MakePalette(3));
    CxVideo video;
    ASSERT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    EXPECT_EQ(DecodeAll8(video), frame);
}

TEST(SmackerEncoderVideo, UnchangedAndFlatBlocksCostAlmostNothing)
{
    // Frame 0 flat, frame 1 one changed block, frame 2 the same again.
    std::vector<uint8_t> a(64 * 64, 9), b = a;
    b[17 * 64 + 33] = 200;
    const Frames frames = {a, b, b};
    const std::vector<uint8_t> file = EncodeFrames(64, 64, 10, frames, MakePalette(4));
    EXPECT_LT(file.size(), 1200u); // the full palette is 772 bytes of it
    // Frame 0 is a key frame; the others keep blocks.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(file[0x68 + 4 * i] & 1, i == 0 ? 1 : 0) << "frame " << i;
    CxVideo video;
    ASSERT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    EXPECT_EQ(DecodeAll8(video), Joined(frames));
}

TEST(SmackerEncoderVideo, PaletteChangesArriveWithTheirFrame)
{
    CxSmackerEncoder encoder;
    ASSERT_EQ(encoder.Begin(8, 8, 15), CX_ERR_NONE);
    std::vector<uint8_t> a = MakePalette(1), b = a, c = MakePalette(2);
    // A few entries change: keep runs and explicit entries in one chunk.
    b[0] = 0xFF;
    b[130 * 3 + 1] = 0x00;
    b[255 * 3 + 2] = 0x41;
    const std::vector<uint8_t> pixels = NoisyFrame(8, 8, 5, 256);
    const std::vector<uint8_t>* palettes[4] = {&a, &a, &b, &c};
    for (const std::vector<uint8_t>* p : palettes)
        ASSERT_EQ(encoder.AddFrame(pixels.data(), p->data()), CX_ERR_NONE);
    const std::vector<uint8_t> file = Encode(encoder);
    CxVideo video;
    ASSERT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    std::vector<uint8_t> surface;
    const ST_VIDEO_TARGET target = Target8(video, &surface);
    const bool changes[4] = {true, false, true, true};
    for (int i = 0; i < 4; ++i)
    {
        ASSERT_EQ(video.DecodeFrame(target), CX_ERR_NONE);
        EXPECT_EQ(video.IsPaletteChanged(), changes[i]) << "frame " << i;
        EXPECT_EQ(memcmp(video.GetPalette(), palettes[i]->data(), 768), 0) << "frame " << i;
    }
}

TEST(SmackerEncoderVideo, PaletteComponentsKeepTheirTopSixBits)
{
    std::vector<uint8_t> palette(768);
    for (int i = 0; i < 768; ++i)
        palette[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> file = EncodeFrames(4, 4, 10, {std::vector<uint8_t>(16, 1)}, palette);
    CxVideo video;
    ASSERT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    DecodeAll8(video);
    for (int i = 0; i < 768; ++i)
    {
        const uint8_t six = static_cast<uint8_t>(palette[i] >> 2);
        ASSERT_EQ(video.GetPalette()[i], static_cast<uint8_t>((six << 2) | (six >> 4))) << i;
    }
}

TEST(SmackerEncoderVideo, TrueColourSurfacesShareOnePalette)
{
    CxDrawSurface a, b;
    ASSERT_EQ(a.CreateSurface(8, 4, 24), CX_ERR_NONE);
    ASSERT_EQ(b.CreateSurface(8, 4, 24), CX_ERR_NONE);
    // Colours with 6-bit-exact channels, different in the two frames (raw
    // 24-bit values are 0x00BBGGRR).
    a.FillRect(nullptr, 0x0000FC);
    b.FillRect(nullptr, 0xFC0000);
    b.SetPixel(3, 2, 0x00FC00);
    CxSmackerEncoder encoder;
    ASSERT_EQ(encoder.Begin(8, 4, 10), CX_ERR_NONE);
    CxDrawSurface* frames[2] = {&a, &b};
    ASSERT_EQ(encoder.AddSurfaces(frames, 2), CX_ERR_NONE);
    const std::vector<uint8_t> file = Encode(encoder);
    CxVideo video;
    ASSERT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    const std::vector<uint8_t> decoded = DecodeAll8(video);
    ASSERT_EQ(decoded.size(), 64u);
    const uint8_t* pal = video.GetPalette();
    auto colour = [&](size_t i) {
        return (pal[decoded[i] * 3] << 16) | (pal[decoded[i] * 3 + 1] << 8) | pal[decoded[i] * 3 + 2];
    };
    EXPECT_EQ(colour(0), 0xFF0000);
    EXPECT_EQ(colour(32), 0x0000FF);
    EXPECT_EQ(colour(32 + 2 * 8 + 3), 0x00FF00);
    EXPECT_FALSE(video.IsPaletteChanged());
}

TEST(SmackerEncoderAudio, SamplesComeBackExactlyInEveryFormat)
{
    for (uint16_t bits : {8, 16})
        for (uint16_t channels : {1, 2})
        {
            ST_SMK_AUDIO audio = Audio(11025, bits, channels);
            std::mt19937 random(bits * 10 + channels);
            // A smooth wave with noise, then a stretch of wild jumps (wrapping deltas).
            const uint32_t frames = 11025 * 3 / 10 + 17;
            for (uint32_t i = 0; i < frames * channels; ++i)
            {
                const uint32_t v = i < frames ? (i * 37 + (random() & 7)) : random();
                audio.data.push_back(static_cast<uint8_t>(v));
                if (bits == 16)
                    audio.data.push_back(static_cast<uint8_t>(v >> 8));
            }
            const std::vector<uint8_t> file = AudioMovie(audio, 3, 10);
            ST_VIDEO_AUDIO_INFO info;
            const std::vector<uint8_t> samples = DecodeAudio(file, &info);
            EXPECT_EQ(info.nRate, 11025u);
            EXPECT_EQ(info.nBits, bits);
            EXPECT_EQ(info.nChannels, channels);
            EXPECT_EQ(samples, audio.data) << bits << "-bit, " << channels << " channels";
        }
}

TEST(SmackerEncoderAudio, ShortAudioLeavesLaterFramesSilent)
{
    ST_SMK_AUDIO audio = Audio(8000, 8, 1);
    audio.data.assign(1000, 0x80); // less than two frames at 5 fps
    audio.data[500] = 3;
    const std::vector<uint8_t> file = AudioMovie(audio, 4, 5);
    ST_VIDEO_AUDIO_INFO info;
    EXPECT_EQ(DecodeAudio(file, &info), audio.data);
}

TEST(SmackerEncoderAudio, SeveralTracksEachComeBackWhole)
{
    // Tracks 0 and 2 in different formats; track 1 is left empty.
    ST_SMK_AUDIO first = Audio(8000, 8, 1), third = Audio(11025, 16, 2);
    for (uint32_t i = 0; i < 8000 * 4 / 10; ++i)
        first.data.push_back(static_cast<uint8_t>(128 + (i * 7) % 50));
    std::mt19937 random(5);
    for (uint32_t i = 0; i < 11025 * 4 / 10 * 4; ++i)
        third.data.push_back(static_cast<uint8_t>(random()));
    CxSmackerEncoder encoder;
    ASSERT_EQ(encoder.Begin(8, 8, 10), CX_ERR_NONE);
    const std::vector<uint8_t> palette = MakePalette(2);
    for (int32_t i = 0; i < 4; ++i)
        encoder.AddFrame(NoisyFrame(8, 8, static_cast<uint32_t>(i), 4).data(), palette.data());
    ASSERT_EQ(encoder.SetAudioTrack(0, first), CX_ERR_NONE);
    ASSERT_EQ(encoder.SetAudioTrack(2, third), CX_ERR_NONE);
    const std::vector<uint8_t> file = Encode(encoder);

    ST_SMK_INFO info;
    ASSERT_TRUE(ReadSmackerInfo(file.data(), static_cast<uint32_t>(file.size()), &info));
    EXPECT_EQ(info.nAudioFlags[0], 0xC0000000u | 8000u);
    EXPECT_EQ(info.nAudioFlags[1], 0u);
    EXPECT_EQ(info.nAudioFlags[2], 0xF0000000u | 11025u);

    CxVideo video;
    ASSERT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    EXPECT_EQ(video.GetAudioTrackMask(), 0x5u);
    EXPECT_EQ(video.GetTrackInfo(2).nRate, 11025u);
    EXPECT_EQ(video.GetAudioSampleType(2), CX_SAMPLE_STEREO_16);
    EXPECT_EQ(video.GetAudioSampleType(0), CX_SAMPLE_MONO_8);
    EXPECT_EQ(video.GetAudioSampleType(1), -1);
    std::vector<uint8_t> samples;
    ASSERT_EQ(video.DecodeAllAudio(&samples, 2), CX_ERR_NONE);
    EXPECT_EQ(samples, third.data);
    ASSERT_EQ(video.DecodeAllAudio(&samples, 0), CX_ERR_NONE);
    EXPECT_EQ(samples, first.data);
    ASSERT_EQ(video.DecodeAllAudio(&samples), CX_ERR_NONE);
    EXPECT_EQ(samples, first.data) << "without a track: the first one";
    EXPECT_EQ(video.DecodeAllAudio(&samples, 1), CX_ERR_INVALID_ARGUMENT);
    EXPECT_TRUE(samples.empty());
    // The pictures are untouched by the extra track.
    EXPECT_EQ(DecodeAll8(video).size(), 4u * 64u);
}

TEST(SmackerEncoderErrors, BadArgumentsAreRefused)
{
    ErrorCapture capture;
    CxSmackerEncoder encoder;
    EXPECT_EQ(encoder.Begin(6, 8, 10), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(encoder.Begin(8, 8, 0), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(encoder.Begin(8, 8, 10), CX_ERR_NONE);
    std::vector<uint8_t> file;
    EXPECT_EQ(encoder.Finish(&file), CX_ERR_INVALID_ARGUMENT); // no frame
    ASSERT_EQ(encoder.Begin(8, 8, 10), CX_ERR_NONE);
    ST_SMK_AUDIO audio = Audio(8000, 16, 2);
    audio.data.assign(3, 0); // not a whole sample
    EXPECT_EQ(encoder.SetAudio(audio), CX_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(encoder.Begin(8, 8, 10), CX_ERR_NONE); // clears the kept error
    audio.data.assign(4, 0);
    EXPECT_EQ(encoder.SetAudioTrack(7, audio), CX_ERR_INVALID_ARGUMENT) << "tracks are 0 to 6";
    CxDrawSurface small;
    ASSERT_EQ(small.CreateSurface(4, 4, 8), CX_ERR_NONE);
    CxDrawSurface* frames[1] = {&small};
    ASSERT_EQ(encoder.Begin(8, 8, 10), CX_ERR_NONE);
    EXPECT_EQ(encoder.AddSurfaces(frames, 1), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(capture.Errors().size(), 6u) << "each refusal is reported";
}

TEST(SmackerEncoderInfo, HeaderDescribesTheMovie)
{
    ST_SMK_AUDIO audio = Audio(22050, 16, 2);
    audio.data.assign(400, 0);
    const std::vector<uint8_t> file = AudioMovie(audio, 2, 15);
    ST_SMK_INFO info;
    ASSERT_TRUE(ReadSmackerInfo(file.data(), static_cast<uint32_t>(file.size()), &info));
    EXPECT_STREQ(info.szSignature, "SMK2");
    EXPECT_EQ(info.nWidth, 8u);
    EXPECT_EQ(info.nFrames, 2u);
    EXPECT_EQ(info.nRate, -6667);
    EXPECT_EQ(info.nAudioFlags[0], 0xF0000000u | 22050u);
    EXPECT_EQ(SmackerRateField(10), 100);
    EXPECT_EQ(SmackerRateField(25), 40);
    EXPECT_FALSE(ReadSmackerInfo(file.data(), 0x67, &info));
}
