// CxDrawSurface: memory layout, raw values, formats, creation, copies.
#include "engine/graphics/draw_surface.h"

#include "engine/core/memory.h"
#include "tests/engine/graphics/surface_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace surface_test;

namespace {
// Restores the program-wide default 16-bit format after a test changes it.
struct DefaultFormatGuard
{
    uint8_t saved = CxDrawSurface::GetDefaultFormat16();
    ~DefaultFormatGuard() { CxDrawSurface::SetDefaultFormat16(saved); }
};
} // namespace

// Pitch and creation

TEST(DrawSurfaceCreate, PitchSizeAndDestruction)
{
    // Rows are whole bytes, and sub-byte rows whole 16-bit words.
    const int32_t pitches[][3] = {{10, 1, 2},  {16, 1, 2},   {5, 2, 2},    {3, 4, 2},
                                  {10, 8, 10}, {10, 16, 20}, {10, 24, 30}, {10, 32, 40}};
    for (const auto& p : pitches)
        EXPECT_EQ(CxDrawSurface(p[0], 3, p[1]).GetPitch(), p[2]) << p[0] << " x " << p[1];
    CxDrawSurface s;
    EXPECT_EQ(s.CreateSurface(10, 3, 8, 16), CX_ERR_NONE);
    EXPECT_EQ(s.GetPitch(), 16);
    EXPECT_EQ(s.GetBitsSize(), 48u);
    EXPECT_EQ(s.GetRect(), CxRect(0, 0, 9, 2));
    s.DestroySurface();
    EXPECT_FALSE(s.IsCreated());
    s.SetPixel(0, 0, 1);
    EXPECT_EQ(s.GetPixel(0, 0), 0u);
    EXPECT_EQ(s.GetBits(), nullptr);
}

TEST(DrawSurfaceCreate, MemoryComesFromTheEngineAllocator)
{
    const uint64_t before = GetMemoryInUse();
    {
        CxDrawSurface s(100, 100, 16);
        EXPECT_GE(GetMemoryInUse(), before + 20000);
    }
    EXPECT_EQ(GetMemoryInUse(), before);
}

TEST(DrawSurfaceCreate, InvalidArgumentsAndAllocationFailuresAreRefused)
{
    ErrorCapture quiet(0);
    CxDrawSurface s;
    EXPECT_EQ(s.CreateSurface(10, 10, 12), CX_ERR_INVALID_ARGUMENT);
    EXPECT_FALSE(s.IsCreated());
    // A surface with an error does nothing until the error is cleared.
    EXPECT_EQ(s.CreateSurface(10, 10, 8), CX_ERR_INVALID_ARGUMENT);
    s.ClearError();
    EXPECT_EQ(s.CreateSurface(10, 10, 8), CX_ERR_NONE);
    SetMemoryBudget(GetMemoryInUse() + 1000);
    CxDrawSurface big;
    EXPECT_EQ(big.CreateSurface(100, 100, 16), CX_ERR_OUT_OF_MEMORY);
    SetMemoryBudget(CX_MEMORY_UNLIMITED);
    EXPECT_FALSE(big.IsCreated());
}

// Pixel layout of every depth

