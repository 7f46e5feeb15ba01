#include "engine/core/window_app.h"

#include "engine/platform/clock.h"
#include "engine/platform/message_box.h"
#include "engine/platform/window.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {
// A window on the dummy video driver; input is pushed into the platform's
// event queue as a user would make it and taken one message per pass.
class WindowInputTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SetMessageBoxAnswer(nullptr);
        ASSERT_EQ(app.Init(), 0u);
        app.Create();
        FlushPlatformMessages();
    }
    void TearDown() override
    {
        app.PreDestroy();
        app.Destroy();
        app.ExitInstance();
        SetErrorHandler(ShowErrorBox);
    }
    // Takes every pending message (and runs one idle pass per message).
    void Pump()
    {
        for (int i = 0; i < 64; ++i)
            app.PumpMessage();
    }

    CTestApp app;
};

TEST_F(WindowInputTest, AltF4QuitsThroughOnClose)
{
    app.PushRoom(1);
    app.OnIdle();
    CxInjectKey(CX_VK_MENU, true, CX_MOD_ALT);
    CxInjectKey(CX_VK_F1 + 3, true, CX_MOD_ALT);
    Pump();
    ASSERT_FALSE(app.m_Keys.empty());
    EXPECT_EQ(app.m_Keys.back(), 0x10000104u);
    EXPECT_TRUE(app.IsQuitting());
    EXPECT_EQ(app.m_Journal.Count("room1:Close"), 1u);
}

TEST_F(WindowInputTest, ControlLetterGivesItsCodeAltQQuitsAndAltVShowsTheVersion)
{
    CxInjectKey(CX_VK_CONTROL, true, CX_MOD_CONTROL);
    CxInjectKey('A', true, CX_MOD_CONTROL);
    CxInjectKey('A', false, CX_MOD_CONTROL);
    CxInjectKey(CX_VK_CONTROL, false, 0);
    CxInjectKey('V', true, CX_MOD_ALT);
    Pump();
    EXPECT_EQ(app.m_Keys, (std::vector<uint32_t>{0x20000000u, 0x20000041u, 0x10000000u | 'v'}));
    EXPECT_EQ(app.m_KeysUp.back(), 0x20000000u);
    EXPECT_FALSE(app.IsQuitting());
    CxInjectKey('Q', true, CX_MOD_ALT | CX_MOD_SHIFT);
    Pump();
    EXPECT_EQ(app.m_Keys.back(), 0x10000000u | 'Q');
    EXPECT_TRUE(app.IsQuitting());
}

TEST_F(WindowInputTest, KeysArriveAsCharactersOrTableCodes)
{
    CxInjectKey('B', true);
    CxInjectText("b");
    CxInjectKey(CX_VK_LEFT, true);
    CxInjectKey(CX_VK_F1 + 11, true);
    CxInjectKey(CX_VK_NEXT, true);
    CxInjectKey(CX_VK_RETURN, true);
    CxInjectKey(CX_VK_PAUSE, true);
    CxInjectKey(CX_VK_SCROLL, true);
    CxInjectText("\xC3\xA9"); // one character of the single-byte set
    CxInjectKey(CX_VK_PRIOR, true, CX_MOD_ALT);
    // Key-up of a printable key is translated as a character.
    CxInjectKey('K', false);
    CxInjectKey(CX_VK_HOME, false);
    CxInjectKey(CX_VK_ESCAPE, false);
    Pump();
    EXPECT_EQ(app.m_Keys,
              (std::vector<uint32_t>{'b', 272u, 268u, 279u, 0x0Du, 19u, 280u, 0xE9u, 278u | 0x10000000u}))
        << "a letter key itself gives no code; its character does";
    EXPECT_EQ(app.m_KeysUp, (std::vector<uint32_t>{'K', 271u}));
}

TEST_F(WindowInputTest, MouseButtonsAndWheelFollowTheFlagsAndTheMouseInputSwitch)
{
    CxInjectMouseButton(3, true, 10, 20);
    CxInjectMouseButton(3, false, 11, 21);
    CxInjectMouseButton(2, true, 5, 6);
    CxInjectMouseButton(1, true, 3, 4, 2);
    Pump();
    EXPECT_EQ(app.m_Mouse, (std::vector<std::string>{"ldown@10,20", "lup@11,21", "mdown@5,6", "ldown@3,4"}));
    app.m_Mouse.clear();
    app.ClearStyleBits(APP_RIGHT_BUTTON_IS_LEFT);
    CxInjectMouseButton(3, true, 1, 2);
    Pump();
    EXPECT_EQ(app.m_Mouse, (std::vector<std::string>{"rdown@1,2"}));
    app.m_Mouse.clear();
    EXPECT_TRUE(app.IsMouseInputOn());
    app.SetMouseInput(false);
    EXPECT_FALSE(app.GetState() & STATE_MOUSE_INPUT);
    CxInjectMouseMotion(100, 100);
    CxInjectMouseButton(1, true, 100, 100);
    CxInjectMouseWheel(1, 100, 100);
    CxInjectKey(CX_VK_UP, true);
    Pump();
    EXPECT_TRUE(app.m_Mouse.empty());
    EXPECT_EQ(app.m_Keys, (std::vector<uint32_t>{274u})) << "keys still arrive";
    app.SetMouseInput(true);
    CxInjectMouseMotion(-5, 300);
    CxInjectMouseWheel(-2, 7, 8);
    Pump();
    EXPECT_EQ(app.m_Mouse, (std::vector<std::string>{"move@-5,300", "move@7,8", "wheel-2@7,8"}));
}

