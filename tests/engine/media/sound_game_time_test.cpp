// Sounds in a driven run: their play state follows the engine's clock, not
// the audio device (the dummy driver, which mixes in real time), and a
// blocking play waits by running passes of the message pump.
#include "engine/frame/replay_run.h"
#include "engine/media/wave.h"
#include "engine/platform/audio.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"
#include "wave_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {
using namespace wave_test;

struct GameTimeCase
{
    const char* what;
    uint32_t frames, rate;
    uint32_t flags;
    int32_t repeats, playbackRate;
    uint32_t pauseAt, pauseFor; // game time after the start (pauseFor 0: no pause)
    uint64_t done;              // game time after the start at which it is done
};

TEST(SoundGameTime, APlayLastsItsLengthTimesItsLoopsPlusItsPausesWhateverTheDevice)
{
    ASSERT_EQ(InitSoundSystem(nullptr), 0u);
    SetSoundFollowsGameTime(true);
    const GameTimeCase cases[] = {
        {"one play", 44100, 22050, 0, 1, -1, 0, 0, 2000},
        {"the data's own rate", 11025, 11025, 0, 1, -1, 0, 0, 1000},
        {"part of a millisecond counts whole", 100, 22050, 0, 1, -1, 0, 0, 5},
        {"the mixer's loops", 11025, 22050, CX_SOUND_LIBRARY_LOOP, 3, -1, 0, 0, 1500},
        {"a faster playback rate", 22050, 22050, 0, 1, 44100, 0, 0, 500},
        {"paused 300 ms", 22050, 22050, 0, 1, -1, 200, 300, 1300},
        {"paused across its end", 22050, 22050, 0, 1, -1, 999, 5000, 6000},
        {"loops without end", 2205, 22050, CX_SOUND_LIBRARY_LOOP, 0, -1, 0, 0, CX_SOUND_ENDLESS},
    };
    for (const GameTimeCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        ScopedManualClock clock(7000);
        CxWave wave;
        const std::string data = Pcm16Wave(Tone(440, 8000, c.rate, c.frames), 1, c.rate);
        ASSERT_EQ(wave.SetData(data.data(), static_cast<uint32_t>(data.size()), false), 0u);
        wave.SetPlayFlags(c.flags);
        wave.SetRepeatCount(c.repeats);
        wave.SetPlaybackRate(c.playbackRate);
        ASSERT_EQ(wave.Play(), 0u);
        const uint64_t end = c.done == CX_SOUND_ENDLESS ? 1000000 : c.done;
        if (c.pauseFor)
        {
            clock.Set(7000 + c.pauseAt);
            wave.Pause();
            clock.Advance(c.pauseFor - 1);
            EXPECT_FALSE(wave.IsDone()) << "time stands still while paused";
            clock.Advance(1);
            wave.Resume();
        }
        clock.Set(static_cast<uint32_t>(7000 + end - 1));
        EXPECT_FALSE(wave.IsDone());
        clock.Set(static_cast<uint32_t>(7000 + end));
        EXPECT_EQ(wave.IsDone(), c.done != CX_SOUND_ENDLESS);
        if (c.frames >= 22050 && !c.pauseFor)
        {
            EXPECT_EQ(AudioGetSampleStatus(wave.GetSampleHandle()), CX_SAMPLE_PLAYING)
                << "the device is still mixing what game time has finished";
        }
    }
    SetSoundFollowsGameTime(false);
    ShutdownSoundSystem();
}

class SoundWaitTest : public testing::Test
{
protected:
    void SetUp() override
    {
        app.m_nPassLimit = 5000;
        StartTestApp(app);
        CxRunOptions options;
        std::string why;
        ASSERT_TRUE(ParseRunOptions({"--exit-after", "100000"}, &options, &why));
        ASSERT_TRUE(run.Load(options, &why));
        run.Install(app);
        app.PumpMessage(); // the run's first pass, at 0
    }
    void TearDown() override
    {
        run.Uninstall();
        StopTestApp(app);
    }
    CxWave* Make(uint32_t frames, uint32_t flags)
    {
        m_Waves.push_back(std::make_unique<CxWave>());
        const std::string data = Pcm16Wave(Tone(440, 8000, 22050, frames), 1, 22050);
        m_Waves.back()->SetData(data.data(), static_cast<uint32_t>(data.size()), false);
        m_Waves.back()->SetPlayFlags(flags);
        return m_Waves.back().get();
    }

    CModalTestApp app;
    CxReplayRun run;
    std::vector<std::unique_ptr<CxWave>> m_Waves;
};

TEST_F(SoundWaitTest, ABlockingPlayRunsPassesForExactlyItsLengthAndItsGroupWaits)
{
    ASSERT_TRUE(DoesSoundFollowGameTime());
    CxWave* background = Make(22050 * 4, 0);
    ASSERT_EQ(background->Play(), 0u);
    const uint32_t start = GetTickCount();
    const int passes = app.m_nPasses;
    const auto wall = std::chrono::steady_clock::now();
    ASSERT_EQ(Make(44100, CX_SOUND_EXCLUSIVE | CX_SOUND_WAIT)->Play(), 0u);
    const auto took = std::chrono::steady_clock::now() - wall;
    EXPECT_EQ(GetTickCount() - start, 2000u) << "the wait ends on the pass its length has passed";
    EXPECT_EQ(app.m_nPasses - passes, 200) << "one pass per 10 ms step";
    EXPECT_LT(took, std::chrono::milliseconds(1500)) << "no sleeping for the sound's length";
    // The group's sound was paused for the whole wait and goes on where it was.
    EXPECT_FALSE(background->IsPaused());
    EXPECT_EQ(background->GetPlayPosition(), 0u);
    EXPECT_FALSE(m_Waves.back()->IsPlaying());
}

TEST_F(SoundWaitTest, ASoundDeletedByThePassesOfItsWaitEndsTheWait)
{
    CxWave* wave = Make(44100, CX_SOUND_WAIT);
    app.m_OnPass = [&] {
        if (GetTickCount() >= 500 && !m_Waves.empty())
            m_Waves.clear();
    };
    const uint32_t start = GetTickCount();
    EXPECT_EQ(wave->Play(), 0u);
    EXPECT_LT(GetTickCount() - start, 600u);
    app.m_OnPass = nullptr;
}
} // namespace
