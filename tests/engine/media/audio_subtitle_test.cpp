#include "engine/media/audio_subtitle.h"

#include "engine/core/event.h"
#include "engine/core/file.h"
#include "engine/core/options.h"
#include "engine/core/sequence.h"
#include "engine/frame/system_events.h"
#include "engine/graphics/display_object.h"
#include "engine/media/sound_event.h"
#include "engine/platform/clock.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {
// Three subtitles: 2000 ms, 8 characters at 50 ms each, 500 ms.
const std::string THREE_LINES = "2000,Hello\n-1,Goodbye!\n500,End\n";

std::vector<std::string> Texts(const CxAudioSubTitle& subtitle)
{
    std::vector<std::string> out;
    for (uint32_t i = 0; i < subtitle.GetLineCount(); ++i)
        out.push_back(subtitle.GetLine(i)->GetText().c_str());
    return out;
}

std::vector<uint32_t> Times(const CxAudioSubTitle& subtitle)
{
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < subtitle.GetLineCount(); ++i)
        out.push_back(subtitle.GetLine(i)->GetTime());
    return out;
}

uint32_t Parse(CxAudioSubTitle& subtitle, const std::string& text)
{
    return subtitle.SetData(text.data(), static_cast<uint32_t>(text.size()), false);
}

// The subtitle file format, without playing anything: "time,text" lines, -1
// meaning 50 ms a character, up to the first line without a comma.
TEST(SubtitleFileTest, LinesHoldTheirTextAndTime)
{
    const struct
    {
        std::string text;
        std::vector<std::string> lines;
        std::vector<uint32_t> times;
    } cases[] = {
        {THREE_LINES, {"Hello", "Goodbye!", "End"}, {2000, 400, 500}},
        // Blanks after the comma are skipped; a carriage return is kept and counts as a character.
        {"100, \t two words, and a comma\r\n-1,  ab\r\n7,last without a feed",
         {"two words, and a comma\r", "ab\r", "last without a feed"},
         {100, 150, 7}},
        {"10,a\n20,b\nno comma here\n30,c\n", {"a", "b"}, {10, 20}},
        {"title\n10,a\n", {}, {}},
        {"", {}, {}},
        // Out-of-range times, and only the data given: the zero byte and what follows it are not text.
        {std::string("-1,\n-5,x\n99999999999999,y\n 12abc,z\nx,w\n40,a\0b\n50,c\n", 51),
         {"", "x", "y", "z", "w", "a"},
         {0, 0, CX_SUBTITLE_MAX_TIME, 12, 0, 40}},
    };
    CxAudioSubTitle subtitle; // parsing again replaces the lines
    for (const auto& c : cases)
    {
        ASSERT_EQ(Parse(subtitle, c.text), 0u);
        EXPECT_EQ(Texts(subtitle), c.lines) << testing::PrintToString(c.text);
        EXPECT_EQ(Times(subtitle), c.times) << testing::PrintToString(c.text);
        EXPECT_EQ(subtitle.IsLoaded(), !c.lines.empty());
    }
    // A text longer than a string can hold is cut, not read past.
    ASSERT_EQ(Parse(subtitle, "5," + std::string(40000, 'q')), 0u);
    ASSERT_EQ(subtitle.GetLineCount(), 1u);
    EXPECT_EQ(subtitle.GetLine(0)->GetText().GetLength(), CX_STRING_MAX);
    // The size bounds the read even without a terminator.
    const char bytes[] = {'9', ',', 'a', 'b'};
    ASSERT_EQ(subtitle.SetData(bytes, 3, true), 0u);
    EXPECT_EQ(Texts(subtitle), (std::vector<std::string>{"a"}));
}

TEST(SubtitleFileTest, LoadReadsTheFileAndAMissingFileLeavesTheSoundEmpty)
{
    TempDir dir;
    CxAudioSubTitle subtitle;
    ASSERT_EQ(subtitle.Load(dir.Write("talk.txt", THREE_LINES).c_str()), 0u);
    EXPECT_EQ(Times(subtitle), (std::vector<uint32_t>{2000, 400, 500}));

    // No prompt for a disc: the file is simply not there.
    const bool prompt = GetBlueScreenError();
    SetBlueScreenError(false);
    ErrorCapture capture;
    CxAudioSubTitle missing;
    EXPECT_EQ(missing.Load(dir.File("gone.txt").c_str()), CX_ERR_FILE_OPEN);
    EXPECT_EQ(missing.GetErrorCode(), CX_ERR_FILE_OPEN);
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_EQ(capture.Errors().size(), 1u);
    SetBlueScreenError(prompt);

    // Loading again drops the old lines first.
    ASSERT_EQ(subtitle.Load(dir.Write("one.txt", "1,x").c_str()), 0u);
    EXPECT_EQ(subtitle.GetLineCount(), 1u);
    subtitle.Unload();
    EXPECT_EQ(subtitle.GetLineCount(), 0u);
}

