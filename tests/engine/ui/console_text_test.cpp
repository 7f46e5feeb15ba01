#include "engine/ui/console_text.h"

#include "engine/graphics/default_font.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "tests/engine/graphics/font_test_util.h"

#include <gtest/gtest.h>

#include <string>

using namespace font_test;

namespace {
class ConsoleLines : public testing::Test
{
};
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

TEST_F(ConsoleLines, PiecesJoinUntilALineFeed)
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
}

TEST_F(ConsoleLines, KeepsOnlyTheNewestLines)
{
    CxConsoleText console(3);
    console.AddText("1\n2\n3\n4\n5");
    ASSERT_EQ(3u, console.GetLineCount());
    EXPECT_STREQ("3", console.GetLine(0));
    EXPECT_STREQ("5", console.GetLine(2));
    console.Clear();
    EXPECT_EQ(0u, console.GetLineCount());
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
