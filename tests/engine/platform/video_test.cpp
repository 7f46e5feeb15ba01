// The FFmpeg movie layer, on movies made in memory by the Smacker encoder.
#include "engine/platform/video.h"

#include "engine/platform/audio.h"

#include "tests/support/test_support.h"
#include "tools/smk/smk_encoder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
// A palette whose entries survive the file's 6-bit components: entry i is (4i, 252 - 4i, 4 * (i % 64)) / 4
// steps.
std::vector<uint8_t> SixBitPalette()
{
    std::vector<uint8_t> palette(768);
    for (int i = 0; i < 256; ++i)
    {
        const int r = i % 64, g = 63 - i % 64, b = (i / 4) % 64;
        palette[i * 3] = static_cast<uint8_t>((r << 2) | (r >> 4));
        palette[i * 3 + 1] = static_cast<uint8_t>((g << 2) | (g >> 4));
        palette[i * 3 + 2] = static_cast<uint8_t>((b << 2) | (b >> 4));
    }
    return palette;
}

// Frame k of a test movie: pixel (x, y) is (x + 3y + 7k) & 0xFF.
std::vector<uint8_t> Frame(int32_t w, int32_t h, int32_t k)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(x + 3 * y + 7 * k);
    return pixels;
}

std::vector<uint8_t> MakeMovie(int32_t w, int32_t h, int32_t frames, uint32_t fps = 10)
{
    CxSmackerEncoder encoder;
    EXPECT_EQ(encoder.Begin(w, h, fps), CX_ERR_NONE);
    const std::vector<uint8_t> palette = SixBitPalette();
    for (int32_t k = 0; k < frames; ++k)
        encoder.AddFrame(Frame(w, h, k).data(), palette.data());
    std::vector<uint8_t> file;
    EXPECT_EQ(encoder.Finish(&file), CX_ERR_NONE);
    return file;
}

struct Surface
{
    Surface(int32_t w, int32_t h, int32_t bytes, uint8_t format)
        : memory(static_cast<size_t>(w * bytes + 6) * h, 0xEE)
    {
        target.pBits = memory.data();
        target.nPitch = w * bytes + 6; // padded rows
        target.nWidth = w;
        target.nHeight = h;
        target.nFormat = format;
    }
    std::vector<uint8_t> memory;
    ST_VIDEO_TARGET target;
};

uint32_t Open(CxVideo& video, const std::vector<uint8_t>& file)
{
    return video.Open(file.data(), static_cast<uint32_t>(file.size()));
}

// Whether the 8-bit target holds frame k of a w x h movie at (0, 0).
bool Holds(const Surface& s, int32_t w, int32_t h, int32_t k)
{
    const std::vector<uint8_t> expected = Frame(w, h, k);
    for (int32_t y = 0; y < h; ++y)
        if (memcmp(&s.memory[static_cast<size_t>(y) * s.target.nPitch], &expected[static_cast<size_t>(y) * w],
                   static_cast<size_t>(w)) != 0)
            return false;
    return true;
}
} // namespace

TEST(VideoOpen, ReportsSizeFramesAndTiming)
{
    CxVideo video;
    const std::vector<uint8_t> file = MakeMovie(16, 8, 3, 15);
    ASSERT_EQ(Open(video, file), CX_ERR_NONE);
    EXPECT_TRUE(video.IsOpen());
    EXPECT_EQ(video.GetWidth(), 16);
    EXPECT_EQ(video.GetHeight(), 8);
    EXPECT_EQ(video.GetFrameCount(), 3);
    EXPECT_FALSE(video.HasAudio());
    // 15 fps is stored as 6667 units of 10 microseconds.
    EXPECT_EQ(video.GetFrameTime(0), 0);
    EXPECT_EQ(video.GetFrameTime(3), 200010);
    video.Close();
    EXPECT_FALSE(video.IsOpen());
    EXPECT_EQ(video.GetFrameCount(), 0);
}