// Playback under the manual clock with a 640 x 480 display root.
class SubtitlePlaybackTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(InitSoundSystem(&m_Options), 0u);
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        CxDisplayObject::ClearDirtyRects();
    }
    void TearDown() override
    {
        CxDisplayObject::DestroyRoot();
        ShutdownSoundSystem();
    }

    // Advances the clock and runs one service step of the subtitle.
    void Step(CxAudioSubTitle& subtitle, uint32_t ms)
    {
        m_Clock.Advance(ms);
        subtitle.Update();
    }
    // The text the box in the display tree shows, or "-" when no box is shown.
    static std::string Shown(const CxAudioSubTitle& subtitle)
    {
        const CxSubtitleBox* box = subtitle.GetTextBox();
        if (!box || !box->IsShown() || box->GetParent() != CxDisplayObject::GetRoot())
            return "-";
        return box->GetText().c_str();
    }

    ScopedManualClock m_Clock{1000};
    CxOptions m_Options;
};

TEST_F(SubtitlePlaybackTest, EachLineIsShownForItsTimeThenTheSoundIsDone)
{
    static int s_nCalls;
    s_nCalls = 0;
    CxAudioSubTitle subtitle;
    ASSERT_EQ(Parse(subtitle, THREE_LINES), 0u);
    subtitle.SetCallback([](uint32_t, CxSound*) { ++s_nCalls; });
    EXPECT_TRUE(subtitle.IsDone()) << "not playing yet";
    ASSERT_EQ(subtitle.Play(), 0u);
    EXPECT_FALSE(subtitle.IsDone());
    EXPECT_EQ(Shown(subtitle), "Hello");
    const std::pair<uint32_t, const char*> steps[] = {
        {1999, "Hello"}, {1, "Goodbye!"}, {399, "Goodbye!"}, {1, "End"}, {499, "End"}};
    for (const auto& [ms, text] : steps)
    {
        Step(subtitle, ms);
        EXPECT_EQ(Shown(subtitle), text);
    }
    EXPECT_EQ(subtitle.GetCurrentLine(), 2);
    EXPECT_FALSE(subtitle.IsDone());
    m_Clock.Advance(1);
    EXPECT_TRUE(subtitle.IsDone()) << "done as soon as the last line has run out";
    RunSoundServicePass();
    EXPECT_FALSE(subtitle.IsPlaying());
    EXPECT_EQ(s_nCalls, 1) << "the service pass reports the end as for any sound";
    EXPECT_EQ(Shown(subtitle), "-") << "the text goes when the sound ends";
    EXPECT_EQ(subtitle.GetTextBox()->GetParent(), nullptr);

    // It plays again from the first line.
    ASSERT_EQ(subtitle.Play(), 0u);
    EXPECT_EQ(Shown(subtitle), "Hello");
    subtitle.Stop();
    EXPECT_EQ(Shown(subtitle), "-");
}

TEST_F(SubtitlePlaybackTest, TheBoxLiesAcrossTheScreenInFrontOfEverything)
{
    CxDisplayObject back;
    back.Create(0, 0, 640, 480);
    back.SetDepth(0);
    back.MoveTo(0, 0);
    CxAudioSubTitle subtitle;
    ASSERT_EQ(Parse(subtitle, "1000,Hi there\n"), 0u);
    ASSERT_EQ(subtitle.Play(), 0u);

    const CxSubtitleBox* box = subtitle.GetTextBox();
    ASSERT_NE(box, nullptr);
    CxDisplayObject* last = CxDisplayObject::GetRoot()->GetFirstChild();
    while (last->GetNextSibling())
        last = last->GetNextSibling();
    EXPECT_EQ(last, box) << "painted last, so above the other objects";
    const CxRect area = box->GetScreenArea();
    EXPECT_GE(area.Width(), 600);
    EXPECT_GE(area.top, 240) << "in the lower part of the screen";
    EXPECT_LE(area.bottom, 479);
    subtitle.Stop();
}

