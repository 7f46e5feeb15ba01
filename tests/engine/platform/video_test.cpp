// The FFmpeg movie layer, on movies made in memory by the Smacker encoder.
#include "engine/platform/video.h"

#include "engine/platform/audio.h"

#include "tests/engine/media/movie_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace movie_test;

namespace {
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
bool Shows(const Surface& s, int32_t w, int32_t h, int32_t k)
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

TEST(VideoOpen, GarbageAndAbsurdHeadersAreCodesWithTheirReasonAndNeverAReport)
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
    EXPECT_EQ(Open(video, std::vector<uint8_t>(500, 0x5A)), CX_ERR_INVALID_FILE_TYPE);
    const std::vector<uint8_t> file = MakeMovie(8, 8, 2);
    std::vector<uint8_t> huge = file;
    huge[5] = 0x7F; // width 0x7F08
    EXPECT_EQ(Open(video, huge), CX_ERR_INVALID_ARGUMENT);
    huge = file;
    huge[15] = 0x10; // 268 million frames
    EXPECT_EQ(Open(video, huge), CX_ERR_INVALID_ARGUMENT);
    EXPECT_FALSE(video.IsOpen());
    Surface s(8, 8, 1, CX_VIDEO_8BIT);
    EXPECT_EQ(video.DecodeFrame(s.target), CX_ERR_INVALID_FILE_TYPE);
    EXPECT_TRUE(capture.Errors().empty());
    ASSERT_EQ(Open(video, file), CX_ERR_NONE);
    EXPECT_EQ(video.GetError(), CX_ERR_NONE);
    EXPECT_STREQ(video.GetReason().c_str(), "");
}

TEST(VideoConvert, SixteenBitFormatsThroughThePaletteAtAPositionAndPitch)
{
    for (uint8_t format : {CX_VIDEO_555, CX_VIDEO_565})
    {
        CxVideo video;
        ASSERT_EQ(Open(video, MakeMovie(8, 4, 1)), CX_ERR_NONE);
        // The movie sits at (5, 1) of a 10 x 4 surface: columns 10-12 and row 4 are clipped.
        Surface s(10, 4, 2, format);
        s.target.x = 5;
        s.target.y = 1;
        ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 10; ++x)
            {
                uint16_t got;
                memcpy(&got, &s.memory[static_cast<size_t>(y) * s.target.nPitch + x * 2], 2);
                const uint32_t want = x < 5 || y < 1
                                          ? 0xEEEE
                                          : Expected16(PixelOf(x - 5, y - 1, 0),
                                                       format == CX_VIDEO_565 ? CX_PF_565 : CX_PF_555);
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
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(s.memory[static_cast<size_t>(y) * s.target.nPitch + x], PixelOf(x + 4, y + 2, 0));
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

TEST(VideoGoto, SmallMoviesAreKeptDecodedAndLongOnesRestartToGoBack)
{
    const struct
    {
        int32_t frames;
        bool cached;
        std::vector<int32_t> order;
    } cases[] = {{32, true, {5, 31, 0, 17, 17, 3}},
                 {CX_VIDEO_CACHE_FRAMES + 6, false, {0, 1, 40, 2, 69, 69, 10}}};
    for (const auto& c : cases)
    {
        CxVideo video;
        ASSERT_EQ(Open(video, MakeMovie(8, 8, c.frames)), CX_ERR_NONE);
        EXPECT_EQ(video.IsCached(), c.cached);
        Surface s(8, 8, 1, CX_VIDEO_8BIT);
        for (int32_t k : c.order)
        {
            ASSERT_EQ(video.Goto(k), CX_ERR_NONE);
            ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
            EXPECT_TRUE(Shows(s, 8, 8, k)) << "frame " << k;
            EXPECT_EQ(video.GetCurrentFrame(), k + 1);
        }
        // Then plain playback goes on from there.
        ASSERT_EQ(video.DecodeFrame(s.target), CX_ERR_NONE);
        EXPECT_TRUE(Shows(s, 8, 8, c.order.back() + 1));
        ErrorCapture capture;
        EXPECT_EQ(video.Goto(c.frames), CX_ERR_INVALID_ARGUMENT);
        EXPECT_EQ(video.Goto(-1), CX_ERR_INVALID_ARGUMENT);
    }
}

TEST(VideoSound, SamplesQueueOnlyWhileTheSoundIsOn)
{
    ST_SMK_AUDIO audio;
    audio.nRate = 1000;
    audio.nBits = 16;
    audio.nChannels = 1;
    for (int i = 0; i < 400; ++i)
    {
        audio.data.push_back(static_cast<uint8_t>(i));
        audio.data.push_back(static_cast<uint8_t>(i * 3));
    }
    CxVideo video;
    ASSERT_EQ(Open(video, MakeMovie(8, 8, 4, 10, {audio})), CX_ERR_NONE);
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
