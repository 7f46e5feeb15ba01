// CxDrawSurface: memory layout, raw values, formats, creation, copies.
#include "engine/graphics/draw_surface.h"

#include "engine/core/memory.h"
#include "tests/engine/graphics/surface_test_util.h"

#include <gtest/gtest.h>

#include <cstring>
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

// ---------------------------------------------------------------------------
// Pitch and creation

TEST(DrawSurfaceCreate, PitchRules)
{
    CxDrawSurface one(10, 3, 1);
    EXPECT_EQ(one.GetPitch(), 2);
    CxDrawSurface oneAligned(16, 3, 1);
    EXPECT_EQ(oneAligned.GetPitch(), 2);
    CxDrawSurface two(5, 3, 2);
    EXPECT_EQ(two.GetPitch(), 2);
    CxDrawSurface four(3, 3, 4);
    EXPECT_EQ(four.GetPitch(), 2);
    CxDrawSurface eight(10, 3, 8);
    EXPECT_EQ(eight.GetPitch(), 10);
    CxDrawSurface sixteen(10, 3, 16);
    EXPECT_EQ(sixteen.GetPitch(), 20);
    CxDrawSurface twentyFour(10, 3, 24);
    EXPECT_EQ(twentyFour.GetPitch(), 30);
    CxDrawSurface thirtyTwo(10, 3, 32);
    EXPECT_EQ(thirtyTwo.GetPitch(), 40);

    CxDrawSurface explicitPitch;
    EXPECT_EQ(explicitPitch.CreateSurface(10, 3, 8, 16), CX_ERR_NONE);
    EXPECT_EQ(explicitPitch.GetPitch(), 16);
    EXPECT_EQ(explicitPitch.GetBitsSize(), 48u);
}

