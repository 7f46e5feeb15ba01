#include "engine/core/lua_engine.h"

#include "engine/core/log.h"
#include "engine/platform/message_box.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {
class LuaEngineTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(m_Engine.Create(CX_LUA_DEFAULT_STACK), CX_ERR_NONE); }
    std::string Run(const char* text)
    {
        m_Output.m_Text.clear();
        m_Engine.RunString(text);
        return m_Output.m_Text;
    }

    OutputCapture m_Output;
    CxLuaEngine m_Engine;
};
} // namespace

TEST_F(LuaEngineTest, PrintJoinsWithFourBlanksThroughTostringAndPrecompiledChunksAreRefused)
{
    EXPECT_EQ(Run("print('a', 1, nil, true)"), "a    1    nil    true\n");
    EXPECT_EQ(Run("print()"), "\n") << "no arguments: an empty line";
    const std::string big = Run("print(string.rep('x', 600))");
    EXPECT_EQ(big, std::string(600, 'x') + "\n") << "long lines are not cut at the output limit";
    Run("bytes = string.dump(function() return 1 end)");
    const std::string loaded = Run("local f, e = load(bytes, 'b', 't'); print(f == nil)");
    EXPECT_EQ(loaded, "true\n");
    CxString dumped = m_Engine.GetVm().GetGlobalString("bytes");
    m_Output.m_Text.clear();
    m_Engine.RunString(dumped.c_str());
    EXPECT_NE(m_Output.m_Text.find("attempt to load a binary chunk"), std::string::npos) << m_Output.m_Text;
    const std::string out = Run("tostring = function() return {} end; print(1)");
    EXPECT_NE(out.find("`tostring' must return a string to `print'"), std::string::npos) << out;
}

TEST_F(LuaEngineTest, RuntimeAndSyntaxErrorsReachErrorMessageAndTheGameGoesOn)
{
    const uint32_t reports = GetErrorCount();
    const std::string runtime = Run("local t = nil; t.x = 1");
    EXPECT_NE(runtime.find("attempt to index"), std::string::npos) << runtime;
    const std::string syntax = Run("this is not lua");
    EXPECT_NE(syntax.find("syntax error"), std::string::npos) << syntax;
    EXPECT_EQ(m_Engine.GetError(), CX_ERR_NONE) << "script errors do not set the engine's code";
    EXPECT_EQ(GetErrorCount(), reports) << "nor count as reported errors";
    EXPECT_EQ(m_Engine.GetScriptErrorCount(), 2u);

    EXPECT_EQ(Run("_ERRORMESSAGE({})"), "(null message)\n");
    // A script's own handler receives the message.
    Run("function _ERRORMESSAGE(m) last = 'got: ' .. m end; error('boom')");
    EXPECT_NE(std::string(m_Engine.GetVm().GetGlobalString("last").c_str()).find("got: "), std::string::npos);
    EXPECT_NE(Run("_ERRORMESSAGE = nil; error('still seen')").find("still seen"), std::string::npos);
}

TEST(LuaEngine, WithoutAStateOrTextNothingRunsAndRunFileFindsFilesInAnyCase)
{
    ErrorCapture capture;
    CxLuaEngine engine;
    EXPECT_EQ(engine.RunString("print(1)"), CX_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].text, "Lua VM not yet created");
    CxLuaEngine created;
    created.Create(CX_LUA_DEFAULT_STACK);
    EXPECT_EQ(created.RunString(""), CX_ERR_INVALID_ARGUMENT);
    CxLuaEngine other;
    other.Create(CX_LUA_DEFAULT_STACK);
    EXPECT_EQ(other.RegisterFunction(nullptr, nullptr), CX_ERR_INVALID_ARGUMENT);
    TempDir dir;
    CxLuaEngine file;
    file.Create(CX_LUA_DEFAULT_STACK);
    dir.Write("set.lua", "answer = 'forty-two'");
    EXPECT_EQ(file.RunFile(dir.File("SET.LUA").c_str()), CX_ERR_NONE);
    EXPECT_STREQ(file.GetVm().GetGlobalString("answer").c_str(), "forty-two");
}

