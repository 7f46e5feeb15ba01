#include "engine/frame/game_app.h"

#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/platform/message_box.h"
#include "engine/platform/window.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

namespace {
// Drives the frame by hand: Create builds the rooms and the stack without a
// window; each Pass is one idle pass.
class RoomStackTest : public testing::Test
{
protected:
    void SetUp() override { app.Create(); }
    void TearDown() override
    {
        app.PreDestroy();
        app.Destroy();
    }
    void Pass() { app.OnIdle(); }

    CTestApp app{"[Engine.Game]\nRoomStackSize=3\n"};
};

TEST_F(RoomStackTest, SwitchOnTheNextPassLeavesTheOldRoomBeforeEnteringTheNew)
{
    EXPECT_EQ(app.GetPreviousRoomID(), -1);
    std::vector<long> seen;
    app.Room(2)->m_OnUpdate = [&] { seen.push_back(app.GetPreviousRoomID()); };
    app.PushRoom(0);
    EXPECT_EQ(app.PeekRoom(), 0);
    EXPECT_EQ(app.GetCurRoomID(), -1) << "the switch waits for the idle pass";
    Pass();
    EXPECT_EQ(app.GetCurRoomID(), 0);
    EXPECT_EQ(app.m_Journal.With("room0:"),
              (std::vector<std::string>{"room0:Prepare", "room0:Enter", "room0:EnterDone", "room0:Focus",
                                        "room0:Update", "room0:EmptyCleaner"}));
    EXPECT_EQ(app.GetPreviousRoomID(), -1) << "no room was left yet";
    app.m_Journal.Clear();
    app.PushRoom(2);
    Pass();
    const auto& e = app.m_Journal.Entries();
    ASSERT_GE(e.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(e.begin(), e.begin() + 9),
              (std::vector<std::string>{"room0:LeaveBegin", "room0:Leave", "room0:StopTimers",
                                        "room0:EmptyCleaner", "room0:LeaveDone", "room2:Prepare",
                                        "room2:Enter", "room2:EnterDone", "room2:Focus"}));
    // The previous room is known when the new room is entered.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0], 0);
    app.PushRoom(1);
    Pass();
    EXPECT_EQ(app.GetPreviousRoomID(), 2);
    // A switch to the current room does nothing.
    app.m_Journal.Clear();
    app.GotoRoom(1);
    Pass();
    EXPECT_EQ(app.m_Journal.Count("room1:Leave"), 0u);
    EXPECT_EQ(app.m_Journal.Count("room1:Enter"), 0u);
    EXPECT_EQ(app.m_Journal.Count("room1:Update"), 1u);
}

// Room requests and what they leave: "push2" and "goto2" ask for room 2,
// "pass" runs an idle pass, "pop:1" pops expecting room 1, and "peek:",
// "count:" and "current:" check the stack's top, its entries and the
// current room.
struct StackCase
{
    const char* options;
    const char* script;
};

class RoomRequests : public testing::TestWithParam<StackCase>
{
};

TEST_P(RoomRequests, FollowTheStackRules)
{
    CTestApp app(GetParam().options);
    app.Create();
    std::istringstream script(GetParam().script);
    std::string step;
    while (script >> step)
    {
        const size_t colon = step.find(':');
        const std::string op = step.substr(0, colon != std::string::npos ? colon : 4);
        const std::string argument = step.substr(colon != std::string::npos ? colon + 1 : 4);
        const long value = argument.empty() ? 0 : std::stol(argument);
        if (op == "push")
            app.PushRoom(value);
        else if (op == "goto")
            app.GotoRoom(value);
        else if (op == "pass")
            app.OnIdle();
        else if (op == "pop")
            EXPECT_EQ(app.PopRoom(), value) << step;
        else if (op == "peek")
            EXPECT_EQ(app.PeekRoom(), value) << step;
        else if (op == "count")
            EXPECT_EQ(app.GetRoomStack().GetCount(), value) << step;
        else if (op == "current")
            EXPECT_EQ(app.GetCurRoomID(), value) << step;
        else
            ADD_FAILURE() << "unknown step " << step;
    }
    app.PreDestroy();
    app.Destroy();
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, RoomRequests,
    testing::Values(
        // A pop on one entry goes to room 0 and keeps the entry.
        StackCase{"", "push2 pop:0 count:1 peek:2 pass current:0"},
        StackCase{"", "push0 push2 pop:0 count:1 push1 push2 pop:1"}, StackCase{"", "peek:0 pop:0 count:0"},
        // Goto on an empty stack or on one entry adds; on more it replaces the top.
        StackCase{"", "goto1 count:1 goto2 count:2 goto0 count:2 peek:0 pop:1"},
        // A push onto a full stack switches without recording; the pop goes past the room.
        StackCase{"[Engine.Game]\nRoomStackSize=3\n", "push0 push1 push0 push2 count:3 pass current:2 pop:1"},
        // The last request of a pass wins; ids without a room leave nothing pending.
        StackCase{"", "push1 goto2 pass current:2"},
        StackCase{"", "push1 pass push5 push-1 push60 push1000 pass current:1"},
        StackCase{"[Engine.Game]\nRoomStackSize=0\n", "push1 goto2 count:0 peek:0 pass current:2 pop:0"},
        StackCase{"[Engine.Game]\nRoomStackSize=-4\nMaxRooms=-1\n", "push0 count:0 pass current:-1"}));

TEST_F(RoomStackTest, PausedRoomStaysCurrentWithoutUpdatesAndHearsTheClose)
{
    app.PushRoom(1);
    Pass();
    app.m_Journal.Clear();
    app.PauseRoom();
    app.PauseRoom();
    Pass();
    EXPECT_EQ(app.m_Journal.Count("room1:Update"), 0u);
    EXPECT_EQ(app.GetCurRoomID(), 1);
    app.ResumeRoom();
    Pass();
    EXPECT_EQ(app.m_Journal.Count("room1:Update"), 0u) << "still paused once";
    app.ResumeRoom();
    Pass();
    EXPECT_EQ(app.m_Journal.Count("room1:Update"), 1u);
    EXPECT_EQ(app.m_Journal.Count("room1:Pause"), 1u) << "pause runs on 0 -> 1 only";
    EXPECT_EQ(app.m_Journal.Count("room1:Resume"), 1u) << "resume runs on 1 -> 0 only";
    // Closing the window reaches a paused room.
    app.PauseRoom();
    app.WindowProc(CX_WM_CLOSE, 0, 0);
    EXPECT_EQ(app.m_Journal.Count("room1:Close"), 1u);
    EXPECT_TRUE(app.IsQuitting());
}

TEST_F(RoomStackTest, ReloadLeavesAndEntersTheCurrentRoom)
{
    app.ReloadRoom(); // no current room: nothing
    EXPECT_TRUE(app.m_Journal.With("room").empty());
    app.PushRoom(0);
    Pass();
    app.m_Journal.Clear();
    app.ReloadRoom();
    EXPECT_EQ(app.m_Journal.With("room0:"), (std::vector<std::string>{"room0:Leave", "room0:StopTimers",
                                                                      "room0:EmptyCleaner", "room0:Enter"}));
}

TEST(GameAppRooms, AtMostSixtyRoomsAreAskedFor)
{
    CTestApp app("[Engine.Game]\nMaxRooms=500\n");
    app.Create();
    EXPECT_EQ(app.m_Journal.With("CreateRoom").size(), 60u);
    EXPECT_EQ(app.m_Journal.With("CreateRoom").back(), "CreateRoom59");
    EXPECT_EQ(app.Room(2)->GetRoomID(), 2);
    app.PreDestroy();
    EXPECT_EQ(app.m_Journal.With("room").size(), 3u) << "three rooms deleted";
}

TEST(GameAppRooms, PreDestroyLeavesTheCurrentRoomAndDeletesAll)
{
    CTestApp app;
    app.Create();
    app.GotoRoom(1);
    app.OnIdle();
    app.m_Journal.Clear();
    app.PreDestroy();
    ASSERT_GE(app.m_Journal.Entries().size(), 2u);
    EXPECT_EQ(app.m_Journal.Entries()[1], "room1:LeaveBegin");
    EXPECT_EQ(app.m_Journal.Count("room1:LeaveDone"), 1u);
    EXPECT_EQ(app.m_Journal.Count("room0:Deleted") + app.m_Journal.Count("room1:Deleted") +
                  app.m_Journal.Count("room2:Deleted"),
              3u);
    EXPECT_EQ(app.GetCurRoomID(), -1);
    EXPECT_EQ(app.GetRoom(1), nullptr);
}
} // namespace