TEST(DrawSurfaceCreate, CreatedFlagSizeAndRect)
{
    CxDrawSurface s;
    EXPECT_FALSE(s.IsCreated());
    EXPECT_EQ(s.GetPixel(0, 0), 0u);
    EXPECT_EQ(s.CreateSurface(7, 5, 16), CX_ERR_NONE);
    EXPECT_TRUE(s.IsCreated());
    EXPECT_TRUE(s.GetFlags() & CX_SURFACE_CREATED);
    EXPECT_EQ(s.GetSize(), CxSize(7, 5));
    EXPECT_EQ(s.GetRect(), CxRect(0, 0, 6, 4));
    EXPECT_EQ(s.GetBitsSize(), 70u);
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

TEST(DrawSurfaceCreate, InvalidArgumentsAreRefused)
{
    QuietErrors quiet;
    CxDrawSurface s;
    EXPECT_EQ(s.CreateSurface(10, 10, 12), CX_ERR_INVALID_ARGUMENT);
    EXPECT_FALSE(s.IsCreated());
    // A surface with an error does nothing until the error is cleared.
    EXPECT_EQ(s.CreateSurface(10, 10, 8), CX_ERR_INVALID_ARGUMENT);
    s.ClearError();
    EXPECT_EQ(s.CreateSurface(10, 10, 8), CX_ERR_NONE);
}

TEST(DrawSurfaceCreate, AllocationFailureReportsErrorOne)
{
    QuietErrors quiet;
    SetMemoryBudget(GetMemoryInUse() + 1000);
    CxDrawSurface s;
    EXPECT_EQ(s.CreateSurface(100, 100, 16), CX_ERR_OUT_OF_MEMORY);
    SetMemoryBudget(CX_MEMORY_UNLIMITED);
    EXPECT_FALSE(s.IsCreated());
}

// ---------------------------------------------------------------------------
// Pixel layout of every depth

TEST(DrawSurfaceLayout, Depth1PacksFromTheTopBit)
{
    CxDrawSurface s(10, 2, 1);
    s.SetPixel(0, 0, 1);
    s.SetPixel(3, 0, 1);
    s.SetPixel(9, 0, 1);
    s.SetPixel(7, 1, 1);
    s.Lock();
    const uint8_t* b = s.GetBits();
    EXPECT_EQ(b[0], 0x90); // pixels 0 and 3: bits 7 and 4
    EXPECT_EQ(b[1], 0x40); // pixel 9: bit 6 of the second byte
    EXPECT_EQ(b[2], 0x01); // row 1, pixel 7: bit 0
    EXPECT_EQ(s.GetPixelAddress(9, 1), b + 3);
    s.Unlock();
    EXPECT_EQ(s.GetPixel(3, 0), 1u);
    EXPECT_EQ(s.GetPixel(4, 0), 0u);
    s.SetPixel(3, 0, 0);
    EXPECT_EQ(s.GetPixel(3, 0), 0u);
    EXPECT_EQ(s.GetPixel(0, 0), 1u);
}

TEST(DrawSurfaceLayout, Depth2PacksFromTheTopBits)
{
    CxDrawSurface s(5, 1, 2);
    s.SetPixel(0, 0, 1);
    s.SetPixel(1, 0, 2);
    s.SetPixel(2, 0, 3);
    s.SetPixel(3, 0, 0);
    s.SetPixel(4, 0, 3);
    s.Lock();
    EXPECT_EQ(s.GetBits()[0], 0x6C); // 01 10 11 00
    EXPECT_EQ(s.GetBits()[1], 0xC0);
    s.Unlock();
    EXPECT_EQ(s.GetPixel(1, 0), 2u);
    EXPECT_EQ(s.GetPixel(4, 0), 3u);
}

TEST(DrawSurfaceLayout, Depth4EvenIsHighNibble)
{
    CxDrawSurface s(3, 1, 4);
    s.SetPixel(0, 0, 0xA);
    s.SetPixel(1, 0, 0x5);
    s.SetPixel(2, 0, 0xF);
    s.Lock();
    EXPECT_EQ(s.GetBits()[0], 0xA5);
    EXPECT_EQ(s.GetBits()[1], 0xF0);
    s.Unlock();
    EXPECT_EQ(s.GetPixel(2, 0), 0xFu);
}

TEST(DrawSurfaceLayout, Depth8To32)
{
    CxDrawSurface s8(4, 2, 8);
    s8.SetPixel(2, 1, 0x7F);
    s8.Lock();
    EXPECT_EQ(s8.GetBits()[4 + 2], 0x7F);
    s8.Unlock();

    CxDrawSurface s16(4, 2, 16);
    s16.SetPixel(1, 1, 0xBEEF);
    s16.Lock();
    EXPECT_EQ(s16.GetBits()[8 + 2], 0xEF);
    EXPECT_EQ(s16.GetBits()[8 + 3], 0xBE);
    s16.Unlock();
    EXPECT_EQ(s16.GetPixel(1, 1), 0xBEEFu);

    CxDrawSurface s24(4, 2, 24);
    s24.SetPixel(1, 1, 0x102030);
    s24.Lock();
    const uint8_t* p = s24.GetBits() + 12 + 3;
    EXPECT_EQ(p[0], 0x10);
    EXPECT_EQ(p[1], 0x20);
    EXPECT_EQ(p[2], 0x30);
    s24.Unlock();

    CxDrawSurface s32(4, 2, 32);
    s32.SetPixel(3, 0, 0x11223344);
    s32.Lock();
    EXPECT_EQ(s32.GetBits()[12], 0x44);
    EXPECT_EQ(s32.GetBits()[15], 0x11);
    s32.Unlock();
    EXPECT_EQ(s32.GetPixel(3, 0), 0x11223344u);
}

TEST(DrawSurfaceLayout, GetPixelAddressRawIsDepthTimesXOverEight)
{
    CxDrawSurface s(20, 4, 24);
    s.Lock();
    EXPECT_EQ(s.GetPixelAddressRaw(5, 2), s.GetBits() + 15 + 2 * 60);
    const ST_POINT p{5, 2};
    EXPECT_EQ(s.GetPixelAddress(p), s.GetPixelAddressRaw(5, 2));
    s.Unlock();
}

// ---------------------------------------------------------------------------
// Raw value rules

TEST(DrawSurfaceRaw, Depth24ReadsBlueGreenRed)
{
    CxDrawSurface s(2, 1, 24);
    s.Lock();
    s.GetBits()[0] = 0x10;
    s.GetBits()[1] = 0x20;
    s.GetBits()[2] = 0x30;
    s.Unlock();
    EXPECT_EQ(s.GetPixel(0, 0), 0x102030u);
    EXPECT_EQ(s.GetRed(0, 0), 0x30);
    EXPECT_EQ(s.GetGreen(0, 0), 0x20);
    EXPECT_EQ(s.GetBlue(0, 0), 0x10);
}

TEST(DrawSurfaceRaw, Depth16ChannelWidths)
{
    DefaultFormatGuard guard;
    CxDrawSurface s(1, 1, 16, nullptr, CX_PF_565);
    EXPECT_EQ(s.GetRedBits(), 5);
    EXPECT_EQ(s.GetGreenBits(), 6);
    EXPECT_EQ(s.GetBlueBits(), 5);
    EXPECT_EQ(s.GetAlphaBits(), 0);
    s.SetPixel(0, 0, 0xF800);
    EXPECT_EQ(s.GetRed(0, 0), 0xF8);
    EXPECT_EQ(s.GetGreen(0, 0), 0);
    s.SetPixel(0, 0, 0x07E0);
    EXPECT_EQ(s.GetGreen(0, 0), 0xFC);
    s.SetPixel(0, 0, 0x001F);
    EXPECT_EQ(s.GetBlue(0, 0), 0xF8);
    EXPECT_EQ(s.MakeColor(0xFF, 0x80, 0x08), 0xFC01u);

    s.SetPixelFormat(CX_PF_555);
    s.SetPixel(0, 0, 0x7C00);
    EXPECT_EQ(s.GetRed(0, 0), 0xF8);
    s.SetPixel(0, 0, 0x03E0);
    EXPECT_EQ(s.GetGreen(0, 0), 0xF8);
    EXPECT_EQ(s.MakeColor(0xFF, 0xFF, 0xFF), 0x7FFFu);

    s.SetPixelFormat(CX_PF_556);
    EXPECT_EQ(s.GetBlueBits(), 6);
    s.SetPixel(0, 0, 0x003F);
    EXPECT_EQ(s.GetBlue(0, 0), 0xFC);
    EXPECT_EQ(s.GetGreen(0, 0), 0);

    s.SetPixelFormat(CX_PF_655);
    EXPECT_EQ(s.GetRedBits(), 6);
    s.SetPixel(0, 0, 0xFC00);
    EXPECT_EQ(s.GetRed(0, 0), 0xFC);

    s.SetPixelFormat(CX_PF_4444);
    EXPECT_EQ(s.GetAlphaBits(), 4);
    s.SetPixel(0, 0, 0x1234);
    EXPECT_EQ(s.GetRed(0, 0), 0x20);
    EXPECT_EQ(s.GetGreen(0, 0), 0x30);
    EXPECT_EQ(s.GetBlue(0, 0), 0x40);

    s.SetPixelFormat(CX_PF_555_ALT);
    EXPECT_EQ(s.GetRedBits(), 5);
    EXPECT_EQ(s.GetGreenBits(), 5);
    // Codes above 8 keep the widths.
    s.SetPixelFormat(9);
    EXPECT_EQ(s.GetPixelFormat(), 9);
    EXPECT_EQ(s.GetRedBits(), 5);
}

TEST(DrawSurfaceRaw, Depth32IsRgbWithAlphaOnTop)
{
    CxDrawSurface s(1, 1, 32);
    EXPECT_EQ(s.GetPixelFormat(), CX_PF_888);
    EXPECT_EQ(s.GetAlphaBits(), 8);
    s.SetPixel(0, 0, 0x80123456);
    EXPECT_EQ(s.GetRed(0, 0), 0x12);
    EXPECT_EQ(s.GetGreen(0, 0), 0x34);
    EXPECT_EQ(s.GetBlue(0, 0), 0x56);
    EXPECT_EQ(s.MakeColor(0x12, 0x34, 0x56), 0x123456u);
    CxDrawSurface s24(1, 1, 24);
    EXPECT_EQ(s24.GetAlphaBits(), 0);
    // MakeColor puts red on top at every depth, unlike the 24-bit raw value.
    EXPECT_EQ(s24.MakeColor(0x12, 0x34, 0x56), 0x123456u);
}

TEST(DrawSurfaceRaw, PalettisedReadsThroughThePalette)
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
}

