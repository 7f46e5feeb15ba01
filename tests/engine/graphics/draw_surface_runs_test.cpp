// Keyed copies through the table of opaque spans: every such copy held
// against the general routine (clipping on each side, odd widths, one-pixel
// images, effects and stretches after the table exists), a stale table
// after each way of changing the pixels, and the table's size.
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_filter.h"

#include "tests/engine/graphics/surface_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace surface_test;

namespace {
struct Format
{
    int32_t sd;
    uint8_t sf;
    int32_t dd;
    uint8_t df;
    uint32_t key;
};

// The pairs whose one-to-one keyed copies go through the table.
const Format kFormats[] = {
    {16, CX_PF_565, 16, CX_PF_565, 0xF81F},
    {16, CX_PF_555, 16, CX_PF_555, 0x7C1F},
    {8, 0, 16, CX_PF_565, 5},
    {8, 0, 16, CX_PF_555, 5},
    {8, 0, 8, 0, 5},
};

enum class Shape
{
    Disc,    // a filled disc: one long span per row
    Blob,    // the disc with a block at its top-right corner: no symmetry
    Outline, // a one-pixel ring and a few glyph-like strokes
    Runs,    // random runs of key and opaque pixels
    Noise,   // isolated key pixels: dense rows
    AllKey,
    NoKey,
};

uint32_t Opaque(Lcg& lcg, int32_t depth, uint32_t key)
{
    const uint32_t v = lcg.Next() & ((1u << depth) - 1u);
    return v == key ? v ^ 1u : v;
}

void Paint(CxDrawSurface& s, Shape shape, uint32_t key, uint32_t seed)
{
    const int32_t w = s.GetWidth(), h = s.GetHeight(), depth = s.GetDepth();
    if (shape == Shape::Runs)
    {
        FillRandomRuns(s, seed, key);
        return;
    }
    if (shape == Shape::Noise)
    {
        FillRandom(s, seed, key, 3);
        return;
    }
    Lcg lcg(seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
        {
            const int64_t dx = 2 * x + 1 - w, dy = 2 * y + 1 - h;
            const int64_t r2 = dx * dx + dy * dy,
                          size2 = static_cast<int64_t>(w < h ? w : h) * (w < h ? w : h);
            bool opaque = false;
            switch (shape)
            {
            case Shape::Disc:
                opaque = r2 <= size2;
                break;
            case Shape::Blob:
                opaque = r2 <= size2 || (y < h / 4 && x > w * 3 / 4);
                break;
            case Shape::Outline:
                opaque = (r2 <= size2 && r2 >= size2 * 3 / 5) || x == w / 3 || (y == h / 2 && x % 4 != 0);
                break;
            case Shape::NoKey:
                opaque = true;
                break;
            default:
                break;
            }
            s.SetPixel(x, y, opaque ? Opaque(lcg, depth, key) : key);
        }
}

void MakeSource(CxDrawSurface& s, const Format& f, int32_t w, int32_t h, Shape shape, uint32_t seed)
{
    s.CreateSurface(w, h, f.sd);
    if (f.sf)
        s.SetPixelFormat(f.sf);
    if (f.sd == 8)
    {
        uint8_t palette[768];
        Lcg lcg(seed + 11);
        for (uint8_t& b : palette)
            b = static_cast<uint8_t>(lcg.Next());
        s.SetPalette(palette);
    }
    Paint(s, shape, f.key, seed);
}

void MakeBackground(CxDrawSurface& s, const Format& f, int32_t w, int32_t h)
{
    s.CreateSurface(w, h, f.dd);
    if (f.df)
        s.SetPixelFormat(f.df);
    FillRandom(s, 77);
}

// Draw's clipping of a one-to-one copy (destination first, then source),
// so that the general routine gets the same rectangles.
bool ClipOneToOne(const CxDrawSurface& src, const CxDrawSurface& dst, CxRect& d, CxRect& s)
{
    CxRect dc;
    if (!dc.Intersect(d, dst.GetRect()))
        return false;
    s.left += dc.left - d.left;
    s.top += dc.top - d.top;
    s.right += dc.right - d.right;
    s.bottom += dc.bottom - d.bottom;
    d = dc;
    CxRect sc;
    if (!sc.Intersect(s, src.GetRect()))
        return false;
    d.left += sc.left - s.left;
    d.top += sc.top - s.top;
    d.right += sc.right - s.right;
    d.bottom += sc.bottom - s.bottom;
    s = sc;
    return true;
}

// Draws twice through Draw (the second copy of unchanged pixels goes
// through the table) and once through the general routine, each onto its
// own copy of the background, and compares the results.
void ExpectSameAsGeneral(CxDrawSurface& src, const CxDrawSurface& background, CxRect d, CxRect s,
                         uint32_t key, const ST_BLIT_FX* fx, const std::string& label)
{
    CxDrawSurface first(background);
    CxDrawSurface second(background);
    CxDrawSurface general(background);
    EXPECT_EQ(src.Draw(&first, &d, &s, key, fx), CX_ERR_NONE) << label;
    EXPECT_EQ(src.Draw(&second, &d, &s, key, fx), CX_ERR_NONE) << label;
    ASSERT_TRUE(d.Width() == s.Width() && d.Height() == s.Height()) << label;
    if (ClipOneToOne(src, general, d, s))
    {
        src.Lock();
        general.Lock();
        src.DrawGeneral(&general, d, s, key == CX_COLOR_NONE ? src.GetTransparentColor() : key, fx);
        general.Unlock();
        src.Unlock();
    }
    EXPECT_EQ(FirstDifference(first, general), "") << label << " (first copy)";
    EXPECT_EQ(FirstDifference(second, general), "") << label << " (second copy)";
}

struct Placement
{
    const char* name;
    int32_t dx, dy; // destination position of the source's top-left corner
};

std::string Describe(const Format& f, int32_t w, int32_t h, int shape, const char* where)
{
    return std::to_string(f.sd) + "/" + std::to_string(f.sf) + " -> " + std::to_string(f.dd) + "/" +
           std::to_string(f.df) + ", " + std::to_string(w) + " x " + std::to_string(h) + ", shape " +
           std::to_string(shape) + ", " + where;
}
} // namespace

// The table's copies against the general routine

TEST(DrawSurfaceKeyRuns, KeyedCopiesAgreeWithTheGeneralRoutineAtEveryClip)
{
    const Shape shapes[] = {Shape::Disc,  Shape::Blob,   Shape::Outline, Shape::Runs,
                            Shape::Noise, Shape::AllKey, Shape::NoKey};
    // The last size is larger than the destination, so that it is cut on
    // all four sides at once.
    const int32_t sizes[][2] = {{1, 1},   {1, 9},   {9, 1},   {2, 3},  {7, 7},
                                {31, 17}, {64, 64}, {65, 33}, {97, 86}};
    const int32_t destW = 90, destH = 80;
    for (const Format& f : kFormats)
    {
        CxDrawSurface background;
        MakeBackground(background, f, destW, destH);
        for (const auto& size : sizes)
            for (Shape shape : shapes)
            {
                const int32_t w = size[0], h = size[1];
                CxDrawSurface src;
                MakeSource(src, f, w, h, shape, static_cast<uint32_t>(w * 31 + h));
                const Placement places[] = {
                    {"inside", 3, 4},
                    {"off the left", -w / 2 - 1, 5},
                    {"off the right", destW - w / 2, 6},
                    {"off the top", 7, -h / 2 - 1},
                    {"off the bottom", 8, destH - h / 2},
                    {"off the top-left corner", -3, -2},
                };
                for (const Placement& p : places)
                {
                    const CxRect s = src.GetRect();
                    const CxRect d(p.dx, p.dy, p.dx + w - 1, p.dy + h - 1);
                    ExpectSameAsGeneral(src, background, d, s, f.key, nullptr,
                                        Describe(f, w, h, static_cast<int>(shape), p.name));
                }
                // A source rectangle inside the image, cut on all four sides.
                if (w > 4 && h > 4)
                {
                    const CxRect s(2, 1, w - 3, h - 2);
                    const CxRect d(10, 10, 10 + s.Width() - 1, 10 + s.Height() - 1);
                    ExpectSameAsGeneral(src, background, d, s, f.key, nullptr,
                                        Describe(f, w, h, static_cast<int>(shape), "source cut"));
                }
            }
    }
}

TEST(DrawSurfaceKeyRuns, SpriteImagesGetATableNoLargerThanThemselves)
{
    for (const Format& f : kFormats)
        for (Shape shape : {Shape::Disc, Shape::Outline, Shape::Runs, Shape::Noise})
            for (int32_t w : {1, 2, 9, 64, 333})
            {
                CxDrawSurface src;
                MakeSource(src, f, w, 40, shape, 5);
                CxDrawSurface dst;
                MakeBackground(dst, f, 400, 50);
                src.DrawAt(&dst, 0, 0, nullptr, f.key);
                src.DrawAt(&dst, 0, 0, nullptr, f.key);
                const std::string label = Describe(f, w, 40, static_cast<int>(shape), "");
                EXPECT_LE(src.GetKeyRunsBytes(), static_cast<size_t>(src.GetPitch()) * src.GetHeight())
                    << label;
                if (shape == Shape::Disc && w >= 9)
                {
                    EXPECT_GT(src.GetKeyRunsBytes(), 0u) << label << ": no table was built";
                }
            }
}

TEST(DrawSurfaceKeyRuns, EffectsStretchesAndOtherKeysAfterTheTableExistsAgree)
{
    for (const Format& f : kFormats)
    {
        CxDrawSurface src;
        MakeSource(src, f, 33, 21, Shape::Outline, 9);
        CxDrawSurface background;
        MakeBackground(background, f, 70, 60);
        const CxRect s = src.GetRect();
        const CxRect same(-3, 2, 29, 22);
        // The table for the key is built by these two copies.
        src.Draw(&background, &same, &s, f.key);
        src.Draw(&background, &same, &s, f.key);
        for (int32_t type : {CX_FX_SCREEN_DOOR, CX_FX_RECOLOR_KEY, CX_FX_SILHOUETTE, CX_FX_TINT,
                             CX_FX_MIRROR_H, CX_FX_MIRROR_V})
        {
            // 8-to-8 copies draw type 11 unmirrored, unlike the general routine.
            if (type == CX_FX_MIRROR_H && f.sd == 8 && f.dd == 8)
                continue;
            ST_BLIT_FX fx;
            fx.nType = type;
            fx.nParam = 0x1A2B & ((1u << f.dd) - 1u);
            ExpectSameAsGeneral(src, background, same, s, f.key, &fx,
                                Describe(f, 33, 21, 1, "effect") + " " + std::to_string(type));
        }
        // Another key than the table's.
        uint32_t other = 0;
        src.Lock();
        other = src.GetPixel(16, 10);
        src.Unlock();
        ExpectSameAsGeneral(src, background, same, s, other, nullptr, Describe(f, 33, 21, 1, "other key"));
        ExpectSameAsGeneral(src, background, same, s, f.key, nullptr, Describe(f, 33, 21, 1, "key again"));
        // Stretches never take the table: compare with the stretch drawn
        // before any table existed for a fresh copy of the pixels.
        CxDrawSurface fresh(src);
        for (const CxRect& d : {CxRect(0, 0, 65, 41), CxRect(5, 5, 20, 14), CxRect(-10, -4, 40, 30)})
        {
            CxDrawSurface viaTable(background);
            CxDrawSurface viaFresh(background);
            src.Draw(&viaTable, &d, &s, f.key);
            fresh.Draw(&viaFresh, &d, &s, f.key);
            EXPECT_EQ(FirstDifference(viaTable, viaFresh), "") << Describe(f, 33, 21, 1, "stretch");
        }
    }
}

// Stale tables: draw, change the pixels one way, draw again

namespace {
using Change = std::function<void(CxDrawSurface&, uint32_t key)>;

const CxRect kBlock(1, 1, 5, 4);

void WriteThroughBits(CxDrawSurface& s, uint32_t key)
{
    s.Lock();
    uint8_t* row = s.GetBits() + static_cast<int64_t>(s.GetPitch()) * (s.GetHeight() / 2);
    const int32_t bytes = s.GetDepth() / 8;
    for (int32_t x = 0; x < s.GetWidth(); ++x)
        memset(row + x * bytes, x % 3 ? 0x21 : static_cast<int>(key & 0xFF), static_cast<size_t>(bytes));
    s.Unlock();
}

// Copies in another surface's pixels, changed so that the table no longer fits.
void CopyChanged(CxDrawSurface& s, uint32_t key, bool viaCopyFrom)
{
    CxDrawSurface other(s);
    other.FlipVertical();
    other.SetPixel(3, 3, key);
    viaCopyFrom ? s.CopyFrom(&other) : other.CopyPixelsTo(&s);
}

void Recreate(CxDrawSurface& s, uint32_t key)
{
    const uint8_t format = s.GetPixelFormat();
    s.CreateSurface(s.GetWidth(), s.GetHeight(), s.GetDepth());
    s.SetPixelFormat(format);
    s.FillRect(nullptr, key);
}

void SaveAndLoadChanged(CxDrawSurface& s, uint32_t key, const std::string& path)
{
    CxDrawSurface other(s);
    other.FlipHorizontal();
    other.SetPixel(0, 1, key);
    UnregisterImageFilter("*");
    RegisterStandardImageFilters();
    EXPECT_EQ(other.Save(path.c_str()), CX_ERR_NONE);
    EXPECT_EQ(s.Load(path.c_str()), CX_ERR_NONE);
    UnregisterImageFilter("*");
}

void Stamp(CxDrawSurface& s)
{
    CxDrawSurface stamp(6, 5, s.GetDepth(), nullptr, s.GetPixelFormat());
    stamp.FillRect(nullptr, 12);
    stamp.DrawAt(&s, 1, 2);
}

// Changes that turn some key pixels opaque or some opaque pixels into the
// key, each through one way of writing a surface.
std::vector<std::pair<const char*, Change>> WritePaths(const std::string& bmpPath)
{
    return {
        {"SetPixel",
         [](CxDrawSurface& s, uint32_t key) { s.SetPixel(s.GetWidth() / 2, s.GetHeight() / 2, key); }},
        {"write through GetBits", WriteThroughBits},
        {"FillRect", [](CxDrawSurface& s, uint32_t) { s.FillRect(&kBlock, 9); }},
        {"FillRect with the key", [](CxDrawSurface& s, uint32_t key) { s.FillRect(nullptr, key); }},
        {"DrawLine",
         [](CxDrawSurface& s, uint32_t key) { s.DrawLine(0, 0, s.GetWidth() - 1, s.GetHeight() - 1, key); }},
        {"FillCircle", [](CxDrawSurface& s, uint32_t) { s.FillCircle(2, 2, 2, 6); }},
        {"FloodFill", [](CxDrawSurface& s, uint32_t) { s.FloodFill(0, 0, 7); }},
        {"drawn into", [](CxDrawSurface& s, uint32_t) { Stamp(s); }},
        {"ReplaceColor", [](CxDrawSurface& s, uint32_t key) { s.ReplaceColor(key, 4); }},
        {"SwapColors",
         [](CxDrawSurface& s, uint32_t key) {
             s.SwapColors(key, s.GetPixel(s.GetWidth() / 2, s.GetHeight() / 2));
         }},
        {"FlipHorizontal", [](CxDrawSurface& s, uint32_t) { s.FlipHorizontal(); }},
        {"FlipVertical", [](CxDrawSurface& s, uint32_t) { s.FlipVertical(); }},
        {"Rotate 180", [](CxDrawSurface& s, uint32_t) { s.Rotate(180); }},
        {"RotateHorizontal", [](CxDrawSurface& s, uint32_t) { s.RotateHorizontal(5); }},
        {"CopyFrom", [](CxDrawSurface& s, uint32_t key) { CopyChanged(s, key, true); }},
        {"CopyPixelsTo", [](CxDrawSurface& s, uint32_t key) { CopyChanged(s, key, false); }},
        {"CreateSurface", Recreate},
        // (16-bit files are read into the program-wide default format.)
        {"Load",
         [bmpPath](CxDrawSurface& s, uint32_t key) {
             if (s.GetDepth() == 8)
                 SaveAndLoadChanged(s, key, bmpPath);
         }},
    };
}
} // namespace

TEST(DrawSurfaceKeyRuns, EveryWayOfWritingThePixelsRetiresTheTable)
{
    TempDir dir;
    for (const Format& f : kFormats)
        for (const auto& [name, change] : WritePaths(dir.File("runs.bmp")))
        {
            CxDrawSurface src;
            MakeSource(src, f, 37, 23, Shape::Blob, 21);
            src.SetTransparentColor(f.key);
            CxDrawSurface background;
            MakeBackground(background, f, 50, 40);
            const CxRect d(4, 5, 40, 27);
            const CxRect s = src.GetRect();
            CxDrawSurface warm(background);
            src.Draw(&warm, &d, &s, f.key);
            src.Draw(&warm, &d, &s, f.key);
            const std::string label = Describe(f, 37, 23, 0, name);
            ASSERT_GT(src.GetKeyRunsBytes(), 0u) << label;
            const std::vector<uint8_t> before = Pixels(src);
            change(src, f.key);
            if (Pixels(src) == before && strcmp(name, "Load") == 0)
                continue; // not applicable to this depth
            EXPECT_NE(Pixels(src), before) << label << ": the change changed nothing";
            ExpectSameAsGeneral(src, background, d, s, f.key, nullptr, label);
        }
}

TEST(DrawSurfaceKeyRuns, CopiesWhileTheImageIsLockedElsewhereReadThePixelsAsTheyAre)
{
    for (const Format& f : kFormats)
    {
        CxDrawSurface src;
        MakeSource(src, f, 24, 12, Shape::Disc, 3);
        CxDrawSurface background;
        MakeBackground(background, f, 30, 20);
        // Someone holds the image locked and keeps a pointer into it while
        // it is drawn; writes through the pointer need no further call.
        src.Lock();
        uint8_t* row = src.GetPixelAddress(0, 6);
        CxDrawSurface first(background);
        src.DrawAt(&first, 0, 0, nullptr, f.key);
        src.DrawAt(&first, 0, 0, nullptr, f.key);
        for (int32_t x = 0; x < 24; ++x)
        {
            const uint32_t v = x % 2 ? f.key : 0x0102u;
            if (f.sd == 8)
                row[x] = static_cast<uint8_t>(v);
            else
                memcpy(row + 2 * x, &v, 2);
        }
        CxDrawSurface viaDraw(background);
        src.DrawAt(&viaDraw, 0, 0, nullptr, f.key);
        CxDrawSurface general(background);
        general.Lock();
        const CxRect r = src.GetRect();
        src.DrawGeneral(&general, r, r, f.key, nullptr);
        general.Unlock();
        src.Unlock();
        EXPECT_EQ(FirstDifference(viaDraw, general), "") << Describe(f, 24, 12, 0, "locked elsewhere");
    }
}

TEST(DrawSurfaceKeyRuns, SurfacesOnOutsideMemoryAreReadAfreshEveryTime)
{
    std::vector<uint16_t> pixels(20 * 10, 0xF81F);
    CxDrawSurface src(20, 10, 16, pixels.data(), CX_PF_565);
    for (int32_t x = 3; x < 17; ++x)
        pixels[static_cast<size_t>(4 * 20 + x)] = 0x1234;
    CxDrawSurface dst(30, 20, 16, nullptr, CX_PF_565);
    src.DrawAt(&dst, 0, 0, nullptr, 0xF81F);
    src.DrawAt(&dst, 0, 0, nullptr, 0xF81F);
    // The owner writes without locking.
    pixels[static_cast<size_t>(4 * 20 + 1)] = 0x0777;
    src.DrawAt(&dst, 0, 0, nullptr, 0xF81F);
    EXPECT_EQ(dst.GetPixel(1, 4), 0x0777u);
    EXPECT_EQ(src.GetKeyRunsBytes(), 0u);
}
