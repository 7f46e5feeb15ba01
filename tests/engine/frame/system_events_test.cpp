#include "engine/frame/system_events.h"

#include "engine/media/audio_subtitle.h"
#include "engine/media/sound.h"
#include "engine/media/sound_event.h"

#include "engine/core/file.h"
#include "engine/core/random.h"
#include "engine/core/sequence.h"
#include "engine/platform/clock.h"
#include "tests/engine/media/wave_builder.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include <string>
#include <vector>

namespace {
class CCommandApp : public CTestApp
{
public:
    using CTestApp::CTestApp;
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override
    {
        std::string line = command.c_str();
        for (auto* node = arguments.GetHead(); node; node = node->GetNext())
            line += std::string("|") + node->m_Value.c_str();
        m_Commands.push_back(line);
    }
    std::vector<std::string> m_Commands;
};

class NoticeListener : public CxEventListener
{
public:
    int32_t OnEvent(uint32_t, CxEvent* event) override
    {
        if (dynamic_cast<CInfoEvent*>(event) && !dynamic_cast<CRoomEvent*>(event) &&
            !dynamic_cast<CCommandEvent*>(event))
            m_Numbers.push_back(event->GetData());
        return 0;
    }
    std::vector<uint32_t> m_Numbers;
};

// Runs sequence text through the event pump with a manual clock.
class SystemCommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string options = "[Startup]\nInstallPath=" + m_Dir.Path() + "\n";
        m_pApp = std::make_unique<CCommandApp>(options.c_str());
        m_pApp->Init();
        m_pApp->Create();
        CreateChannel(&m_nChannel);
        m_Listener.Listen(m_nChannel);
    }
    void TearDown() override
    {
        DestroyChannel(m_nChannel);
        m_pApp->PreDestroy();
        m_pApp->Destroy();
    }

    // Parses the text into a sequence, posts it and returns it (owned by the test).
    // The listener hears the sequence's own events through its private channel.
    CxEventSequenceFile& Play(const std::string& text)
    {
        m_Sequence = std::make_unique<CxEventSequenceFile>();
        m_Sequence->Parse(text.data(), static_cast<uint32_t>(text.size()), nullptr);
        m_Listener.Listen(m_Sequence->GetPrivateChannel());
        m_Sequence->Post(m_nChannel);
        return *m_Sequence;
    }
    // Pumps until the channel is empty; returns the passes it took, -1 past the limit.
    int Drain(uint32_t msPerPass = 0, int limit = 100)
    {
        for (int pass = 1; pass <= limit; ++pass)
        {
            PumpEvents();
            if (IsChannelEmpty(m_nChannel))
                return pass;
            m_Clock.Advance(msPerPass);
        }
        return -1;
    }

    TempDir m_Dir;
    ScopedManualClock m_Clock{1000};
    std::unique_ptr<CCommandApp> m_pApp;
    NoticeListener m_Listener;
    uint32_t m_nChannel = 0;
    std::unique_ptr<CxEventSequenceFile> m_Sequence;
};
} // namespace

TEST_F(SystemCommandsTest, SleepLastsItsDurationAndNoLonger)
{
    Play("Event system.Sleep(250)\nEvent system.Notify(1)\n");
    PumpEvents();
    m_Clock.Advance(249);
    PumpEvents();
    PumpEvents();
    EXPECT_TRUE(m_Listener.m_Numbers.empty()) << "249 ms into a 250 ms sleep";
    m_Clock.Advance(1);
    Drain();
    EXPECT_EQ(m_Listener.m_Numbers, (std::vector<uint32_t>{1}));
}

