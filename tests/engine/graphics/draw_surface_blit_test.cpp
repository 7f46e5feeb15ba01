// CxDrawSurface::Draw: every dedicated routine held against the general
// routine, clipping, stretching, keying and each effect.
#include "engine/graphics/draw_surface.h"

#include "tests/engine/graphics/surface_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace surface_test;

namespace {
uint32_t KeyFor(int32_t depth)
{
    switch (depth)
    {
    case 8:
        return 5;
    case 16:
        return 0x1234;
    case 24:
        return 0x102030;
    default:
        return 0x00112233;
    }
}

// A surface of the given depth and format with pseudo-random pixels and a
// palette that is not the default one.
void MakeSurface(CxDrawSurface& s, int32_t w, int32_t h, int32_t depth, uint8_t format, uint32_t seed,
                 uint32_t key = CX_COLOR_NONE)
{
    s.CreateSurface(w, h, depth);
    if (format)
        s.SetPixelFormat(format);
    uint8_t palette[768];
    Lcg lcg(seed * 7 + 1);
    for (uint8_t& b : palette)
        b = static_cast<uint8_t>(lcg.Next());
    s.SetPalette(palette);
    if (key == CX_COLOR_NONE)
        FillRandom(s, seed);
    else
        FillRandomRuns(s, seed, key);
}

struct Pair
{
    int32_t sd;
    uint8_t sf;
    int32_t dd;
    uint8_t df;
};

const Pair kDedicatedPairs[] = {
    {8, 0, 8, 0},
    {8, 0, 16, CX_PF_555},
    {8, 0, 16, CX_PF_565},
    {8, 0, 16, CX_PF_556},
    {8, 0, 16, CX_PF_655},
    {8, 0, 24, 0},
    {8, 0, 32, 0},
    {16, CX_PF_565, 16, CX_PF_565},
    {16, CX_PF_555, 16, CX_PF_555},
    {24, 0, 16, CX_PF_565},
    {24, 0, 24, 0},
    {32, 0, 16, CX_PF_555},
    {32, 0, 32, 0},
};

struct Geometry
{
    const char* name;
    CxRect source;
    CxRect dest;
};

const Geometry kGeometries[] = {
    {"one to one, odd width", CxRect(3, 2, 31, 19), CxRect(5, 4, 33, 21)},
    {"one to one, width 32", CxRect(0, 1, 31, 20), CxRect(20, 0, 51, 19)},
    {"stretch up", CxRect(1, 1, 12, 9), CxRect(0, 0, 30, 25)},
    {"stretch down", CxRect(0, 0, 36, 22), CxRect(2, 3, 19, 14)},
    {"stretch 3 to 7", CxRect(4, 4, 6, 6), CxRect(10, 10, 16, 16)},
};

// Draws through Draw and through the general routine onto two copies of the
// same background and compares them pixel for pixel.
void ExpectAgreement(CxDrawSurface& src, const CxDrawSurface& background, const CxRect& s, const CxRect& d,
                     uint32_t key, const ST_BLIT_FX* fx, const std::string& label)
{
    CxDrawSurface viaDraw(background);
    CxDrawSurface viaGeneral(background);
    EXPECT_EQ(src.Draw(&viaDraw, &d, &s, key, fx), CX_ERR_NONE) << label;
    src.Lock();
    viaGeneral.Lock();
    src.DrawGeneral(&viaGeneral, d, s, key == CX_COLOR_NONE ? src.GetTransparentColor() : key, fx);
    viaGeneral.Unlock();
    src.Unlock();
    EXPECT_EQ(FirstDifference(viaDraw, viaGeneral), "") << label;
    CxDrawSurface untouched(background);
    // (A 3 x 3 source may hold nothing but key pixels.)
    if ((!fx || fx->nType != CX_FX_OPACITY || fx->nParam != 0) && s.Width() * s.Height() > 9)
    {
        EXPECT_NE(Pixels(viaDraw), Pixels(untouched)) << label << ": nothing was drawn";
    }
}

std::string Label(const Pair& p, const Geometry& g, int32_t type, bool keyed)
{
    return std::to_string(p.sd) + "/" + std::to_string(p.sf) + " -> " + std::to_string(p.dd) + "/" +
           std::to_string(p.df) + ", " + g.name + ", effect " + std::to_string(type) +
           (keyed ? ", keyed" : "");
}
} // namespace

