// The sound system's bookkeeping: queues, the service routine, repeats,
// callbacks, fire-and-forget deletion, loading and the data cache. A sound
// kind made for the tests stands in for the mixer, so the tests decide when
// a play is over.
#include "engine/media/sound.h"

#include "engine/core/file.h"
#include "engine/core/main_loop.h"
#include "engine/core/memory.h"
#include "engine/core/options.h"
#include "engine/media/sound_event.h"
#include "engine/media/wave.h"
#include "engine/platform/clock.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
// Plays nothing; a play lasts until the test calls Finish().
class ScriptedSound : public CxSound
{
public:
    ~ScriptedSound() override
    {
        Stop();
        ++s_nDeleted;
    }
    void StartPlayback() override
    {
        ++m_nStarts;
        m_bActive = true;
        s_Log.push_back(m_strName + " start");
    }
    void ReleasePlayback() override { m_bActive = false; }
    void PausePlayback() override { ++m_nPauses; }
    void ResumePlayback() override { ++m_nResumes; }
    bool IsDone() override { return !m_bActive; }
    void Update() override
    {
        ++m_nUpdates;
        CxSound::Update();
    }
    void Finish() { m_bActive = false; }

    std::string m_strName;
    bool m_bActive = false;
    int m_nStarts = 0;
    int m_nPauses = 0;
    int m_nResumes = 0;
    int m_nUpdates = 0;

    static std::vector<std::string> s_Log;
    static int s_nDeleted;
};
std::vector<std::string> ScriptedSound::s_Log;
int ScriptedSound::s_nDeleted = 0;

class SoundSystem : public testing::Test
{
protected:
    void SetUp() override
    {
        ScriptedSound::s_Log.clear();
        ScriptedSound::s_nDeleted = 0;
        s_Callbacks.clear();
        m_Options.SetNumber("Engine.Sound", "NumQueues", 3);
        ASSERT_EQ(InitSoundSystem(&m_Options), 0u);
    }

public:
    ScriptedSound* Make(const char* name, uint32_t flags = 0, int32_t queue = -1)
    {
        m_Sounds.push_back(std::make_unique<ScriptedSound>());
        ScriptedSound* sound = m_Sounds.back().get();
        sound->m_strName = name;
        sound->SetData(name, static_cast<uint32_t>(strlen(name)), false);
        sound->SetPlayFlags(flags);
        sound->SetQueueIndex(queue);
        sound->SetCallback(Record);
        return sound;
    }

protected:
    void TearDown() override
    {
        m_Sounds.clear();
        ShutdownSoundSystem();
    }

    // A sound the service pass may delete: not owned by the test.
    ScriptedSound* MakeLoose(const char* name, uint32_t flags, int32_t queue = -1)
    {
        ScriptedSound* sound = Make(name, flags, queue);
        m_Sounds.back().release();
        return sound;
    }

    void Pass()
    {
        m_Clock.Advance(CX_SOUND_SERVICE_INTERVAL + 1);
        RunMainLoopFunctions();
    }

    static void Record(uint32_t, CxSound* sound)
    {
        s_Callbacks.push_back(static_cast<ScriptedSound*>(sound)->m_strName);
    }

    ScopedManualClock m_Clock{5000};
    CxOptions m_Options;
    std::vector<std::unique_ptr<ScriptedSound>> m_Sounds;
    static std::vector<std::string> s_Callbacks;
};
std::vector<std::string> SoundSystem::s_Callbacks;
} // namespace