TEST(VideoOpen, AFailureIsACodeWithItsReasonAndNeverAReport)
{
    // The decoder sits below the error path: the one report of a bad movie
    // is its caller's, so opening garbage must not count anything here.
    ErrorCapture capture;
    CxVideo video;
    const uint8_t garbage[200] = {'S', 'M', 'K', '2'};
    EXPECT_EQ(video.Open(garbage, sizeof(garbage)), CX_ERR_INVALID_ARGUMENT);
    EXPECT_NE(std::string(video.GetReason().c_str()), "");
    EXPECT_EQ(video.Open(nullptr, 0), CX_ERR_INVALID_FILE_TYPE);
    EXPECT_STREQ(video.GetReason().c_str(), "Not a Smacker movie");
    EXPECT_TRUE(capture.Errors().empty());
    const std::vector<uint8_t> file = MakeMovie(8, 8, 2);
    ASSERT_EQ(video.Open(file.data(), static_cast<uint32_t>(file.size())), CX_ERR_NONE);
    EXPECT_EQ(video.GetError(), CX_ERR_NONE);
    EXPECT_STREQ(video.GetReason().c_str(), "");
}

TEST(VideoConvert, SixteenBitFormatsThroughThePaletteAtAPositionAndPitch)
{
    const std::vector<uint8_t> palette = SixBitPalette();
    for (uint8_t format : {CX_VIDEO_555, CX_VIDEO_565})
    {
        CxVideo video;
        ASSERT_EQ(Open(video, MakeMovie(8, 4, 1)), CX_ERR_NONE);
        // The movie sits at (5, 1) of a 10 x 4 surface: columns 10-12 and row 4 are clipped.
        Surface s(10, 4, 2, format);
        s.target.x = 5;
        s.target.y = 1;
        ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
        const std::vector<uint8_t> frame = Frame(8, 4, 0);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 10; ++x)
            {
                uint16_t got;
                memcpy(&got, &s.memory[static_cast<size_t>(y) * s.target.nPitch + x * 2], 2);
                if (x < 5 || y < 1)
                {
                    EXPECT_EQ(got, 0xEEEE) << x << "," << y;
                    continue;
                }
                const uint8_t* e = &palette[frame[static_cast<size_t>(y - 1) * 8 + (x - 5)] * 3];
                const uint16_t want =
                    format == CX_VIDEO_565
                        ? static_cast<uint16_t>(((e[0] >> 3) << 11) | ((e[1] >> 2) << 5) | (e[2] >> 3))
                        : static_cast<uint16_t>(((e[0] >> 3) << 10) | ((e[1] >> 3) << 5) | (e[2] >> 3));
                EXPECT_EQ(got, want) << x << "," << y;
            }
        // The row padding is never written.
        for (int32_t y = 0; y < 4; ++y)
            EXPECT_EQ(s.memory[static_cast<size_t>(y) * s.target.nPitch + 20], 0xEE);
    }
}

TEST(VideoConvert, NegativePositionsClipTheMovie)
{
    CxVideo video;
    ASSERT_EQ(Open(video, MakeMovie(8, 8, 1)), CX_ERR_NONE);
    Surface s(4, 4, 1, CX_VIDEO_8BIT);
    s.target.x = -4;
    s.target.y = -2;
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    const std::vector<uint8_t> frame = Frame(8, 8, 0);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(s.memory[static_cast<size_t>(y) * s.target.nPitch + x], frame[(y + 2) * 8 + x + 4]);
}