// Dedicated routines against the general routine

TEST(DrawSurfaceRoutines, EveryDedicatedPairAgreesWithTheGeneralRoutine)
{
    const int32_t types[] = {CX_FX_NONE,       CX_FX_SCREEN_DOOR, CX_FX_RECOLOR_KEY,
                             CX_FX_SILHOUETTE, CX_FX_MIRROR_H,    CX_FX_MIRROR_V};
    for (const Pair& p : kDedicatedPairs)
    {
        const uint32_t key = KeyFor(p.sd);
        CxDrawSurface src;
        MakeSurface(src, 37, 23, p.sd, p.sf, 100 + p.sd + p.dd, key);
        CxDrawSurface background;
        MakeSurface(background, 53, 41, p.dd, p.df, 200 + p.df);
        for (const Geometry& g : kGeometries)
            for (int32_t type : types)
            {
                // 8-to-8 draws type 11 unmirrored (checked on its own below).
                if (type == CX_FX_MIRROR_H && p.sd == 8 && p.dd == 8)
                    continue;
                ST_BLIT_FX fx;
                fx.nType = type;
                fx.nParam = 0x5A5A5A5Au & (p.dd >= 32 ? 0xFFFFFFFFu : ((1u << p.dd) - 1u));
                for (bool keyed : {false, true})
                    ExpectAgreement(src, background, g.source, g.dest, keyed ? key : CX_COLOR_NONE, &fx,
                                    Label(p, g, type, keyed));
            }
    }
}

TEST(DrawSurfaceRoutines, SixteenBitOpacityAgreesWithTheGeneralRoutine)
{
    for (uint8_t format : {CX_PF_565, CX_PF_555, CX_PF_556, CX_PF_655})
        for (int32_t width : {8, 13, 64, 3})
        {
            CxDrawSurface src;
            MakeSurface(src, width, 9, 16, format, 300 + width, 0x1234);
            CxDrawSurface background;
            MakeSurface(background, width + 4, 12, 16, format, 301);
            const CxRect s(0, 0, width - 1, 8);
            const CxRect d(2, 1, width + 1, 9);
            for (uint32_t opacity : {0u, 1u, 77u, 128u, 254u, 255u, 300u})
            {
                ST_BLIT_FX fx;
                fx.nType = CX_FX_OPACITY;
                fx.nParam = opacity;
                for (uint32_t key : {CX_COLOR_NONE, 0x1234u})
                    ExpectAgreement(src, background, s, d, key, &fx,
                                    "format " + std::to_string(format) + ", width " + std::to_string(width) +
                                        ", opacity " + std::to_string(opacity));
            }
        }
}

TEST(DrawSurfaceRoutines, SixteenBitAlphaAgreesWithTheGeneralRoutine)
{
    for (uint8_t format : {CX_PF_565, CX_PF_555, CX_PF_4444})
    {
        CxDrawSurface src;
        MakeSurface(src, 21, 10, 16, CX_PF_4444, 400);
        CxDrawSurface background;
        MakeSurface(background, 30, 12, 16, format, 401);
        ST_BLIT_FX fx;
        fx.nType = CX_FX_ALPHA;
        ExpectAgreement(src, background, CxRect(0, 0, 20, 9), CxRect(3, 1, 23, 10), CX_COLOR_NONE, &fx,
                        "alpha onto format " + std::to_string(format));
    }
}