TEST(DrawSurfaceRaw, OutsideReadsZeroAndWritesNothing)
{
    CxDrawSurface s(4, 4, 8, nullptr);
    s.FillRect(nullptr, 9);
    EXPECT_EQ(s.GetPixel(-1, 0), 0u);
    EXPECT_EQ(s.GetPixel(4, 0), 0u);
    s.SetPixel(4, 0, 1);
    s.SetPixel(-1, 1, 1);
    s.SetPixel(0, 4, 1);
    for (uint8_t b : Pixels(s))
        EXPECT_EQ(b, 9);
}

// ---------------------------------------------------------------------------
// Formats and the default palette

TEST(DrawSurfaceFormat, DefaultCodes)
{
    DefaultFormatGuard guard;
    CxDrawSurface::SetDefaultFormat16(0);
    CxDrawSurface s16(1, 1, 16);
    EXPECT_EQ(s16.GetPixelFormat(), CX_PF_555);
    s16.SetPixelFormat(CX_PF_DEFAULT);
    EXPECT_EQ(s16.GetPixelFormat(), CX_PF_555);
    CxDrawSurface::SetDefaultFormat16(CX_PF_565);
    EXPECT_EQ(CxDrawSurface::GetDefaultFormat16(), CX_PF_565);
    s16.SetPixelFormat(CX_PF_DEFAULT);
    EXPECT_EQ(s16.GetPixelFormat(), CX_PF_565);
    EXPECT_EQ(s16.GetGreenBits(), 6);
    CxDrawSurface s4(1, 1, 4);
    EXPECT_EQ(s4.GetPixelFormat(), CX_PF_PALETTE);
    EXPECT_EQ(s4.GetRedBits(), 0);
    CxDrawSurface s24(1, 1, 24);
    EXPECT_EQ(s24.GetPixelFormat(), CX_PF_888);
}

