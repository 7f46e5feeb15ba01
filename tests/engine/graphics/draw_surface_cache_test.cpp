// A surface purged to a swap file under memory pressure comes back byte for
// byte on its next use, as a source, as a destination and for pixel access.
#include "engine/graphics/draw_surface.h"

#include "engine/core/file.h"
#include "engine/core/memory.h"
#include "engine/core/options.h"
#include "tests/engine/graphics/surface_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace surface_test;

namespace {
// Swap files go to a scratch directory; the memory budget is lifted afterwards.
class DrawSurfaceCache : public testing::Test
{
protected:
    void SetUp() override
    {
        m_Options.SetString("Engine", "CacheDir", m_Dir.Path().c_str());
        SetMainOptions(&m_Options);
    }
    void TearDown() override
    {
        SetMemoryBudget(CX_MEMORY_UNLIMITED);
        SetMainOptions(nullptr);
    }

    // Leaves room for less than `bytes` and purges until that much fits.
    static bool Squeeze(uint64_t bytes)
    {
        SetMemoryBudget(GetMemoryInUse() + bytes / 2);
        return CxCachedObject::PurgeCache(bytes);
    }

    TempDir m_Dir;
    CxOptions m_Options;
};
} // namespace

TEST_F(DrawSurfaceCache, PurgedSurfaceIsRestoredOnTheNextLock)
{
    CxDrawSurface s(64, 48, 16, nullptr, CX_PF_565);
    FillRandom(s, 90);
    const std::vector<uint8_t> snapshot = Pixels(s);

    ASSERT_TRUE(Squeeze(8192));
    EXPECT_FALSE(s.IsResident());
    EXPECT_EQ(s.GetBits(), nullptr);
    EXPECT_TRUE(s.IsCreated());

    // Pixel access locks, which brings the memory and its contents back.
    EXPECT_EQ(s.GetPixel(5, 7),
              static_cast<uint32_t>(snapshot[7 * 128 + 10] | (snapshot[7 * 128 + 11] << 8)));
    EXPECT_TRUE(s.IsResident());
    EXPECT_EQ(Pixels(s), snapshot);
    EXPECT_EQ(s.GetLockCount(), 0);
}

TEST_F(DrawSurfaceCache, PurgedSourceAndDestinationDrawCorrectly)
{
    CxDrawSurface src(40, 30, 16, nullptr, CX_PF_565);
    FillRandomRuns(src, 91, 0x1234);
    CxDrawSurface dst(50, 40, 16, nullptr, CX_PF_565);
    FillRandom(dst, 92);
    CxDrawSurface expected(dst);
    src.DrawAt(&expected, 3, 4, nullptr, 0x1234);

    // Room only once all three surfaces are out.
    ASSERT_TRUE(Squeeze(20000));
    ASSERT_FALSE(src.IsResident());
    ASSERT_FALSE(dst.IsResident());
    EXPECT_EQ(src.DrawAt(&dst, 3, 4, nullptr, 0x1234), CX_ERR_NONE);
    SetMemoryBudget(CX_MEMORY_UNLIMITED);
    EXPECT_EQ(FirstDifference(dst, expected), "");
    EXPECT_EQ(Pixels(dst), Pixels(expected));
}

TEST_F(DrawSurfaceCache, EveryKindOfOperationRestoresFirst)
{
    // Fill, line, flood fill, flip, blur and replacement on a surface purged
    // before each of them give what they give on a resident one.
    const CxRect r(2, 2, 5, 5);
    auto operate = [&r](CxDrawSurface& t, int step) {
        switch (step)
        {
        case 0:
            t.FillRect(&r, 3);
            break;
        case 1:
            t.DrawLine(0, 15, 15, 0, 4);
            break;
        case 2:
            t.FloodFill(3, 3, 6);
            break;
        case 3:
            t.FlipVertical(nullptr);
            break;
        case 4:
            t.Blur(1);
            break;
        default:
            t.ReplaceColor(6, 7);
            break;
        }
    };
    std::vector<uint8_t> expected;
    {
        CxDrawSurface reference(16, 16, 8);
        FillRandom(reference, 93);
        for (int step = 0; step < 6; ++step)
            operate(reference, step);
        expected = Pixels(reference);
    }
    CxDrawSurface s(16, 16, 8);
    FillRandom(s, 93);
    for (int step = 0; step < 6; ++step)
    {
        ASSERT_TRUE(Squeeze(400));
        ASSERT_FALSE(s.IsResident()) << step;
        operate(s, step);
    }
    SetMemoryBudget(CX_MEMORY_UNLIMITED);
    EXPECT_EQ(Pixels(s), expected);
}

TEST_F(DrawSurfaceCache, ANewSurfaceInThePurgedObjectDoesNotReadTheOldContentsBack)
{
    CxDrawSurface s(32, 32, 16);
    FillRandom(s, 94);
    ASSERT_TRUE(Squeeze(3000));
    ASSERT_TRUE(s.HasCacheFile());
    const std::string swap = s.GetCacheFileName().c_str();
    SetMemoryBudget(CX_MEMORY_UNLIMITED);
    s.CreateSurface(8, 8, 8);
    EXPECT_FALSE(s.HasCacheFile());
    EXPECT_FALSE(FileExists(swap.c_str()));
    EXPECT_EQ(CountValue(s, 0), 64);
}

TEST_F(DrawSurfaceCache, FailedReallocationKeepsTheSwapFile)
{
    ErrorCapture quiet(0);
    CxDrawSurface s(32, 32, 16);
    FillRandom(s, 95);
    const std::vector<uint8_t> snapshot = Pixels(s);
    ASSERT_TRUE(Squeeze(3000));
    ASSERT_TRUE(s.HasCacheFile());
    const std::string swap = s.GetCacheFileName().c_str();

    // No room to bring it back: nothing is read, nothing is lost.
    SetMemoryBudget(GetMemoryInUse());
    EXPECT_EQ(s.GetPixel(1, 1), 0u);
    EXPECT_EQ(s.GetError(), CX_ERR_OUT_OF_MEMORY);
    EXPECT_TRUE(s.HasCacheFile());
    EXPECT_TRUE(FileExists(swap.c_str()));

    // With room again (and the error acknowledged) the pixels come back.
    SetMemoryBudget(CX_MEMORY_UNLIMITED);
    s.ClearError();
    EXPECT_EQ(Pixels(s), snapshot);
    EXPECT_FALSE(FileExists(swap.c_str()));
}