namespace {
// A game application with two rooms and its Lua engine, driven by hand.
class GameLuaTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_Dir.Write("startup.lua", "started = (started or 0) + 1\n");
        const std::string options = "[Startup]\nInstallPath=" + m_Dir.Path() + "\n";
        m_pApp = std::make_unique<CTestApp>(options.c_str());
        m_pApp->m_nRoomsToMake = 2;
        m_pApp->Init();
        m_pApp->Create();
        ASSERT_NE(m_pApp->GetLuaEngine(), nullptr);
    }
    void TearDown() override
    {
        m_pApp->PreDestroy();
        m_pApp->Destroy();
    }
    std::string Run(const char* text)
    {
        m_Output.m_Text.clear();
        m_pApp->GetLuaEngine()->RunString(text);
        return m_Output.m_Text;
    }

    TempDir m_Dir;
    OutputCapture m_Output;
    std::unique_ptr<CTestApp> m_pApp;
};
} // namespace

TEST_F(GameLuaTest, RoomFunctionsDriveTheRoomStackAndItsTimers)
{
    EXPECT_EQ(Run("print(GetCurRoomID(), GetCurRoom())"), "-1    nil\n");
    Run("PushRoom(1)");
    m_pApp->OnIdle();
    EXPECT_EQ(m_pApp->GetCurRoomID(), 1);
    EXPECT_EQ(Run("print(GetCurRoomID(), PeekRoom(), type(GetCurRoom()))"), "1    1    userdata\n");
    Run("PauseRoom()");
    EXPECT_TRUE(m_pApp->GetCurRoom()->IsPaused());
    Run("ResumeRoom()");
    EXPECT_FALSE(m_pApp->GetCurRoom()->IsPaused());
    m_pApp->m_Journal.Clear();
    Run("ReloadRoom()");
    EXPECT_EQ(m_pApp->m_Journal.With("room1:Leave").size(), 1u);
    EXPECT_EQ(m_pApp->m_Journal.With("room1:Enter").size(), 1u);
    Run("GotoRoom(0.9)"); // numbers truncate
    m_pApp->OnIdle();
    EXPECT_EQ(m_pApp->GetCurRoomID(), 0);
    Run("GotoRoom(1)");
    m_pApp->OnIdle();
    CxGameWindow* room = m_pApp->GetCurRoom();
    Run("local r = GetCurRoom(); _G['Room::SetTimer'](r, 5, 250); _G['Room::SetTimer'](r, 6, 100, 77)");
    CxTimerCallBack* plain = room->GetRoomTimers().FindTimer(5);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetInterval(), 250u);
    EXPECT_EQ(plain->GetUserValue(), 0) << "three arguments: user value 0";
    ASSERT_NE(room->GetRoomTimers().FindTimer(6), nullptr);
    EXPECT_EQ(room->GetRoomTimers().FindTimer(6)->GetUserValue(), 77);
    Run("_G['Room::KillTimer'](GetCurRoom(), 5)");
    EXPECT_EQ(room->GetRoomTimers().FindTimer(5), nullptr);

    // Anything that is not one of the application's rooms is refused.
    const std::string refused = Run("_G['Room::SetTimer'](io.stdout, 7, 10)");
    EXPECT_NE(refused.find("room expected"), std::string::npos) << refused;
    EXPECT_NE(Run("_G['Room::PauseTimer'](42, 6)").find("room expected"), std::string::npos);
    EXPECT_EQ(room->GetRoomTimers().FindTimer(7), nullptr);
}

TEST_F(GameLuaTest, StartupRunsAtCreateAndRestartBuildsAFreshState)
{
    EXPECT_EQ(Run("print(started)"), "1\n");
    const std::string path = Run("print(BuildGamePath('$CDPATH\\\\100%\\\\x.seq'))");
    EXPECT_TRUE(path.find("100%") != std::string::npos && path.find("$CDPATH") == std::string::npos) << path;
    Run("GotoRoom(1)");
    m_pApp->OnIdle();
    Run("started = 10; leftover = 'x'; Restart()");
    EXPECT_TRUE(m_pApp->IsQuitting());
    EXPECT_TRUE(m_pApp->IsRestarting());
    EXPECT_EQ(m_pApp->m_Journal.Count("room1:Close"), 1u);
    m_pApp->PreDestroy();
    m_pApp->Destroy();
    EXPECT_EQ(m_pApp->GetLuaEngine(), nullptr);
    m_pApp->Init();
    m_pApp->Create();
    EXPECT_EQ(Run("print(started, leftover)"), "1    nil\n");
}