TEST(DrawSurfaceRoutines, EightBitSourcesMirrorOnlyOntoOtherDepthsAndUseAPaletteTablePerFormat)
{
    CxDrawSurface src;
    MakeSurface(src, 16, 4, 8, 0, 7, 5);
    CxDrawSurface plain;
    MakeSurface(plain, 16, 4, 8, 0, 8);
    CxDrawSurface mirrored(plain);
    ST_BLIT_FX fx;
    fx.nType = CX_FX_MIRROR_H;
    src.Draw(&mirrored, nullptr, nullptr, 5, &fx);
    src.Draw(&plain, nullptr, nullptr, 5, nullptr);
    EXPECT_EQ(Pixels(mirrored), Pixels(plain));

    // Any other depth pair mirrors.
    CxDrawSurface src4(16, 4, 4);
    FillRandom(src4, 9);
    CxDrawSurface dst(16, 4, 8);
    src4.Draw(&dst, nullptr, nullptr, CX_COLOR_NONE, &fx);
    for (int32_t x = 0; x < 16; ++x)
        EXPECT_EQ(dst.GetPixel(x, 2), src4.GetPixel(15 - x, 2));
    CxDrawSurface indexed(4, 1, 8);
    indexed.SetPixel(0, 0, 249); // red in the default other
    CxDrawSurface dst565(4, 1, 16, nullptr, CX_PF_565);
    indexed.Draw(&dst565);
    EXPECT_EQ(dst565.GetPixel(0, 0), 0xF800u);
    ASSERT_NE(indexed.GetPaletteTable16(), nullptr);
    EXPECT_EQ(indexed.GetPaletteTable16Format(), CX_PF_565);
    // A destination of another format gets a table of its own format.
    CxDrawSurface dst555(4, 1, 16, nullptr, CX_PF_555);
    indexed.Draw(&dst555);
    EXPECT_EQ(dst555.GetPixel(0, 0), 0x7C00u);
    EXPECT_EQ(indexed.GetPaletteTable16Format(), CX_PF_555);
    // A new other drops the table.
    uint8_t other[768] = {};
    other[249 * 3 + 2] = 0xFF;
    indexed.SetPalette(other);
    indexed.Draw(&dst565);
    EXPECT_EQ(dst565.GetPixel(0, 0), 0x001Fu);
}

// Clipping

namespace {
// A 10 x 6 8-bit source whose pixel (x, y) holds 10 * y + x + 1.
void MakeNumbered(CxDrawSurface& s)
{
    s.CreateSurface(10, 6, 8);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 10; ++x)
            s.SetPixel(x, y, static_cast<uint32_t>(10 * y + x + 1));
}
} // namespace

TEST(DrawSurfaceClip, EveryEdgeOfDestinationAndSource)
{
    CxDrawSurface src;
    MakeNumbered(src);
    // Draws onto a fresh width x height surface and checks pixels (x, y, value), where the
    // value of source pixel (x, y) is 10 * y + x + 1 and 0 means nothing drawn.
    const auto check = [&src](const char* name, int32_t width, int32_t height, const CxRect& dest,
                              std::initializer_list<std::array<int32_t, 3>> pixels) {
        CxDrawSurface dst(width, height, 8);
        src.Draw(&dst, &dest, nullptr);
        for (const auto& p : pixels)
            EXPECT_EQ(dst.GetPixel(p[0], p[1]), static_cast<uint32_t>(p[2]))
                << name << " " << p[0] << "," << p[1];
    };
    check("off the left", 20, 10, CxRect(-5, 2, 4, 7), {{0, 2, 6}, {4, 2, 10}, {5, 2, 0}});
    check("off the top-left", 8, 4, CxRect(-2, -3, 7, 2), {{0, 0, 33}, {7, 2, 60}, {0, 3, 0}});
    check("off the bottom-right", 8, 4, CxRect(3, 1, 12, 6), {{3, 1, 1}, {7, 3, 25}, {2, 1, 0}});
    // A source rectangle off its surface moves the destination: source (0, 0) lands at (5 + 3, 5 + 1).
    CxDrawSurface dst(20, 10, 8);
    const CxRect s(-3, -1, 4, 2);
    src.DrawAt(&dst, 5, 5, &s);
    EXPECT_EQ(dst.GetPixel(8, 6), 1u);
    EXPECT_EQ(dst.GetPixel(12, 7), 15u);
    EXPECT_EQ(CountValue(dst, 0), 200 - 5 * 3);
}

