// CxDrawSurface primitives: lines, circles, rectangles, flood fill, flips,
// rotations and row packing.
#include "engine/graphics/draw_surface.h"

#include "tests/engine/graphics/surface_test_util.h"

#include <gtest/gtest.h>

#include <vector>

using namespace surface_test;

namespace {
// An 8-bit surface whose rows are 4 bytes wider than its pixels, so that a
// write past the right edge would land in the padding and be seen.
struct Padded
{
    CxDrawSurface s;
    Padded(int32_t w, int32_t h) { s.CreateSurface(w, h, 8, w + 4); }
    bool PaddingClean()
    {
        s.Lock();
        bool clean = true;
        for (int32_t y = 0; y < s.GetHeight(); ++y)
            for (int32_t i = s.GetWidth(); i < s.GetPitch(); ++i)
                clean = clean && s.GetBits()[y * s.GetPitch() + i] == 0;
        s.Unlock();
        return clean;
    }
    int32_t Count(uint32_t value)
    {
        int32_t n = 0;
        for (int32_t y = 0; y < s.GetHeight(); ++y)
            for (int32_t x = 0; x < s.GetWidth(); ++x)
                n += s.GetPixel(x, y) == value;
        return n;
    }
};
} // namespace

// Lines, circles, rectangles

TEST(DrawSurfaceLine, BresenhamBothEndsIncludedAndClippedAtEveryEdge)
{
    CxDrawSurface s(8, 8, 8);
    s.DrawLine(1, 1, 6, 3, 7);
    const int32_t expect[6][2] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3}};
    for (const auto& p : expect)
        EXPECT_EQ(s.GetPixel(p[0], p[1]), 7u) << p[0] << "," << p[1];
    EXPECT_EQ(CountValue(s, 7), 6);
    Padded p(8, 6);
    p.s.DrawLine(-10, -10, 20, 20, 1);
    p.s.DrawLine(-3, 2, 30, 2, 2);
    p.s.DrawLine(7, -100, 7, 100, 3);
    p.s.DrawLine(100, 100, 200, 50, 4); // wholly outside
    EXPECT_TRUE(p.PaddingClean());
    EXPECT_EQ(p.s.GetPixel(0, 0), 1u);
    EXPECT_EQ(p.s.GetPixel(5, 5), 1u);
    EXPECT_EQ(p.s.GetPixel(0, 2), 2u);
    EXPECT_EQ(p.Count(1), 5); // (2, 2) was drawn over by the second line
    EXPECT_EQ(p.Count(2), 7); // (7, 2) was drawn over by the third
    EXPECT_EQ(p.Count(3), 6);
}

TEST(DrawSurfaceCircle, MidpointPointsClippingAndFill)
{
    CxDrawSurface s(11, 11, 8);
    s.DrawCircle(5, 5, 3, 1);
    // d = -3: (0,3) ; d = 3: (1,3) ; d = 3 + 4*(1-3) + 10 = 5 -> b = 2 ; a = 2 = b: diagonal (2,2).
    const int32_t on[][2] = {{5, 2}, {5, 8}, {2, 5}, {8, 5}, {6, 2}, {4, 8}, {8, 6}, {2, 4}, {7, 7}, {3, 3}};
    for (const auto& p : on)
        EXPECT_EQ(s.GetPixel(p[0], p[1]), 1u) << p[0] << "," << p[1];
    EXPECT_EQ(s.GetPixel(5, 5), 0u);
    EXPECT_EQ(s.GetPixel(7, 2), 0u);

    Padded p(8, 8);
    p.s.DrawCircle(7, 0, 5, 9);
    p.s.DrawCircle(-100, -100, 3, 9);
    EXPECT_TRUE(p.PaddingClean());
    EXPECT_EQ(p.s.GetPixel(2, 0), 9u);
    // Only the low 16 bits of the radius count: 0x10002 draws radius 2.
    CxDrawSurface t(7, 7, 8);
    t.DrawCircle(3, 3, 0x10002, 4);
    EXPECT_EQ(t.GetPixel(3, 1), 4u);
    EXPECT_EQ(t.GetPixel(3, 0), 0u);
    // Radius 0 sets the centre only.
    CxDrawSurface dot(5, 5, 16);
    dot.DrawCircle(2, 2, 0, 0xABCD);
    EXPECT_EQ(dot.GetPixel(2, 2), 0xABCDu);
    EXPECT_EQ(dot.CountPixels(0xABCD), 1u);
    CxDrawSurface filled(11, 11, 8);
    filled.FillCircle(5, 5, 3, 2);
    EXPECT_EQ(filled.GetPixel(5, 5), 2u);
    EXPECT_EQ(filled.GetPixel(4, 6), 2u);
    EXPECT_EQ(filled.GetPixel(0, 0), 0u);
    EXPECT_EQ(filled.GetPixel(5, 1), 0u);
}

