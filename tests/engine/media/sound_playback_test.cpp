// Sounds played through the sound system onto SDL's disk audio driver; the
// tests read back the mixed output and check what was heard, in what order.
#include "playback_fixture.h"

#include <gtest/gtest.h>

using namespace playback_test;

namespace {
using SoundPlayback = PlaybackFixture;

int s_nCallbacks = 0;
void CountCallback(uint32_t zero, CxSound*)
{
    EXPECT_EQ(zero, 0u);
    ++s_nCallbacks;
}
} // namespace

TEST_F(SoundPlayback, QueuedLinesPlayOneAfterAnotherInOrder)
{
    CxWave* lines[3] = {MakeWave(TONE_A, LINE_FRAMES), MakeWave(TONE_B, LINE_FRAMES),
                        MakeWave(TONE_C, LINE_FRAMES)};
    for (CxWave* line : lines)
    {
        line->SetPlayFlags(CX_SOUND_QUEUED);
        line->SetQueueIndex(2);
        ASSERT_EQ(line->Play(), 0u);
    }
    EXPECT_EQ(GetSoundQueue(2)->GetCount(), 3);
    // Only the front of the queue plays.
    EXPECT_TRUE(lines[0]->IsPlaying());
    EXPECT_FALSE(lines[1]->IsPlaying());
    EXPECT_FALSE(lines[2]->IsPlaying());
    ASSERT_TRUE(PlayOut());
    EXPECT_EQ(GetSoundQueue(2)->GetCount(), 0);

    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {TONE_A, TONE_B, TONE_C});
    ASSERT_EQ(Frequencies(runs), (std::vector<double>{TONE_A, TONE_B, TONE_C}));
    for (const ToneRun& run : runs)
        EXPECT_NEAR(static_cast<double>(run.windows), LINE_FRAMES / 256.0, 1.0);
}

TEST_F(SoundPlayback, LibraryLoopsPlayTheRepeatsInTheMixer)
{
    s_nCallbacks = 0;
    CxWave* wave = MakeWave(TONE_C, LINE_FRAMES);
    wave->SetRepeatCount(2);
    wave->SetPlayFlags(CX_SOUND_LIBRARY_LOOP);
    wave->SetCallback(CountCallback);
    wave->Play();
    EXPECT_EQ(wave->GetSampleLoopCount(), 2);
    ASSERT_TRUE(PlayOut());
    EXPECT_EQ(s_nCallbacks, 1);
    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {TONE_C});
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(static_cast<double>(runs[0].windows), 2 * LINE_FRAMES / 256.0, 1.0);
}

TEST_F(SoundPlayback, SoundVolumeScalesBothChannelsAndMasterVolumeZeroIsSilence)
{
    EXPECT_EQ(GetMasterVolume(), 127);
    CxWave* loud = MakeWave(TONE_A, LINE_FRAMES, 10000);
    loud->Play();
    ASSERT_TRUE(PlayOut());
    LetMix(2048);
    const uint64_t halfFrom = AudioGetMixedFrames(GetSoundDriver());
    CxWave* half = MakeWave(TONE_B, LINE_FRAMES, 10000);
    half->SetVolume(127 / 2);
    half->Play();
    ASSERT_TRUE(PlayOut());
    SetMasterVolume(0);
    EXPECT_EQ(GetMasterVolume(), 0);
    LetMix(2048);
    const uint64_t quietFrom = AudioGetMixedFrames(GetSoundDriver());
    MakeWave(TONE_C, LINE_FRAMES, 10000)->Play();
    ASSERT_TRUE(PlayOut());

    const std::vector<int16_t> samples = Finish();
    int peak[3][2] = {};
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const int part = i / 2 < halfFrom ? 0 : i / 2 < quietFrom ? 1 : 2;
        peak[part][i % 2] = std::max(peak[part][i % 2], std::abs(static_cast<int>(samples[i])));
    }
    for (int side : {0, 1})
    {
        EXPECT_NEAR(peak[0][side], 10000, 10) << side;
        EXPECT_NEAR(peak[1][side], 10000 * 63 / 127, 40) << side;
        EXPECT_EQ(peak[2][side], 0) << side;
    }
}