TEST(DrawSurfaceClip, ScaledClippingRoundsTheSourceEdgeAndNothingLeftDrawsNothing)
{
    CxDrawSurface src;
    MakeNumbered(src);
    CxDrawSurface dst(30, 10, 8);
    // Source row 0 (10 pixels) doubled onto 20 pixels starting 5 off the left
    // edge: the source left edge moves by 5 * 0.5 = 2.5, rounded to 3.
    const CxRect s(0, 0, 9, 0);
    const CxRect d(-5, 0, 14, 0);
    src.Draw(&dst, &d, &s);
    // The 15 remaining pixels show source columns 3..9 at step 7/15.
    const uint32_t step = (7u << 16) / 15u;
    for (uint32_t i = 0; i < 15; ++i)
        EXPECT_EQ(dst.GetPixel(static_cast<int32_t>(i), 0), 3u + ((i * step) >> 16) + 1) << i;
    EXPECT_EQ(dst.GetPixel(15, 0), 0u);
    CxDrawSurface small(4, 4, 8);
    const CxRect away(10, 10, 19, 15);
    EXPECT_EQ(src.Draw(&small, &away, nullptr), CX_ERR_NONE);
    const CxRect inverted(3, 3, 1, 1);
    EXPECT_EQ(src.Draw(&small, &inverted, nullptr), CX_ERR_NONE);
    const CxRect outside(-20, 0, -11, 5);
    EXPECT_EQ(src.DrawAt(&small, 0, 0, &outside), CX_ERR_NONE);
    for (uint8_t b : Pixels(small))
        EXPECT_EQ(b, 0);
    EXPECT_EQ(src.Draw(nullptr), CX_ERR_NONE);
}

// Stretching and keying

TEST(DrawSurfaceStretch, NearestNeighbourInFixedPointAndKeyedRowsNotCopiedFromAbove)
{
    CxDrawSurface src(3, 1, 16);
    src.SetPixel(0, 0, 10);
    src.SetPixel(1, 0, 20);
    src.SetPixel(2, 0, 30);
    CxDrawSurface dst(7, 3, 16);
    const CxRect d(0, 0, 6, 2);
    src.Draw(&dst, &d, nullptr);
    const uint32_t expect[7] = {10, 10, 10, 20, 20, 30, 30};
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 7; ++x)
            EXPECT_EQ(dst.GetPixel(x, y), expect[x]);

    CxDrawSurface wide(8, 2, 32);
    for (int32_t x = 0; x < 8; ++x)
        wide.SetPixel(x, 0, static_cast<uint32_t>(x));
    CxDrawSurface half(4, 1, 32);
    wide.Draw(&half);
    for (int32_t x = 0; x < 4; ++x)
        EXPECT_EQ(half.GetPixel(x, 0), static_cast<uint32_t>(2 * x));
    // A keyed sprite stretched over a striped background: the hole of every
    // repeated row must show that row's own background.
    CxDrawSurface sprite(2, 2, 16);
    sprite.SetPixel(0, 0, 0x1234);
    sprite.SetPixel(1, 0, 0x00AA);
    sprite.SetPixel(0, 1, 0x00BB);
    sprite.SetPixel(1, 1, 0x1234);
    CxDrawSurface striped(4, 4, 16);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            striped.SetPixel(x, y, static_cast<uint32_t>(0x100 + y));
    sprite.Draw(&striped, nullptr, nullptr, 0x1234);
    for (int32_t y = 0; y < 4; ++y)
    {
        EXPECT_EQ(striped.GetPixel(0, y), y < 2 ? 0x100u + y : 0x00BBu);
        EXPECT_EQ(striped.GetPixel(3, y), y < 2 ? 0x00AAu : 0x100u + y);
    }
}

