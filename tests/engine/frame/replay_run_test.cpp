#include "engine/frame/replay_run.h"

#include "engine/core/file.h"

#include "engine/graphics/draw_surface.h"
#include "engine/platform/window.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
struct OptionCase
{
    std::vector<std::string> words;
    const char* says; // nullptr: accepted
};

TEST(ReplayRunTest, TheCommandLineTakesTheRunOptionsAndRefusesAnythingElse)
{
    CxRunOptions options;
    std::string why;
    ASSERT_TRUE(ParseRunOptions({"--screenshot", "900:b.bmp", "--replay", "r.txt", "--seed", "7",
                                 "--exit-after", "1000", "--screenshot", "5:a:b.bmp"},
                                &options, &why))
        << why;
    EXPECT_EQ(options.replayFile, "r.txt");
    EXPECT_TRUE(options.hasSeed && options.seed == 7u);
    EXPECT_TRUE(options.hasExitAfter && options.exitAfter == 1000u);
    ASSERT_EQ(options.screenshots.size(), 2u);
    EXPECT_EQ(options.screenshots[0], std::make_pair(5u, std::string("a:b.bmp"))) << "in time order";
    ASSERT_TRUE(ParseRunOptions({}, &options, &why));
    EXPECT_FALSE(options.Any());

    const OptionCase bad[] = {
        {{"--bogus"}, "unknown option"},
        {{"game.ini"}, "unknown option"},
        {{"--seed"}, "needs a value"},
        {{"--record"}, "needs a value"},
        {{"--frame-stats"}, "needs a value"},
        {{"--seed", "-1"}, "whole number"},
        {{"--exit-after", "4294967296"}, "whole"},
        {{"--exit-after", "1e3"}, "whole"},
        {{"--screenshot", "a.bmp"}, "MS:FILE"},
        {{"--screenshot", "10:"}, "MS:FILE"},
        {{"--screenshot", ":a.bmp"}, "MS:FILE"},
    };
    for (const OptionCase& c : bad)
    {
        EXPECT_FALSE(ParseRunOptions(c.words, &options, &why)) << c.words[0];
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
    }
}

TEST(ReplayRunTest, ScreenshotsWidenSixteenBitChannelsExactly)
{
    TempDir dir;
    for (const uint8_t format : {CX_PF_565, CX_PF_555})
    {
        SCOPED_TRACE(int(format));
        CxDrawSurface surface;
        ASSERT_EQ(surface.CreateSurface(3, 1, 16), 0u);
        ASSERT_EQ(surface.ConvertPixelFormat16(format), 0u);
        const bool six = format == CX_PF_565;
        const uint16_t pixels[3] = {
            0x0000, 0xFFFF,
            static_cast<uint16_t>(six ? (16u << 11) | (32u << 5) | 1u : (16u << 10) | (16u << 5) | 1u)};
        {
            CxSurfaceLock lock(&surface);
            for (int x = 0; x < 3; ++x)
            {
                surface.GetBits()[2 * x] = static_cast<uint8_t>(pixels[x] & 0xFF);
                surface.GetBits()[2 * x + 1] = static_cast<uint8_t>(pixels[x] >> 8);
            }
        }
        const std::string file = dir.File("shot.bmp");
        ASSERT_TRUE(WriteScreenshot(&surface, file.c_str()));
        const std::string bmp = TempDir::Read(file);
        ASSERT_EQ(bmp.size(), 54u + 12u) << "one row of 3 x 3 bytes, padded to 12";
        const auto at = [&](size_t i) { return static_cast<uint8_t>(bmp[54 + i]); };
        EXPECT_EQ(at(0) | at(1) | at(2), 0) << "black stays black";
        EXPECT_EQ(at(3) & at(4) & at(5), 255) << "full stays full";
        // blue 1 of 31, green 32 of 63 (or 16 of 31), red 16 of 31
        EXPECT_EQ(at(6), 8);
        EXPECT_EQ(at(7), six ? 130 : 132);
        EXPECT_EQ(at(8), 132);
    }
    CxDrawSurface eight;
    ASSERT_EQ(eight.CreateSurface(2, 2, 8), 0u);
    EXPECT_FALSE(WriteScreenshot(&eight, dir.File("no.bmp").c_str()));
}

class ReplayRunAppTest : public testing::Test
{
protected:
    // The application has its window and screen (made at activation).
    void SetUp() override { StartTestApp(app); }
    void TearDown() override
    {
        run.Uninstall();
        StopTestApp(app);
    }