TEST_F(SoundSystem, OptionsShapeTheQueuesAndTheDevice)
{
    EXPECT_EQ(GetSoundQueueCount(), 3);
    EXPECT_EQ(GetSoundQueue(3), nullptr);
    EXPECT_TRUE(HasMainLoopFunction(SoundServiceRoutine));
    SetMasterVolume(55);
    ShutdownSoundSystem();
    EXPECT_FALSE(HasMainLoopFunction(SoundServiceRoutine));
    EXPECT_EQ(GetSoundQueueCount(), 0);
    // Without options: 8 queues, a 1024-frame buffer at 22050 Hz, and the master volume left as it was.
    ASSERT_EQ(InitSoundSystem(nullptr), 0u);
    EXPECT_EQ(GetSoundQueueCount(), 8);
    EXPECT_EQ(GetMasterVolume(), 55);
    SetMasterVolume(CX_SOUND_DEFAULT_VOLUME);
    EXPECT_EQ(AudioGetBufferFrames(), CX_AUDIO_DEFAULT_BUFFER);
    uint32_t rate, bits, channels;
    AudioGetDriverFormat(GetSoundDriver(), &rate, &bits, &channels);
    EXPECT_EQ(rate, 22050u);
    EXPECT_EQ(bits, 16u);
    ShutdownSoundSystem();
    // Too many queues are capped; without the first attempt the fallback opens the device, and the
    // fragment count sets its buffer.
    m_Options.SetNumber("Engine.Sound", "NumQueues", 40);
    m_Options.SetNumber("Engine", "UseDirectSound", 0);
    m_Options.SetNumber("Engine.Sound", "MixFragmentCount", 4);
    m_Options.SetNumber("Engine.Sound", "Frequency", 11025);
    ASSERT_EQ(InitSoundSystem(&m_Options), 0u);
    EXPECT_EQ(GetSoundQueueCount(), CX_SOUND_MAX_QUEUES);
    EXPECT_TRUE(IsSoundOn());
    EXPECT_EQ(AudioGetBufferFrames(), 512u);
}

TEST_F(SoundSystem, QueueChoiceTakesFewestEntriesAndTheHighestOnTies)
{
    Make("a", CX_SOUND_QUEUED, 0)->Play();
    Make("b", CX_SOUND_QUEUED, 0)->Play();
    // Counts 2, 0, 0: queue 2 wins.
    EXPECT_EQ(ChooseSoundQueue(), 2);
    ScriptedSound* chosen = Make("c", CX_SOUND_QUEUED);
    chosen->Play();
    EXPECT_EQ(chosen->GetQueueIndex(), 2);
    EXPECT_EQ(GetSoundQueue(2)->GetCount(), 1);
    // Counts 2, 0, 1: queue 1.
    EXPECT_EQ(ChooseSoundQueue(), 1);
}

TEST_F(SoundSystem, QueuedSoundsStartInTurnAsTheFrontFinishes)
{
    ScriptedSound* a = Make("a", CX_SOUND_QUEUED, 1);
    ScriptedSound* b = Make("b", CX_SOUND_QUEUED, 1);
    ScriptedSound* c = Make("c", CX_SOUND_QUEUED, 1);
    c->Play();
    a->Play();
    b->Play();
    // Order of playing, not of creation.
    EXPECT_TRUE(c->IsPlaying());
    EXPECT_TRUE(a->IsQueued());
    EXPECT_FALSE(a->IsPlaying());
    c->Finish();
    Pass();
    // The pass that ends the front line frees the queue; the next pass starts the next line.
    EXPECT_FALSE(c->IsQueued());
    EXPECT_EQ(GetSoundQueue(1)->GetCount(), 2);
    Pass();
    EXPECT_TRUE(a->IsPlaying());
    a->Stop();
    EXPECT_FALSE(b->IsPlaying());
    Pass();
    EXPECT_TRUE(b->IsPlaying());
    EXPECT_EQ(ScriptedSound::s_Log, (std::vector<std::string>{"c start", "a start", "b start"}));
    // Finishing calls the callback; stopping does not.
    EXPECT_EQ(s_Callbacks, (std::vector<std::string>{"c"}));
}

TEST_F(SoundSystem, ServiceRunsAtMostEvery100Ms)
{
    ScriptedSound* sound = Make("s");
    RunMainLoopFunctions();
    EXPECT_EQ(sound->m_nUpdates, 1);
    m_Clock.Advance(100);
    RunMainLoopFunctions();
    EXPECT_EQ(sound->m_nUpdates, 1);
    m_Clock.Advance(1);
    RunMainLoopFunctions();
    EXPECT_EQ(sound->m_nUpdates, 2);
    RunMainLoopFunctions();
    EXPECT_EQ(sound->m_nUpdates, 2);
}

