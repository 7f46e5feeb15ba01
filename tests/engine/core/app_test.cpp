#include "engine/core/app.h"

#include "engine/core/error.h"
#include "engine/core/log.h"
#include "engine/core/main_loop.h"
#include "engine/core/random.h"
#include "engine/platform/clock.h"
#include "engine/platform/message_box.h"
#include "engine/platform/window.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
std::vector<std::string> Frame(const CTestApp& app)
{
    std::vector<std::string> out;
    for (const auto& e : app.m_Journal.Entries())
        if (e.rfind("room", 0) != 0 && e.rfind("CreateRoom", 0) != 0 && e.rfind("OnActivate", 0) != 0 &&
            e.rfind("OnDeactivate", 0) != 0)
            out.push_back(e);
    return out;
}

// Restores the error handler and the message-box answer whatever a test did.
class RunCycleTest : public testing::Test
{
protected:
    void SetUp() override
    {
        SetErrorHandler(ShowErrorBox);
        SetMessageBoxAnswer(nullptr);
    }
    void TearDown() override
    {
        SetErrorHandler(ShowErrorBox);
        SetMessageBoxAnswer(nullptr);
    }

    ScopedManualClock clock;
};

int s_nReportsLeft = 0;
void ReportEveryPass()
{
    if (s_nReportsLeft > 0)
    {
        --s_nReportsLeft;
        ReportError(CX_ERR_FILE_READ, "test failure %d", s_nReportsLeft);
    }
}

TEST_F(RunCycleTest, RunsTheStagesInOrderAndReturnsTheExitCode)
{
    CTestApp app;
    app.m_nFirstRoom = 0;
    app.m_nPassLimit = 3;
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(Frame(app), (std::vector<std::string>{"Init", "Create", "PostCreate", "MainLoop", "PreDestroy",
                                                    "Destroy", "ExitInstance"}));
    EXPECT_EQ(app.m_nPasses, 3);
    EXPECT_EQ(app.m_Journal.Count("room0:Update"), 3u);
    EXPECT_FALSE(app.HasAppWindow()) << "ExitInstance destroys the window";
    EXPECT_EQ(GetApp(), &app);
}

TEST_F(RunCycleTest, RestartBuildsTheApplicationAgainInTheSameObject)
{
    CTestApp app;
    app.m_nFirstRoom = 1;
    int cycle = 0;
    std::vector<CxApp*> seen;
    app.m_OnPass = [&] {
        seen.push_back(GetApp());
        if (cycle++ == 0)
            app.Restart();
        else
            app.Quit();
    };
    EXPECT_EQ(app.Run(), 0u);
    EXPECT_EQ(Frame(app), (std::vector<std::string>{"Init", "Create", "PostCreate", "MainLoop", "PreDestroy",
                                                    "Destroy", "ExitInstance", "Init", "Create", "PostCreate",
                                                    "MainLoop", "PreDestroy", "Destroy", "ExitInstance"}));
    EXPECT_EQ(seen, (std::vector<CxApp*>{&app, &app}));
    EXPECT_EQ(app.m_Journal.Count("CreateRoom1"), 2u) << "the rooms are made again";
    EXPECT_EQ(app.m_Journal.Count("room1:Enter"), 2u);
    EXPECT_EQ(app.m_Journal.Count("room1:Deleted"), 2u);
}

TEST_F(RunCycleTest, ThirdErrorEndsTheLoopThoughContinueWasChosen)
{
    CTestApp app;
    app.m_nFirstRoom = 0;
    s_nReportsLeft = 10;
    AddMainLoopFunction(ReportEveryPass);
    const uint32_t before = GetErrorCount();
    testing::internal::CaptureStderr();
    app.Run();
    const std::string boxes = testing::internal::GetCapturedStderr();
    RemoveMainLoopFunction(ReportEveryPass);
    EXPECT_EQ(GetErrorCount() - before, 3u);
    EXPECT_NE(boxes.find("[Error reading file] test failure 9 (*Continue / Quit)"), std::string::npos)
        << boxes;
    EXPECT_EQ(app.m_nPasses, 3) << "the loop ends after the pass of the third report";
    EXPECT_EQ(Frame(app).back(), "ExitInstance");
    EXPECT_EQ(app.m_Journal.Count("PreDestroy"), 1u) << "Continue lets the cycle end normally";
    EXPECT_EQ(app.GetExitCode(), 0u);
}

