#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "font_test_util.h"
#include "surface_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

using namespace font_test;

namespace {
constexpr uint32_t BACK = 1;
constexpr uint32_t COLOUR = 200;

// Glyphs 4 wide and 6 high for every code below 128; code 'i' is 1 wide.
class TextLayout : public FontTest
{
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        std::vector<int32_t> widths(128, 4);
        widths['i'] = 1;
        ASSERT_EQ(CX_ERR_NONE, CreateFontFromSurface(MakeStrip(widths, 6), &m_pFont));
        m_Target.FillRect(nullptr, BACK);
    }

    int32_t Draw(const CxRect& rect, const char* text, uint32_t flags, uint32_t key = CX_FONT_KEY_TRANSPARENT)
    {
        return DrawText(&m_Target, rect, COLOUR, text, flags, 0, m_pFont, key, 50);
    }

    CxFont* m_pFont = nullptr;
    CxDrawSurface m_Target{60, 40, 8};
};

class WordWrap : public TextLayout
{
};
} // namespace

TEST_F(TextLayout, LeftTopByDefault)
{
    EXPECT_EQ(1, Draw(CxRect(3, 2, 50, 30), "ab", 0));
    EXPECT_EQ(CxRect(3, 2, 10, 7), ChangedBox(m_Target, BACK));
}

TEST_F(TextLayout, CentredBothWays)
{
    // 3 glyphs: 12 x 6 in a 41 x 21 rectangle at (5, 4).
    EXPECT_EQ(1, Draw(CxRect(5, 4, 45, 24), "abc", CX_TEXT_CENTER | CX_TEXT_VCENTER));
    const CxRect box = ChangedBox(m_Target, BACK);
    EXPECT_EQ(5 + (41 - 12) / 2, box.left);
    EXPECT_EQ(4 + (21 - 6) / 2, box.top);
    EXPECT_EQ(box.left + 11, box.right);
    EXPECT_EQ(box.top + 5, box.bottom);
}

TEST_F(TextLayout, RightAndBottom)
{
    Draw(CxRect(5, 4, 45, 24), "abc", CX_TEXT_RIGHT | CX_TEXT_BOTTOM);
    EXPECT_EQ(CxRect(34, 19, 45, 24), ChangedBox(m_Target, BACK));
}

TEST_F(TextLayout, CentringWinsOverRightAndBottom)
{
    Draw(CxRect(0, 0, 19, 19), "ab", CX_TEXT_CENTER | CX_TEXT_RIGHT | CX_TEXT_VCENTER | CX_TEXT_BOTTOM);
    EXPECT_EQ(CxRect(6, 7, 13, 12), ChangedBox(m_Target, BACK));
}

TEST_F(TextLayout, TabsAndCarriageReturnsTakeNoSpace)
{
    Draw(CxRect(0, 0, 59, 39), "a\tb\rc", CX_TEXT_CENTER);
    CxDrawSurface plain(60, 40, 8);
    plain.FillRect(nullptr, BACK);
    DrawText(&plain, CxRect(0, 0, 59, 39), COLOUR, "abc", CX_TEXT_CENTER, 0, m_pFont,
             CX_FONT_KEY_TRANSPARENT);
    EXPECT_EQ("", surface_test::FirstDifference(m_Target, plain));
}

TEST_F(TextLayout, LineFeedWithoutWrapIsSkipped)
{
    EXPECT_EQ(1, Draw(CxRect(0, 0, 59, 39), "a\nb", 0));
    EXPECT_EQ(CxRect(0, 0, 7, 5), ChangedBox(m_Target, BACK));
}

TEST_F(TextLayout, WithoutWrapDrawingStopsAtTheRightEdge)
{
    // Rectangle 0..9: glyphs start at 0, 4 and 8; the one at 12 is not drawn.
    Draw(CxRect(0, 0, 9, 10), "abcd", 0);
    EXPECT_EQ(CxRect(0, 0, 11, 5), ChangedBox(m_Target, BACK));
}

TEST_F(TextLayout, ShadowIsDrawnFirstOneDownRight)
{
    Draw(CxRect(0, 0, 59, 39), "a", CX_TEXT_SHADOW);
    EXPECT_EQ(CxRect(0, 0, 4, 6), ChangedBox(m_Target, BACK));
    EXPECT_EQ(COLOUR, m_Target.GetPixel(0, 0));
    EXPECT_EQ(50u, m_Target.GetPixel(4, 6));    // shadow only
    EXPECT_EQ(COLOUR, m_Target.GetPixel(3, 5)); // glyph over its shadow
    EXPECT_EQ(BACK, m_Target.GetPixel(0, 6));
}

TEST_F(TextLayout, SizeScalesLinesAndWidths)
{
    DrawText(&m_Target, CxRect(0, 0, 59, 39), COLOUR, "ab", CX_TEXT_RIGHT, 12, m_pFont);
    EXPECT_EQ(CxRect(44, 0, 59, 11), ChangedBox(m_Target, BACK));
}

