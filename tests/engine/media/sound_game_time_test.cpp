// In a driven run sounds follow the engine's clock, not the (dummy) device.
#include "engine/frame/replay_run.h"
#include "engine/media/wave.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"
#include "wave_builder.h"

#include <chrono>

namespace {
using namespace wave_test;

std::unique_ptr<CxWave> MakeWave(uint32_t frames, uint32_t rate, uint32_t flags)
{
    auto wave = std::make_unique<CxWave>();
    const std::string data = Pcm16Wave(Tone(440, 8000, rate, frames), 1, rate);
    wave->SetData(data.data(), static_cast<uint32_t>(data.size()), false);
    wave->SetPlayFlags(flags);
    return wave;
}

TEST(SoundGameTime, APlayLastsItsLengthTimesItsLoopsPlusItsPausesWhateverTheDevice)
{
    // frames, rate, flags, repeats, playback rate, pause at and for, done at (ms after the start)
    const uint32_t cases[][8] = {
        {44100, 22050, 0, 1, 0, 0, 0, 2000},      {11025, 11025, 0, 1, 0, 0, 0, 1000},
        {100, 22050, 0, 1, 0, 0, 0, 5},           {11025, 22050, CX_SOUND_LIBRARY_LOOP, 3, 0, 0, 0, 1500},
        {22050, 22050, 0, 1, 44100, 0, 0, 500},   {22050, 22050, 0, 1, 0, 200, 300, 1300},
        {22050, 22050, 0, 1, 0, 999, 5000, 6000}, {2205, 22050, CX_SOUND_LIBRARY_LOOP, 0, 0, 0, 0, 0}};
    ASSERT_EQ(InitSoundSystem(nullptr), 0u);
    SetSoundFollowsGameTime(true);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::vector<uint32_t>(c, c + 8)));
        ScopedManualClock clock(7000);
        auto wave = MakeWave(c[0], c[1], c[2]);
        wave->SetRepeatCount(static_cast<int32_t>(c[3]));
        wave->SetPlaybackRate(c[4] ? static_cast<int32_t>(c[4]) : -1);
        ASSERT_EQ(wave->Play(), 0u);
        clock.Set(7000 + c[5]);
        if (c[6])
            wave->Pause(), clock.Advance(c[6]), wave->Resume();
        const uint32_t end = c[7] ? c[7] : 1000000; // 0: loops without end
        clock.Set(7000 + end - 1);
        EXPECT_FALSE(wave->IsDone());
        clock.Set(7000 + end);
        EXPECT_EQ(wave->IsDone(), c[7] != 0);
    }
    SetSoundFollowsGameTime(false);
    ShutdownSoundSystem();
}

TEST(SoundGameTime, ABlockingPlayRunsPassesForItsLengthWhileItsGroupWaitsAndEndsIfDeleted)
{
    CModalTestApp app;
    StartTestApp(app);
    CxReplayRun run; // no options: the clock steps 10 ms a pass
    run.Install(app);
    app.PumpMessage(); // the run's first pass, at 0
    auto background = MakeWave(22050 * 4, 22050, 0);
    background->Play();
    const uint32_t start = GetTickCount();
    const auto wall = std::chrono::steady_clock::now();
    EXPECT_EQ(MakeWave(44100, 22050, CX_SOUND_EXCLUSIVE | CX_SOUND_WAIT)->Play(), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - wall, std::chrono::milliseconds(1500)) << "no sleeping";
    EXPECT_EQ(GetTickCount() - start, 2000u) << "a 10 ms step per pass: the device has not mixed that yet";
    EXPECT_EQ(background->GetPlayPosition(), 0u) << "paused for the whole wait";
    auto doomed = MakeWave(44100, 22050, CX_SOUND_WAIT); // deleted by a pass of its wait
    app.m_OnPass = [&] { GetTickCount() >= start + 2500 ? doomed.reset() : void(); };
    CxWave* wave = doomed.get();
    EXPECT_EQ(wave->Play(), 0u);
    EXPECT_EQ(GetTickCount() - start, 2500u);
    run.Uninstall();
    StopTestApp(app);
}
} // namespace