TEST_F(SystemCommandsTest, SleepRandomRangeStaysInsideItsBoundsAndEqualBoundsAreExact)
{
    CxLinkedList<CxString> args;
    args.AddTail(CxString("100"));
    args.AddTail(CxString("100"));
    std::unique_ptr<CxEvent> exact(
        m_pApp->CreateEvent(CxString("system"), CxString("SleepRandomRange"), args));
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(static_cast<CTimerEvent*>(exact.get())->GetDuration(), 100u);

    SeedRandom(7);
    args.GetTail()->m_Value = "140";
    for (int i = 0; i < 200; ++i)
    {
        std::unique_ptr<CxEvent> e(
            m_pApp->CreateEvent(CxString("SYSTEM"), CxString("sleeprandomrange"), args));
        const uint32_t d = static_cast<CTimerEvent*>(e.get())->GetDuration();
        ASSERT_GE(d, 100u);
        ASSERT_LE(d, 140u);
    }
}

TEST_F(SystemCommandsTest, SleepOfZeroFinishesAtItsFirstTestAndPauseBlocks)
{
    Play("Event system.Sleep(0)\nEvent system.Notify(2)\n");
    EXPECT_GE(Drain(), 1);
    EXPECT_EQ(m_Listener.m_Numbers, (std::vector<uint32_t>{2}));

    CTimerEvent sleep(50);
    sleep.Start();
    sleep.Pause();
    EXPECT_TRUE(sleep.IsBlocked());
    m_Clock.Advance(100);
    EXPECT_FALSE(sleep.IsFinished()) << "paused time does not count";
    sleep.Resume();
    m_Clock.Advance(50);
    EXPECT_TRUE(sleep.IsFinished());
}

TEST_F(SystemCommandsTest, RoomCommandsSwitchOnTheNextIdlePass)
{
    ErrorCapture capture;
    Play("Event system.PushRoom(1)\nEvent system.PushRoom(2)\nEvent system.PopRoom(0)\n"
         "Event system.PopRoom()\n");
    Drain();
    m_pApp->OnIdle();
    EXPECT_EQ(m_pApp->GetCurRoomID(), 1) << "PopRoom() without its argument is dropped";
    EXPECT_TRUE(capture.Errors().empty()) << "and dropped without a message";
    Play("Event system.GotoRoom(2)\n");
    Drain();
    m_pApp->OnIdle();
    EXPECT_EQ(m_pApp->GetCurRoomID(), 2);
}

TEST_F(SystemCommandsTest, NotifyReachesTheListenerAndUnknownCommandsTheHandler)
{
    Play("Event system.Notify(7)\nEvent system.NOTIFY(42)\nEvent system.Notify(1,2)\n"
         "Event system.FlushAudioChannel(3)\nEvent system.Custom(a, \"b c\")\nEvent system.Bare()\n");
    Drain();
    EXPECT_EQ(m_Listener.m_Numbers, (std::vector<uint32_t>{7, 42})) << "two arguments: dropped";
    EXPECT_EQ(m_pApp->m_Commands, (std::vector<std::string>{"FlushAudioChannel|3", "Custom|a|b c", "Bare"}));
}

TEST_F(SystemCommandsTest, RunScriptRunsLuaThatChangesARoom)
{
    m_Dir.Write("go.lua", "GotoRoom(2)\n");
    Play("Event system.RunScript(\"$GAMEPATH\\GO.LUA\")\n");
    Drain();
    m_pApp->OnIdle();
    EXPECT_EQ(m_pApp->GetCurRoomID(), 2);
}

TEST_F(SystemCommandsTest, SequenceCommandLoadsOneFileChosenAtRandom)
{
    m_Dir.Write("a.seq", "Event system.Mark(a)\n");
    m_Dir.Write("b.seq", "Event system.Mark(b)\n");
    SeedRandom(3);
    for (int i = 0; i < 12; ++i)
    {
        Play("Event system.Sequence($GAMEPATH\\a.seq, $GAMEPATH\\b.seq)\n");
        Drain();
    }
    const auto& seen = m_pApp->m_Commands;
    ASSERT_EQ(seen.size(), 12u) << "each run plays exactly one of the files";
    EXPECT_NE(std::count(seen.begin(), seen.end(), "Mark|a"), 0);
    EXPECT_NE(std::count(seen.begin(), seen.end(), "Mark|b"), 0);
}