TEST_F(SoundSystem, RepeatCountPlaysThatManyTimesWithCallbackEachTime)
{
    ScriptedSound* sound = Make("r");
    sound->SetRepeatCount(3);
    sound->Play();
    for (int play = 1; play <= 3; ++play)
    {
        EXPECT_EQ(sound->m_nStarts, play);
        EXPECT_EQ(s_Callbacks.size(), static_cast<size_t>(play - 1));
        sound->Finish();
        Pass();
    }
    EXPECT_EQ(sound->m_nStarts, 3);
    EXPECT_EQ(s_Callbacks.size(), 3u);
    EXPECT_FALSE(sound->IsPlaying());
}

TEST_F(SoundSystem, PausedSoundsWaitAndResume)
{
    ScriptedSound* sound = Make("p");
    sound->Play();
    sound->Pause();
    sound->Pause();
    EXPECT_TRUE(sound->IsPaused());
    EXPECT_EQ(sound->m_nPauses, 1);
    sound->Finish();
    Pass();
    // A paused sound is left alone by the service.
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_TRUE(s_Callbacks.empty());
    sound->Resume();
    EXPECT_EQ(sound->m_nResumes, 1);
    Pass();
    EXPECT_EQ(s_Callbacks.size(), 1u);
}

TEST_F(SoundSystem, FireAndForgetSoundsAreDeletedOnceDone)
{
    ScriptedSound* sound = MakeLoose("f", CX_SOUND_AUTO_DELETE);
    const uint32_t count = CxSound::GetSoundCount();
    sound->Play();
    Pass();
    EXPECT_EQ(ScriptedSound::s_nDeleted, 0);
    sound->Finish();
    Pass();
    EXPECT_EQ(ScriptedSound::s_nDeleted, 1);
    EXPECT_EQ(CxSound::GetSoundCount(), count - 1);
    EXPECT_EQ(s_Callbacks, (std::vector<std::string>{"f"}));
}

TEST_F(SoundSystem, FlushingQueuesStopsTheirSoundsAndCollectsFireAndForgetOnes)
{
    ScriptedSound* front = MakeLoose("front", CX_SOUND_QUEUED | CX_SOUND_AUTO_DELETE, 1);
    ScriptedSound* waiting = MakeLoose("waiting", CX_SOUND_QUEUED | CX_SOUND_AUTO_DELETE, 1);
    ScriptedSound* elsewhere = Make("elsewhere", CX_SOUND_QUEUED, 2);
    front->Play();
    waiting->Play();
    elsewhere->Play();
    FlushAudioQueue(1);
    EXPECT_EQ(GetSoundQueue(1)->GetCount(), 0);
    EXPECT_TRUE(elsewhere->IsPlaying());
    Pass();
    // Both went, including the one that never started.
    EXPECT_EQ(ScriptedSound::s_nDeleted, 2);
    FlushAllAudioQueues();
    EXPECT_FALSE(elsewhere->IsPlaying());
    EXPECT_EQ(GetSoundQueue(2)->GetCount(), 0);
}

TEST_F(SoundSystem, CallbackCannotStartANestedPass)
{
    static ScriptedSound* s_pOther;
    static int s_nOtherUpdates;
    ScriptedSound* sound = Make("outer");
    s_pOther = Make("other");
    sound->SetCallback([](uint32_t, CxSound*) {
        s_nOtherUpdates = s_pOther->m_nUpdates;
        RunSoundServicePass();
        // The nested call did nothing.
        EXPECT_EQ(s_pOther->m_nUpdates, s_nOtherUpdates);
    });
    sound->Play();
    sound->Finish();
    Pass();
    EXPECT_EQ(s_pOther->m_nUpdates, s_nOtherUpdates + 1);
}