// The room's close operation may call the quit off, for the window's close and Alt+F4.
TEST_F(WindowInputTest, CloseSetsTheQuitFlagUnlessTheRoomCallsItOff)
{
    app.PushRoom(1);
    app.OnIdle();
    auto* room = dynamic_cast<CTestRoom*>(app.GetCurRoom());
    ASSERT_NE(room, nullptr);
    room->m_OnClose = [this] { app.CancelQuit(); };
    CxInjectWindowClose();
    CxInjectKey(CX_VK_MENU, true, CX_MOD_ALT);
    CxInjectKey(CX_VK_F1 + 3, true, CX_MOD_ALT);
    Pump();
    EXPECT_FALSE(app.IsQuitting());
    EXPECT_EQ(app.m_Journal.Count("room1:Close"), 2u);
    room->m_OnClose = nullptr;
    CxInjectWindowClose();
    Pump();
    EXPECT_TRUE(app.IsQuitting());
}

TEST_F(WindowInputTest, ActivationAndMinimisedStates)
{
    CxInjectFocus(true);
    Pump();
    EXPECT_TRUE(app.GetState() & STATE_ACTIVE);
    EXPECT_EQ(app.m_Journal.Count("OnActivate"), 1u);
    CxInjectFocus(false);
    Pump();
    EXPECT_FALSE(app.GetState() & STATE_ACTIVE);
    EXPECT_EQ(app.m_Journal.Count("OnDeactivate"), 1u);

    CxInjectMinimize(true);
    Pump();
    EXPECT_TRUE(app.GetState() & STATE_MINIMIZED);
    const int passes = app.m_nPasses;
    app.PumpMessage();
    EXPECT_EQ(app.m_nPasses, passes) << "no idle pass while minimised";
    CxInjectMinimize(false);
    Pump();
    EXPECT_FALSE(app.GetState() & STATE_MINIMIZED);
    EXPECT_GT(app.m_nPasses, passes);
}

TEST_F(WindowInputTest, FullScreenScreenIsGivenUpOnDeactivationAndTakenBackOnRestore)
{
    app.WindowProc(CX_WM_SYSCOMMAND, CX_SC_RESTORE, 0);
    EXPECT_EQ(app.m_Journal.Count("Maximize"), 0u) << "restoring a windowed screen changes nothing";
    app.SetStateBits(STATE_DIRECTDRAW_SCREEN);
    CxInjectFocus(true);
    CxInjectFocus(false);
    Pump();
    EXPECT_FALSE(app.GetState() & STATE_ACTIVE);
    EXPECT_EQ(app.m_Journal.Count("Minimize"), 1u) << "deactivation minimises the window";
    app.WindowProc(CX_WM_SYSCOMMAND, CX_SC_RESTORE, 0);
    EXPECT_TRUE(app.GetState() & STATE_ACTIVE);
    EXPECT_EQ(app.m_Journal.Count("Maximize"), 1u);
}

TEST_F(WindowInputTest, MoveAndSizeReReadTheRectangles)
{
    app.SetAppWindowRect(CxRect(10, 20, 10 + 320 - 1, 20 + 200 - 1));
    EXPECT_EQ(app.GetClientWidth(), 320);
    EXPECT_EQ(app.GetClientHeight(), 200);
    app.MoveAppWindow(40, 50);
    EXPECT_EQ(app.GetAppWindowRect().left, 40);
    EXPECT_EQ(app.GetAppWindowRect().top, 50);
    app.CenterAppWindow();
    EXPECT_EQ(app.GetAppWindowRect().left, (app.GetScreenWidth() - 320) / 2);
    for (int i = 0; i < 2000; ++i)
        CxInjectMouseMotion(i % 640, i % 480);
    int passes = 0;
    while (app.m_Mouse.size() < 2000 && passes < 10000)
    {
        app.PumpMessage();
        ++passes;
    }
    EXPECT_LT(app.m_Mouse.size(), 2001u);
    EXPECT_GE(app.m_nPasses, static_cast<int>(app.m_Mouse.size())) << "every message gets its idle pass";
}

} // namespace

namespace {
class StartupTest : public testing::Test
{
protected:
    void TearDown() override
    {
        if (app)
            app->ExitInstance();
        SetErrorHandler(ShowErrorBox);
    }
    void Start(const char* options, const AppDescription& description = TestDescription("Rumbo Test App"))
    {
        if (app)
            app->ExitInstance();
        app.reset();
        app = std::make_unique<CTestApp>(options, description);
        ASSERT_EQ(app->Init(), 0u);
        FlushPlatformMessages();
    }