namespace {
CxSprite* s_pScriptSprite = nullptr;

// Hands the test's sprite (or whatever it points at) to the script.
int32_t LuaTestSprite(CxLuaCall& call)
{
    call.PushObject(s_pScriptSprite, CX_LUA_SPRITE_TAG);
    return 1;
}
} // namespace

TEST_F(GameLuaTest, PaintAndEraseSpritesAndRooms)
{
    m_pApp->GetLuaEngine()->RegisterFunction("TestSprite", LuaTestSprite);
    CxSprite sprite;
    sprite.Create(0, 0, 4, 4);
    s_pScriptSprite = &sprite;
    Run("PaintSprite(TestSprite(), 12.7, 30)");
    EXPECT_TRUE(sprite.IsShown());
    EXPECT_EQ(sprite.GetPosition(), CxPoint(12, 30));
    Run("EraseSprite(TestSprite())");
    EXPECT_FALSE(sprite.IsShown());

    // A room is a sprite too.
    Run("GotoRoom(1)");
    m_pApp->OnIdle();
    Run("PaintSprite(GetCurRoom(), 5, 6)");
    EXPECT_EQ(m_pApp->GetCurRoom()->GetPosition(), CxPoint(5, 6));
    EXPECT_TRUE(m_pApp->GetCurRoom()->IsShown());

    // Dead or foreign objects are refused.
    s_pScriptSprite = new CxSprite;
    CxSprite* gone = s_pScriptSprite;
    delete gone;
    EXPECT_NE(Run("PaintSprite(TestSprite(), 1, 1)").find("sprite expected"), std::string::npos);
    EXPECT_NE(Run("EraseSprite(io.stdout)").find("sprite expected"), std::string::npos);
    EXPECT_NE(Run("EraseSprite(3)").find("sprite expected"), std::string::npos);
    s_pScriptSprite = nullptr;
}

namespace {
int s_nTroubleCalls = 0;

// Reports an error each call; the dialog answers "Continue" twice, then "Quit"
// (the display application's dialog throws then).
int32_t LuaTrouble(CxLuaCall&)
{
    ++s_nTroubleCalls;
    SetMessageBoxAnswer(s_nTroubleCalls < 3 ? "Continue" : "Quit");
    ReportError(CX_ERR_FILE_READ, "trouble %d", s_nTroubleCalls);
    return 0;
}

int32_t LuaThrowText(CxLuaCall&)
{
    throw "plain text";
}

int32_t LuaThrowStd(CxLuaCall&)
{
    throw std::runtime_error("standard exception");
}

// A test application whose scripts can call Trouble, from the start-up script on.
class CTroubleApp : public CTestApp
{
public:
    using CTestApp::CTestApp;
    void RegisterLuaFunctions(CxLuaEngine& engine) override
    {
        CTestApp::RegisterLuaFunctions(engine);
        engine.RegisterFunction("Trouble", LuaTrouble);
    }
};

class LuaQuitTest : public testing::Test
{
protected:
    void SetUp() override
    {
        s_nTroubleCalls = 0;
        SetErrorHandler(ShowErrorBox);
        SetMessageBoxAnswer(nullptr);
    }
    void TearDown() override
    {
        SetMessageBoxAnswer(nullptr);
        SetErrorHandler(ShowErrorBox);
    }
    std::unique_ptr<CTroubleApp> MakeApp(bool create)
    {
        auto app = std::make_unique<CTroubleApp>(("[Startup]\nInstallPath=" + m_Dir.Path() + "\n").c_str());
        if (create)
        {
            app->Init();
            app->Create();
        }
        return app;
    }
    TempDir m_Dir;
    OutputCapture m_Output;
};
} // namespace