TEST_F(SoundSystem, SoundsCreatedDuringAPassAreServicedInTheSamePass)
{
    static ScriptedSound* s_pCreated;
    static SoundSystem* s_pTest;
    s_pTest = this;
    s_pCreated = nullptr;
    ScriptedSound* sound = Make("creator");
    sound->SetCallback([](uint32_t, CxSound*) {
        if (!s_pCreated)
            s_pCreated = s_pTest->Make("created");
    });
    sound->Play();
    sound->Finish();
    Pass();
    ASSERT_NE(s_pCreated, nullptr);
    EXPECT_GE(s_pCreated->m_nUpdates, 1);
    // The walk started again, so the first sound was updated once more, without effect.
    EXPECT_EQ(sound->m_nUpdates, 2);
    EXPECT_EQ(sound->m_nStarts, 1);
}

TEST_F(SoundSystem, LoadingSetsFlagsByNameAndAMissingFileRefusesToPlay)
{
    TempDir dir;
    const std::pair<const char*, uint32_t> cases[] = {{"intro.mp3", CX_SOUND_MP3},
                                                      {"clip.RAW", CX_SOUND_RAW},
                                                      {"song.mp3.raw", CX_SOUND_MP3},
                                                      {"plain.wav", 0}};
    for (const auto& [name, flags] : cases)
    {
        const std::string path = dir.Write(name, "data bytes");
        ScriptedSound* sound = Make("x");
        ASSERT_EQ(sound->Load(path.c_str()), 0u);
        EXPECT_EQ(sound->GetPlayFlags() & (CX_SOUND_MP3 | CX_SOUND_RAW), flags) << name;
        EXPECT_EQ(sound->GetFileName(), path.c_str());
        EXPECT_EQ(memcmp(sound->GetData(), "data bytes", sound->GetDataSize()), 0);
        EXPECT_EQ(sound->GetDataSize(), 10u);
        EXPECT_FALSE(sound->WasStarted());
    }
    ErrorCapture errors;
    // Without the prompt for the game disc, which would ask again and again.
    const bool prompt = GetBlueScreenError();
    SetBlueScreenError(false);
    ScriptedSound* sound = Make("x");
    EXPECT_EQ(sound->Load("/nonexistent/dir/voice.wav"), CX_ERR_FILE_OPEN);
    SetBlueScreenError(prompt);
    EXPECT_FALSE(sound->IsLoaded());
    ASSERT_FALSE(errors.Errors().empty());
    EXPECT_EQ(errors.Errors().back().text, "Could not open sound file: /nonexistent/dir/voice.wav");
    // A sound with an error refuses to play.
    EXPECT_EQ(sound->Play(), CX_ERR_FILE_OPEN);
    EXPECT_EQ(sound->m_nStarts, 0);
}

TEST_F(SoundSystem, SetDataCopiesOrBorrows)
{
    char buffer[] = "borrowed";
    ScriptedSound* sound = Make("x");
    sound->SetData(buffer, 8, true);
    EXPECT_EQ(sound->GetData(), reinterpret_cast<uint8_t*>(buffer));
    sound->Unload();
    EXPECT_EQ(strcmp(buffer, "borrowed"), 0);
    sound->SetData(buffer, 8, false);
    EXPECT_NE(sound->GetData(), reinterpret_cast<uint8_t*>(buffer));
    EXPECT_EQ(memcmp(sound->GetData(), "borrowed", 8), 0);
}

TEST_F(SoundSystem, PurgedDataComesBackWhenPlayed)
{
    TempDir dir;
    CxOptions options;
    options.SetString("Engine", "CacheDir", dir.Path().c_str());
    SetMainOptions(&options);
    std::string pattern(4096, '\0');
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<char>(i * 13);
    ScriptedSound* sound = Make("cached");
    sound->SetData(pattern.data(), static_cast<uint32_t>(pattern.size()), false);
    // Leave room for less than the sound's data: the next allocation purges it.
    SetMemoryBudget(GetMemoryInUse() + 1024);
    void* block = CX_ALLOC(2048);
    SetMemoryBudget(CX_MEMORY_UNLIMITED);
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(sound->IsResident());
    EXPECT_TRUE(sound->IsLoaded());
    sound->Play();
    EXPECT_TRUE(sound->IsResident());
    EXPECT_TRUE(sound->IsLocked());
    ASSERT_NE(sound->GetData(), nullptr);
    EXPECT_EQ(memcmp(sound->GetData(), pattern.data(), pattern.size()), 0);
    sound->Stop();
    EXPECT_FALSE(sound->IsLocked());
    CX_FREE(block);
    SetMainOptions(nullptr);
}

