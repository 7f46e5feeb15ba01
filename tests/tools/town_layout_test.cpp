#include "tools/data/town_layout.h"
#include "tools/data/town_tiles.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {
// A grass town with the given cells set (column, row, character).
std::string Layout(const std::vector<std::tuple<int, int, char>>& cells, int rows = TOWN_ROWS)
{
    std::vector<std::string> grid(static_cast<size_t>(rows), std::string(TOWN_COLUMNS, '.'));
    for (const auto& [c, r, ch] : cells)
        grid[static_cast<size_t>(r)][static_cast<size_t>(c)] = ch;
    std::string text = "; a comment line\r\n";
    for (const std::string& row : grid)
        text += row + "\r\n";
    return text;
}

// A 2 x 2 road block at block (bx, by), marked with ch.
void Block(std::vector<std::tuple<int, int, char>>& cells, int bx, int by, char ch = '#')
{
    for (int i = 0; i < 4; ++i)
        cells.emplace_back(bx * 2 + i % 2, by * 2 + i / 2, ch);
}
} // namespace

TEST(TownLayout, RejectsGridsTheRoadGraphCannotUse)
{
    struct
    {
        std::string text;
        const char* reason;
    } cases[] = {
        {Layout({}, TOWN_ROWS - 1), "rows, not 60"},
        {Layout({{3, 3, '?'}}), "unknown character"},
        {Layout({{3, 3, '#'}}), "not part of a whole 2 x 2 road block"},
        {Layout({{4, 4, '#'}, {5, 4, '#'}, {4, 5, '#'}}), "not part of a whole 2 x 2 road block"},
        {Layout({}) + std::string(TOWN_COLUMNS, '.') + "\n", "61 rows"},
    };
    for (const auto& c : cases)
    {
        CTownLayout layout;
        std::string why;
        EXPECT_FALSE(layout.Read(c.text, &why)) << c.reason;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
}

TEST(TownLayout, NodesSitAtBendsJunctionsEndsAndZonesAndSplitLongStraights)
{
    // An L: east from block (1,1) to (14,1), then south to (14,4); a zone
    // mark for building 2 on block (4,1).
    std::vector<std::tuple<int, int, char>> cells;
    for (int bx = 1; bx <= 14; ++bx)
        Block(cells, bx, 1, bx == 4 ? 'c' : '#');
    for (int by = 2; by <= 4; ++by)
        Block(cells, 14, by);
    CTownLayout layout;
    std::string why;
    ASSERT_TRUE(layout.Read(Layout(cells), &why)) << why;
    std::vector<int32_t> xs;
    for (const TownNode& node : layout.Nodes())
        if (node.position.y == 192)
            xs.push_back(node.position.x / 128);
    // Ends 1 and the bend 14, the zone 4, and one more between 4 and 14
    // (a run of 10 blocks is longer than TOWN_MAX_RUN).
    ASSERT_EQ(xs.size(), 4u);
    EXPECT_EQ(xs[0], 1);
    EXPECT_EQ(xs[1], 4);
    EXPECT_GT(xs[2], 4);
    EXPECT_LT(xs[2], 14);
    EXPECT_EQ(xs[3], 14);
    TownPoint zone, thru;
    ASSERT_TRUE(layout.ZoneCentreOf(2, &zone));
    EXPECT_EQ(zone.x, 4 * 128 + 64);
    EXPECT_EQ(zone.y, 192);
    ASSERT_TRUE(layout.DriveThruOf(2, &thru));
    EXPECT_EQ(thru.x, 6 * 128 + 64) << "two blocks east along the road";
    // The zone's road cells draw as road; the lot-less building has no lot.
    EXPECT_EQ(TownTileNames()[TownTileAt(layout, 8, 2)].substr(0, 4), "road");
    TownRect lot;
    EXPECT_FALSE(layout.LotOf(2, &lot));
}
