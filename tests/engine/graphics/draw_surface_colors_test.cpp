// CxDrawSurface colour operations: format and depth conversion, palette
// building, fades, alpha, blur and colour replacement.
#include "engine/graphics/draw_surface.h"

#include "tests/engine/graphics/surface_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace surface_test;

// ---------------------------------------------------------------------------
// Formats and depths

TEST(DrawSurfaceConvert, PixelFormat16RescalesEachChannel)
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
}

TEST(DrawSurfaceConvert, ToDefaultFormat16)
{
    const uint8_t saved = CxDrawSurface::GetDefaultFormat16();
    CxDrawSurface s(1, 1, 16, nullptr, CX_PF_555);
    s.SetPixel(0, 0, 0x7FFF);
    CxDrawSurface::SetDefaultFormat16(CX_PF_565);
    s.ConvertToDefaultFormat16();
    EXPECT_EQ(s.GetPixelFormat(), CX_PF_565);
    EXPECT_EQ(s.GetPixel(0, 0), 0xFFDFu);
    CxDrawSurface::SetDefaultFormat16(saved);
}

TEST(DrawSurfaceConvert, DepthUpAndDown)
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
}

TEST(DrawSurfaceConvert, ToPalettisedDepthsBuildsAPalette)
{
    CxDrawSurface s(4, 4, 32);
    const uint32_t colors[3] = {0x00123456, 0x00FF8000, 0x00010203};
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            s.SetPixel(x, y, colors[(x + y) % 3]);
    CxDrawSurface four(s);
    s.ConvertDepth(8);
    EXPECT_EQ(s.GetDepth(), 8);
    // The system colours keep their places; the image's colours are exact.
    EXPECT_EQ(memcmp(s.GetPalette() + 246 * 3, CxDrawSurface::GetDefaultPalette() + 246 * 3, 30), 0);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
        {
            const uint32_t c = colors[(x + y) % 3];
            EXPECT_EQ(s.GetRed(x, y), (c >> 16) & 0xFF);
            EXPECT_EQ(s.GetGreen(x, y), (c >> 8) & 0xFF);
            EXPECT_EQ(s.GetBlue(x, y), c & 0xFF);
            EXPECT_GE(s.GetPixel(x, y), 11u);
        }
    four.ConvertDepth(4);
    EXPECT_EQ(four.GetPitch(), 3); // 4 * 4 / 8, plus one: the width is not a multiple of 8
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(four.GetRed(x, y), (colors[(x + y) % 3] >> 16) & 0xFF);
    EXPECT_LT(four.GetPixel(0, 0), 3u);
}

// ---------------------------------------------------------------------------
// Palettes

TEST(DrawSurfacePalette, PopularityReduction)
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
}

TEST(DrawSurfacePalette, ReservedSystemColours)
{
    CxDrawSurface s(2, 1, 32);
    s.SetPixel(0, 0, 0x00ABCDEF);
    s.SetPixel(1, 0, 0x00FF0000); // red: a system colour already
    uint8_t palette[768];
    s.BuildPalette(palette, true, 16);
    const uint8_t* system = CxDrawSurface::GetDefaultPalette();
    EXPECT_EQ(memcmp(palette, system, 11 * 3), 0);
    EXPECT_EQ(memcmp(palette + 246 * 3, system + 246 * 3, 10 * 3), 0);
    EXPECT_EQ(palette[11 * 3], 0xAB);
    EXPECT_EQ(palette[11 * 3 + 1], 0xCD);
    EXPECT_EQ(palette[11 * 3 + 2], 0xEF);
    EXPECT_EQ(palette[12 * 3], 0);
}

TEST(DrawSurfacePalette, RemapToPalette)
{
    CxDrawSurface s(3, 1, 8);
    s.SetPixel(0, 0, 249); // red
    s.SetPixel(1, 0, 0);   // black
    s.SetPixel(2, 0, 255); // white
    uint8_t palette[768] = {};
    palette[1 * 3] = 250;                                           // 1: almost red
    palette[2 * 3] = palette[2 * 3 + 1] = palette[2 * 3 + 2] = 200; // 2: light grey
    s.RemapToPalette(palette);
    EXPECT_EQ(s.GetPixel(0, 0), 1u);
    EXPECT_EQ(s.GetPixel(1, 0), 0u);
    EXPECT_EQ(s.GetPixel(2, 0), 2u);
    EXPECT_EQ(memcmp(s.GetPalette(), palette, 768), 0);

    CxDrawSurface s16(2, 1, 16);
    s16.SetPixel(0, 0, 0x1234);
    s16.RemapToPalette(palette);
    EXPECT_EQ(s16.GetPixel(0, 0), 0x1234u);
    EXPECT_NE(memcmp(s16.GetPalette(), palette, 768), 0);
}

// ---------------------------------------------------------------------------
// Levels and alpha

TEST(DrawSurfaceLevel, FadeColors)
{
    CxDrawSurface s(2, 1, 16, nullptr, CX_PF_565);
    s.SetPixel(0, 0, 0xFFFF);
    s.SetPixel(1, 0, 0xFFFF);
    const CxRect first(0, 0, 0, 0);
    s.FadeColors(128 + 256, &first);
    EXPECT_EQ(s.GetPixel(0, 0), (15u << 11) | (31u << 5) | 15u);
    EXPECT_EQ(s.GetPixel(1, 0), 0xFFFFu);

    CxDrawSurface t(1, 1, 24);
    t.SetPixel(0, 0, 0x804020);
    t.FadeColors(0);
    EXPECT_EQ(t.GetPixel(0, 0), 0u);

    CxDrawSurface u(1, 1, 32);
    u.SetPixel(0, 0, 0xAAFF8000);
    u.FadeColors(255);
    EXPECT_EQ(u.GetPixel(0, 0), 0xAAFF8000u);
    u.FadeColors(51);
    EXPECT_EQ(u.GetPixel(0, 0), 0xAA331900u);

    CxDrawSurface eight(1, 1, 8);
    eight.SetPixel(0, 0, 200);
    eight.FadeColors(0);
    EXPECT_EQ(eight.GetPixel(0, 0), 200u);
}