TEST(DrawSurfaceRect, DrawRectAndFillRect)
{
    CxDrawSurface s(6, 5, 8);
    s.DrawRect(CxRect(1, 1, 4, 3), 3);
    for (int32_t x = 1; x <= 4; ++x)
    {
        EXPECT_EQ(s.GetPixel(x, 1), 3u);
        EXPECT_EQ(s.GetPixel(x, 3), 3u);
    }
    EXPECT_EQ(s.GetPixel(1, 2), 3u);
    EXPECT_EQ(s.GetPixel(4, 2), 3u);
    EXPECT_EQ(s.GetPixel(2, 2), 0u);

    Padded p(6, 4);
    const CxRect big(-5, 2, 40, 40);
    p.s.FillRect(&big, 8);
    EXPECT_TRUE(p.PaddingClean());
    EXPECT_EQ(p.Count(8), 12);
    p.s.FillRect(nullptr, 1);
    EXPECT_EQ(p.Count(1), 24);

    for (int32_t depth : {1, 2, 4, 16, 24, 32})
    {
        CxDrawSurface d(9, 3, depth);
        const CxRect r(2, 1, 7, 1);
        d.FillRect(&r, 1);
        int32_t n = 0;
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 9; ++x)
                n += d.GetPixel(x, y) == 1;
        EXPECT_EQ(n, 6) << depth;
    }
}

// Flood fill

TEST(DrawSurfaceFlood, StopsAtBordersDoesNotWrapAndIsFourConnected)
{
    // Column 1 is a wall; columns 2..7 have the seed's colour but are not
    // connected to column 0 except by wrapping round the rows.
    CxDrawSurface s(8, 4, 8);
    const CxRect wall(1, 0, 1, 3);
    s.FillRect(&wall, 1);
    s.FloodFill(0, 0, 5);
    for (int32_t y = 0; y < 4; ++y)
    {
        EXPECT_EQ(s.GetPixel(0, y), 5u);
        EXPECT_EQ(s.GetPixel(1, y), 1u);
        for (int32_t x = 2; x < 8; ++x)
            EXPECT_EQ(s.GetPixel(x, y), 0u);
    }
    CxDrawSurface grid(3, 3, 16);
    grid.FillRect(nullptr, 1);
    grid.SetPixel(1, 0, 0);
    grid.SetPixel(0, 1, 0);
    grid.FloodFill(2, 2, 7);
    // (0, 0) is cut off from the rest diagonally.
    EXPECT_EQ(grid.GetPixel(0, 0), 1u);
    EXPECT_EQ(grid.CountPixels(7), 6u);
}

TEST(DrawSurfaceFlood, ValueAlreadyAtTheSeedChangesNothing)
{
    CxDrawSurface s(4, 4, 8);
    FillRandom(s, 21);
    const std::vector<uint8_t> before = Pixels(s);
    s.FloodFill(2, 2, s.GetPixel(2, 2));
    s.FloodFill(-1, 2, 9);
    s.FloodFill(2, 4, 9);
    EXPECT_EQ(Pixels(s), before);
    // A value wider than the depth reads back cut, and the fill still ends.
    CxDrawSurface t(4, 4, 16);
    t.FillRect(nullptr, 0xFFFF);
    t.FloodFill(0, 0, 0x1FFFF);
    EXPECT_EQ(t.GetPixel(3, 3), 0xFFFFu);
    // A large area at one bit a pixel.
    CxDrawSurface bits(200, 150, 1);
    bits.DrawLine(0, 75, 199, 75, 1);
    bits.FloodFill(10, 10, 1);
    EXPECT_EQ(bits.GetPixel(199, 74), 1u);
    EXPECT_EQ(bits.GetPixel(0, 76), 0u);
}

// Flips and rotations