TEST_F(SystemCommandsTest, OtherCategoriesAreNotTheApplicationsToMake)
{
    CxLinkedList<CxString> args;
    EXPECT_EQ(m_pApp->CreateEvent(CxString("Town"), CxString("Sleep"), args), nullptr);
    EXPECT_EQ(FindEventCreator("system"), static_cast<CxEventCreator*>(m_pApp.get()));
}

TEST_F(SystemCommandsTest, SoundCommandsLoadTheirFileAndTextFilesMakeSubtitledSounds)
{
    // A silent game (no sound system): a played sound is done at once.
    ShutdownSoundSystem();
    m_Dir.Write("hello.wav", wave_test::Pcm16Wave({0, 0}, 1, 22050));
    const char* text = "Event system.PlaySound($GAMEPATH\\HELLO.WAV)\n"
                       "Event system.StartSound($GAMEPATH\\hello.wav)\nEvent system.Notify(5)\n";
    CxEventSequenceFile& sequence = Play(text);
    ASSERT_EQ(sequence.GetCount(), 3);
    EXPECT_TRUE(dynamic_cast<CSoundEvent*>(sequence.GetAt(1)->m_Value)->IsWaitNot());
    EXPECT_GT(Drain(), 0);
    EXPECT_EQ(m_Listener.m_Numbers, (std::vector<uint32_t>{5}));

    // With sound on, the file is found through $GAMEPATH and loaded when the event is made.
    CxOptions sound;
    ASSERT_EQ(InitSoundSystem(&sound), 0u);
    {
        CxEventSequenceFile loaded;
        loaded.Parse(text, static_cast<uint32_t>(strlen(text)), nullptr);
        auto* played = dynamic_cast<CSoundEvent*>(loaded.GetHead()->m_Value);
        ASSERT_NE(played, nullptr);
        EXPECT_TRUE(played->GetSound()->IsLoaded());
    }
    ShutdownSoundSystem();

    // A ".TXT" name makes a subtitled sound from the file found through $GAMEPATH; it keeps its own
    // queue even for the command that cuts into the voice queue.
    m_Dir.Write("talk.txt", "1000,Hello\n-1,Bye\n");
    CxLinkedList<CxString> args;
    args.AddTail(CxString("$GAMEPATH\\TALK.TXT"));
    for (const char* command : {"PlaySound", "PlayThisSound", "StartSound"})
    {
        std::unique_ptr<CxEvent> event(m_pApp->CreateEvent(CxString("system"), CxString(command), args));
        auto* played = dynamic_cast<CSoundEvent*>(event.get());
        ASSERT_NE(played, nullptr) << command;
        auto* subtitle = dynamic_cast<CxAudioSubTitle*>(played->GetSound());
        ASSERT_NE(subtitle, nullptr) << command;
        EXPECT_EQ(subtitle->GetLineCount(), 2u) << command;
        EXPECT_EQ(subtitle->GetQueueIndex(), -1) << command;
        EXPECT_EQ(played->IsWaitNot(), std::string(command) == "StartSound");
    }

    // A missing subtitle file still makes the event, whose empty sound is done at once.
    const bool prompt = GetBlueScreenError();
    SetBlueScreenError(false);
    ErrorCapture capture;
    args.GetHead()->m_Value = "$GAMEPATH\\gone.txt";
    std::unique_ptr<CxEvent> event(m_pApp->CreateEvent(CxString("system"), CxString("PlaySound"), args));
    SetBlueScreenError(prompt);
    auto* played = dynamic_cast<CSoundEvent*>(event.get());
    ASSERT_NE(played, nullptr);
    EXPECT_EQ(capture.Errors().size(), 1u);
    played->Start();
    EXPECT_TRUE(played->IsFinished());
}
