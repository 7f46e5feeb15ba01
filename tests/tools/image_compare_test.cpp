#include "tools/image/image_compare.h"

#include "engine/graphics/draw_surface.h"

#include <gtest/gtest.h>

namespace {
// A w x h surface of the depth (16: 5-6-5) in one colour.
void Fill(CxDrawSurface& surface, int32_t w, int32_t h, int32_t depth, uint8_t r, uint8_t g, uint8_t b)
{
    ASSERT_EQ(surface.CreateSurface(w, h, depth), 0u);
    const uint32_t colour = surface.MakeColor(r, g, b);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            surface.SetPixel(x, y, colour);
}

TEST(ImageCompare, ToleranceIsCountedIn565AcrossDepthsAndTheDiffMarksPixels)
{
    CxDrawSurface wide, reference, diff;
    Fill(wide, 4, 3, 24, 206, 99, 49); // 5-bit values widened exactly
    Fill(reference, 4, 3, 16, 206, 99, 49);
    ST_IMAGE_DIFFERENCE d;
    ASSERT_TRUE(CompareImages(wide, reference, 0, &d, &diff));
    EXPECT_EQ(d.pixels, 12u);
    EXPECT_EQ(d.differing, 0u) << "a 24-bit copy of a 16-bit screen is the same screen";
    // One unit of green (4 in 8 bits) at one pixel, three units of red at another.
    wide.SetPixel(1, 1, wide.MakeColor(206, 103, 49));
    wide.SetPixel(2, 2, wide.MakeColor(230, 99, 49));
    const struct
    {
        uint32_t tolerance;
        uint64_t differing;
    } cases[] = {{0, 2}, {1, 1}, {3, 0}};
    for (const auto& c : cases)
    {
        ASSERT_TRUE(CompareImages(wide, reference, c.tolerance, &d, &diff));
        EXPECT_EQ(d.differing, c.differing) << "tolerance " << c.tolerance;
    }
    CompareImages(wide, reference, 1, &d, &diff);
    EXPECT_EQ(diff.GetPixel(2, 2), diff.MakeColor(255, 0, 0));
    EXPECT_NE(diff.GetPixel(1, 1), diff.MakeColor(255, 0, 0));
}

TEST(ImageCompare, OtherSizesAndUnreadableSurfacesNeverCompareEqual)
{
    CxDrawSurface a, b, none, eight;
    Fill(a, 4, 4, 16, 1, 2, 3);
    Fill(b, 4, 3, 16, 1, 2, 3);
    ST_IMAGE_DIFFERENCE d;
    ASSERT_TRUE(CompareImages(a, b, 63, &d));
    EXPECT_TRUE(d.sizesDiffer);
    EXPECT_EQ(d.differing, 4u) << "the row b lacks";
    EXPECT_FALSE(CompareImages(a, none, 0, &d));
    ASSERT_EQ(eight.CreateSurface(4, 4, 8), 0u);
    EXPECT_FALSE(CompareImages(eight, a, 0, &d));
}

TEST(ImageCompare, DifferingLimitsInPercentOrPixels)
{
    uint64_t limit = 0;
    EXPECT_TRUE(ParseDifferingLimit("0.5%", 307200, &limit));
    EXPECT_EQ(limit, 1536u);
    EXPECT_TRUE(ParseDifferingLimit("12px", 307200, &limit));
    EXPECT_EQ(limit, 12u);
    EXPECT_TRUE(ParseDifferingLimit("1", 200, &limit));
    EXPECT_EQ(limit, 2u);
    for (const char* bad : {"", "px", "-1%", "101%", "1.5px", "5 %", "nan", "2kb"})
        EXPECT_FALSE(ParseDifferingLimit(bad, 100, &limit)) << bad;
}
} // namespace