TEST(DrawSurfaceFlip, WholeSurfaceAtEveryDepthAndInsideARectangle)
{
    for (int32_t depth : {1, 4, 8, 16, 24, 32})
    {
        CxDrawSurface s(7, 6, depth);
        FillRandom(s, 30 + depth);
        const CxRect r(1, 2, 3, 5);
        for (const CxRect* rect : {static_cast<const CxRect*>(nullptr), &r})
        {
            const CxRect area = rect ? *rect : s.GetRect();
            CxDrawSurface h(s), v(s);
            h.FlipHorizontal(rect);
            v.FlipVertical(rect);
            for (int32_t y = 0; y < 6; ++y)
                for (int32_t x = 0; x < 7; ++x)
                {
                    const bool in = area.Contains(x, y);
                    ASSERT_EQ(h.GetPixel(x, y), s.GetPixel(in ? area.left + area.right - x : x, y)) << depth;
                    ASSERT_EQ(v.GetPixel(x, y), s.GetPixel(x, in ? area.top + area.bottom - y : y)) << depth;
                }
        }
    }
}

TEST(DrawSurfaceRotate, QuarterTurnsSquareAndNotAndRowAndColumnRotation)
{
    for (int32_t w : {5, 6, 9})
    {
        CxDrawSurface s(w, 6, 16, nullptr, CX_PF_565);
        FillRandom(s, 50 + w);
        CxDrawSurface original(s);
        s.Rotate(90);
        ASSERT_EQ(s.GetWidth(), 6);
        ASSERT_EQ(s.GetHeight(), w);
        EXPECT_EQ(s.GetPitch(), 12);
        EXPECT_EQ(s.GetPixelFormat(), CX_PF_565);
        // Clockwise: (x, y) moves to (height - 1 - y, x).
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(s.GetPixel(5 - y, x), original.GetPixel(x, y)) << w;

        CxDrawSurface half(original);
        half.Rotate(180);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(half.GetPixel(w - 1 - x, 5 - y), original.GetPixel(x, y));

        CxDrawSurface back(original);
        back.Rotate(-90); // 270
        ASSERT_EQ(back.GetWidth(), 6);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(back.GetPixel(y, w - 1 - x), original.GetPixel(x, y));

        CxDrawSurface same(original);
        same.Rotate(45);
        same.Rotate(360);
        EXPECT_EQ(Pixels(same), Pixels(original));
    }
    CxDrawSurface bits(5, 3, 1);
    FillRandom(bits, 60);
    CxDrawSurface original(bits);
    bits.Rotate(90);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            ASSERT_EQ(bits.GetPixel(2 - y, x), original.GetPixel(x, y));
    CxDrawSurface rows(5, 3, 8);
    for (int32_t x = 0; x < 5; ++x)
        rows.SetPixel(x, 1, static_cast<uint32_t>(x + 1));
    rows.RotateHorizontal(2);
    const uint32_t right[5] = {4, 5, 1, 2, 3};
    for (int32_t x = 0; x < 5; ++x)
        EXPECT_EQ(rows.GetPixel(x, 1), right[x]);
    rows.RotateLeft(2);
    for (int32_t x = 0; x < 5; ++x)
        EXPECT_EQ(rows.GetPixel(x, 1), static_cast<uint32_t>(x + 1));
    rows.RotateHorizontal(-6); // one more than the width
    EXPECT_EQ(rows.GetPixel(0, 1), 2u);

    CxDrawSurface columns(2, 3, 16);
    columns.SetPixel(0, 0, 10);
    columns.SetPixel(0, 2, 30);
    columns.RotateVertical(1);
    EXPECT_EQ(columns.GetPixel(0, 1), 10u);
    EXPECT_EQ(columns.GetPixel(0, 0), 30u);
    columns.RotateUp(1);
    EXPECT_EQ(columns.GetPixel(0, 0), 10u);
}

TEST(DrawSurfacePack, PackRowsDropsThePadding)
{
    CxDrawSurface s;
    s.CreateSurface(3, 4, 16, 10);
    FillRandom(s, 70);
    const std::vector<uint8_t> before = Pixels(s);
    s.PackRows();
    EXPECT_EQ(s.GetPitch(), 6);
    EXPECT_EQ(Pixels(s), before);
    s.Lock();
    EXPECT_EQ(memcmp(s.GetBits(), before.data(), before.size()), 0);
    s.Unlock();
    CxDrawSurface bits;
    bits.CreateSurface(3, 4, 4, 4);
    bits.PackRows();
    EXPECT_EQ(bits.GetPitch(), 4);
}