TEST_F(SubtitlePlaybackTest, PauseKeepsTheLineAndItsRemainingTime)
{
    CxAudioSubTitle subtitle;
    ASSERT_EQ(Parse(subtitle, THREE_LINES), 0u);
    ASSERT_EQ(subtitle.Play(), 0u);
    Step(subtitle, 1500);
    subtitle.Pause();
    EXPECT_TRUE(subtitle.IsPaused());
    Step(subtitle, 60000);
    EXPECT_EQ(Shown(subtitle), "Hello") << "the line stays on screen while paused";
    EXPECT_EQ(subtitle.GetRemainingTime(), 500u);
    EXPECT_FALSE(subtitle.IsDone());

    subtitle.Resume();
    Step(subtitle, 499);
    EXPECT_EQ(Shown(subtitle), "Hello");
    Step(subtitle, 1);
    EXPECT_EQ(Shown(subtitle), "Goodbye!");

    // Stopped while paused, a new play runs its lines normally.
    subtitle.Pause();
    subtitle.Stop();
    ASSERT_EQ(subtitle.Play(), 0u);
    Step(subtitle, 2000);
    EXPECT_EQ(Shown(subtitle), "Goodbye!");
}

TEST_F(SubtitlePlaybackTest, EmptySubtitlesAndLinesOfNoTimeEndAtTheNextLook)
{
    CxAudioSubTitle none;
    ASSERT_EQ(Parse(none, "no comma\n"), 0u);
    none.Play();
    EXPECT_TRUE(none.IsDone()) << "a sound without lines finishes at once";
    EXPECT_EQ(Shown(none), "-");

    CxAudioSubTitle brief;
    ASSERT_EQ(Parse(brief, "-1,\n300,after\n"), 0u);
    ASSERT_EQ(brief.Play(), 0u);
    EXPECT_EQ(brief.GetLine(0)->GetTime(), 0u);
    brief.Update();
    EXPECT_EQ(Shown(brief), "after") << "an empty line of -1 lasts only until the next update";
    Step(brief, 300);
    EXPECT_FALSE(brief.IsPlaying());

    CxAudioSubTitle last;
    ASSERT_EQ(Parse(last, "0,only\n"), 0u);
    ASSERT_EQ(last.Play(), 0u);
    EXPECT_TRUE(last.IsDone());
}

// A sequence plays a subtitle file and goes on when its last line has run out.
class NumberListener : public CxEventListener
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

TEST(SubtitleSequenceTest, ASequenceWaitsForTheSubtitledSound)
{
    ScopedManualClock clock(1000);
    TempDir dir;
    dir.Write("talk.txt", THREE_LINES);
    const std::string options = "[Startup]\nInstallPath=" + dir.Path() + "\n";
    {
        CTestApp app(options.c_str());
        app.Init();
        app.Create();
        CxOptions soundOptions;
        ASSERT_EQ(InitSoundSystem(&soundOptions), 0u);
        uint32_t channel = 0;
        CreateChannel(&channel);
        NumberListener listener;
        listener.Listen(channel);
        {
            const std::string text = "Event system.PlaySound($GAMEPATH\\TALK.TXT)\nEvent system.Notify(7)\n";
            CxEventSequenceFile sequence;
            sequence.Parse(text.data(), static_cast<uint32_t>(text.size()), nullptr);
            listener.Listen(sequence.GetPrivateChannel());
            sequence.Post(channel);

            // 2900 ms of subtitles: pump in 100 ms steps as the service routine would run.
            uint32_t elapsed = 0;
            while (listener.m_Numbers.empty() && elapsed < 5000)
            {
                PumpEvents();
                RunSoundServicePass();
                PumpEvents();
                if (!listener.m_Numbers.empty())
                    break;
                clock.Advance(100);
                elapsed += 100;
            }
            EXPECT_EQ(listener.m_Numbers, (std::vector<uint32_t>{7}));
            EXPECT_EQ(elapsed, 2900u) << "the next line runs once the last subtitle has run out";
            for (int i = 0; i < 5 && !IsChannelEmpty(channel); ++i)
                PumpEvents();
        }
        DestroyChannel(channel);
        ShutdownSoundSystem();
        app.PreDestroy();
        app.Destroy();
    }
}
} // namespace
