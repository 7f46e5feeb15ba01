#include "game/world/rumbo_tile_map.h"

#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/main_loop.h"
#include "engine/graphics/image_filter.h"
#include "engine/platform/clock.h"
#include "game/world/map_file.h"
#include "tests/game/world/sprite_world_test.h"
#include "tests/support/test_support.h"
#include "tools/map/map_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {
class RumboTileMapTest : public SpriteWorldTest
{
protected:
    void SetUp() override { mkdir((m_Dir.Path() + "/TILES").c_str(), 0755); }
    std::string WriteMap(const ST_MAP_DESCRIPTION& map, const char* name = "town.map")
    {
        std::string why;
        EXPECT_EQ(WriteMapFile(m_Dir.File(name).c_str(), map, &why), 0u) << why;
        return m_Dir.File(name);
    }
    static ST_MAP_DESCRIPTION Plain(int32_t columns, int32_t rows)
    {
        ST_MAP_DESCRIPTION map;
        map.tileWidth = map.tileHeight = 64;
        map.columns = columns;
        map.rows = rows;
        map.cells.assign(static_cast<size_t>(columns) * rows, 0);
        return map;
    }
    // A map of 40 x 30 tiles of 64 pixels in a 640 x 480 room.
    CRumboTileMap& RoomMap()
    {
        m_Room.Create(0, 0, 640, 480, nullptr);
        m_Map.Create(0, 0, 1, 1, &m_Room);
        m_Map.SetMapSize(40, 30, 64, 64);
        return m_Map;
    }
    CxDisplayObject m_Room;
    CRumboTileMap m_Map;
};
} // namespace

TEST_F(RumboTileMapTest, LoadsTilesAndCells)
{
    WriteImage("TILES/grass.bmp", 64, 64, 0x00FF00);
    WriteImage("TILES/road.bmp", 64, 64, 0x808080);
    ST_MAP_DESCRIPTION desc = Plain(3, 2);
    desc.tiles = {{"grass.bmp", 7}, {"road.bmp", 9}, {"missing.bmp", 11}};
    desc.cells = {0, 1, 2, 3, 1, 0xFFFFFFFF}; // 3 = N and beyond: empty
    ErrorCapture errors;
    CRumboTileMap map;
    ASSERT_EQ(map.LoadMap(WriteMap(desc).c_str()), 0u);
    EXPECT_TRUE(errors.Errors().empty());
    EXPECT_EQ(map.GetSize(), CxSize(192, 128));
    ASSERT_EQ(map.GetTileCount(), 3u);
    for (uint32_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(map.GetTile(i)->GetUserFlags(), i);
        EXPECT_EQ(map.GetTile(i)->GetAttribute(), 7u + 2 * i);
    }
    EXPECT_TRUE(map.GetTile(0)->IsCreated());
    EXPECT_FALSE(map.GetTile(2)->IsCreated()); // listed although its image is missing
    const int cells[2][3] = {{0, 1, 2}, {-1, 1, -1}};
    for (int32_t row = 0; row < 2; ++row)
        for (int32_t column = 0; column < 3; ++column)
        {
            const int i = cells[row][column];
            EXPECT_EQ(map.GetCell(column, row), i < 0 ? nullptr : map.GetTile(i)) << column << "," << row;
        }
    EXPECT_EQ(map.GetTileAt(CxPoint(130, 70)), nullptr);
    EXPECT_EQ(map.GetTileAt(CxPoint(70, 70)), map.GetTile(1));
}

TEST_F(RumboTileMapTest, MissingFileIsAnEmptyMapWithoutError)
{
    ErrorCapture errors;
    CRumboTileMap map;
    map.SetMapSize(2, 2, 8, 8);
    EXPECT_EQ(map.LoadMap(m_Dir.File("none.map").c_str()), 0u);
    EXPECT_EQ(map.GetCellCount(), 0u);
    EXPECT_EQ(map.LoadMap(nullptr), 0u);
    EXPECT_TRUE(errors.Errors().empty());
}

// Damaged headers: an empty map, error 13 naming the file, and (under the
// sanitizers) not one byte read past the file.
TEST_F(RumboTileMapTest, BrokenHeadersLeaveAnEmptyMap)
{
    ST_MAP_DESCRIPTION desc = Plain(4, 3);
    desc.tiles = {{"a.bmp", 0}, {"b.bmp", 0}};
    std::vector<uint8_t> good = BuildMapFile(desc);
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return bytes;
    };
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"short header", std::vector<uint8_t>(good.begin(), good.begin() + 39)},
        {"zero tile width", patched(12, 0)},
        {"negative tile height", patched(16, 0xFFFFFFF0u)},
        {"zero columns", patched(20, 0)},
        {"negative rows", patched(24, 0x80000000u)},
        {"cells overflow 32 bits", patched(20, 0x10000)},
        {"huge tile count", patched(28, 0xFFFFFFFFu)},
        {"one tile too many", patched(28, 3)},
        {"grid cut short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"pixel width overflows", patched(12, 0x40000000u)},
    };
    for (auto& c : cases)
    {
        const std::string path = m_Dir.Write("bad.map", std::string(c.bytes.begin(), c.bytes.end()));
        ErrorCapture errors;
        CRumboTileMap map;
        map.LoadMap(path.c_str());
        EXPECT_EQ(map.GetCellCount(), 0u) << c.what;
        EXPECT_EQ(map.GetTileCount(), 0u) << c.what;
        ASSERT_EQ(errors.Errors().size(), 1u) << c.what;
        EXPECT_EQ(errors.Errors()[0].code, CX_ERR_UNKNOWN) << c.what;
        EXPECT_NE(errors.Errors()[0].text.find("bad.map"), std::string::npos) << c.what;
    }
}

