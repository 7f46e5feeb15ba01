#include "game/world/base_window.h"

#include "engine/core/error.h"
#include "engine/core/event.h"
#include "engine/frame/system_events.h"
#include "engine/platform/clock.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {
struct FadeRecord
{
    std::string file;
    long room;      // the current room while it played
    int32_t paused; // that room's pause count meanwhile
};
std::vector<FadeRecord> s_Fades;

class CIdleRoom : public CBaseWindow
{
public:
    void OnIdlePrompt(int32_t level) override { m_Prompts.push_back({level, GetTickCount()}); }
    void OnRoomEvent(uint32_t channel, CxEvent* event) override
    {
        m_Heard.push_back(channel);
        if (dynamic_cast<CInfoEvent*>(event))
            m_Notes.push_back(event->GetData());
    }
    struct Prompt
    {
        int32_t level;
        uint32_t at;
    };
    std::vector<Prompt> m_Prompts;
    std::vector<uint32_t> m_Heard;
    std::vector<uint32_t> m_Notes;
};

class CBaseWindowApp : public CTestApp
{
public:
    CxGameWindow* CreateRoom(long id) override { return id < 2 ? new CIdleRoom : nullptr; }
    CIdleRoom* Room(long id) const { return static_cast<CIdleRoom*>(GetRoom(id)); }
};

CBaseWindowApp* s_pApp = nullptr;

uint32_t RecordFade(const char* file)
{
    CxGameWindow* room = s_pApp ? s_pApp->GetCurRoom() : nullptr;
    s_Fades.push_back({file, room ? room->GetRoomID() : -1, room ? room->GetPauseCount() : -1});
    return CX_ERR_NONE;
}

// Rooms of a game application driven pass by pass under the manual clock,
// with the fades recorded instead of played.
class BaseWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        s_Fades.clear();
        CBaseWindow::SetSkipFade(true);
        previousFade = CBaseWindow::SetFadePlayer(RecordFade);
        s_pApp = &app;
        app.Create();
    }
    void TearDown() override
    {
        app.PreDestroy();
        app.Destroy();
        s_pApp = nullptr;
        CBaseWindow::SetFadePlayer(previousFade);
        CBaseWindow::SetSkipFade(true);
    }
    void Pass() { app.RunIdlePass(); }
    void Enter(long id)
    {
        app.GotoRoom(id);
        Pass();
        ASSERT_EQ(app.GetCurRoom(), app.GetRoom(id));
    }
    // Runs passes every 100 ms up to the given time.
    void RunUntil(uint32_t ms)
    {
        while (clock.GetTicks() < ms)
        {
            clock.Advance(100);
            Pass();
        }
    }

    // Enters room 0 and starts its idle prompts at start.
    CIdleRoom* StartPrompts()
    {
        Enter(0);
        start = clock.GetTicks();
        app.Room(0)->StartIdlePrompts();
        return app.Room(0);
    }

    ScopedManualClock clock{1000};
    uint32_t start = 0;
    CBaseWindowApp app;
    PFN_PLAY_FADE previousFade = nullptr;
};
} // namespace

TEST_F(BaseWindowTest, OnlyLaterRoomEntriesFadeInAndQuittingSkipsTheFadeOut)
{
    Enter(0);
    EXPECT_TRUE(s_Fades.empty()) << "the first room entered after start gets no fade";
    EXPECT_FALSE(CBaseWindow::GetSkipFade());

    Enter(1);
    ASSERT_EQ(s_Fades.size(), 2u);
    // Room 0 fades out, paused for the movie, then room 1 fades in, paused too.
    EXPECT_NE(s_Fades[0].file.find("FADE1.SMK"), std::string::npos) << s_Fades[0].file;
    EXPECT_EQ(s_Fades[0].file.find('$'), std::string::npos) << "the name is expanded";
    EXPECT_EQ(s_Fades[0].room, 0);
    EXPECT_EQ(s_Fades[0].paused, 1);
    EXPECT_NE(s_Fades[1].file.find("FADE0.SMK"), std::string::npos) << s_Fades[1].file;
    EXPECT_EQ(s_Fades[1].room, 1);
    EXPECT_EQ(s_Fades[1].paused, 1);
    EXPECT_EQ(app.Room(0)->GetPauseCount(), 0);
    EXPECT_EQ(app.Room(1)->GetPauseCount(), 0);

    s_Fades.clear();
    app.Quit();
    app.PreDestroy(); // leaves the current room
    EXPECT_TRUE(s_Fades.empty()) << "no fade out while quitting";
}

TEST_F(BaseWindowTest, TheRoomOwnsAChannelOnlyWhileCurrent)
{
    ErrorCapture errors;
    Enter(0);
    CIdleRoom* room = app.Room(0);
    const uint32_t channel = room->GetChannel();
    ASSERT_NE(channel, 0u);
    EXPECT_TRUE(IsChannelValid(channel));
    EXPECT_TRUE(room->GetListener().IsListening(channel));

    TempDir dir;
    const std::string file = dir.Path() + "/scene.seq";
    std::ofstream(file) << "Event system.Sleep(500)\nEvent system.Notify(7)\n";
    EXPECT_EQ(room->PlaySequence(file.c_str(), 0), CX_ERR_NONE);
    EXPECT_EQ(GetChannelCount(channel), 1u) << "channel 0 means the room's own";
    // The sequence runs in the room's channel; the room hears the "Notify"
    // inside it and the end of the sequence, then stops listening to the
    // sequence's own channel.
    RunUntil(clock.GetTicks() + 1000);
    EXPECT_TRUE(IsChannelEmpty(channel));
    EXPECT_EQ(room->m_Notes, std::vector<uint32_t>{7});
    EXPECT_NE(std::find(room->m_Heard.begin(), room->m_Heard.end(), channel), room->m_Heard.end());

    // A sequence left waiting is flushed with the channel when the room is left.
    EXPECT_EQ(room->PlaySequence(file.c_str(), 0), CX_ERR_NONE);
    Enter(1);
    EXPECT_EQ(room->GetChannel(), 0u);
    EXPECT_FALSE(IsChannelValid(channel));
    EXPECT_FALSE(room->GetListener().IsListening(channel));

    errors.Clear();
    EXPECT_EQ(room->PlaySequence(file.c_str(), 0), CX_ERR_INVALID_ARGUMENT);
    EXPECT_FALSE(errors.Errors().empty()) << "posting to no channel is reported";
}