    std::unique_ptr<CTestApp> app;
};

struct FrameLimitCase
{
    const char* options;
    uint32_t expected;
};

class FrameLimitOption : public StartupTest, public testing::WithParamInterface<FrameLimitCase>
{
};

TEST_P(FrameLimitOption, SixtyWhenAbsentAndNoLimitOnlyWhenWrittenAsZero)
{
    Start(GetParam().options);
    EXPECT_EQ(app->GetMaxFramesPerSecond(), GetParam().expected) << GetParam().options;
}

INSTANTIATE_TEST_SUITE_P(Options, FrameLimitOption,
                         testing::Values(FrameLimitCase{"", 60u},
                                         FrameLimitCase{"[Engine]\nUseDirectDraw=0\n", 60u},
                                         FrameLimitCase{"[Engine]\nMaxFramesPerSecond=0\n", 0u},
                                         FrameLimitCase{"[Engine]\nMaxFramesPerSecond=30\n", 30u},
                                         FrameLimitCase{"[Engine]\nMaxFramesPerSecond=-20\n", 0u},
                                         FrameLimitCase{"[Engine]\nMaxFramesPerSecond=100000\n", 1000u}));

TEST_F(StartupTest, IdleLoopWaitsForTheNextFrameByDefault)
{
    // Without input a default loop runs about 60 passes a second, not thousands.
    Start("");
    app->PumpMessage();
    const int passes = app->m_nPasses;
    const uint32_t start = GetSystemTicks();
    while (GetSystemTicks() - start < 250)
        app->PumpMessage();
    EXPECT_LE(app->m_nPasses - passes, 25);
    EXPECT_GE(app->m_nPasses - passes, 3) << "but it does run";
}

TEST_F(StartupTest, PresentingFollowsTheDisplayUnlessTurnedOff)
{
    Start("[Engine]\nVSync=0\n");
    EXPECT_FALSE(IsPlatformVSyncOn());
    Start("");
    const bool byDefault = IsPlatformVSyncOn();
    SetPlatformVSync(false);
    EXPECT_FALSE(IsPlatformVSyncOn());
    // On by default whenever the renderer offers it.
    EXPECT_EQ(SetPlatformVSync(true), byDefault);
}

TEST_F(StartupTest, PendingInputIsNotHeldBackByTheLimit)
{
    // One pass a second: a pass without input would wait a whole second.
    Start("[Engine]\nMaxFramesPerSecond=1\n");
    app->PumpMessage();
    const int passes = app->m_nPasses;
    CxInjectKey(CX_VK_DOWN, true);
    app->PumpMessage();
    EXPECT_EQ(app->m_Keys, (std::vector<uint32_t>{275u}));
    EXPECT_EQ(app->m_nPasses, passes + 1) << "a pass with a message runs its idle pass at once";
    Start("[Engine]\nMaxFramesPerSecond=1000\n");
    app->PumpMessage();
    app->PumpMessage();
    EXPECT_EQ(app->m_nPasses, 2) << "a pass without input still runs its idle pass";
}

TEST_F(StartupTest, FullScreenCoversTheWorkArea)
{
    Start("[Engine]\nFullScreen=1\n");
    CxRect area;
    ASSERT_TRUE(GetDesktopWorkArea(&area));
    EXPECT_EQ(app->GetAppWindowRect(), area);
    EXPECT_EQ(app->GetClientWidth(), area.Width());
    EXPECT_TRUE(app->GetStyle() & APP_FULL_SCREEN);
}

TEST_F(StartupTest, OptionsOverrideTheStyleDefaults)
{
    Start("[Engine]\nUseDirectDraw=0\nUseCustomCursor=1\n",
          TestDescription("Rumbo Style Test", APP_USE_DIRECTDRAW | APP_FULL_SCREEN));
    EXPECT_FALSE(app->GetStyle() & APP_USE_DIRECTDRAW);
    EXPECT_TRUE(app->GetStyle() & APP_USE_CUSTOM_CURSOR);
    EXPECT_TRUE(app->GetStyle() & APP_FULL_SCREEN) << "the description's default stands";
}

TEST_F(StartupTest, CenteredWindowSitsInTheMiddleAndStartHiddenLeavesItHidden)
{
    Start("", TestDescription("Rumbo Centred", APP_CENTERED | APP_FRAMED));
    EXPECT_EQ(app->GetAppWindowRect().left, (app->GetScreenWidth() - 640) / 2);
    EXPECT_EQ(app->GetAppWindowRect().top, (app->GetScreenHeight() - 480) / 2);
    Start("", TestDescription("Rumbo Hidden", APP_START_HIDDEN));
    EXPECT_TRUE(app->HasAppWindow());
    EXPECT_FALSE(IsPlatformWindowShown());
    app->ShowAppWindow();
    EXPECT_TRUE(IsPlatformWindowShown());
}

} // namespace