TEST(DrawSurfaceFormat, DefaultPalette)
{
    CxDrawSurface s;
    const uint8_t* p = s.GetPalette();
    EXPECT_EQ(memcmp(p, CxDrawSurface::GetDefaultPalette(), 768), 0);
    const uint8_t expect[][4] = {{0, 0, 0, 0},         {1, 128, 0, 0},       {7, 192, 192, 192},
                                 {8, 192, 220, 192},   {9, 166, 202, 240},   {10, 10, 10, 10},
                                 {100, 100, 100, 100}, {245, 245, 245, 245}, {246, 255, 251, 240},
                                 {247, 160, 160, 164}, {248, 128, 128, 128}, {249, 255, 0, 0},
                                 {252, 0, 0, 255},     {255, 255, 255, 255}};
    for (const auto& e : expect)
    {
        EXPECT_EQ(p[e[0] * 3], e[1]) << int(e[0]);
        EXPECT_EQ(p[e[0] * 3 + 1], e[2]) << int(e[0]);
        EXPECT_EQ(p[e[0] * 3 + 2], e[3]) << int(e[0]);
    }
}

TEST(DrawSurfaceFormat, PaletteTable16)
{
    CxDrawSurface s(1, 1, 8);
    EXPECT_EQ(s.GetPaletteTable16(), nullptr);
    s.BuildPaletteTable16(CX_PF_565);
    ASSERT_NE(s.GetPaletteTable16(), nullptr);
    EXPECT_EQ(s.GetPaletteTable16()[249], 0xF800); // red
    EXPECT_EQ(s.GetPaletteTable16()[250], 0x07E0); // green
    EXPECT_EQ(s.GetPaletteTable16()[255], 0xFFFF);
    s.BuildPaletteTable16(CX_PF_555);
    EXPECT_EQ(s.GetPaletteTable16()[250], 0x03E0);
    s.BuildPaletteTable16(CX_PF_556);
    EXPECT_EQ(s.GetPaletteTable16()[252], 0x003F);
    s.BuildPaletteTable16(CX_PF_655);
    EXPECT_EQ(s.GetPaletteTable16()[249], 0xFC00);
    s.SetPalette(s.GetPalette());
    EXPECT_EQ(s.GetPaletteTable16(), nullptr);
    CxDrawSurface s4(1, 1, 4);
    s4.BuildPaletteTable16(CX_PF_565);
    EXPECT_NE(s4.GetPaletteTable16(), nullptr);
}

