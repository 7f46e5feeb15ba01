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

using WordWrap = TextLayout;
} // namespace

TEST_F(TextLayout, AlignmentPlacesTheTextBox)
{
    const struct
    {
        CxRect rect;
        const char* text;
        uint32_t flags;
        CxRect box;
    } cases[] = {
        {CxRect(3, 2, 50, 30), "ab", 0, CxRect(3, 2, 10, 7)},
        // 3 glyphs, 12 x 6, in a 41 x 21 rectangle.
        {CxRect(5, 4, 45, 24), "abc", CX_TEXT_CENTER | CX_TEXT_VCENTER, CxRect(19, 11, 30, 16)},
        {CxRect(5, 4, 45, 24), "abc", CX_TEXT_RIGHT | CX_TEXT_BOTTOM, CxRect(34, 19, 45, 24)},
        {CxRect(0, 0, 19, 19), "ab", CX_TEXT_CENTER | CX_TEXT_RIGHT | CX_TEXT_VCENTER | CX_TEXT_BOTTOM,
         CxRect(6, 7, 13, 12)},                                // centring wins
        {CxRect(0, 0, 59, 39), "a\nb", 0, CxRect(0, 0, 7, 5)}, // a line feed without wrapping is skipped
        // Without wrapping drawing stops at the right edge: glyphs at 0, 4 and 8.
        {CxRect(0, 0, 9, 10), "abcd", 0, CxRect(0, 0, 11, 5)},
        {CxRect(0, 0, 59, 39),
         "a\xC8"
         "b",
         0, CxRect(0, 0, 7, 5)}, // a missing glyph takes no space
    };
    ErrorCapture capture;
    for (const auto& c : cases)
    {
        m_Target.FillRect(nullptr, BACK);
        EXPECT_EQ(1, Draw(c.rect, c.text, c.flags)) << c.text;
        EXPECT_EQ(c.box, ChangedBox(m_Target, BACK)) << c.text << " " << c.flags;
    }
    EXPECT_TRUE(capture.Errors().empty()) << "a missing glyph is logged, not reported";
    m_Target.FillRect(nullptr, BACK);
    DrawText(&m_Target, CxRect(0, 0, 59, 39), COLOUR, "ab", CX_TEXT_RIGHT, 12, m_pFont);
    EXPECT_EQ(CxRect(44, 0, 59, 11), ChangedBox(m_Target, BACK)) << "size scales lines and widths";
}

TEST_F(TextLayout, TabsAndCarriageReturnsTakeNoSpaceAndEmptyTextOrNoFontDrawNothing)
{
    Draw(CxRect(0, 0, 59, 39), "a\tb\rc", CX_TEXT_CENTER);
    CxDrawSurface plain(60, 40, 8);
    plain.FillRect(nullptr, BACK);
    DrawText(&plain, CxRect(0, 0, 59, 39), COLOUR, "abc", CX_TEXT_CENTER, 0, m_pFont,
             CX_FONT_KEY_TRANSPARENT);
    EXPECT_EQ("", surface_test::FirstDifference(m_Target, plain));
    m_Target.FillRect(nullptr, BACK);
    EXPECT_EQ(0, Draw(CxRect(0, 0, 59, 39), "", 0));
    EXPECT_EQ(0, Draw(CxRect(0, 0, 59, 39), nullptr, 0));
    // No font given and no default font listed.
    EXPECT_EQ(0, DrawText(&m_Target, CxRect(0, 0, 59, 39), COLOUR, "ab", 0));
    EXPECT_LT(ChangedBox(m_Target, BACK).right, 0);
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

TEST_F(WordWrap, WrapTextBreaksAfterBreakCharactersAndSplitsLongWords)
{
    // 4 pixels a glyph ('i' 1), 24 pixels a line: six glyphs.
    const struct
    {
        const char* text;
        int32_t width, size;
        const char* wrapped;
    } cases[] = {
        {"one two three", 24, 0, "one \ntwo \nthree"},
        {"ab,cd/ef", 24, 0, "ab,cd/\nef"},
        {"a.b!c?d;e:f]g}h", 24, 0, "a.b!c?\nd;e:f]\ng}h"},
        {"abcdef", 24, 0, "abcdef"},
        {"ab\ncd", 24, 0, "ab\ncd"},
        {"abcdef   gh", 24, 0, "abcdef   \ngh"}, // spaces may hang past the edge
        {"abcdefghijkmno", 24, 0, "abcdef\nghijkm\nno"},
        {"ab cdefghxy", 24, 0, "ab \ncdefgh\nxy"},
        {"abc", 2, 0, "a\nb\nc"},       // narrower than a glyph: one glyph a line
        {"abcdef", 24, 12, "abc\ndef"}, // at size 12 a glyph is 8 wide
        {"iiiiiiii", 8, 0, "iiiiiiii"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.wrapped, WrapText(m_pFont, c.text, c.width, c.size).c_str()) << c.text;
}

TEST_F(WordWrap, DrawsLinesBelowEachOtherAndBottomAlignmentCountsThem)
{
    EXPECT_EQ(3, Draw(CxRect(2, 1, 25, 39), "one two three", CX_TEXT_WORDWRAP));
    EXPECT_EQ(CxRect(2, 1, 2 + 5 * 4 - 1, 1 + 3 * 6 - 1), ChangedBox(m_Target, BACK));
    EXPECT_EQ(COLOUR, m_Target.GetPixel(2, 13)); // "three" starts the third line
    m_Target.FillRect(nullptr, BACK);
    EXPECT_EQ(3, Draw(CxRect(0, 0, 23, 39), "ab\ncd\nef", CX_TEXT_WORDWRAP | CX_TEXT_BOTTOM));
    EXPECT_EQ(CxRect(0, 22, 7, 39), ChangedBox(m_Target, BACK));
}

TEST_F(WordWrap, LinesAreCentredOneByOne)
{
    EXPECT_EQ(2, Draw(CxRect(0, 0, 23, 39), "abcd ef", CX_TEXT_WORDWRAP | CX_TEXT_CENTER | CX_TEXT_VCENTER));
    // 40 pixels hold 12 of text: it starts at 14. "abcd " is 20 wide, "ef" 8.
    EXPECT_EQ(CxRect(2, 14, 21, 25), ChangedBox(m_Target, BACK));
    EXPECT_EQ(COLOUR, m_Target.GetPixel(8, 20));
    EXPECT_EQ(BACK, m_Target.GetPixel(7, 24));
}