TEST_F(SoundSystem, PlayEventWaitsForItsSoundAndStartEventDoesNot)
{
    ScriptedSound* held = MakeLoose("held", 0);
    CSoundEvent play(held, false, false);
    play.Start();
    EXPECT_TRUE(held->m_bActive);
    EXPECT_FALSE(play.IsFinished()) << "a played sound is waited for";
    play.Pause();
    EXPECT_TRUE(play.IsBlocked());
    play.Resume();
    EXPECT_FALSE(play.IsBlocked());
    held->Finish();
    EXPECT_TRUE(play.IsFinished());

    ScriptedSound* background = MakeLoose("background", 0);
    CSoundEvent start(background, true, false);
    EXPECT_FALSE(start.IsFinished()) << "nothing is finished before it started";
    start.Start();
    EXPECT_TRUE(start.IsFinished()) << "a started sound goes on by itself";
    EXPECT_TRUE(background->m_bActive);
    {
        CSoundEvent stopped(MakeLoose("stopped", 0), false, false);
        stopped.Start();
        stopped.Stop();
        EXPECT_TRUE(stopped.IsFinished());
    }
    EXPECT_EQ(ScriptedSound::s_nDeleted, 1) << "the event deletes its sound";
}

TEST_F(SoundSystem, ExclusiveSoundEventCutsWhatPlaysInItsQueue)
{
    ScriptedSound* old = Make("old", CX_SOUND_QUEUED, 2);
    old->Play();
    RunSoundServicePass();
    ASSERT_TRUE(old->m_bActive);
    ScriptedSound* cut = MakeLoose("cut", 0, 2);
    CSoundEvent exclusive(cut, false, true);
    exclusive.Start();
    EXPECT_FALSE(old->m_bActive) << "the queue was flushed";
    EXPECT_TRUE(cut->m_bActive);
}

// With no audio device the game runs silent: each play reports completion
// at once, exactly once.
TEST(SilentSound, NoDeviceMeansImmediateCompletion)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ScopedManualClock clock(100);
    EXPECT_EQ(InitSoundSystem(nullptr), CX_ERR_UNKNOWN);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_TRUE(IsSoundSystemInitialised());
    EXPECT_FALSE(IsSoundOn());
    EXPECT_EQ(GetMasterVolume(), -1);

    static int s_nCalls;
    s_nCalls = 0;
    CxWave* wave = new CxWave;
    const char data[] = "RIFF";
    wave->SetData(data, 4, false);
    wave->SetCallback([](uint32_t, CxSound*) { ++s_nCalls; });
    wave->SetRepeatCount(2);
    wave->SetPlayFlags(CX_SOUND_AUTO_DELETE);
    const uint32_t sounds = CxSound::GetSoundCount();
    EXPECT_EQ(wave->Play(), 0u);
    EXPECT_EQ(s_nCalls, 1);
    for (int i = 0; i < 3; ++i)
    {
        clock.Advance(CX_SOUND_SERVICE_INTERVAL + 1);
        RunMainLoopFunctions();
    }
    EXPECT_EQ(s_nCalls, 2);
    EXPECT_EQ(CxSound::GetSoundCount(), sounds - 1);

    // A file is not even read while the sound is off.
    CxWave unloaded;
    TempDir dir;
    EXPECT_EQ(unloaded.Load(dir.Write("a.wav", "RIFF").c_str()), 0u);
    EXPECT_FALSE(unloaded.IsLoaded());
    ShutdownSoundSystem();
}