TEST(DrawSurfaceKey, ExplicitKeyTransparentColourOrNone)
{
    CxDrawSurface src(4, 1, 16);
    for (int32_t x = 0; x < 4; ++x)
        src.SetPixel(x, 0, x == 2 ? 1 : static_cast<uint32_t>(x + 1)); // 1 2 1 3
    const struct
    {
        uint32_t transparent, key, expected[4];
    } cases[] = {
        {CX_COLOR_NONE, 1, {9, 2, 9, 4}},
        {2, CX_COLOR_NONE, {1, 9, 1, 4}}, // the default key is the source's transparent colour
        {CX_COLOR_NONE, CX_COLOR_NONE, {1, 2, 1, 4}},
    };
    for (const auto& c : cases)
    {
        CxDrawSurface dst(4, 1, 16);
        dst.FillRect(nullptr, 9);
        src.SetTransparentColor(c.transparent);
        src.Draw(&dst, nullptr, nullptr, c.key);
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(dst.GetPixel(x, 0), c.expected[x]) << c.transparent << " " << c.key << " at " << x;
    }
    // Palettised sources compare the index.
    CxDrawSurface src8(2, 1, 8);
    src8.SetPixel(0, 0, 249);
    src8.SetPixel(1, 0, 250);
    CxDrawSurface dst16(2, 1, 16, nullptr, CX_PF_565);
    src8.Draw(&dst16, nullptr, nullptr, 249);
    EXPECT_EQ(dst16.GetPixel(0, 0), 0u);
    EXPECT_EQ(dst16.GetPixel(1, 0), 0x07E0u);
}

TEST(DrawSurfaceKey, LongKeyRunsAreSkippedWhole)
{
    CxDrawSurface src(40, 1, 16);
    src.FillRect(nullptr, 0x1234);
    src.SetPixel(17, 0, 0x0F0F);
    src.SetPixel(39, 0, 0x0F0F);
    CxDrawSurface dst(40, 1, 16);
    dst.FillRect(nullptr, 0x5555);
    src.Draw(&dst, nullptr, nullptr, 0x1234);
    for (int32_t x = 0; x < 40; ++x)
        EXPECT_EQ(dst.GetPixel(x, 0), (x == 17 || x == 39) ? 0x0F0Fu : 0x5555u) << x;
}

// Effects

namespace {
// A 5 x 2 16-bit (5-6-5) source 1..5 / 6..10 with 3 as the key.
void MakeRow(CxDrawSurface& s)
{
    s.CreateSurface(5, 2, 16);
    s.SetPixelFormat(CX_PF_565);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 5; ++x)
            s.SetPixel(x, y, static_cast<uint32_t>(5 * y + x + 1));
}

void Clear(CxDrawSurface& s, uint32_t value)
{
    s.FillRect(nullptr, value);
}
} // namespace

TEST(DrawSurfaceEffect, PerEffectResultsOnAKeyedRow)
{
    CxDrawSurface src;
    MakeRow(src);
    const uint32_t E = 0xEEEE, M = 0x7777;
    const struct
    {
        const char* name;
        int32_t type;
        uint32_t key;
        uint32_t rows[2][5];
    } cases[] = {
        // Screen door draws where width - i is odd.
        {"screen door", CX_FX_SCREEN_DOOR, 3, {{1, E, E, E, 5}, {6, E, 8, E, 10}}},
        {"recolour key", CX_FX_RECOLOR_KEY, 3, {{1, 2, M, 4, 5}, {6, 7, 8, 9, 10}}},
        {"silhouette", CX_FX_SILHOUETTE, 3, {{M, M, E, M, M}, {M, M, M, M, M}}},
        {"mirror", CX_FX_MIRROR_H, CX_COLOR_NONE, {{5, 4, 3, 2, 1}, {10, 9, 8, 7, 6}}},
        {"hide", CX_FX_HIDE, 3, {{E, E, E, E, E}, {E, E, E, E, E}}},
        {"unknown type: plain copy", 5, 3, {{1, 2, E, 4, 5}, {6, 7, 8, 9, 10}}},
    };
    for (const auto& c : cases)
    {
        CxDrawSurface dst(5, 2, 16, nullptr, CX_PF_565);
        Clear(dst, E);
        ST_BLIT_FX fx;
        fx.nType = c.type;
        fx.nParam = M;
        EXPECT_EQ(src.Draw(&dst, nullptr, nullptr, c.key, &fx), CX_ERR_NONE) << c.name;
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 5; ++x)
                EXPECT_EQ(dst.GetPixel(x, y), c.rows[y][x]) << c.name << " at " << x << "," << y;
    }
    // Clipped on the left, a mirrored picture still shows its own left part.
    ST_BLIT_FX fx;
    fx.nType = CX_FX_MIRROR_H;
    CxDrawSurface narrow(3, 2, 16, nullptr, CX_PF_565);
    src.DrawAt(&narrow, -2, 0, nullptr, CX_COLOR_NONE, &fx);
    for (int32_t x = 0; x < 3; ++x)
        EXPECT_EQ(narrow.GetPixel(x, 0), static_cast<uint32_t>(3 - x));
}