    TempDir dir;
    CTestApp app;
    CxReplayRun run;
};

TEST_F(ReplayRunAppTest, EachPassStepsTheClockAndHandsInWhatIsDueThenShootsAndQuits)
{
    dir.Write("a.replay", "replay 1\nstep 20\n0 move 10 20\n40 down 10 20 1\n41 up 10 20 1\n60 key 37 0\n");
    CxRunOptions options;
    std::string why;
    ASSERT_TRUE(ParseRunOptions({"--replay", dir.File("a.replay"), "--screenshot", "45:" + dir.File("s.bmp"),
                                 "--exit-after", "80", "--frame-stats", dir.File("f.txt")},
                                &options, &why));
    ASSERT_TRUE(run.Load(options, &why)) << why;
    const bool vsync = IsPlatformVSyncOn();
    run.Install(app);
    EXPECT_EQ(GetTickCount(), 0u) << "the run's clock starts at 0";
    EXPECT_FALSE(IsPlatformVSyncOn()) << "a driven run's presents do not wait for the refresh";
    std::vector<uint32_t> times;
    std::vector<size_t> played;
    while (!app.IsQuitting() && times.size() < 20)
    {
        app.PumpMessage();
        times.push_back(run.GetTime());
        played.push_back(run.GetEventsPlayed());
        EXPECT_EQ(FileExists(dir.File("s.bmp").c_str()), run.GetTime() >= 45)
            << "after the pass at 45 ms or later";
    }
    EXPECT_EQ(times, (std::vector<uint32_t>{0, 20, 40, 60, 80})) << "one step a pass; quit at 80";
    EXPECT_EQ(played, (std::vector<size_t>{1, 1, 2, 4, 4}))
        << "each event at the first pass at or after its time";
    EXPECT_TRUE(FileExists(dir.File("s.bmp").c_str()));
    for (int i = 0; i < 8; ++i)
        app.PumpMessage(); // the queue empties
    EXPECT_EQ(std::count(app.m_Mouse.begin(), app.m_Mouse.end(), "ldown@10,20"), 1);
    EXPECT_EQ(std::count(app.m_Mouse.begin(), app.m_Mouse.end(), "lup@10,20"), 1);
    EXPECT_EQ(app.m_Keys.size(), 1u) << "the left arrow";
    run.Uninstall();
    EXPECT_EQ(app.GetPassDriver(), nullptr);
    EXPECT_EQ(IsPlatformVSyncOn(), vsync);
    // The frame stats name every pass by its game time, after the summary
    // (the passes that emptied the queue are in it too).
    const std::string stats = TempDir::Read(dir.File("f.txt"));
    const size_t table = stats.find("# game_ms wall_us\n");
    ASSERT_EQ(stats.rfind("frame-stats 1\npasses ", 0), 0u) << stats;
    ASSERT_NE(table, std::string::npos) << stats;
    std::vector<uint32_t> named;
    const std::string rest = stats.substr(table + 18);
    for (size_t at = 0; at < rest.size(); at = rest.find('\n', at) + 1)
        named.push_back(static_cast<uint32_t>(std::stoul(rest.substr(at))));
    EXPECT_EQ(std::stoul(stats.substr(21)), named.size()) << "the count of passes";
    ASSERT_GE(named.size(), 5u);
    EXPECT_EQ(std::vector<uint32_t>(named.begin(), named.begin() + 5),
              (std::vector<uint32_t>{0, 20, 40, 60, 80}));
}

TEST(FrameStatsTest, PercentilesAreNearestRanks)
{
    struct Case
    {
        std::vector<uint64_t> micros;
        uint64_t median, p99, max;
    };
    std::vector<uint64_t> hundred;
    for (uint64_t i = 100; i >= 1; --i)
        hundred.push_back(i); // unsorted on purpose
    const Case cases[] = {
        {{}, 0, 0, 0}, {{7}, 7, 7, 7}, {{5, 1}, 1, 5, 5}, {{3, 1, 2}, 2, 3, 3}, {hundred, 50, 99, 100},
    };
    for (const Case& c : cases)
    {
        const CxFrameStats::Summary s = CxFrameStats::Summarise(c.micros);
        EXPECT_EQ(s.passes, c.micros.size());
        EXPECT_EQ(s.median, c.median) << c.micros.size() << " passes";
        EXPECT_EQ(s.p99, c.p99) << c.micros.size() << " passes";
        EXPECT_EQ(s.max, c.max);
    }
}

