// CxDrawSurface colour operations: format and depth conversion, palette
// building, fades, alpha, blur and colour replacement.
#include "engine/graphics/draw_surface.h"

#include "tests/engine/graphics/surface_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ios>
#include <vector>

using namespace surface_test;

// Formats and depths

TEST(DrawSurfaceConvert, PixelFormat16RescalesEachChannelAlsoToTheDefault)
{
    CxDrawSurface s(3, 1, 16, nullptr, CX_PF_565);
    s.SetPixel(0, 0, 0xFFFF);
    s.SetPixel(1, 0, 0x07E0); // green 63
    s.SetPixel(2, 0, 0x0821); // 1, 1, 1
    s.ConvertPixelFormat16(CX_PF_555);
    EXPECT_EQ(s.GetPixelFormat(), CX_PF_555);
    EXPECT_EQ(s.GetGreenBits(), 5);
    EXPECT_EQ(s.GetPixel(0, 0), 0x7FFFu);
    EXPECT_EQ(s.GetPixel(1, 0), 0x03E0u);
    EXPECT_EQ(s.GetPixel(2, 0), 0x0401u); // green 1 >> 1 = 0
    s.ConvertPixelFormat16(CX_PF_565);
    EXPECT_EQ(s.GetPixel(1, 0), 0x07C0u); // 31 << 1
    s.ConvertPixelFormat16(CX_PF_655);
    EXPECT_EQ(s.GetPixel(0, 0), (0x3Eu << 10) | (0x1Fu << 5) | 0x1Fu);

    CxDrawSurface alpha(1, 1, 16, nullptr, CX_PF_565);
    alpha.SetPixel(0, 0, 0xF800);
    alpha.ConvertPixelFormat16(CX_PF_4444);
    EXPECT_EQ(alpha.GetPixel(0, 0), 0x0F00u); // no alpha: red, green, blue only

    CxDrawSurface eight(1, 1, 8);
    eight.SetPixel(0, 0, 3);
    eight.ConvertPixelFormat16(CX_PF_565);
    EXPECT_EQ(eight.GetPixel(0, 0), 3u);
    EXPECT_EQ(eight.GetPixelFormat(), CX_PF_PALETTE);
    const uint8_t saved = CxDrawSurface::GetDefaultFormat16();
    CxDrawSurface toDefault(1, 1, 16, nullptr, CX_PF_555);
    toDefault.SetPixel(0, 0, 0x7FFF);
    CxDrawSurface::SetDefaultFormat16(CX_PF_565);
    toDefault.ConvertToDefaultFormat16();
    EXPECT_EQ(toDefault.GetPixelFormat(), CX_PF_565);
    EXPECT_EQ(toDefault.GetPixel(0, 0), 0xFFDFu);
    CxDrawSurface::SetDefaultFormat16(saved);
}