TEST(DrawSurfaceEffect, CopiesAndBlendsOfOnePixelAtEveryDepth)
{
    const struct
    {
        const char* name;
        int32_t sd;
        uint8_t sf;
        uint32_t source;
        int32_t dd;
        uint8_t df;
        uint32_t before;
        int32_t type;
        uint32_t param;
        uint32_t after;
    } cases[] = {
        // Plain copies across depths shift the channels; onto 8 bits the nearest palette entry.
        {"32 to 5-6-5", 32, 0, 0x00FF8040, 16, CX_PF_565, 0, CX_FX_NONE, 0, 0xFC08},
        {"32 to 24", 32, 0, 0x00FF8040, 24, 0, 0, CX_FX_NONE, 0, 0x4080FF},
        {"5-6-5 to 32", 16, CX_PF_565, 0xFC08, 32, 0, 0, CX_FX_NONE, 0, 0x00F88040},
        {"32 to 8", 32, 0, 0x00FE0101, 8, 0, 0, CX_FX_NONE, 0, 249},
        // Per-pixel alpha of 4-4-4-4 onto 5-6-5 blue: alpha 8 of 15 is 136 of 255.
        {"alpha 0 is skipped", 16, CX_PF_4444, 0x0F00, 16, CX_PF_565, 0x001F, CX_FX_ALPHA, 0, 0x001F},
        {"opaque red", 16, CX_PF_4444, 0xFF00, 16, CX_PF_565, 0x001F, CX_FX_ALPHA, 0, 0xF000},
        {"half red", 16, CX_PF_4444, 0x8F00, 16, CX_PF_565, 0x001F, CX_FX_ALPHA, 0, 0x800E},
        {"half green", 16, CX_PF_4444, 0x80F0, 16, CX_PF_565, 0x001F, CX_FX_ALPHA, 0, 0x040E},
        {"no alpha bits: opaque", 16, CX_PF_565, 0xF800, 16, CX_PF_565, 0x001F, CX_FX_ALPHA, 0, 0xF800},
        {"32-bit alpha 0", 32, 0, 0x00FF0000, 32, 0, 0x110000FF, CX_FX_ALPHA, 0, 0x110000FF},
        {"32-bit alpha 128 keeps the destination alpha", 32, 0, 0x80FF0000, 32, 0, 0x110000FF, CX_FX_ALPHA, 0,
         0x1180007F},
        {"opacity 0", 16, CX_PF_565, 0xFFFF, 16, CX_PF_565, 0, CX_FX_OPACITY, 0, 0},
        {"opacity 128", 16, CX_PF_565, 0xFFFF, 16, CX_PF_565, 0, CX_FX_OPACITY, 128, 0x7BEF},
        {"opacity 255", 16, CX_PF_565, 0xFFFF, 16, CX_PF_565, 0, CX_FX_OPACITY, 255, 0xFFFF},
        {"32-bit opacity", 32, 0, 0x00FF0000, 32, 0, 0x110000FF, CX_FX_OPACITY, 51, 0x113300CC},
        // Onto a palettised surface a blend takes the nearest palette entry.
        {"opaque red onto 8 bits", 32, 0, 0x00FF0000, 8, 0, 0, CX_FX_OPACITY, 255, 249},
        {"(128, 0, 0) onto 8 bits", 32, 0, 0x00FF0000, 8, 0, 0, CX_FX_OPACITY, 128, 1},
        // Tint goes halfway toward the colour (0x00RRGGBB), whatever the destination format.
        {"tint red to blue", 16, CX_PF_565, 0xF800, 16, CX_PF_565, 0x0001, CX_FX_TINT, 0x0000FF, 0x780F},
        {"tint onto 32 bits", 16, CX_PF_565, 0xF800, 32, 0, 0, CX_FX_TINT, 0x0000FF, 0x007C007F},
        {"tint onto 24 bits", 32, 0, 0x00FF0000, 24, 0, 0, CX_FX_TINT, 0x00FF00, 0x007F7F},
    };
    for (const auto& c : cases)
    {
        CxDrawSurface src(1, 1, c.sd, nullptr, c.sd == 16 ? c.sf : CX_PF_DEFAULT);
        src.SetPixel(0, 0, c.source);
        CxDrawSurface dst(1, 1, c.dd, nullptr, c.dd == 16 ? c.df : CX_PF_DEFAULT);
        dst.SetPixel(0, 0, c.before);
        ST_BLIT_FX fx;
        fx.nType = c.type;
        fx.nParam = c.param;
        src.Draw(&dst, nullptr, nullptr, CX_COLOR_NONE, &fx);
        EXPECT_EQ(dst.GetPixel(0, 0), c.after) << c.name;
    }
    // The key is not tinted.
    CxDrawSurface src(2, 1, 16, nullptr, CX_PF_565);
    src.SetPixel(1, 0, 0x1234);
    CxDrawSurface dst(2, 1, 16, nullptr, CX_PF_565);
    Clear(dst, 0x0001);
    ST_BLIT_FX fx;
    fx.nType = CX_FX_TINT;
    fx.nParam = 0x0000FF;
    src.Draw(&dst, nullptr, nullptr, 0x1234, &fx);
    EXPECT_EQ(dst.GetPixel(1, 0), 0x0001u);
}