// Runs the options for 40 passes in an application of its own, as a new
// process would.
void PlayTo(const std::vector<std::string>& words)
{
    CTestApp app;
    StartTestApp(app);
    CxReplayRun run;
    CxRunOptions options;
    std::string why;
    EXPECT_TRUE(ParseRunOptions(words, &options, &why)) << why;
    EXPECT_TRUE(run.Load(options, &why)) << why;
    run.Install(app);
    for (int pass = 0; pass < 40; ++pass)
        app.PumpMessage();
    run.Uninstall();
    StopTestApp(app);
}

TEST(ReplayRunTest, ARecordedReplayHoldsItsInputInOrderNoEarlierThanPlayed)
{
    TempDir dir;
    dir.Write("a.replay",
              "replay 1\nseed 9\nstep 10\n0 move 10 20\n30 down 10 20 1\n30 up 10 20 3\n"
              "50 key 37 1\n50 keyup 37 1\n60 text h\xC3\xA9llo\n65 text Ann%20Lee%23\n70 wheel -2\n");
    PlayTo({"--replay", dir.File("a.replay"), "--record", dir.File("b.replay")});
    EXPECT_FALSE(FileExists(dir.File("b.replay.new").c_str())) << "renamed at the end";
    CxReplayScript a, b;
    std::string why;
    const std::string recorded = TempDir::Read(dir.File("b.replay"));
    ASSERT_TRUE(ParseReplay(TempDir::Read(dir.File("a.replay")).data(),
                            TempDir::Read(dir.File("a.replay")).size(), &a, &why));
    ASSERT_TRUE(ParseReplay(recorded.data(), recorded.size(), &b, &why)) << why << recorded;
    EXPECT_TRUE(b.hasSeed && b.seed == 9u && b.step == 10u);
    // It ends with the game time it stopped at: after the last event, on a pass.
    const size_t last = recorded.rfind("# end ");
    ASSERT_NE(last, std::string::npos) << recorded;
    const unsigned long end = std::stoul(recorded.substr(last + 6));
    EXPECT_GE(end, 70u);
    EXPECT_EQ(end % 10, 0u);
    EXPECT_EQ(recorded.substr(recorded.size() - 1), "\n");
    // Every replayed event was received, in order, no earlier than its time.
    size_t found = 0;
    for (const CxReplayEvent& event : b.events)
        if (found < a.events.size())
        {
            CxReplayEvent timeless = event;
            timeless.time = a.events[found].time;
            if (timeless == a.events[found] && event.time >= a.events[found].time)
                ++found;
        }
    EXPECT_EQ(found, a.events.size()) << recorded;
}

TEST_F(ReplayRunAppTest, ARecordingThatCannotStartLeavesTheOldFileAlone)
{
    dir.Write("keep.replay", "replay 1\n");
    CxRunOptions options;
    std::string why;
    options.replayFile = dir.File("none.replay");
    options.recordFile = dir.File("keep.replay");
    EXPECT_FALSE(run.Load(options, &why));
    options.replayFile.clear();
    ASSERT_TRUE(run.Load(options, &why)) << why;
    run.Uninstall();
    run.Load(CxRunOptions(), &why); // ends the recording that never ran
    EXPECT_EQ(TempDir::Read(dir.File("keep.replay")), "replay 1\n");
    EXPECT_FALSE(FileExists(dir.File("keep.replay.new").c_str()));
    options.recordFile = dir.File("no/such/folder/x.replay");
    EXPECT_FALSE(run.Load(options, &why));
    EXPECT_NE(why.find("cannot be written"), std::string::npos) << why;
}

TEST_F(ReplayRunAppTest, AReplayThatDoesNotReadIsRefusedWithItsLine)
{
    CxRunOptions options;
    std::string why;
    options.replayFile = dir.File("none.replay");
    EXPECT_FALSE(run.Load(options, &why));
    EXPECT_NE(why.find("cannot be read"), std::string::npos) << why;
    dir.Write("bad.replay", "replay 1\n\n5 move 1 999\n");
    options.replayFile = dir.File("bad.replay");
    EXPECT_FALSE(run.Load(options, &why));
    EXPECT_EQ(why, "replay " + options.replayFile + ":3: bad y (0 to 479) \"999\"");
}
} // namespace
