// The console: its lines and drawing, and the game console that runs typed
// lines as Lua.
#include "engine/ui/console_text.h"
#include "engine/ui/game_console.h"

#include "engine/core/lua_engine.h"
#include "engine/graphics/default_font.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "tests/engine/graphics/font_test_util.h"
#include "tests/support/test_app.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace font_test;

namespace {
class ConsoleDrawing : public FontTest
{
};

// The rows (y) of the surface that hold any pixel of the value.
std::string RowsWith(CxDrawSurface& s, uint32_t value)
{
    std::string rows;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
    {
        bool found = false;
        for (int32_t x = 0; x < s.GetWidth() && !found; ++x)
            found = s.GetPixel(x, y) == value;
        rows += found ? '#' : '.';
    }
    return rows;
}
} // namespace

TEST(ConsoleLines, PiecesJoinUntilALineFeedAndOnlyTheNewestAreKept)
{
    CxConsoleText console;
    console.AddText("speed ");
    console.AddText("12\r\nnext\n");
    console.OnOutput("last");
    ASSERT_EQ(3u, console.GetLineCount());
    EXPECT_STREQ("speed 12", console.GetLine(0));
    EXPECT_STREQ("next", console.GetLine(1));
    EXPECT_STREQ("last", console.GetLine(2));
    EXPECT_EQ(nullptr, console.GetLine(3));
    console.AddText("\n\n");
    ASSERT_EQ(4u, console.GetLineCount());
    EXPECT_STREQ("", console.GetLine(3));
    // A console of three lines keeps the newest.
    CxConsoleText newest(3);
    newest.AddText("1\n2\n3\n4\n5");
    ASSERT_EQ(3u, newest.GetLineCount());
    EXPECT_STREQ("3", newest.GetLine(0));
    EXPECT_STREQ("5", newest.GetLine(2));
}

TEST_F(ConsoleDrawing, InputAtTheBottomAndNewestOutputAboveIt)
{
    // Glyphs 4 x 6 filled with ink: every drawn line shows as six ink rows.
    CxFont* font = MakeFixedFont(128, 4, 6);
    CxConsoleText console;
    console.SetFont(font);
    console.SetColors(200, 1);
    console.AddText("old\nnew\n");
    console.SetInputLine("x");
    CxDrawSurface screen(40, 20, 8);
    screen.FillRect(nullptr, 9);
    console.Draw(&screen, CxRect(0, 0, 39, 16));
    // 17 rows: the input in 11-16, "new" in 5-10, "old" would need -1..4 and is left out.
    EXPECT_EQ(".....############...", RowsWith(screen, 200));
    EXPECT_EQ(9u, screen.GetPixel(0, 17));
    EXPECT_EQ(1u, screen.GetPixel(39, 0));
    // "> x_" is four glyphs, "new" three.
    EXPECT_EQ(200u, screen.GetPixel(15, 12));
    EXPECT_EQ(1u, screen.GetPixel(16, 12));
    EXPECT_EQ(1u, screen.GetPixel(12, 6));
}

TEST_F(ConsoleDrawing, UsesTheDefaultFontWhenNoneIsSet)
{
    ASSERT_EQ(CX_ERR_NONE, CreateDefaultFont());
    CxConsoleText console;
    console.SetColors(255, 0);
    console.AddText("Hello\n");
    CxDrawSurface screen(200, 24, 8);
    console.Draw(&screen, screen.GetRect());
    const std::string rows = RowsWith(screen, 255);
    EXPECT_NE(std::string::npos, rows.substr(0, 12).find('#')) << rows;
    EXPECT_NE(std::string::npos, rows.substr(12).find('#')) << rows;
}

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
