#include "engine/graphics/tile_map.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {
class TileMapTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        CxDisplayObject::ClearDirtyRects();
    }
    void TearDown() override { CxDisplayObject::DestroyRoot(); }
};
} // namespace

TEST_F(TileMapTest, MapSizeIsTheGridInPixelsAndImpossibleSizesLeaveItEmpty)
{
    CxTileMap map;
    ASSERT_EQ(map.SetMapSize(40, 30, 64, 64), 0u);
    EXPECT_EQ(map.GetSize(), CxSize(2560, 1920));
    EXPECT_EQ(map.GetCellCount(), 1200u);
    map.ClearMap();
    EXPECT_EQ(map.GetCellCount(), 0u);
    ErrorCapture errors;
    const int32_t cases[][4] = {{0, 30, 64, 64},  {40, -1, 64, 64},         {40, 30, 0, 64},
                                {40, 30, 64, -5}, {0x10000, 0x10000, 1, 1}, {0x8000, 1, 0x10000, 1}};
    for (const auto& c : cases)
    {
        CxTileMap bad;
        EXPECT_EQ(bad.SetMapSize(c[0], c[1], c[2], c[3]), CX_ERR_INVALID_ARGUMENT) << c[0] << " " << c[1];
        EXPECT_EQ(bad.GetCellCount(), 0u);
        EXPECT_FALSE(bad.CellFromPoint(CxPoint(1, 1), nullptr, nullptr));
    }
}

TEST_F(TileMapTest, ReloadKeepsTheParentAndScrollingRedrawsTheWholeMap)
{
    CxDisplayObject room;
    room.Create(0, 0, 640, 480, nullptr);
    CxTileMap map;
    map.Create(0, 0, 1, 1, &room);
    map.SetMapSize(4, 4, 16, 16);
    map.SetMapSize(8, 2, 16, 16);
    EXPECT_EQ(map.GetParent(), &room);
    CxTileMap orphan;
    orphan.SetMapSize(2, 2, 8, 8);
    EXPECT_EQ(orphan.GetParent(), CxDisplayObject::GetRoot());
    CxTileMap shown;
    shown.SetMapSize(20, 20, 64, 64);
    shown.MoveTo(0, 0);
    CxDisplayObject::ClearDirtyRects();
    shown.ScrollTo(10, 0);
    ASSERT_EQ(shown.GetPosition(), CxPoint(-10, 0));
    ASSERT_EQ(CxDisplayObject::GetDirtyRects().GetCount(), 1);
    EXPECT_EQ(CxDisplayObject::GetDirtyRects().GetHead()->m_Value, CxRect(0, 0, 639, 479));
    CxDisplayObject::ClearDirtyRects();
    shown.ScrollTo(10, 0);
    EXPECT_TRUE(CxDisplayObject::GetDirtyRects().IsEmpty());
}

TEST_F(TileMapTest, ScrollToKeepsTheViewInsideTheMapAndTilesAreFoundUnderPoints)
{
    CxDisplayObject view;
    view.Create(0, 0, 640, 480, nullptr);
    CxTileMap map;
    map.Create(0, 0, 1, 1, &view);
    map.SetMapSize(40, 30, 64, 64);
    struct
    {
        int32_t x, y;
        CxPoint expected;
    } const cases[] = {
        {-5, 10, CxPoint(0, -10)},
        {1920, 0, CxPoint(-1920, 0)},
        {1921, 0, CxPoint(-1919, 0)},
        {5000, 5000, CxPoint(-1919, -1439)},
        {1440, 1440, CxPoint(-1440, -1440)},
        {0, 1441, CxPoint(0, -1439)},
        {0, -1, CxPoint(0, 0)},
    };
    for (const auto& c : cases)
    {
        map.ScrollTo(c.x, c.y);
        EXPECT_EQ(map.GetPosition(), c.expected) << c.x << ", " << c.y;
    }
    // A map smaller than its view stays at the corner.
    CxTileMap small;
    small.Create(0, 0, 1, 1, &view);
    small.SetMapSize(2, 2, 64, 64);
    small.ScrollTo(100, 100);
    EXPECT_EQ(small.GetPosition(), CxPoint(0, 0));
    CxTileMap grid;
    grid.SetMapSize(10, 5, 64, 64);
    CxDrawSurface tile(64, 64, 16);
    grid.SetCell(2, 1, &tile);
    int32_t column = -1;
    int32_t row = -1;
    EXPECT_TRUE(grid.CellFromPoint(CxPoint(130, 70), &column, &row));
    EXPECT_EQ(column, 2);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(grid.GetTileAt(CxPoint(130, 70)), &tile);
    EXPECT_EQ(grid.GetTileAt(CxPoint(128, 64)), &tile);
    EXPECT_EQ(grid.GetTileAt(CxPoint(127, 64)), nullptr);
    // Outside the grid, negatives included (they would truncate into cell 0).
    for (const CxPoint& p : {CxPoint(-1, 70), CxPoint(130, -63), CxPoint(640, 0), CxPoint(0, 320)})
        EXPECT_EQ(grid.GetTileAt(p), nullptr) << p.x << ", " << p.y;
    grid.SetCell(10, 0, &tile); // ignored
    grid.SetCell(-1, 0, &tile);
    EXPECT_EQ(grid.GetCell(0, 0), nullptr);
}