TEST_F(BaseWindowTest, IdlePromptsComeEveryIntervalUpToLevelThree)
{
    CIdleRoom* room = StartPrompts();
    RunUntil(start + 100000);
    ASSERT_EQ(room->m_Prompts.size(), 3u) << "never a fourth prompt";
    for (int32_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(room->m_Prompts[i].level, i + 1);
        EXPECT_EQ(room->m_Prompts[i].at, start + 20000u * (i + 1));
    }
    EXPECT_EQ(room->GetIdleLevel(), 3);

    // StartIdlePrompts begins again from level 0.
    room->m_Prompts.clear();
    room->StartIdlePrompts();
    EXPECT_EQ(room->GetIdleLevel(), 0);
    RunUntil(clock.GetTicks() + 20000);
    ASSERT_EQ(room->m_Prompts.size(), 1u);
    EXPECT_EQ(room->m_Prompts[0].level, 1);
}

TEST_F(BaseWindowTest, InputDelaysThePromptWithoutLoweringTheLevel)
{
    CIdleRoom* room = StartPrompts();
    RunUntil(start + 15000);
    room->OnMouseMove(0, CxPoint(5, 5));
    RunUntil(start + 34900);
    EXPECT_TRUE(room->m_Prompts.empty());
    RunUntil(start + 35000);
    ASSERT_EQ(room->m_Prompts.size(), 1u);
    EXPECT_EQ(room->m_Prompts[0].at, start + 35000);

    room->OnKeyDown('a', 0);
    EXPECT_EQ(room->GetIdleLevel(), 1) << "input does not lower the level";
    RunUntil(start + 55000);
    ASSERT_EQ(room->m_Prompts.size(), 2u);
    EXPECT_EQ(room->m_Prompts[1].level, 2);

    // A button of the room that the player uses reports it up the tree:
    // that is input too.
    CxDisplayObject button;
    button.Create(10, 10, 20, 20, room);
    RunUntil(start + 70000);
    button.NotifyParent(0, reinterpret_cast<intptr_t>(&button), 2, 0);
    RunUntil(start + 89900);
    EXPECT_EQ(room->m_Prompts.size(), 2u);
    RunUntil(start + 90000);
    EXPECT_EQ(room->m_Prompts.size(), 3u);
    button.Detach();
}

TEST_F(BaseWindowTest, APausedRoomHoldsItsIdleCountdown)
{
    CIdleRoom* room = StartPrompts();
    RunUntil(start + 10000);
    room->AddPause();
    RunUntil(start + 50000);
    EXPECT_TRUE(room->m_Prompts.empty());
    room->RemovePause();
    // 10 s were left at the pause.
    RunUntil(start + 59900);
    EXPECT_TRUE(room->m_Prompts.empty());
    RunUntil(start + 60000);
    EXPECT_EQ(room->m_Prompts.size(), 1u);

    // Entering a room clears a pause it was left with.
    room->AddPause();
    room->AddPause();
    Enter(1);
    Enter(0);
    EXPECT_EQ(room->GetPauseCount(), 0);
    EXPECT_FALSE(room->GetIdleTimer().IsPaused());
}

namespace {
// What the question saw of the room while it was open.
struct QuestionSeen
{
    int32_t paused = -1;
    int32_t type = -1;
    bool onTop = false;
} s_Seen;

class CAutoQuestion : public CYesNoQuestion
{
public:
    explicit CAutoQuestion(int32_t type) : m_nType(type) {}
    int32_t GetAnswer() const override { return m_nAnswer; }
    void ResetAnswer() override { m_nAnswer = -1; }
    uint32_t DoModal() override
    {
        s_Seen = {s_pApp->GetCurRoom()->GetPauseCount(), m_nType,
                  GetParent() == CxDisplayObject::GetRoot() && IsShown()};
        m_nAnswer = YES_NO_ANSWER_YES;
        return CX_ERR_NONE;
    }
    int32_t m_nType;
    int32_t m_nAnswer = -1;
};
} // namespace

TEST_F(BaseWindowTest, AskYesNoPausesTheRoomForTheQuestion)
{
    Enter(0);
    CIdleRoom* room = app.Room(0);
    // Without dialogs the answer is no and nothing is shown.
    EXPECT_EQ(room->AskYesNo(2), YES_NO_ANSWER_NO);

    PFN_CREATE_YES_NO previous =
        CYesNoHook::SetDialogFactory([](int32_t type) -> CYesNoQuestion* { return new CAutoQuestion(type); });
    EXPECT_EQ(room->AskYesNo(2), YES_NO_ANSWER_YES);
    EXPECT_EQ(s_Seen.paused, 1);
    EXPECT_EQ(s_Seen.type, 2);
    EXPECT_TRUE(s_Seen.onTop);
    EXPECT_EQ(room->GetPauseCount(), 0);
    EXPECT_EQ(room->GetYesNoHook().GetDialog(), nullptr) << "the dialog is deleted after the answer";
    CYesNoHook::SetDialogFactory(previous);
}