TEST(DrawSurfaceFormat, ColorFromPaletteIndex)
{
    CxDrawSurface s(1, 1, 16, nullptr, CX_PF_565);
    EXPECT_EQ(s.ColorFromPaletteIndex(249), 0xF800u);
    EXPECT_EQ(s.ColorFromPaletteIndex(8), s.MakeColor(192, 220, 192));
    EXPECT_EQ(s.ColorFromPaletteIndex(256), 0u);
    CxDrawSurface s8(1, 1, 8);
    EXPECT_EQ(s8.ColorFromPaletteIndex(255), 0u);
}

// ---------------------------------------------------------------------------
// Flags, user value, name

TEST(DrawSurfaceFlags, UserFlagsAndValues)
{
    CxDrawSurface s(2, 2, 8);
    const uint32_t old = s.SetUserFlags(0xFFFFFFFF);
    EXPECT_EQ(old, CX_SURFACE_CREATED);
    EXPECT_EQ(s.GetUserFlags(), CX_SURFACE_USER_MASK);
    EXPECT_TRUE(s.IsCreated());
    EXPECT_TRUE(s.HasUserFlags(0x5));
    s.SetUserFlags(0x4);
    EXPECT_FALSE(s.HasUserFlags(0x5));
    EXPECT_TRUE(s.HasUserFlags(0x4));
    s.SetUserValue(-42);
    EXPECT_EQ(s.GetUserValue(), -42);
    s.SetTransparentColor(7);
    EXPECT_EQ(s.GetTransparentColor(), 7u);
    s.SetName("$GAMEPATH\\a.tga");
    CxString name;
    s.GetName(name);
    EXPECT_STREQ(name.c_str(), "$GAMEPATH\\a.tga");
    s.SetWidth(1);
    s.SetHeight(1);
    s.SetPitch(5);
    s.SetDepth(16);
    EXPECT_EQ(s.GetWidth(), 1);
    EXPECT_EQ(s.GetPitch(), 5);
    EXPECT_EQ(s.GetDepth(), 16);
}