TEST_F(RunCycleTest, QuitFromTheDialogEndsTheCycleThroughDestroy)
{
    CTestApp app;
    app.m_nFirstRoom = 2;
    s_nReportsLeft = 1;
    SetMessageBoxAnswer("Quit");
    AddMainLoopFunction(ReportEveryPass);
    const uint32_t before = GetErrorCount();
    app.Run();
    RemoveMainLoopFunction(ReportEveryPass);
    EXPECT_EQ(GetErrorCount() - before, 1u);
    EXPECT_EQ(app.m_nPasses, 0) << "the throw left the first pass before OnIdle";
    EXPECT_EQ(app.m_Journal.Count("PreDestroy"), 0u) << "the throw skips the rest of the group";
    EXPECT_EQ(app.m_Journal.Count("Destroy"), 1u);
    EXPECT_EQ(app.m_Journal.Count("ExitInstance"), 1u);
    EXPECT_EQ(app.m_Journal.Count("room2:Deleted"), 1u) << "the rooms are freed all the same";
    EXPECT_EQ(GetErrorHandler(), nullptr) << "later reports are only counted";
    EXPECT_FALSE(IsReportingError()) << "the report is over after the throw";
    ReportError(CX_ERR_FILE_READ, "after quitting");
    EXPECT_EQ(GetErrorCount() - before, 2u);
}

TEST_F(RunCycleTest, MissingDiscWithoutAScreenGivesUpUnattended)
{
    CTestApp app;
    app.Create();
    EXPECT_EQ(GetErrorHandler(), &CxDisplayApp::ErrorHandler);
    bool thrown = false;
    try
    {
        GetErrorHandler()(CX_ERR_CD_MISSING, "");
    }
    catch (const char* text)
    {
        thrown = std::string(text) == "DisplayAppError";
    }
    EXPECT_TRUE(thrown);
    SetMessageBoxAnswer("Retry");
    app.Create();
    EXPECT_EQ(GetErrorHandler()(CX_ERR_CD_MISSING, ""), 1) << "retry asks the caller to try again";
    app.PreDestroy();
    app.Destroy();
    EXPECT_EQ(GetErrorHandler(), &ShowErrorBox) << "the plain box is back once the display is gone";
}

TEST_F(RunCycleTest, WithoutADisplayTheLoopIsSkipped)
{
    const char* driver = getenv("SDL_VIDEODRIVER");
    const std::string saved = driver ? driver : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    CTestApp app;
    const uint32_t code = app.Run();
    setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    EXPECT_EQ(code, CX_ERR_UNKNOWN);
    EXPECT_EQ(app.m_Journal.Count("MainLoop"), 0u);
    EXPECT_EQ(app.m_Journal.Count("ExitInstance"), 1u);
}

TEST_F(RunCycleTest, MainLoopFunctionsAddedTwiceRunOncePerPassAndQuitEndsTheLoop)
{
    static int calls = 0;
    calls = 0;
    auto function = [] { ++calls; };
    CTestApp app;
    app.Init();
    FlushPlatformMessages();
    app.AddMainLoopFunction(function);
    app.AddMainLoopFunction(function);
    app.PumpMessage();
    EXPECT_EQ(calls, 1);
    app.RemoveMainLoopFunction(function);
    app.PumpMessage();
    EXPECT_EQ(calls, 1);
    const int passes = app.m_nPasses;
    PostPlatformMessage(CX_WM_QUIT);
    EXPECT_TRUE(app.PumpMessage());
    EXPECT_EQ(app.m_nPasses, passes) << "no idle pass after the quit message";
    app.ExitInstance();
}