TEST_F(RumboTileMapTest, NamesWithoutEndAreCutAt255)
{
    ST_MAP_DESCRIPTION desc = Plain(1, 1);
    desc.tiles = {{"x", 5}};
    std::vector<uint8_t> bytes = BuildMapFile(desc);
    memset(bytes.data() + MAP_FILE_HEADER_SIZE, 'n', MAP_FILE_NAME_SIZE); // no NUL in the field
    ST_MAP_FILE map;
    ASSERT_TRUE(ParseMapFile(bytes.data(), static_cast<uint32_t>(bytes.size()), &map));
    char name[MAP_FILE_NAME_SIZE];
    GetMapTileName(map, 0, name);
    EXPECT_EQ(strlen(name), 255u);
    EXPECT_EQ(GetMapTileAttribute(map, 0), 5u);
    CRumboTileMap tiles;
    EXPECT_EQ(tiles.LoadMapFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()), "mem"), 0u);
    EXPECT_EQ(tiles.GetTileCount(), 1u);
}

TEST_F(RumboTileMapTest, ReloadKeepsTheParentAndStopsScrolling)
{
    const std::string path = WriteMap(Plain(40, 30));
    CRumboTileMap& map = RoomMap();
    ASSERT_EQ(map.LoadMap(path.c_str()), 0u);
    map.ScrollToward(CxPoint(500, 0), 50, 10);
    EXPECT_TRUE(map.IsScrolling());
    ASSERT_EQ(map.LoadMap(path.c_str()), 0u);
    EXPECT_FALSE(map.IsScrolling());
    EXPECT_EQ(map.GetParent(), &m_Room);
    map.ScrollToward(CxPoint(500, 0), 50, 10);
    map.ClearMap();
    EXPECT_FALSE(map.IsScrolling());
}

TEST_F(RumboTileMapTest, ScrollTowardLandsOnTheTargetOnTheLastStep)
{
    CRumboTileMap& map = RoomMap();
    map.ScrollTo(40, 70);
    // Distance 100 (a 60-80-100 triangle), step 10: ten ticks.
    map.ScrollToward(CxPoint(100, 150), 50, 10);
    EXPECT_EQ(map.GetStepsLeft(), 10);
    for (int tick = 1; tick <= 9; ++tick)
    {
        Tick(50);
        EXPECT_EQ(map.GetPosition(), CxPoint(-(40 + 6 * tick), -(70 + 8 * tick))) << tick;
    }
    EXPECT_TRUE(map.IsScrolling());
    Tick(50);
    EXPECT_EQ(map.GetPosition(), CxPoint(-100, -150));
    EXPECT_FALSE(map.IsScrolling());

    // Already there: nothing moves and the first tick ends it. A step
    // below 1 counts as 1.
    map.ScrollToward(CxPoint(100, 150), 50, 0);
    EXPECT_EQ(map.GetStepsLeft(), 0);
    Tick(50);
    EXPECT_FALSE(map.IsScrolling());
    EXPECT_EQ(map.GetPosition(), CxPoint(-100, -150));
    map.ScrollToward(CxPoint(103, 150), 50, -4);
    EXPECT_EQ(map.GetStepsLeft(), 3);
}

TEST_F(RumboTileMapTest, PausedScrollHoldsAndANewOneReplacesIt)
{
    CRumboTileMap& map = RoomMap();
    map.ScrollToward(CxPoint(100, 0), 50, 10);
    Tick(50);
    EXPECT_EQ(map.GetPosition(), CxPoint(-10, 0));
    map.PauseScroll();
    Tick(50);
    Tick(50);
    EXPECT_EQ(map.GetPosition(), CxPoint(-10, 0));
    map.ResumeScroll();
    Tick(50);
    EXPECT_EQ(map.GetPosition(), CxPoint(-20, 0));
    map.ScrollToward(CxPoint(20, 40), 50, 20);
    Tick(50);
    Tick(50);
    EXPECT_EQ(map.GetPosition(), CxPoint(-20, -40));
    EXPECT_FALSE(map.IsScrolling());
}
