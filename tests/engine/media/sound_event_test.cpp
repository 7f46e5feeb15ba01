#include "engine/media/sound_event.h"

#include "engine/core/options.h"
#include "engine/media/sound.h"
#include "engine/platform/clock.h"
#include "tests/support/scoped_clock.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
// Plays nothing; a play lasts until Finish() or Stop().
class HeldSound : public CxSound
{
public:
    ~HeldSound() override
    {
        Stop();
        ++s_nDeleted;
    }
    void StartPlayback() override { m_bActive = true; }
    void ReleasePlayback() override { m_bActive = false; }
    void PausePlayback() override {}
    void ResumePlayback() override {}
    bool IsDone() override { return !m_bActive; }
    void Finish() { m_bActive = false; }

    bool m_bActive = false;
    static int s_nDeleted;
};
int HeldSound::s_nDeleted = 0;

class SoundEventTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(InitSoundSystem(&m_Options), 0u); }
    void TearDown() override { ShutdownSoundSystem(); }
    static HeldSound* Make(int32_t queue = -1)
    {
        auto* sound = new HeldSound;
        sound->SetData("x", 1, false);
        sound->SetQueueIndex(queue);
        return sound;
    }

    ScopedManualClock m_Clock{500};
    CxOptions m_Options;
};
} // namespace

TEST_F(SoundEventTest, PlayWaitsForTheSoundAndStartDoesNot)
{
    HeldSound* held = Make();
    CSoundEvent play(held, false, false);
    play.Start();
    EXPECT_TRUE(held->m_bActive);
    EXPECT_FALSE(play.IsFinished()) << "a played sound is waited for";
    held->Finish();
    EXPECT_TRUE(play.IsFinished());

    HeldSound* background = Make();
    CSoundEvent start(background, true, false);
    EXPECT_FALSE(start.IsFinished()) << "nothing is finished before it started";
    start.Start();
    EXPECT_TRUE(start.IsFinished()) << "a started sound goes on by itself";
    EXPECT_TRUE(background->m_bActive);
}

TEST_F(SoundEventTest, ExclusiveSoundCutsWhatPlaysInItsQueue)
{
    HeldSound* old = Make(7);
    old->SetPlayFlags(CX_SOUND_QUEUED);
    old->Play();
    RunSoundServicePass();
    ASSERT_TRUE(old->m_bActive);
    HeldSound* cut = Make(7);
    CSoundEvent exclusive(cut, false, true);
    exclusive.Start();
    EXPECT_FALSE(old->m_bActive) << "the queue was flushed";
    EXPECT_TRUE(cut->m_bActive);
    delete old;
}

TEST_F(SoundEventTest, PausedSoundBlocksAndTheEventDeletesItsSound)
{
    const int deleted = HeldSound::s_nDeleted;
    {
        HeldSound* held = Make();
        CSoundEvent play(held, false, false);
        play.Start();
        play.Pause();
        EXPECT_TRUE(play.IsBlocked());
        play.Resume();
        EXPECT_FALSE(play.IsBlocked());
        play.Stop();
        EXPECT_TRUE(play.IsFinished());
    }
    EXPECT_EQ(HeldSound::s_nDeleted, deleted + 1);
}
