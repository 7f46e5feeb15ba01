#include "engine/ui/game_console.h"

#include "engine/core/lua_engine.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {
class ConsoleTest : public testing::Test
{
protected:
    void Start(const char* options)
    {
        m_pApp = std::make_unique<CTestApp>(options);
        m_pApp->Init();
        m_pApp->Create();
    }
    void TearDown() override
    {
        if (!m_pApp)
            return;
        m_pApp->PreDestroy();
        m_pApp->Destroy();
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            m_pApp->OnKeyDown(static_cast<uint8_t>(c), 1);
    }
    std::string Global(const char* name)
    {
        return m_pApp->GetLuaEngine()->GetVm().GetGlobalString(name).c_str();
    }

    std::unique_ptr<CTestApp> m_pApp;
};
} // namespace

TEST_F(ConsoleTest, ExistsOnlyWhenAllowed)
{
    Start("");
    EXPECT_EQ(m_pApp->GetConsole(), nullptr);
    m_pApp->OnKeyDown('`', 1);
    EXPECT_EQ(m_pApp->m_Keys.size(), 1u) << "without a console the key goes on as usual";
}

TEST_F(ConsoleTest, BackquoteAndTildeToggleItAndGoNoFurther)
{
    Start("[Engine.Game]\nAllowCommandConsole=1\nCommandConsoleHeight=120\n");
    CxGameConsole* console = m_pApp->GetConsole();
    ASSERT_NE(console, nullptr);
    EXPECT_FALSE(console->IsVisible());
    EXPECT_EQ(console->GetHeight(), 120);
    m_pApp->OnKeyDown('`', 1);
    EXPECT_TRUE(console->IsVisible());
    m_pApp->OnKeyDown('~', 1);
    EXPECT_FALSE(console->IsVisible());
}

TEST_F(ConsoleTest, TypedLinesRunAsLuaAfterTheirAlias)
{
    Start("[Engine.Game]\nAllowCommandConsole=1\n"
          "[Engine.Game.CommandConsole.Aliases]\ngo=answer = 'aliased'\n");
    CxGameConsole* console = m_pApp->GetConsole();
    ASSERT_NE(console, nullptr);
    m_pApp->OnKeyDown('`', 1);
    Type("answer = 'typed!'");
    Type("\b\b'");
    EXPECT_STREQ(console->GetText().GetInputLine().c_str(), "answer = 'typed'");
    Type("\r");
    EXPECT_EQ(Global("answer"), "typed");
    EXPECT_STREQ(console->GetText().GetInputLine().c_str(), "");
    Type("go\r");
    EXPECT_EQ(Global("answer"), "aliased");
    Type("print('shown in the console')\r");
    bool seen = false;
    for (uint32_t i = 0; i < console->GetText().GetLineCount(); ++i)
        seen = seen || std::string(console->GetText().GetLine(i)) == "shown in the console";
    EXPECT_TRUE(seen) << "the console shows the text output";
}
