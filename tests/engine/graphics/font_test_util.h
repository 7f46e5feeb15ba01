// Helpers of the font tests: font strips made in memory and the box of the
// pixels a drawing changed.
#pragma once

#include "engine/base/geometry.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace font_test {
constexpr uint32_t SEPARATOR = 255;
constexpr uint32_t PAPER = 10; // the fonts' default transparent colour
constexpr uint32_t INK = 7;

// An 8-bit strip with one glyph per width: a separator column top pixel,
// then the glyph filled with ink except its paper top-right pixel (so own
// colours and keys can be told apart).
inline CxDrawSurface* MakeStrip(const std::vector<int32_t>& widths, int32_t height)
{
    int32_t total = 0;
    for (int32_t w : widths)
        total += w + 1;
    CxDrawSurface* image = new CxDrawSurface(total, height, 8);
    image->FillRect(nullptr, INK);
    int32_t x = 0;
    for (int32_t w : widths)
    {
        image->SetPixel(x, 0, SEPARATOR);
        for (int32_t y = 1; y < height; ++y)
            image->SetPixel(x, y, PAPER);
        if (w > 0)
            image->SetPixel(x + w, 0, PAPER);
        x += w + 1;
    }
    return image;
}

// A listed font of count glyphs, each width wide.
inline CxFont* MakeFixedFont(int32_t count, int32_t width, int32_t height)
{
    CxFont* font = nullptr;
    EXPECT_EQ(CX_ERR_NONE,
              CreateFontFromSurface(MakeStrip(std::vector<int32_t>(count, width), height), &font));
    return font;
}

// The smallest rectangle holding every pixel that differs from background;
// empty (right < left) when none does.
inline CxRect ChangedBox(CxDrawSurface& s, uint32_t background)
{
    CxRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    for (int32_t y = 0; y < s.GetHeight(); ++y)
        for (int32_t x = 0; x < s.GetWidth(); ++x)
            if (s.GetPixel(x, y) != background)
            {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// Removes every font a test listed.
class FontTest : public ::testing::Test
{
protected:
    void SetUp() override { RemoveAllFonts(); }
    void TearDown() override { RemoveAllFonts(); }
};
} // namespace font_test