TEST(DrawSurfaceConvert, DepthUpAndDownAndToPalettisedDepthsWithAPalette)
{
    CxDrawSurface s(3, 2, 24);
    s.SetPixel(0, 0, 0x0000FF); // red (raw 0x00BBGGRR)
    s.SetPixel(1, 0, 0xFF0000); // blue
    s.SetPixel(2, 1, 0x408020);
    s.ConvertDepth(16, CX_PF_565);
    EXPECT_EQ(s.GetDepth(), 16);
    EXPECT_EQ(s.GetPitch(), 6);
    EXPECT_EQ(s.GetPixel(0, 0), 0xF800u);
    EXPECT_EQ(s.GetPixel(1, 0), 0x001Fu);
    EXPECT_EQ(s.GetPixel(2, 1), s.MakeColor(0x20, 0x80, 0x40));
    s.ConvertDepth(32);
    EXPECT_EQ(s.GetPixel(0, 0), 0x00F80000u);
    s.ConvertDepth(24);
    EXPECT_EQ(s.GetRed(0, 0), 0xF8);
    EXPECT_EQ(s.GetBlue(1, 0), 0xF8);
    // Unchanged depth and format: nothing happens.
    const std::vector<uint8_t> before = Pixels(s);
    s.ConvertDepth(24);
    EXPECT_EQ(Pixels(s), before);
    CxDrawSurface p(4, 4, 32);
    const uint32_t colors[3] = {0x00123456, 0x00FF8000, 0x00010203};
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            p.SetPixel(x, y, colors[(x + y) % 3]);
    CxDrawSurface four(p);
    p.ConvertDepth(8);
    EXPECT_EQ(p.GetDepth(), 8);
    // The system colours keep their places; the image'p colours are exact.
    EXPECT_EQ(memcmp(p.GetPalette() + 246 * 3, CxDrawSurface::GetDefaultPalette() + 246 * 3, 30), 0);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
        {
            const uint32_t c = colors[(x + y) % 3];
            EXPECT_EQ(p.GetRed(x, y), (c >> 16) & 0xFF);
            EXPECT_EQ(p.GetGreen(x, y), (c >> 8) & 0xFF);
            EXPECT_EQ(p.GetBlue(x, y), c & 0xFF);
            EXPECT_GE(p.GetPixel(x, y), 11u);
        }
    four.ConvertDepth(4);
    EXPECT_EQ(four.GetPitch(), 3); // 4 * 4 / 8, plus one: the width is not a multiple of 8
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(four.GetRed(x, y), (colors[(x + y) % 3] >> 16) & 0xFF);
    EXPECT_LT(four.GetPixel(0, 0), 3u);
}

// Palettes

TEST(DrawSurfacePalette, PopularityReductionReservedSystemColoursAndRemapping)
{
    // Counts: A 6, B 4, C 1 (nearest to A), D 1 (nearest to B, larger key than C).
    CxDrawSurface s(12, 1, 32);
    const uint32_t a = 0x00100000, b = 0x00000010, c = 0x00120000, d = 0x00000013;
    for (int32_t x = 0; x < 6; ++x)
        s.SetPixel(x, 0, a);
    for (int32_t x = 6; x < 10; ++x)
        s.SetPixel(x, 0, b);
    s.SetPixel(10, 0, c);
    s.SetPixel(11, 0, d);
    uint8_t palette[768];
    memset(palette, 0xEE, sizeof(palette));
    s.BuildPalette(palette, false, 3);
    // Keys are blue << 16 | green << 8 | red: b (0x100000) > d (0x130000)? no:
    // b = red 0, blue 0x10 -> key 0x100000; d -> 0x130000; a -> 0x10; c -> 0x12.
    // The smallest count with the lowest key, c, goes into a; 3 colours remain
    // in key order: a, b, d.
    const uint8_t expect[9] = {0x10, 0, 0, 0, 0, 0x10, 0, 0, 0x13};
    EXPECT_EQ(memcmp(palette, expect, 9), 0);
    EXPECT_EQ(palette[9], 0); // the rest is cleared

    s.BuildPalette(palette, false, 2);
    // Then d (count 1) goes into b: a, b.
    const uint8_t expect2[6] = {0x10, 0, 0, 0, 0, 0x10};
    EXPECT_EQ(memcmp(palette, expect2, 6), 0);
    CxDrawSurface sys(2, 1, 32);
    sys.SetPixel(0, 0, 0x00ABCDEF);
    sys.SetPixel(1, 0, 0x00FF0000); // red: a system colour already
    uint8_t reserved[768];
    sys.BuildPalette(reserved, true, 16);
    const uint8_t* system = CxDrawSurface::GetDefaultPalette();
    EXPECT_EQ(memcmp(reserved, system, 11 * 3), 0);
    EXPECT_EQ(memcmp(reserved + 246 * 3, system + 246 * 3, 10 * 3), 0);
    EXPECT_EQ(reserved[11 * 3], 0xAB);
    EXPECT_EQ(reserved[11 * 3 + 1], 0xCD);
    EXPECT_EQ(reserved[11 * 3 + 2], 0xEF);
    EXPECT_EQ(reserved[12 * 3], 0);
    CxDrawSurface remapped(3, 1, 8);
    remapped.SetPixel(0, 0, 249); // red
    remapped.SetPixel(1, 0, 0);   // black
    remapped.SetPixel(2, 0, 255); // white
    uint8_t target[768] = {};
    target[1 * 3] = 250;                                         // 1: almost red
    target[2 * 3] = target[2 * 3 + 1] = target[2 * 3 + 2] = 200; // 2: light grey
    remapped.RemapToPalette(target);
    EXPECT_EQ(remapped.GetPixel(0, 0), 1u);
    EXPECT_EQ(remapped.GetPixel(1, 0), 0u);
    EXPECT_EQ(remapped.GetPixel(2, 0), 2u);
    EXPECT_EQ(memcmp(remapped.GetPalette(), target, 768), 0);

    CxDrawSurface s16(2, 1, 16);
    s16.SetPixel(0, 0, 0x1234);
    s16.RemapToPalette(target);
    EXPECT_EQ(s16.GetPixel(0, 0), 0x1234u);
    EXPECT_NE(memcmp(s16.GetPalette(), target, 768), 0);
}