TEST(VideoConvert, BadTargetsAreRefused)
{
    ErrorCapture capture;
    CxVideo video;
    ASSERT_EQ(Open(video, MakeMovie(8, 8, 1)), CX_ERR_NONE);
    Surface s(8, 8, 1, CX_VIDEO_8BIT);
    ST_VIDEO_TARGET bad = s.target;
    bad.pBits = nullptr;
    EXPECT_EQ(video.DecodeFrame(bad), CX_ERR_INVALID_ARGUMENT);
    bad = s.target;
    bad.nFormat = CX_VIDEO_565; // the pitch is too small for 16-bit pixels
    EXPECT_EQ(video.DecodeFrame(bad), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(video.GetCurrentFrame(), 0);
}

TEST(VideoChanges, RectanglesCoverExactlyTheChangedBands)
{
    const std::vector<uint8_t> palette = SixBitPalette();
    std::vector<uint8_t> a(32 * 16, 1), b = a, c = b;
    b[5 * 32 + 9] = 2;   // row 5 (band 4-7), column 9
    b[6 * 32 + 20] = 3;  // same band, column 20
    b[13 * 32 + 30] = 4; // band 12-15
    c = b;
    CxSmackerEncoder encoder;
    ASSERT_EQ(encoder.Begin(32, 16, 10), CX_ERR_NONE);
    for (const std::vector<uint8_t>* f : {&a, &b, &c, &a})
        encoder.AddFrame(f->data(), palette.data());
    std::vector<uint8_t> file;
    ASSERT_EQ(encoder.Finish(&file), CX_ERR_NONE);
    CxVideo video;
    ASSERT_EQ(Open(video, file), CX_ERR_NONE);
    Surface s(32, 16, 1, CX_VIDEO_8BIT);
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    ASSERT_EQ(video.GetChangedRects().size(), 1u);
    EXPECT_EQ(video.GetChangedRects()[0], CxRect(0, 0, 31, 15));
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    ASSERT_EQ(video.GetChangedRects().size(), 2u);
    EXPECT_EQ(video.GetChangedRects()[0], CxRect(9, 4, 20, 7));
    EXPECT_EQ(video.GetChangedRects()[1], CxRect(30, 12, 30, 15));
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    EXPECT_TRUE(video.GetChangedRects().empty());
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    EXPECT_EQ(video.GetChangedRects().size(), 2u);
    // After a jump the whole frame is new.
    ASSERT_EQ(video.Goto(3), CX_ERR_NONE);
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    ASSERT_EQ(video.GetChangedRects().size(), 1u);
    EXPECT_EQ(video.GetChangedRects()[0], CxRect(0, 0, 31, 15));
    // The end: no more frames, nothing touched.
    std::vector<uint8_t> before = s.memory;
    EXPECT_EQ(video.DecodeFrame(s.target), CX_ERR_INVALID_FILE_TYPE);
    EXPECT_EQ(s.memory, before);
}

TEST(VideoGoto, SmallMoviesAreKeptDecoded)
{
    CxVideo video;
    ASSERT_EQ(Open(video, MakeMovie(16, 16, 32)), CX_ERR_NONE);
    EXPECT_TRUE(video.IsCached());
    Surface s(16, 16, 1, CX_VIDEO_8BIT);
    for (int32_t k : {5, 31, 0, 17, 17, 3})
    {
        ASSERT_EQ(video.Goto(k), CX_ERR_NONE);
        ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
        EXPECT_TRUE(Holds(s, 16, 16, k)) << "frame " << k;
        EXPECT_EQ(video.GetCurrentFrame(), k + 1);
    }
}

TEST(VideoGoto, LongMoviesDecodeForwardAndRestartToGoBack)
{
    CxVideo video;
    ASSERT_EQ(Open(video, MakeMovie(8, 8, CX_VIDEO_CACHE_FRAMES + 6)), CX_ERR_NONE);
    EXPECT_FALSE(video.IsCached());
    Surface s(8, 8, 1, CX_VIDEO_8BIT);
    for (int32_t k : {0, 1, 40, 2, 69, 69, 10})
    {
        ASSERT_EQ(video.Goto(k), CX_ERR_NONE);
        ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
        EXPECT_TRUE(Holds(s, 8, 8, k)) << "frame " << k;
    }
    // Then plain playback goes on from there.
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    EXPECT_TRUE(Holds(s, 8, 8, 11));
    ErrorCapture capture;
    EXPECT_EQ(video.Goto(70), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(video.Goto(-1), CX_ERR_INVALID_ARGUMENT);
}

TEST(VideoSound, SamplesQueueOnlyWhileTheSoundIsOn)
{
    CxSmackerEncoder encoder;
    ASSERT_EQ(encoder.Begin(8, 8, 10), CX_ERR_NONE);
    const std::vector<uint8_t> palette = SixBitPalette();
    for (int32_t k = 0; k < 4; ++k)
        encoder.AddFrame(Frame(8, 8, k).data(), palette.data());
    ST_SMK_AUDIO audio;
    audio.nRate = 1000;
    audio.nBits = 16;
    audio.nChannels = 1;
    for (int i = 0; i < 400; ++i)
    {
        audio.data.push_back(static_cast<uint8_t>(i));
        audio.data.push_back(static_cast<uint8_t>(i * 3));
    }
    ASSERT_EQ(encoder.SetAudio(audio), CX_ERR_NONE);
    std::vector<uint8_t> file;
    ASSERT_EQ(encoder.Finish(&file), CX_ERR_NONE);

    CxVideo video;
    ASSERT_EQ(Open(video, file), CX_ERR_NONE);
    EXPECT_FALSE(video.IsCached()); // movies with sound are decoded as they play
    ASSERT_TRUE(video.HasAudio());
    EXPECT_EQ(video.GetAudioInfo().nRate, 1000u);
    Surface s(8, 8, 1, CX_VIDEO_8BIT);
    std::vector<uint8_t> got;
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    EXPECT_TRUE(video.SetSoundOn(false));
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    video.TakeAudio(&got);
    EXPECT_TRUE(got.empty());
    EXPECT_FALSE(video.SetSoundOn(true));
    ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
    video.TakeAudio(&got);
    // Frame 3's hundred samples (frame 2's may be queued with it, read ahead of its picture).
    ASSERT_GE(got.size(), 200u);
    EXPECT_EQ(0, memcmp(got.data() + got.size() - 200, audio.data.data() + 600, 200));

    // The whole track in one pass, for the mixer, without moving playback.
    std::vector<uint8_t> all;
    ASSERT_EQ(video.DecodeAllAudio(&all), CX_ERR_NONE);
    EXPECT_EQ(all, audio.data);
    EXPECT_EQ(video.GetAudioSampleType(), CX_SAMPLE_MONO_16);
    EXPECT_EQ(video.GetCurrentFrame(), 4);
}

TEST(VideoSound, SilentMoviesHaveNoTrackToDecode)
{
    CxVideo video;
    ASSERT_EQ(Open(video, MakeMovie(8, 8, 2)), CX_ERR_NONE);
    std::vector<uint8_t> all(3, 0);
    EXPECT_EQ(video.DecodeAllAudio(&all), CX_ERR_INVALID_ARGUMENT);
    EXPECT_TRUE(all.empty());
    EXPECT_EQ(video.GetAudioSampleType(), -1);
}

TEST(VideoBadInput, GarbageAndAbsurdHeadersAreErrors)
{
    ErrorCapture capture;
    CxVideo video;
    EXPECT_NE(video.Open(nullptr, 0), CX_ERR_NONE);
    const std::vector<uint8_t> junk(500, 0x5A);
    EXPECT_EQ(Open(video, junk), CX_ERR_INVALID_FILE_TYPE);
    std::vector<uint8_t> file = MakeMovie(8, 8, 2);
    std::vector<uint8_t> huge = file;
    huge[5] = 0x7F; // width 0x7F08
    EXPECT_EQ(Open(video, huge), CX_ERR_INVALID_ARGUMENT);
    huge = file;
    huge[15] = 0x10; // 268 million frames
    EXPECT_EQ(Open(video, huge), CX_ERR_INVALID_ARGUMENT);
    EXPECT_FALSE(video.IsOpen());
    Surface s(8, 8, 1, CX_VIDEO_8BIT);
    EXPECT_EQ(video.DecodeFrame(s.target), CX_ERR_INVALID_FILE_TYPE);
}

TEST(VideoBadInput, TruncatedAndDamagedMoviesEndEarlyWithoutCrashing)
{
    ErrorCapture capture;
    const std::vector<uint8_t> file = MakeMovie(16, 16, CX_VIDEO_CACHE_FRAMES + 2);
    // Every cut length of the header and tables, then a sampling of the rest.
    for (size_t cut = 0; cut < file.size(); cut += cut < 600 ? 1 : 97)
    {
        CxVideo video;
        std::vector<uint8_t> part(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut));
        if (Open(video, part) != CX_ERR_NONE)
            continue;
        Surface s(16, 16, 1, CX_VIDEO_8BIT);
        int32_t frames = 0;
        while (video.DecodeFrame(s.target) == CX_ERR_NONE)
            ++frames;
        EXPECT_LE(frames, video.GetFrameCount());
    }
    // Flipped bytes in the trees and frames.
    for (size_t at = 0x68; at < file.size(); at += 13)
    {
        std::vector<uint8_t> bad = file;
        bad[at] ^= 0xA5;
        CxVideo video;
        if (Open(video, bad) != CX_ERR_NONE)
            continue;
        Surface s(16, 16, 1, CX_VIDEO_8BIT);
        while (video.DecodeFrame(s.target) == CX_ERR_NONE)
        {
        }
    }
}