// Paints a scrolled map with empty cells, a keyed tile and the grid, and
// compares every pixel with a reference worked out by hand.
TEST_F(TileMapTest, PaintDrawsTheCellsUnderTheRectangleAndTheGrid)
{
    CxDisplayObject::SetRootSize(64, 48);
    CxDrawSurface screen(64, 48, 16);
    screen.SetPixelFormat(CX_PF_565);
    const uint32_t background = 0x1234;
    screen.FillRect(nullptr, background);
    CxDrawSurface red(16, 16, 16), blue(16, 16, 16);
    red.SetPixelFormat(CX_PF_565);
    blue.SetPixelFormat(CX_PF_565);
    red.FillRect(nullptr, 0xF800);
    blue.FillRect(nullptr, 0x001F);
    // The blue tile's key: its top-left 4 x 4 corner lets the background through.
    const CxRect corner(0, 0, 3, 3);
    blue.FillRect(&corner, 0x0001);
    blue.SetTransparentColor(0x0001);

    CxTileMap map;
    map.SetMapSize(5, 4, 16, 16);
    // Row 0: red, blue, empty, red, blue; then every other cell red.
    CxDrawSurface* tiles[] = {&red, &blue, nullptr, &red, &blue};
    for (int32_t c = 0; c < 5; ++c)
        map.SetCell(c, 0, tiles[c]);
    for (int32_t r = 1; r < 4; ++r)
        for (int32_t c = (r & 1); c < 5; c += 2)
            map.SetCell(c, r, &red);
    map.SetPosition(-8, -4);
    // The grid is off unless asked for.
    map.Paint(&screen, CxRect(16, 16, 31, 31));
    EXPECT_EQ(screen.GetPixel(8, 12), 0xF800u);
    screen.FillRect(nullptr, background);
    map.SetShowGrid(true);

    const CxRect dirty(10, 6, 60, 40); // map coordinates
    map.Paint(&screen, dirty);

    const uint32_t white = screen.MakeColor(255, 255, 255);
    for (int32_t sy = 0; sy < 48; ++sy)
        for (int32_t sx = 0; sx < 64; ++sx)
        {
            const int32_t mx = sx + 8, my = sy + 4;
            uint32_t expected = background;
            if (dirty.Contains(mx, my))
            {
                const int32_t c = mx / 16, r = my / 16;
                const CxDrawSurface* tile =
                    r == 0 ? tiles[c] : (((c - (r & 1)) % 2 == 0 && c >= (r & 1)) ? &red : nullptr);
                if (tile == &red)
                    expected = 0xF800;
                else if (tile == &blue)
                    expected = (mx % 16 < 4 && my % 16 < 4) ? background : 0x001F;
                if (mx % 16 == 0 || my % 16 == 0)
                    expected = white;
            }
            ASSERT_EQ(screen.GetPixel(sx, sy), expected) << "screen " << sx << ", " << sy;
        }
}