// Levels and alpha

namespace {
struct PixelCase
{
    int32_t depth;
    uint8_t format;
    uint32_t before;
    double amount;
    uint32_t after;
};

// One pixel of the given depth and format through an operation.
void ExpectPixelCases(const char* what, const std::vector<PixelCase>& cases,
                      void (*operate)(CxDrawSurface&, double))
{
    for (const PixelCase& c : cases)
    {
        CxDrawSurface s(1, 1, c.depth, nullptr, c.depth == 16 ? c.format : CX_PF_DEFAULT);
        s.SetPixel(0, 0, c.before);
        operate(s, c.amount);
        EXPECT_EQ(s.GetPixel(0, 0), c.after) << what << " " << c.depth << " 0x" << std::hex << c.before;
    }
}
} // namespace

TEST(DrawSurfaceLevel, FadeAdjustSetAndScaleAlphaPerFormat)
{
    ExpectPixelCases("fade",
                     {{16, CX_PF_565, 0xFFFF, 128 + 256, (15u << 11) | (31u << 5) | 15u},
                      {24, 0, 0x804020, 0, 0},
                      {32, 0, 0xAAFF8000, 255, 0xAAFF8000},
                      {32, 0, 0xAAFF8000, 51, 0xAA331900},
                      {8, 0, 200, 0, 200}},
                     [](CxDrawSurface& s, double v) { s.FadeColors(static_cast<int32_t>(v)); });
    ExpectPixelCases("adjust",
                     {{24, 0, 0x106496, 510, 0x20C8FF}, // clamped at 255
                      {24, 0, 0x106496, -5, 0},
                      {16, CX_PF_565, (10u << 11) | (40u << 5) | 20u, 510, (20u << 11) | (63u << 5) | 31u},
                      {32, 0, 0x7F102030, 1020, 0x7F4080C0}},
                     [](CxDrawSurface& s, double v) { s.AdjustColorsByLevel(static_cast<int32_t>(v)); });
    ExpectPixelCases("set alpha",
                     {{16, CX_PF_4444, 0x0123, 0xA, 0xA123},
                      {16, CX_PF_4444, 0xF456, 0xA, 0xA456},
                      {16, CX_PF_555, 0x1234, 1, 0x9234},
                      {16, CX_PF_565, 0x1234, 0xFF, 0x1234},
                      {32, 0, 0x00123456, 0x80, 0x80123456}},
                     [](CxDrawSurface& s, double v) { s.SetAlpha(static_cast<uint32_t>(v)); });
    ExpectPixelCases("scale alpha",
                     {{32, 0, 0x80112233, 1.5, 0xC0112233},
                      {32, 0, 0xC0112233, 1.5, 0xFF112233},
                      {32, 0, 0x10112233, 1.5, 0x18112233},
                      {16, CX_PF_4444, 0x8ABC, 0.5, 0x4ABC}},
                     [](CxDrawSurface& s, double v) { s.ScaleAlpha(v); });
    // Only inside the given rectangle.
    CxDrawSurface s(2, 1, 16, nullptr, CX_PF_565);
    s.FillRect(nullptr, 0xFFFF);
    const CxRect first(0, 0, 0, 0);
    s.FadeColors(128 + 256, &first);
    EXPECT_EQ(s.GetPixel(1, 0), 0xFFFFu);
    CxDrawSurface wide(2, 1, 32);
    wide.SetAlpha(0x80, &first);
    EXPECT_EQ(wide.GetPixel(1, 0), 0u);
}