TEST_F(TextLayout, NothingForEmptyTextOrMissingFont)
{
    EXPECT_EQ(0, Draw(CxRect(0, 0, 59, 39), "", 0));
    EXPECT_EQ(0, Draw(CxRect(0, 0, 59, 39), nullptr, 0));
    // No font given and no default font listed.
    EXPECT_EQ(0, DrawText(&m_Target, CxRect(0, 0, 59, 39), COLOUR, "ab", 0));
    EXPECT_LT(ChangedBox(m_Target, BACK).right, 0);
}

TEST_F(TextLayout, MissingGlyphsTakeNoSpaceAndTheTextGoesOn)
{
    ErrorCapture capture;
    Draw(CxRect(0, 0, 59, 39),
         "a\xC8"
         "b",
         0);
    EXPECT_TRUE(capture.Errors().empty()) << "a missing glyph is logged, not reported";
    EXPECT_EQ(CxRect(0, 0, 7, 5), ChangedBox(m_Target, BACK));
}

TEST_F(WordWrap, BreaksAfterBreakCharacters)
{
    // 4 pixels a glyph, 24 pixels a line: six glyphs.
    EXPECT_EQ(std::string("one \ntwo \nthree"), WrapText(m_pFont, "one two three", 24, 0).c_str());
    EXPECT_EQ(std::string("ab,cd/\nef"), WrapText(m_pFont, "ab,cd/ef", 24, 0).c_str());
    EXPECT_EQ(std::string("a.b!c?\nd;e:f]\ng}h"), WrapText(m_pFont, "a.b!c?d;e:f]g}h", 24, 0).c_str());
}

TEST_F(WordWrap, TextThatFitsIsLeftAlone)
{
    EXPECT_EQ(std::string("abcdef"), WrapText(m_pFont, "abcdef", 24, 0).c_str());
    EXPECT_EQ(std::string("ab\ncd"), WrapText(m_pFont, "ab\ncd", 24, 0).c_str());
}

TEST_F(WordWrap, SpacesMayHangPastTheEdge)
{
    EXPECT_EQ(std::string("abcdef   \ngh"), WrapText(m_pFont, "abcdef   gh", 24, 0).c_str());
}

TEST_F(WordWrap, LongWordsAreSplit)
{
    EXPECT_EQ(std::string("abcdef\nghijkm\nno"), WrapText(m_pFont, "abcdefghijkmno", 24, 0).c_str());
    // A word after a break character that is itself too long.
    EXPECT_EQ(std::string("ab \ncdefgh\nxy"), WrapText(m_pFont, "ab cdefghxy", 24, 0).c_str());
    // Narrower than one glyph: one glyph a line.
    EXPECT_EQ(std::string("a\nb\nc"), WrapText(m_pFont, "abc", 2, 0).c_str());
}

TEST_F(WordWrap, WidthsFollowTheSize)
{
    // At size 12 a glyph is 8 wide: three to a 24-pixel line.
    EXPECT_EQ(std::string("abc\ndef"), WrapText(m_pFont, "abcdef", 24, 12).c_str());
    // Narrow glyphs fit more.
    EXPECT_EQ(std::string("iiiiiiii"), WrapText(m_pFont, "iiiiiiii", 8, 0).c_str());
}

TEST_F(WordWrap, DrawsLinesBelowEachOther)
{
    EXPECT_EQ(3, Draw(CxRect(2, 1, 25, 39), "one two three", CX_TEXT_WORDWRAP));
    EXPECT_EQ(CxRect(2, 1, 2 + 5 * 4 - 1, 1 + 3 * 6 - 1), ChangedBox(m_Target, BACK));
    EXPECT_EQ(COLOUR, m_Target.GetPixel(2, 13)); // "three" starts the third line
}

TEST_F(WordWrap, LinesAreCentredOneByOne)
{
    EXPECT_EQ(2, Draw(CxRect(0, 0, 23, 39), "abcd ef", CX_TEXT_WORDWRAP | CX_TEXT_CENTER | CX_TEXT_VCENTER));
    // 40 pixels hold 12 of text: it starts at 14. "abcd " is 20 wide, "ef" 8.
    EXPECT_EQ(CxRect(2, 14, 21, 25), ChangedBox(m_Target, BACK));
    EXPECT_EQ(COLOUR, m_Target.GetPixel(8, 20));
    EXPECT_EQ(BACK, m_Target.GetPixel(7, 24));
}

TEST_F(WordWrap, BottomAlignmentCountsTheLines)
{
    EXPECT_EQ(3, Draw(CxRect(0, 0, 23, 39), "ab\ncd\nef", CX_TEXT_WORDWRAP | CX_TEXT_BOTTOM));
    EXPECT_EQ(CxRect(0, 22, 7, 39), ChangedBox(m_Target, BACK));
}