TEST(DrawSurfaceEffect, MirrorTopToBottom)
{
    CxDrawSurface src(2, 4, 16, nullptr, CX_PF_565);
    for (int32_t y = 0; y < 4; ++y)
    {
        const CxRect row(0, y, 1, y);
        src.FillRect(&row, static_cast<uint32_t>(y + 1));
    }
    CxDrawSurface dst(2, 4, 16, nullptr, CX_PF_565);
    ST_BLIT_FX fx;
    fx.nType = CX_FX_MIRROR_V;
    src.Draw(&dst, nullptr, nullptr, CX_COLOR_NONE, &fx);
    for (int32_t y = 0; y < 4; ++y)
        EXPECT_EQ(dst.GetPixel(0, y), static_cast<uint32_t>(4 - y));
    // Destination row k of a rectangle starting at source row 1 receives source
    // row (height - 1 - 1 - k).
    CxDrawSurface part(2, 2, 16, nullptr, CX_PF_565);
    const CxRect s(0, 1, 1, 2);
    src.DrawAt(&part, 0, 0, &s, CX_COLOR_NONE, &fx);
    EXPECT_EQ(part.GetPixel(0, 0), 3u);
    EXPECT_EQ(part.GetPixel(0, 1), 2u);
}

TEST(DrawSurfaceEffect, DrawThroughAMask)
{
    CxDrawSurface src;
    MakeRow(src);
    CxDrawSurface dst(6, 2, 16, nullptr, CX_PF_565);
    Clear(dst, 0xEEEE);
    // The mask covers destination columns 0-3 of row 0 only; 0 is its transparent colour.
    CxDrawSurface mask(4, 1, 8);
    mask.SetPixel(0, 0, 1);
    mask.SetPixel(1, 0, 0);
    mask.SetPixel(2, 0, 1);
    mask.SetPixel(3, 0, 1);
    mask.SetTransparentColor(0);
    ST_BLIT_FX fx;
    fx.nType = CX_FX_MASK;
    fx.SetSurface(&mask);
    src.DrawAt(&dst, 1, 0, nullptr, 3, &fx);
    // Destination x = 1..5 shows source 1..5; x = 1 is the mask's hole, x = 3 the
    // source key, x >= 4 is off the mask, row 1 is off the mask.
    const uint32_t row0[6] = {0xEEEE, 0xEEEE, 2, 0xEEEE, 0xEEEE, 0xEEEE};
    for (int32_t x = 0; x < 6; ++x)
        EXPECT_EQ(dst.GetPixel(x, 0), row0[x]) << x;
    EXPECT_EQ(dst.GetPixel(2, 1), 0xEEEEu);

    Clear(dst, 0xEEEE);
    fx.nType = CX_FX_MASK_COLOR;
    fx.nColor = 0x4444;
    src.DrawAt(&dst, 1, 0, nullptr, 3, &fx);
    EXPECT_EQ(dst.GetPixel(2, 0), 0x4444u);
    EXPECT_EQ(dst.GetPixel(1, 0), 0xEEEEu);
    fx.nColor = CX_COLOR_NONE;
    src.DrawAt(&dst, 0, 0, nullptr, 3, &fx);
    EXPECT_EQ(dst.GetPixel(0, 0), 1u);
}

