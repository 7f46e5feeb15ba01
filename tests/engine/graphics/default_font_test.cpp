#include "engine/graphics/default_font.h"

#include "engine/graphics/draw_surface.h"
#include "font_test_util.h"
#include "surface_test_util.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

using namespace font_test;

namespace {
using DefaultFont = FontTest;

// The 8 x 12 pixels of one glyph of the image as text, '#' for ink.
std::string GlyphPixels(CxDrawSurface& image, int32_t code)
{
    std::string pixels;
    for (int32_t y = 0; y < CX_DEFAULT_FONT_HEIGHT; ++y)
        for (int32_t x = 0; x < CX_DEFAULT_FONT_WIDTH; ++x)
            pixels += image.GetPixel(code * 9 + 1 + x, y) == CX_DEFAULT_FONT_INK ? '#' : '.';
    return pixels;
}
} // namespace

TEST_F(DefaultFont, ImageIsTheBitTableWithSeparatorsAndTheFontCutsItIntoAllGlyphs)
{
    std::unique_ptr<CxDrawSurface> image(BuildDefaultFontImage());
    ASSERT_NE(nullptr, image);
    ASSERT_EQ(CxSize(1152, 12), image->GetSize());
    const uint8_t* table = GetDefaultFontTable();
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t code = 0; code < 128; ++code)
        {
            ASSERT_EQ(255u, image->GetPixel(code * 9, y));
            for (int32_t bit = 0; bit < 8; ++bit)
            {
                const bool set = (table[y * 128 + code] & (0x80 >> bit)) != 0;
                ASSERT_EQ(set ? 10u : 0u, image->GetPixel(code * 9 + 1 + bit, y)) << code << " " << y;
            }
        }
    ASSERT_EQ(CX_ERR_NONE, CreateDefaultFont());
    CxBitmapFont* font = dynamic_cast<CxBitmapFont*>(FindFont(CX_FONT_ID_DEFAULT));
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(128u, font->GetHeader().nCount);
    for (uint32_t code = 0; code < 128; ++code)
    {
        const ST_FONT_CHAR* glyph = font->FindChar(code);
        ASSERT_NE(nullptr, glyph);
        EXPECT_EQ(CxRect(code * 9 + 1, 0, code * 9 + 8, 11),
                  CxRect(glyph->left, glyph->top, glyph->right, glyph->bottom));
    }
    EXPECT_EQ(8 * 5, font->GetTextWidth("Hello", 0));
}

TEST_F(DefaultFont, PrintableGlyphsAreDistinctAndDrawnInTheTextColour)
{
    std::unique_ptr<CxDrawSurface> image(BuildDefaultFontImage());
    std::set<std::string> seen;
    for (int32_t code = 33; code < 127; ++code)
    {
        const std::string pixels = GlyphPixels(*image, code);
        EXPECT_NE(std::string::npos, pixels.find('#')) << "code " << code << " is blank";
        EXPECT_TRUE(seen.insert(pixels).second) << "code " << code << " looks like another glyph";
        // A one-column margin on the left keeps neighbours apart.
        for (int32_t y = 0; y < 12; ++y)
            EXPECT_EQ('.', pixels[y * 8]) << code;
    }
    EXPECT_EQ(std::string::npos, GlyphPixels(*image, ' ').find('#'));
    ASSERT_EQ(CX_ERR_NONE, CreateDefaultFont());
    CxDrawSurface target(40, 20, 8);
    target.FillRect(nullptr, 252);
    DrawText(&target, CxRect(0, 0, 39, 19), 255, "I", 0);
    // The paper is see-through: only the ink letter of the glyph changed.
    std::unique_ptr<CxDrawSurface> glyphs(BuildDefaultFontImage());
    const std::string letter = GlyphPixels(*glyphs, 'I');
    int32_t ink = 0;
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 8; ++x)
        {
            const bool isInk = letter[y * 8 + x] == '#';
            ink += isInk;
            EXPECT_EQ(isInk ? 255u : 252u, target.GetPixel(x, y)) << x << "," << y;
        }
    EXPECT_EQ(ink, surface_test::CountValue(target, 255));
    EXPECT_GT(ink, 10);
}

TEST_F(DefaultFont, RecreatingReplacesAndDestroyLeavesAGameFontMadeDefaultAlone)
{
    ASSERT_EQ(CX_ERR_NONE, CreateDefaultFont());
    ASSERT_EQ(CX_ERR_NONE, CreateDefaultFont());
    EXPECT_EQ(1u, GetFontCount());
    CxFont* game = MakeFixedFont(3, 2, 4);
    game->SetId(5);
    SetDefaultFontId(5);
    EXPECT_EQ(game, FindFont(CX_FONT_ID_DEFAULT));
    DestroyDefaultFont();
    EXPECT_EQ(1u, GetFontCount());
    EXPECT_EQ(game, FindFont(5));
    SetDefaultFontId(CX_DEFAULT_FONT_ID);
}