namespace {
class GameAppPathsTest : public testing::Test
{
protected:
    void TearDown() override
    {
        app->Destroy();
        app->ExitInstance();
        SetErrorHandler(ShowErrorBox);
    }
    std::unique_ptr<CTestApp> app;
};

TEST_F(GameAppPathsTest, PathsAreUpperCasedAndEndInASeparator)
{
    app = std::make_unique<CTestApp>("[Startup]\nInstallPath=/opt/Rumbo\nCDPath=/media/cd/\n");
    app->Init();
    EXPECT_STREQ(app->GetInstallPath().c_str(), "/OPT/RUMBO\\");
    EXPECT_STREQ(app->GetCDPath().c_str(), "/MEDIA/CD/");
}

TEST_F(GameAppPathsTest, CdPathDefaultsToTheInstallPathWhichDefaultsToTheStartupDirectory)
{
    app = std::make_unique<CTestApp>();
    app->Init();
    CxString expected(app->GetStartupDirectory());
    expected.MakeUpper();
    expected += "\\";
    EXPECT_STREQ(app->GetInstallPath().c_str(), expected.c_str());
    EXPECT_STREQ(app->GetCDPath().c_str(), expected.c_str());
}

TEST_F(GameAppPathsTest, BlueScreenSwitchFollowsTheOption)
{
    app = std::make_unique<CTestApp>("[Engine.Game]\nUseBlueScreenError=0\n");
    app->Create();
    EXPECT_FALSE(GetBlueScreenError());
    app->PreDestroy();
    app.reset(new CTestApp());
    app->Create();
    EXPECT_TRUE(GetBlueScreenError());
    app->PreDestroy();
}
} // namespace