namespace {
struct CallRecord
{
    int calls = 0;
    CxDrawSurface* source = nullptr;
    CxDrawSurface* destination = nullptr;
    CxRect dest;
    CxRect src;
    uint32_t key = 0;
    bool locked = false;
};
CallRecord s_Call;

uint32_t RecordCall(CxDrawSurface* source, CxDrawSurface* destination, const CxRect& destRect,
                    const CxRect& sourceRect, uint32_t key, const ST_BLIT_FX*)
{
    ++s_Call.calls;
    s_Call.source = source;
    s_Call.destination = destination;
    s_Call.dest = destRect;
    s_Call.src = sourceRect;
    s_Call.key = key;
    s_Call.locked = source->IsLocked() && destination->IsLocked() && destination->GetBits() != nullptr;
    return 0;
}
} // namespace

TEST(DrawSurfaceEffect, CallbackInsteadOfDrawingAndSurfacesWithErrorsDrawNothing)
{
    CxDrawSurface src;
    MakeRow(src);
    src.SetTransparentColor(3);
    CxDrawSurface dst(4, 4, 16, nullptr, CX_PF_565);
    ST_BLIT_FX fx;
    fx.nType = CX_FX_CALLBACK;
    fx.SetFunction(&RecordCall);
    s_Call = CallRecord();
    src.DrawAt(&dst, -1, 1, nullptr, CX_COLOR_NONE, &fx);
    EXPECT_EQ(s_Call.calls, 1);
    EXPECT_EQ(s_Call.source, &src);
    EXPECT_EQ(s_Call.destination, &dst);
    EXPECT_EQ(s_Call.dest, CxRect(0, 1, 3, 2));
    EXPECT_EQ(s_Call.src, CxRect(1, 0, 4, 1));
    EXPECT_EQ(s_Call.key, 3u);
    EXPECT_TRUE(s_Call.locked);
    EXPECT_FALSE(src.IsLocked());
    for (uint8_t b : Pixels(dst))
        EXPECT_EQ(b, 0);
    ErrorCapture quiet(0);
    CxDrawSurface failed(5, 2, 16, nullptr, CX_PF_565);
    failed.SetError(CX_ERR_UNKNOWN, "test");
    src.Draw(&failed);
    failed.ClearError();
    for (uint8_t b : Pixels(failed))
        EXPECT_EQ(b, 0);
}