TEST_F(SoundPlayback, ExclusiveSoundPausesItsGroupAndResumesItAfter)
{
    // The group's sounds loop without end in the mixer, so only the test stops them.
    CxWave* background = MakeWave(TONE_A, LOOP_FRAMES);
    CxWave* other = MakeWave(TONE_C, LOOP_FRAMES);
    for (CxWave* wave : {background, other})
    {
        wave->SetRepeatCount(0);
        wave->SetPlayFlags(CX_SOUND_LIBRARY_LOOP);
    }
    background->Play();
    other->Play();
    LetMix(4096);
    CxWave* announcement = MakeWave(TONE_B, LINE_FRAMES);
    announcement->SetPlayFlags(CX_SOUND_EXCLUSIVE);
    ASSERT_EQ(announcement->Play(), 0u);
    // Play returned after the announcement ended, and the group goes on.
    EXPECT_FALSE(announcement->IsPlaying());
    EXPECT_FALSE(background->IsPaused());
    EXPECT_TRUE(background->IsPlaying());
    EXPECT_FALSE(background->IsDone());
    LetMix(4096);
    background->Stop();
    other->Stop();

    size_t both = 0;
    const std::vector<int16_t> samples = Finish();
    const std::vector<ToneRun> runs = Runs(samples, 2, 0, RATE, {TONE_A, TONE_B}, &both);
    ASSERT_EQ(Frequencies(runs), (std::vector<double>{TONE_A, TONE_B, TONE_A}));
    EXPECT_EQ(both, 0u);
    EXPECT_NEAR(static_cast<double>(runs[1].windows), LINE_FRAMES / 256.0, 1.0);
    // The other sound of the group was silent for the announcement too.
    const std::vector<ToneRun> others = Runs(samples, 2, 0, RATE, {TONE_C, TONE_B});
    EXPECT_EQ(Frequencies(others), (std::vector<double>{TONE_C, TONE_B, TONE_C}));
}

TEST_F(SoundPlayback, PlaybackRateOverrideChangesThePitch)
{
    CxWave* wave = MakeWave(TONE_A, LINE_FRAMES);
    wave->SetPlaybackRate(2 * RATE);
    wave->Play();
    EXPECT_EQ(wave->GetPlaybackRate(), static_cast<int32_t>(2 * RATE));
    ASSERT_TRUE(PlayOut());
    EXPECT_EQ(wave->GetPlaybackRate(), 0);
    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {TONE_A, TONE_B});
    ASSERT_EQ(Frequencies(runs), (std::vector<double>{TONE_B}));
    EXPECT_NEAR(static_cast<double>(runs[0].windows), LINE_FRAMES / 512.0, 2.0);
}

TEST_F(SoundPlayback, PlayWaveFileQueuesAFireAndForgetWave)
{
    const std::string path =
        m_Dir.Write("line.wav", Pcm16Wave(Tone(TONE_C, 8000, RATE, LINE_FRAMES), 1, RATE));
    const uint32_t sounds = CxSound::GetSoundCount();
    ASSERT_EQ(PlayWaveFile(path.c_str(), true, 2), 0u);
    ASSERT_EQ(CxSound::GetSoundCount(), sounds + 1);
    CxSound* wave = CxSound::GetFirstSound();
    while (wave->GetNextSound())
        wave = wave->GetNextSound();
    EXPECT_EQ(wave->GetQueueIndex(), 2);
    EXPECT_EQ(wave->GetPlayFlags(), CX_SOUND_QUEUED | CX_SOUND_UNLOAD | CX_SOUND_AUTO_DELETE);
    EXPECT_TRUE(wave->IsPlaying());
    // It deletes itself once it has played.
    ASSERT_TRUE(WaitFor([&] {
        Pass();
        return CxSound::GetSoundCount() == sounds;
    }));
    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {TONE_A, TONE_C});
    ASSERT_EQ(Frequencies(runs), (std::vector<double>{TONE_C}));
    EXPECT_NEAR(static_cast<double>(runs[0].windows), LINE_FRAMES / 256.0, 1.0);
}

TEST_F(SoundPlayback, WaitFlagPlaysToTheEndBeforeReturning)
{
    s_nCallbacks = 0;
    CxWave* wave = MakeWave(TONE_A, LINE_FRAMES);
    wave->SetPlayFlags(CX_SOUND_WAIT);
    wave->SetCallback(CountCallback);
    ASSERT_EQ(wave->Play(), 0u);
    EXPECT_FALSE(wave->IsPlaying());
    EXPECT_TRUE(wave->WasStarted());
    EXPECT_EQ(s_nCallbacks, 1);
    // The service has nothing left to report.
    Pass();
    EXPECT_EQ(s_nCallbacks, 1);
    const std::vector<ToneRun> runs = Runs(Finish(), 2, 0, RATE, {TONE_A});
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_NEAR(static_cast<double>(runs[0].windows), LINE_FRAMES / 256.0, 1.0);
}