// ---------------------------------------------------------------------------
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
    EXPECT_EQ(copy.GetWidth(), 9);
    EXPECT_EQ(copy.GetHeight(), 4);
    EXPECT_EQ(copy.GetPitch(), 20);
    EXPECT_EQ(copy.GetPixelFormat(), CX_PF_4444);
    EXPECT_EQ(copy.GetAlphaBits(), 4);
    EXPECT_EQ(copy.GetTransparentColor(), 0x1234u);
    EXPECT_EQ(copy.GetUserValue(), 77);
    EXPECT_EQ(memcmp(copy.GetPalette(), palette, 768), 0);
    src.Lock();
    copy.Lock();
    EXPECT_EQ(memcmp(copy.GetBits(), src.GetBits(), 80), 0);
    copy.Unlock();
    src.Unlock();

    CxDrawSurface constructed(src);
    EXPECT_EQ(Pixels(constructed), Pixels(src));
    EXPECT_EQ(constructed.GetPixelFormat(), CX_PF_4444);
}

TEST(DrawSurfaceCopy, CopyPixelsToCopiesTheBlock)
{
    CxDrawSurface a(6, 3, 8);
    FillRandom(a, 5);
    CxDrawSurface b(6, 3, 8);
    a.CopyPixelsTo(&b);
    EXPECT_EQ(Pixels(a), Pixels(b));
}

TEST(DrawSurfaceCopy, ExtractCopiesTheRectangleExactly)
{
    CxDrawSurface src(10, 8, 16, nullptr, CX_PF_565);
    FillRandom(src, 11, 0x1111, 3);
    src.SetTransparentColor(0x1111);
    CxDrawSurface* part = src.Extract(CxRect(2, 1, 6, 4));
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->GetWidth(), 5);
    EXPECT_EQ(part->GetHeight(), 4);
    EXPECT_EQ(part->GetPixelFormat(), CX_PF_565);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(part->GetPixel(x, y), src.GetPixel(x + 2, y + 1));
    delete part;

    CxDrawSurface src8(10, 8, 8);
    uint8_t palette[768] = {};
    palette[3] = 99;
    src8.SetPalette(palette);
    FillRandom(src8, 12);
    CxDrawSurface* part8 = src8.Extract(CxRect(0, 0, 9, 7));
    ASSERT_NE(part8, nullptr);
    EXPECT_EQ(part8->GetPalette()[3], 99);
    EXPECT_EQ(Pixels(*part8), Pixels(src8));
    delete part8;

    CxDrawSurface src1(13, 3, 1);
    FillRandom(src1, 13);
    CxDrawSurface* part1 = src1.Extract(CxRect(3, 1, 11, 2));
    ASSERT_NE(part1, nullptr);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 9; ++x)
            EXPECT_EQ(part1->GetPixel(x, y), src1.GetPixel(x + 3, y + 1));
    delete part1;
}

// ---------------------------------------------------------------------------
// External bits

TEST(DrawSurfaceExternal, WritesGoToTheOwnersMemory)
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
}

TEST(DrawSurfaceExternal, SetExternalBitsAndSetBits)
{
    CxDrawSurface s(2, 2, 8);
    s.SetPixel(0, 0, 5);
    uint8_t mine[4] = {1, 2, 3, 4};
    s.SetExternalBits(true);
    EXPECT_TRUE(s.HasExternalBits());
    s.SetBits(mine);
    EXPECT_EQ(s.GetPixel(1, 1), 4u);
    s.SetPixel(0, 1, 9);
    EXPECT_EQ(mine[2], 9);
    s.SetExternalBits(false);
    // Own (fresh, cleared) memory again.
    EXPECT_EQ(s.GetPixel(1, 1), 0u);
    EXPECT_NE(s.GetBits(), mine);
}

// ---------------------------------------------------------------------------
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
    int32_t x = -3, y = -1;
    EXPECT_EQ(s.FindPixel(0x20, &x, &y), 1);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 1);
    // Each row from the start column: (3, 2) is found from column 2 on.
    x = 2;
    y = 2;
    EXPECT_EQ(s.FindPixel(0x20, &x, &y), 1);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 2);
    x = 4;
    y = 0;
    EXPECT_EQ(s.FindPixel(0x20, &x, &y), 0);
    EXPECT_EQ(x, 4);

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