TEST(DrawSurfaceLevel, AdjustColorsByLevelClamps)
{
    CxDrawSurface s(1, 1, 24);
    s.SetPixel(0, 0, 0x106496); // bytes 0x10, 0x64, 0x96
    s.AdjustColorsByLevel(510);
    EXPECT_EQ(s.GetPixel(0, 0), 0x20C8FFu);
    s.AdjustColorsByLevel(-5);
    EXPECT_EQ(s.GetPixel(0, 0), 0u);

    CxDrawSurface t(1, 1, 16, nullptr, CX_PF_565);
    t.SetPixel(0, 0, (10u << 11) | (40u << 5) | 20u);
    t.AdjustColorsByLevel(510);
    EXPECT_EQ(t.GetPixel(0, 0), (20u << 11) | (63u << 5) | 31u);

    CxDrawSurface u(1, 1, 32);
    u.SetPixel(0, 0, 0x7F102030);
    u.AdjustColorsByLevel(1020);
    EXPECT_EQ(u.GetPixel(0, 0), 0x7F4080C0u);
}

TEST(DrawSurfaceAlpha, SetAlpha)
{
    CxDrawSurface s(2, 1, 16, nullptr, CX_PF_4444);
    s.SetPixel(0, 0, 0x0123);
    s.SetPixel(1, 0, 0xF456);
    s.SetAlpha(0xA);
    EXPECT_EQ(s.GetPixel(0, 0), 0xA123u);
    EXPECT_EQ(s.GetPixel(1, 0), 0xA456u);
    CxDrawSurface five(1, 1, 16, nullptr, CX_PF_555);
    five.SetPixel(0, 0, 0x1234);
    five.SetAlpha(1);
    EXPECT_EQ(five.GetPixel(0, 0), 0x9234u);
    CxDrawSurface six(1, 1, 16, nullptr, CX_PF_565);
    six.SetPixel(0, 0, 0x1234);
    six.SetAlpha(0xFF);
    EXPECT_EQ(six.GetPixel(0, 0), 0x1234u);
    CxDrawSurface wide(2, 1, 32);
    wide.SetPixel(0, 0, 0x00123456);
    const CxRect first(0, 0, 0, 0);
    wide.SetAlpha(0x80, &first);
    EXPECT_EQ(wide.GetPixel(0, 0), 0x80123456u);
    EXPECT_EQ(wide.GetPixel(1, 0), 0u);
}

TEST(DrawSurfaceAlpha, ScaleAlpha)
{
    CxDrawSurface s(3, 1, 32);
    s.SetPixel(0, 0, 0x80112233);
    s.SetPixel(1, 0, 0xC0112233);
    s.SetPixel(2, 0, 0x10112233);
    s.ScaleAlpha(1.5);
    EXPECT_EQ(s.GetPixel(0, 0), 0xC0112233u);
    EXPECT_EQ(s.GetPixel(1, 0), 0xFF112233u);
    EXPECT_EQ(s.GetPixel(2, 0), 0x18112233u);
    CxDrawSurface t(1, 1, 16, nullptr, CX_PF_4444);
    t.SetPixel(0, 0, 0x8ABC);
    t.ScaleAlpha(0.5);
    EXPECT_EQ(t.GetPixel(0, 0), 0x4ABCu);
}

// ---------------------------------------------------------------------------
// Blur

TEST(DrawSurfaceBlur, FlatAreasStayFlat)
{
    for (int32_t depth : {8, 16, 24, 32})
    {
        CxDrawSurface s(12, 10, depth);
        const uint32_t value = depth == 8 ? 248 : (depth == 16 ? 0x7BEF : 0x00FFFFFF);
        s.FillRect(nullptr, value);
        s.Blur(3);
        for (int32_t y = 0; y < 10; ++y)
            for (int32_t x = 0; x < 12; ++x)
                ASSERT_EQ(s.GetPixel(x, y), value) << depth;
    }
}

TEST(DrawSurfaceBlur, BorderOfThreeIsUntouched)
{
    for (int32_t depth : {8, 16, 24, 32})
    {
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
}

TEST(DrawSurfaceBlur, KernelWeightsInPlace)
{
    // One white pixel at (4, 4) of a black 9 x 9 picture: (3, 3), processed
    // first, sees it with weight 59.
    CxDrawSurface s(9, 9, 24);
    s.SetPixel(4, 4, 0xFFFFFF);
    s.Blur(1);
    EXPECT_EQ(s.GetPixel(3, 3), 0x0F0F0Fu); // 59 * 255 / 1000 = 15
    // Later pixels see the blurred ones: (4, 3) has the white pixel below
    // (weight 97) and the blurred (3, 3) on its left (weight 97).
    EXPECT_EQ(s.GetPixel(4, 3), (((97 * 255 + 97 * 15) / 1000) * 0x010101u));
    CxDrawSurface small(6, 6, 24);
    small.SetPixel(3, 3, 0xFFFFFF);
    small.Blur(1);
    EXPECT_EQ(small.CountColors(), 2u); // too small to have an inside
}

// ---------------------------------------------------------------------------
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