// Blur

TEST(DrawSurfaceBlur, FlatAreasStayFlatABorderOfThreeIsUntouchedAndKernelWeights)
{
    for (int32_t depth : {8, 16, 24, 32})
    {
        CxDrawSurface flat(12, 10, depth);
        const uint32_t value = depth == 8 ? 248 : (depth == 16 ? 0x7BEF : 0x00FFFFFF);
        flat.FillRect(nullptr, value);
        flat.Blur(3);
        EXPECT_EQ(CountValue(flat, value), 120) << depth;

        CxDrawSurface s(16, 14, depth);
        FillRandom(s, 80 + depth);
        CxDrawSurface original(s);
        const CxRect r(1, 2, 14, 12);
        s.Blur(2, &r);
        int32_t changed = 0;
        for (int32_t y = 0; y < 14; ++y)
            for (int32_t x = 0; x < 16; ++x)
            {
                const bool inner = x >= r.left + 3 && x <= r.right - 3 && y >= r.top + 3 && y <= r.bottom - 3;
                if (!inner)
                    ASSERT_EQ(s.GetPixel(x, y), original.GetPixel(x, y)) << depth << " " << x << "," << y;
                else
                    changed += s.GetPixel(x, y) != original.GetPixel(x, y);
            }
        EXPECT_GT(changed, 10) << depth;
    }
    // One white pixel at (4, 4) of a black 9 x 9 picture: (3, 3), processed
    // first, sees it with weight 59.
    CxDrawSurface dot(9, 9, 24);
    dot.SetPixel(4, 4, 0xFFFFFF);
    dot.Blur(1);
    EXPECT_EQ(dot.GetPixel(3, 3), 0x0F0F0Fu); // 59 * 255 / 1000 = 15
    // Later pixels see the blurred ones: (4, 3) has the white pixel below
    // (weight 97) and the blurred (3, 3) on its left (weight 97).
    EXPECT_EQ(dot.GetPixel(4, 3), (((97 * 255 + 97 * 15) / 1000) * 0x010101u));
    CxDrawSurface small(6, 6, 24);
    small.SetPixel(3, 3, 0xFFFFFF);
    small.Blur(1);
    EXPECT_EQ(small.CountColors(), 2u); // too small to have an inside
}

// Colour replacement

TEST(DrawSurfaceReplace, ReplaceAndSwapIncludeRowPadding)
{
    CxDrawSurface s;
    s.CreateSurface(2, 2, 16, 6);
    s.FillRect(nullptr, 1);
    s.SetPixel(1, 1, 2);
    s.Lock();
    // The padding word of row 0 holds 1 too.
    s.GetBits()[4] = 1;
    s.GetBits()[5] = 0;
    s.Unlock();
    s.ReplaceColor(1, 7);
    EXPECT_EQ(s.GetPixel(0, 0), 7u);
    EXPECT_EQ(s.GetPixel(1, 1), 2u);
    s.Lock();
    EXPECT_EQ(s.GetBits()[4], 7);
    s.Unlock();
    s.SwapColors(7, 2);
    EXPECT_EQ(s.GetPixel(0, 0), 2u);
    EXPECT_EQ(s.GetPixel(1, 1), 7u);

    CxDrawSurface t(3, 1, 24);
    t.SetPixel(0, 0, 0x102030);
    t.SetPixel(1, 0, 0x102031);
    t.SetPixel(2, 0, 0x405060);
    t.SwapColors(0x102030, 0x405060);
    EXPECT_EQ(t.GetPixel(0, 0), 0x405060u);
    EXPECT_EQ(t.GetPixel(1, 0), 0x102031u);
    EXPECT_EQ(t.GetPixel(2, 0), 0x102030u);

    CxDrawSurface four(4, 1, 4);
    four.FillRect(nullptr, 3);
    four.ReplaceColor(3, 5);
    EXPECT_EQ(four.GetPixel(0, 0), 3u); // depths below 8 are left alone
}