TEST(AppStartup, OptionsSeedTheRandomNumbersAndMissingOrUnreadableFilesLeaveTheDefaults)
{
    TempDir dir;
    const std::string name =
        dir.Write("seed.ini", "[Engine]\nRandomNumberSeed=1234\n[Engine.Debug]\nLogFile=0\nDebugLevel=2\n");
    AppDescription description = TestDescription("Rumbo Seed Test");
    description.m_pszOptionFile = name.c_str();
    int32_t first;
    {
        CxGameApp app(description);
        first = Random();
        ASSERT_NE(GetDebugSettings(), nullptr);
        EXPECT_EQ(GetDebugSettings()->m_nDebugLevel, 2);
        EXPECT_FALSE(GetDebugSettings()->m_bLogFile);
    }
    {
        CxGameApp app(description);
        EXPECT_EQ(Random(), first) << "the same seed gives the same numbers";
    }
    AppDescription other = TestDescription("Rumbo Missing Options");
    other.m_pszOptionFile = "/nonexistent/folder/none.ini";
    CxGameApp missing(other);
    EXPECT_EQ(missing.GetError(), 0u);
    long value = 0;
    missing.GetNumber("Engine.Game", "RoomStackSize", &value, 10);
    EXPECT_EQ(value, 10);

    other.m_pszOptionFile = dir.Path().c_str(); // a directory cannot be read as a file
    SetErrorHandler(nullptr);
    {
        CxGameApp unreadable(other);
        EXPECT_EQ(unreadable.GetExitCode(), 0u);
    }
    SetErrorHandler(ShowErrorBox);
}

TEST(AppStartup, SystemInfoOutsideTheTableIsZeroAndTheEntryPointNeedsAnApplication)
{
    {
        CTestApp app;
        ST_SYSTEM_VALUE value{7, 7};
        EXPECT_EQ(app.GetSystemInfo(0, &value), 0);
        EXPECT_EQ(value.m_nValue, 0);
        EXPECT_EQ(app.GetSystemInfo(9, &value), 0);
        EXPECT_EQ(app.GetSystemInfo(-1, &value), 0);
        EXPECT_TRUE(app.GetSystemInfo(2) == 0 || app.GetSystemInfo(2) == -1);
        EXPECT_GE(app.GetSystemInfo(4), 0);
    }
    ASSERT_EQ(GetApp(), nullptr) << "the global pointer goes with the object";
    ASSERT_EQ(GetMainOptions(), nullptr);
    char arg0[] = "rumbotown";
    char* argv[] = {arg0, nullptr};
    EXPECT_EQ(CxAppMain(1, argv), -1);
    CTestApp second;
    second.SetProgramDirectory("/opt/rumbo/bin/rumbotown");
    EXPECT_STREQ(second.GetProgramDirectory(), "/opt/rumbo/bin/");
    second.SetProgramDirectory("rumbotown");
    EXPECT_STREQ(second.GetProgramDirectory(), "");
}

TEST(AppStartup, SecondInstanceEndsAtOnceWithCodeZero)
{
    const std::string name = "Rumbo Instance Test " + std::to_string(getpid());
    CxGameApp first(TestDescription(name.c_str()));
    EXPECT_EQ(first.IsFirstInstance(), 1);
    int32_t second;
    {
        CTestApp copy("", TestDescription(name.c_str()));
        second = copy.IsFirstInstance();
        char arg0[] = "rumbotown";
        char* argv[] = {arg0, nullptr};
        EXPECT_EQ(CxAppMain(1, argv), 0);
        EXPECT_TRUE(copy.m_Journal.Entries().empty()) << "nothing of the run cycle ran";
    }
    EXPECT_EQ(second, 0);
}
} // namespace