TEST_F(LuaQuitTest, QuitFromTheDialogUnwindsTheScriptAndIsThrownAfterLuaReturns)
{
    auto pApp = MakeApp(true);
    CTroubleApp& app = *pApp;
    CxLuaEngine* engine = app.GetLuaEngine();
    ASSERT_NE(engine, nullptr);
    testing::internal::CaptureStderr();
    bool quit = false;
    try
    {
        engine->RunString("for i = 1, 10 do Trouble() end\nreached = 'yes'");
    }
    catch (const char* text)
    {
        quit = std::string(text) == CX_DISPLAY_APP_ERROR;
    }
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(quit) << "the quit reaches the caller of the script";
    EXPECT_EQ(s_nTroubleCalls, 3) << "Continue, Continue, Quit: the loop ended there";
    EXPECT_TRUE(engine->GetVm().GetGlobalString("reached").IsEmpty());
    EXPECT_FALSE(IsReportingError());
    EXPECT_FALSE(engine->GetVm().HasPendingException());
    // The state is still usable, and the quit was no script error.
    EXPECT_EQ(engine->GetScriptErrorCount(), 0u);
    m_Output.m_Text.clear();
    engine->RunString("print('still here')");
    EXPECT_EQ(m_Output.m_Text, "still here\n");
    app.PreDestroy();
    app.Destroy();
}

TEST_F(LuaQuitTest, AScriptThatCatchesTheQuitGetsNoFurtherNativeCalls)
{
    auto pApp = MakeApp(true);
    CTroubleApp& app = *pApp;
    s_nTroubleCalls = 2; // the next report is answered "Quit"
    testing::internal::CaptureStderr();
    EXPECT_THROW(app.GetLuaEngine()->RunString("local ok, message = pcall(Trouble)\n"
                                               "caught = message\n"
                                               "pcall(Trouble)\n"
                                               "print('after')\n"
                                               "finished = 'yes'"),
                 const char*);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(s_nTroubleCalls, 3);
    EXPECT_NE(
        std::string(app.GetLuaEngine()->GetVm().GetGlobalString("caught").c_str()).find(CX_DISPLAY_APP_ERROR),
        std::string::npos)
        << "the Lua error carries the exception's text";
    EXPECT_TRUE(app.GetLuaEngine()->GetVm().GetGlobalString("finished").IsEmpty())
        << "print failed as well, which ended the chunk";
    app.PreDestroy();
    app.Destroy();
}

TEST_F(LuaQuitTest, QuitFromTheStartupScriptEndsTheProgramCleanly)
{
    m_Dir.Write("startup.lua", "while true do Trouble() end\n");
    auto pApp = MakeApp(false);
    CTroubleApp& app = *pApp;
    app.m_nPassLimit = 5;
    testing::internal::CaptureStderr();
    app.Run();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(s_nTroubleCalls, 3);
    EXPECT_EQ(app.m_Journal.Count("Destroy"), 1u);
    EXPECT_EQ(app.m_Journal.Count("ExitInstance"), 1u);
    EXPECT_EQ(app.m_Journal.Count("PreDestroy"), 0u) << "the quit skipped the rest of the run";
}

TEST_F(LuaEngineTest, AnyExceptionOfANativeFunctionComesBackAfterTheChunk)
{
    m_Engine.RegisterFunction("ThrowText", LuaThrowText);
    m_Engine.RegisterFunction("ThrowStd", LuaThrowStd);
    EXPECT_THROW(m_Engine.RunString("ThrowText()"), const char*);
    EXPECT_THROW(m_Engine.RunString("ThrowStd()"), std::runtime_error);
    // Caught by the script's pcall, it still comes back at the end of the chunk, once.
    EXPECT_THROW(m_Engine.RunString("ok, message = pcall(ThrowStd)"), std::runtime_error);
    EXPECT_STREQ(m_Engine.GetVm().GetGlobalString("message").c_str(), "standard exception");
    EXPECT_EQ(Run("print('next chunk')"), "next chunk\n");
}