TEST(DrawSurfaceLayout, PixelsSitWhereEachDepthPutsThem)
{
    const struct
    {
        int32_t depth, x, y;
        uint32_t value;
        std::vector<uint8_t> bytes; // the bytes of a 10 x 2 surface after the write
    } cases[] = {
        // Sub-byte depths pack from the top bits.
        {1, 3, 0, 1, {0x10, 0, 0, 0}},
        {1, 9, 0, 1, {0, 0x40, 0, 0}},
        {1, 7, 1, 1, {0, 0, 0x01, 0}},
        {2, 1, 0, 2, {0x20, 0, 0, 0, 0, 0}},
        {2, 4, 1, 3, {0, 0, 0, 0, 0xC0, 0}},
        {4, 0, 0, 0xA, {0xA0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {4, 1, 0, 0x5, {0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {16, 1, 0, 0xBEEF, {0, 0, 0xEF, 0xBE}},
        {24, 1, 0, 0x102030, {0, 0, 0, 0x10, 0x20, 0x30}},
        {32, 1, 0, 0x11223344, {0, 0, 0, 0, 0x44, 0x33, 0x22, 0x11}},
    };
    for (const auto& c : cases)
    {
        CxDrawSurface s(10, 2, c.depth);
        s.SetPixel(c.x, c.y, c.value);
        const std::vector<uint8_t> all = Pixels(s);
        EXPECT_EQ(std::vector<uint8_t>(all.begin(), all.begin() + c.bytes.size()), c.bytes) << c.depth;
        EXPECT_EQ(s.GetPixel(c.x, c.y), c.value) << c.depth;
        EXPECT_EQ(CountValue(s, c.value), 1) << c.depth;
        s.SetPixel(c.x, c.y, 0);
        EXPECT_EQ(CountValue(s, 0), 20) << c.depth;
    }
    CxDrawSurface s(20, 4, 24);
    s.Lock();
    EXPECT_EQ(s.GetPixelAddressRaw(5, 2), s.GetBits() + 15 + 2 * 60);
    s.Unlock();
}

// Raw value rules

TEST(DrawSurfaceRaw, ChannelsOfEveryFormat)
{
    const struct
    {
        int32_t depth;
        uint8_t format;
        uint32_t raw;
        int32_t red, green, blue;
    } cases[] = {
        {16, CX_PF_565, 0xF800, 0xF8, 0, 0},
        {16, CX_PF_565, 0x07E0, 0, 0xFC, 0},
        {16, CX_PF_565, 0x001F, 0, 0, 0xF8},
        {16, CX_PF_555, 0x7C00, 0xF8, 0, 0},
        {16, CX_PF_555, 0x03E0, 0, 0xF8, 0},
        {16, CX_PF_556, 0x003F, 0, 0, 0xFC},
        {16, CX_PF_655, 0xFC00, 0xFC, 0, 0},
        {16, CX_PF_4444, 0x1234, 0x20, 0x30, 0x40},
        {16, 9, 0x7C00, 0xF8, 0, 0},                 // codes above 8 keep the widths
        {24, CX_PF_888, 0x102030, 0x30, 0x20, 0x10}, // blue, green, red in memory
        {32, CX_PF_888, 0x80123456, 0x12, 0x34, 0x56},
    };
    for (const auto& c : cases)
    {
        CxDrawSurface s(1, 1, c.depth);
        if (c.depth == 16)
        {
            s.SetPixelFormat(CX_PF_555);
            s.SetPixelFormat(c.format);
        }
        s.SetPixel(0, 0, c.raw);
        EXPECT_EQ(s.GetRed(0, 0), c.red) << c.depth << "/" << int(c.format) << " " << c.raw;
        EXPECT_EQ(s.GetGreen(0, 0), c.green) << c.depth << "/" << int(c.format) << " " << c.raw;
        EXPECT_EQ(s.GetBlue(0, 0), c.blue) << c.depth << "/" << int(c.format) << " " << c.raw;
    }
    // MakeColor puts red on top at every depth, unlike the 24-bit raw value.
    CxDrawSurface s(1, 1, 16, nullptr, CX_PF_565);
    EXPECT_EQ(s.MakeColor(0xFF, 0x80, 0x08), 0xFC01u);
    s.SetPixelFormat(CX_PF_555);
    EXPECT_EQ(s.MakeColor(0xFF, 0xFF, 0xFF), 0x7FFFu);
    EXPECT_EQ(CxDrawSurface(1, 1, 24).MakeColor(0x12, 0x34, 0x56), 0x123456u);
    EXPECT_EQ(CxDrawSurface(1, 1, 32).MakeColor(0x12, 0x34, 0x56), 0x123456u);
}

TEST(DrawSurfaceRaw, PalettisedReadsThroughThePaletteAndOutsideReadsZero)
{
    CxDrawSurface s(2, 1, 8);
    EXPECT_EQ(s.GetPixelFormat(), CX_PF_PALETTE);
    s.SetPixel(0, 0, 249);
    EXPECT_EQ(s.GetRed(0, 0), 255);
    EXPECT_EQ(s.GetGreen(0, 0), 0);
    EXPECT_EQ(s.MakeColor(1, 2, 3), 0u);
    CxDrawSurface s4(2, 1, 4);
    s4.SetPixel(1, 0, 7);
    EXPECT_EQ(s4.GetRed(1, 0), 192);
    // Outside the surface reads give zero and writes nothing.
    CxDrawSurface t(4, 4, 8, nullptr);
    t.FillRect(nullptr, 9);
    EXPECT_EQ(t.GetPixel(-1, 0), 0u);
    EXPECT_EQ(t.GetPixel(4, 0), 0u);
    t.SetPixel(4, 0, 1);
    t.SetPixel(-1, 1, 1);
    t.SetPixel(0, 4, 1);
    for (uint8_t b : Pixels(t))
        EXPECT_EQ(b, 9);
}

// Formats and the default palette

TEST(DrawSurfaceFormat, DefaultFormatAndPalette)
{
    DefaultFormatGuard guard;
    CxDrawSurface::SetDefaultFormat16(0);
    CxDrawSurface s16(1, 1, 16);
    EXPECT_EQ(s16.GetPixelFormat(), CX_PF_555);
    CxDrawSurface::SetDefaultFormat16(CX_PF_565);
    s16.SetPixelFormat(CX_PF_DEFAULT);
    EXPECT_EQ(s16.GetPixelFormat(), CX_PF_565);
    EXPECT_EQ(s16.GetGreenBits(), 6);
    EXPECT_EQ(memcmp(CxDrawSurface().GetPalette(), CxDrawSurface::GetDefaultPalette(), 768), 0);
}

TEST(DrawSurfaceFormat, PaletteTable16FollowsTheFormatAndGoesWithANewPalette)
{
    CxDrawSurface s(1, 1, 8);
    EXPECT_EQ(s.GetPaletteTable16(), nullptr);
    const struct
    {
        uint8_t format, index;
        uint16_t value;
    } cases[] = {{CX_PF_565, 249, 0xF800}, {CX_PF_565, 250, 0x07E0}, {CX_PF_565, 255, 0xFFFF},
                 {CX_PF_555, 250, 0x03E0}, {CX_PF_556, 252, 0x003F}, {CX_PF_655, 249, 0xFC00}};
    for (const auto& c : cases)
    {
        s.BuildPaletteTable16(c.format);
        ASSERT_NE(s.GetPaletteTable16(), nullptr);
        EXPECT_EQ(s.GetPaletteTable16()[c.index], c.value) << int(c.format) << " " << int(c.index);
    }
    s.SetPalette(s.GetPalette());
    EXPECT_EQ(s.GetPaletteTable16(), nullptr);
    CxDrawSurface t(1, 1, 16, nullptr, CX_PF_565);
    EXPECT_EQ(t.ColorFromPaletteIndex(249), 0xF800u);
    EXPECT_EQ(t.ColorFromPaletteIndex(8), t.MakeColor(192, 220, 192));
    EXPECT_EQ(t.ColorFromPaletteIndex(256), 0u);
    CxDrawSurface s8(1, 1, 8);
    EXPECT_EQ(s8.ColorFromPaletteIndex(255), 0u);
}

// Flags, user value, name

TEST(DrawSurfaceFlags, UserFlagsCannotTouchTheCreatedFlag)
{
    CxDrawSurface s(2, 2, 8);
    EXPECT_EQ(s.SetUserFlags(0xFFFFFFFF), CX_SURFACE_CREATED);
    EXPECT_EQ(s.GetUserFlags(), CX_SURFACE_USER_MASK);
    EXPECT_TRUE(s.IsCreated());
    EXPECT_TRUE(s.HasUserFlags(0x5));
    s.SetUserFlags(0x4);
    EXPECT_FALSE(s.HasUserFlags(0x5));
}

// Copies

TEST(DrawSurfaceCopy, CopyFromTakesEverything)
{
    CxDrawSurface src;
    src.CreateSurface(9, 4, 16, 20);
    src.SetPixelFormat(CX_PF_4444);
    src.SetTransparentColor(0x1234);
    src.SetUserValue(77);
    uint8_t palette[768];
    for (int i = 0; i < 768; ++i)
        palette[i] = static_cast<uint8_t>(i * 7);
    src.SetPalette(palette);
    FillRandom(src, 3);
    src.Lock();
    src.GetBits()[18] = 0xAB; // row padding travels too
    src.Unlock();

    CxDrawSurface copy;
    copy.CopyFrom(&src);
    CxDrawSurface constructed(src);
    for (CxDrawSurface* c : {&copy, &constructed})
    {
        EXPECT_EQ(c->GetSize(), CxSize(9, 4));
        EXPECT_EQ(c->GetPitch(), 20);
        EXPECT_EQ(c->GetPixelFormat(), CX_PF_4444);
        EXPECT_EQ(c->GetTransparentColor(), 0x1234u);
        EXPECT_EQ(c->GetUserValue(), 77);
        EXPECT_EQ(memcmp(c->GetPalette(), palette, 768), 0);
    }
    src.Lock();
    copy.Lock();
    EXPECT_EQ(memcmp(copy.GetBits(), src.GetBits(), 80), 0);
    copy.Unlock();
    src.Unlock();
    CxDrawSurface b;
    b.CreateSurface(9, 4, 16, 20);
    src.CopyPixelsTo(&b);
    EXPECT_EQ(Pixels(b), Pixels(src));
}

TEST(DrawSurfaceCopy, ExtractCopiesTheRectangleExactly)
{
    const struct
    {
        int32_t width, depth;
        CxRect rect;
    } cases[] = {{10, 16, CxRect(2, 1, 6, 4)}, {10, 8, CxRect(0, 0, 9, 7)}, {13, 1, CxRect(3, 1, 11, 2)}};
    for (const auto& c : cases)
    {
        CxDrawSurface src(c.width, 8, c.depth, nullptr, c.depth == 16 ? CX_PF_565 : CX_PF_DEFAULT);
        uint8_t palette[768] = {};
        palette[3] = 99;
        src.SetPalette(palette);
        FillRandom(src, 11 + c.depth);
        std::unique_ptr<CxDrawSurface> part(src.Extract(c.rect));
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(part->GetSize(), CxSize(c.rect.Width(), c.rect.Height())) << c.depth;
        EXPECT_EQ(part->GetPixelFormat(), src.GetPixelFormat());
        if (c.depth == 8)
        {
            EXPECT_EQ(part->GetPalette()[3], 99);
        }
        for (int32_t y = 0; y < c.rect.Height(); ++y)
            for (int32_t x = 0; x < c.rect.Width(); ++x)
                ASSERT_EQ(part->GetPixel(x, y), src.GetPixel(x + c.rect.left, y + c.rect.top)) << c.depth;
    }
}

// External bits

TEST(DrawSurfaceExternal, WritesGoToTheOwnersMemoryAndOwnMemoryComesBack)
{
    std::vector<uint8_t> block(4 * 3 * 2 + 32, 0xAA);
    uint8_t* pixels = block.data() + 16;
    memset(pixels, 0, 24);
    {
        CxDrawSurface s(4, 3, 16, pixels, CX_PF_565);
        EXPECT_TRUE(s.HasExternalBits());
        EXPECT_TRUE(s.IsCreated());
        EXPECT_EQ(s.GetBits(), pixels);
        s.SetPixel(1, 1, 0xABCD);
        EXPECT_EQ(pixels[8 + 2], 0xCD);
        EXPECT_EQ(pixels[8 + 3], 0xAB);
        s.FillRect(nullptr, 0x1111);
        s.DrawLine(-5, -5, 10, 10, 0x2222);
        s.DrawCircle(0, 0, 6, 0x3333);
        // Purging an external surface keeps the owner's memory as it is.
        EXPECT_TRUE(CxCachedObject::PurgeCache(1));
        EXPECT_EQ(s.GetPixel(0, 2), 0x1111u);
        s.DestroySurface();
        EXPECT_EQ(s.GetBits(), pixels);
    }
    // Destruction neither freed the block nor wrote outside it.
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(block[i], 0xAA);
        EXPECT_EQ(block[16 + 24 + i], 0xAA);
    }
    EXPECT_EQ(pixels[0], 0x22); // the line passed through (0, 0)
    CxDrawSurface t(2, 2, 8);
    t.SetPixel(0, 0, 5);
    uint8_t mine[4] = {1, 2, 3, 4};
    t.SetExternalBits(true);
    EXPECT_TRUE(t.HasExternalBits());
    t.SetBits(mine);
    EXPECT_EQ(t.GetPixel(1, 1), 4u);
    t.SetPixel(0, 1, 9);
    EXPECT_EQ(mine[2], 9);
    t.SetExternalBits(false);
    // Own (fresh, cleared) memory again.
    EXPECT_EQ(t.GetPixel(1, 1), 0u);
    EXPECT_NE(t.GetBits(), mine);
}

// Counting and searching

TEST(DrawSurfaceCount, CountColorsPixelsAndFind)
{
    CxDrawSurface s(5, 4, 16);
    s.FillRect(nullptr, 0x10);
    s.SetPixel(1, 1, 0x20);
    s.SetPixel(3, 2, 0x20);
    s.SetPixel(4, 3, 0x30);
    EXPECT_EQ(s.CountColors(), 3u);
    EXPECT_EQ(s.CountPixels(0x20), 2u);
    EXPECT_EQ(s.CountPixels(0x10), 17u);
    // Each row is searched from the start column: (3, 2) is found from column 2 on.
    const int32_t finds[][5] = {{-3, -1, 1, 1, 1}, {2, 2, 1, 3, 2}, {4, 0, 0, 4, 0}};
    for (const auto& f : finds)
    {
        int32_t x = f[0], y = f[1];
        EXPECT_EQ(s.FindPixel(0x20, &x, &y), f[2]) << f[0] << "," << f[1];
        EXPECT_EQ(x, f[3]);
        EXPECT_EQ(y, f[2] ? f[4] : f[1]);
    }

    CxDrawSurface s32(3, 1, 32);
    s32.SetPixel(0, 0, 0x01ABCDEF);
    s32.SetPixel(1, 0, 0x02ABCDEF); // the same low 24 bits
    s32.SetPixel(2, 0, 0x00000001);
    EXPECT_EQ(s32.CountColors(), 2u);
    EXPECT_EQ(s32.CountPixels(1), 0u);

    CxDrawSurface s1(9, 2, 1);
    s1.SetPixel(8, 1, 1);
    EXPECT_EQ(s1.CountColors(), 2u);
}
