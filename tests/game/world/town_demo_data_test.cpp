// The town of the demo data, made once into a temporary game folder and read
// back with the game's own loaders: the map, the driving nodes, the
// buildings and the world file's series.
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/options.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_filter.h"
#include "game/world/driving_node.h"
#include "game/world/map_file.h"
#include "game/world/map_object.h"
#include "game/world/rumbo_tile_map.h"
#include "game/world/talking_sprite.h"
#include "tests/support/test_support.h"
#include "tools/data/demo_data.h"
#include "tools/smk/smk_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {
const CxPoint START(1102, 1450);

class TownDataTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_Dir = new TempDir;
        DemoDataPaths paths;
        paths.town = RUMBO_TOWN_SOURCE;
        paths.source = RUMBO_DEMO_SOURCE;
        paths.output = s_Dir->Path();
        // The town and the text files its scenes and objects name.
        s_bMade = MakeTownGroup()->Make(paths) && MakeTextGroup()->Make(paths);
        ASSERT_TRUE(ReadWholeFile(s_Dir->File("TILES/town.map"), s_Map));
    }
    static void TearDownTestSuite() { delete s_Dir; }

    TownDataTest()
    {
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        RegisterStandardImageFilters();
        SetBlueScreenError(false);
        m_Paths.SetInstallPath(s_Dir->Path().c_str());
        m_Paths.SetCDPath(s_Dir->Path().c_str());
        SetGamePath(&m_Paths);
    }
    ~TownDataTest() override
    {
        SetGamePath(nullptr);
        CxDisplayObject::DestroyRoot();
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_bMade);
        ASSERT_TRUE(ParseMapFile(reinterpret_cast<const uint8_t*>(s_Map.data()),
                                 static_cast<uint32_t>(s_Map.size()), &m_File));
    }

    std::string TileName(uint32_t index) const
    {
        char name[MAP_FILE_NAME_SIZE];
        GetMapTileName(m_File, index, name);
        return name;
    }
    bool IsRoad(const CxPoint& p) const
    {
        if (p.x < 0 || p.y < 0 || p.x >= 6400 || p.y >= 3840)
            return false;
        const std::string name = TileName(GetMapCellIndex(m_File, p.x / 64, p.y / 64));
        return name.rfind("road", 0) == 0 || name.rfind("zebra", 0) == 0;
    }
    // Whether a map rectangle (right and bottom inclusive) touches a road cell.
    bool TouchesRoad(const CxRect& r) const
    {
        for (int32_t y = r.top / 64; y <= r.bottom / 64; ++y)
            for (int32_t x = r.left / 64; x <= r.right / 64; ++x)
                if (IsRoad(CxPoint(x * 64, y * 64)))
                    return true;
        return false;
    }
    bool IsWater(const CxPoint& p) const
    {
        const std::string name = TileName(GetMapCellIndex(m_File, p.x / 64, p.y / 64));
        return name.rfind("water", 0) == 0 || name.rfind("bank", 0) == 0;
    }
    // A name of the world file or a building's scene, which the town looks up
    // in the game's data folder.
    static std::string Data(const std::string& name)
    {
        return BuildGamePath("$GAMEPATH\\%s", name.c_str()).c_str();
    }
    // The options file of the made data (a name under the folder).
    std::unique_ptr<CxOptions> Options(const std::string& name) const
    {
        auto options = std::make_unique<CxOptions>();
        EXPECT_EQ(options->Open(s_Dir->File(name).c_str()), CX_ERR_NONE) << name;
        return options;
    }
    // The entries of a section in file order (name, value).
    static std::vector<std::pair<std::string, std::string>> Entries(CxOptions& options, const char* section)
    {
        std::vector<std::pair<std::string, std::string>> out;
        const CxOptionSection* found = options.FindSection(section);
        for (auto* it = found ? found->GetVariables().GetHead() : nullptr; it; it = it->GetNext())
            out.push_back({it->m_Value->GetName().c_str(), it->m_Value->GetValue().c_str()});
        return out;
    }
    static std::vector<std::string> Series(CxOptions& options, const char* section, const char* format)
    {
        std::vector<std::string> out;
        for (int n = 0;; ++n)
        {
            char key[32], value[256];
            snprintf(key, sizeof(key), format, n);
            options.GetString(section, key, value, "", sizeof(value));
            if (!value[0])
                return out;
            out.push_back(value);
        }
    }

    static TempDir* s_Dir;
    static bool s_bMade;
    static std::string s_Map;
    CxGamePath m_Paths;
    ST_MAP_FILE m_File;
};
TempDir* TownDataTest::s_Dir = nullptr;
bool TownDataTest::s_bMade = false;
std::string TownDataTest::s_Map;

float Distance(const CxPoint& a, const CxPoint& b)
{
    return std::hypot(static_cast<float>(a.x - b.x), static_cast<float>(a.y - b.y));
}
} // namespace

TEST_F(TownDataTest, MapLoadsAt100By60WithTheTreadGroundsInPlaceAndAStartOnRoad)
{
    CRumboTileMap map;
    ASSERT_EQ(map.LoadMap("$GAMEPATH\\TILES\\town.map"), CX_ERR_NONE);
    EXPECT_EQ(map.GetColumns(), 100);
    EXPECT_EQ(map.GetRows(), 60);
    EXPECT_GE(map.GetTileCount(), 117u);
    for (uint32_t i = 0; i < map.GetTileCount(); ++i)
        EXPECT_EQ(map.GetTile(i)->GetWidth(), 64) << "tile " << i << " " << TileName(i) << " has its image";
    EXPECT_EQ(TileName(46), "dirt.tga");
    EXPECT_EQ(TileName(114), "mud.tga");
    EXPECT_EQ(TileName(116), "sand.tga");
    bool used[3] = {};
    for (int32_t row = 0; row < 60; ++row)
        for (int32_t column = 0; column < 100; ++column)
        {
            const uint32_t index = GetMapCellIndex(m_File, column, row);
            used[0] |= index == 46, used[1] |= index == 114, used[2] |= index == 116;
        }
    EXPECT_TRUE(used[0] && used[1] && used[2]) << "dirt, mud and sand all lie somewhere";
    EXPECT_TRUE(IsRoad(START));
    // Where the race puts the truck back, and where the bumper cars start.
    for (const CxPoint& p :
         {CxPoint(4799, 2960), CxPoint(2675, 2235), CxPoint(4725, 1855), CxPoint(1035, 3012)})
        EXPECT_TRUE(IsRoad(p)) << p.x << "," << p.y;
    // The river: where the junk starts and drifts, and where Vodu idles.
    for (const CxPoint& p :
         {CxPoint(5771, 2928), CxPoint(5867, 2990), CxPoint(6000, 3047), CxPoint(6050, 3100),
          CxPoint(6127, 3160), CxPoint(5750, 3365), CxPoint(5300, 3400)})
        EXPECT_TRUE(IsWater(p)) << p.x << "," << p.y;
}

TEST_F(TownDataTest, NodesLoadIntoTheGraphAndEveryLinkRunsOverRoad)
{
    auto nodes = Options("nodes.ini");
    CDrivingGraph graph;
    const size_t count = graph.Load(*nodes);
    EXPECT_GE(count, 60u);
    EXPECT_LE(count, 120u);
    std::vector<bool> reached(count, false);
    std::vector<CDrivingNode*> todo = {graph.GetNode(0)};
    reached[0] = true;
    while (!todo.empty())
    {
        CDrivingNode* node = todo.back();
        todo.pop_back();
        for (CDrivingNode* next : node->GetLinks())
        {
            EXPECT_TRUE(next->IsLinkedTo(node));
            // Every edge: sampled every 8 pixels, all on road.
            const CxPoint a = node->GetPoint(), b = next->GetPoint();
            const int steps = static_cast<int>(Distance(a, b) / 8) + 1;
            for (int s = 0; s <= steps; ++s)
                ASSERT_TRUE(IsRoad(CxPoint(a.x + (b.x - a.x) * s / steps, a.y + (b.y - a.y) * s / steps)))
                    << "edge " << node->GetId() << "-" << next->GetId() << " leaves the road";
            if (!reached[static_cast<size_t>(next->GetId())])
            {
                reached[static_cast<size_t>(next->GetId())] = true;
                todo.push_back(next);
            }
        }
    }
    EXPECT_EQ(std::count(reached.begin(), reached.end(), true), static_cast<long>(count))
        << "one connected graph";
}

TEST_F(TownDataTest, EveryBuildingLoadsAndItsZoneIsReachedFromTheStartThroughNodes)
{
    auto world = Options("world.ini");
    auto nodes = Options("nodes.ini");
    CDrivingGraph graph;
    graph.Load(*nodes);
    const std::vector<std::string> buildings = Series(*world, "Buildings", "Building%02d");
    ASSERT_GE(buildings.size(), 19u) << "16 buildings, then the mail boxes, meters and invisible ones";
    int32_t zones = 0;
    std::vector<std::pair<CxPoint, CxPoint>> ways; // drive-through point and zone centre
    for (size_t i = 0; i < buildings.size(); ++i)
    {
        SCOPED_TRACE(buildings[i]);
        ErrorCapture errors;
        CCharacter building;
        ASSERT_EQ(building.LoadFromFile(Data(buildings[i]).c_str()), CX_ERR_NONE);
        EXPECT_TRUE(errors.Errors().empty()) << errors.Errors()[0].text;
        CxOptions file;
        ASSERT_EQ(file.Open(Data(buildings[i]).c_str()), CX_ERR_NONE);
        CxPoint centre, thru, at;
        file.GetPoint("Zone", "Center", &centre, CxPoint(-1, -1));
        file.GetPoint("QexSprite", "Position", &at, CxPoint(-1, -1));
        const CxRect box = building.GetCollisionRect();
        EXPECT_FALSE(
            TouchesRoad(CxRect(at.x + box.left, at.y + box.top, at.x + box.right, at.y + box.bottom)))
            << "buildings stand off the road";
        if (i >= 16)
        {
            EXPECT_EQ(centre, CxPoint(-1, -1)) << "the small buildings have no zone";
            continue;
        }
        EXPECT_EQ(building.GetNumStates(), i == 4 ? 4 : 3) << "building 4 hiccups";
        for (int32_t s = 0; s < building.GetNumStates(); ++s)
            EXPECT_NE(building.GetLipSprite(s), nullptr) << "state " << s << " can talk";
        ++zones;
        file.GetPoint("QexSprite", "DriveThruPosition", &thru, CxPoint(-1, -1));
        ways.push_back({thru, centre});
        EXPECT_TRUE(IsRoad(centre));
        EXPECT_TRUE(IsRoad(thru));
        EXPECT_GT(Distance(thru, centre), 100.0f) << "driving in passes the drive-through point first";
        EXPECT_GT(Distance(START, centre), 100.0f) << "no building pulls the truck in at the start";
        for (const char* key : {"OnEnterZone0", "OnEnterZone1", "OnEnterZone2", "OnEndMission0",
                                "OnEndMission1", "OnEndMission2"})
        {
            char scene[256];
            file.GetString("Zone", key, scene, "", sizeof(scene));
            EXPECT_TRUE(FileExists(Data(scene).c_str())) << key << "=" << scene;
        }
        bool viaNodes = false;
        const std::vector<CxPoint> path = graph.FindPath(START, centre, &viaNodes);
        EXPECT_TRUE(viaNodes) << "the help arrow leads along the roads";
        for (size_t p = 1; p + 1 < path.size(); ++p)
            EXPECT_TRUE(IsRoad(path[p]));
        if (i == 9)
        {
            // The truck comes back from printing at (5181, 1284): beside the
            // print shop's zone but not pulled into it again.
            EXPECT_LT(Distance(centre, CxPoint(5181, 1284)), 250.0f);
            EXPECT_GT(Distance(centre, CxPoint(5181, 1284)), 100.0f);
            EXPECT_TRUE(IsRoad(CxPoint(5181, 1284)));
        }
        if (i == 15)
        {
            EXPECT_LT(Distance(centre, CxPoint(5250, 3035)), 250.0f)
                << "the fishing intro starts at the dock";
        }
    }
    EXPECT_EQ(zones, 16);
    // Driving in straight from a drive-through point passes no other zone.
    for (size_t a = 0; a < ways.size(); ++a)
        for (size_t b = 0; b < ways.size(); ++b)
            for (int s = 0; s <= 32 && a != b; ++s)
            {
                const CxPoint& from = ways[a].first;
                const CxPoint& to = ways[a].second;
                const CxPoint p(from.x + (to.x - from.x) * s / 32, from.y + (to.y - from.y) * s / 32);
                ASSERT_GT(Distance(p, ways[b].second), 100.0f)
                    << "building " << a << " passes building " << b;
            }
}

TEST_F(TownDataTest, WorldSeriesAreConsecutiveAndPlacedEntriesNameTheirMasters)
{
    auto world = Options("world.ini");
    struct
    {
        const char *masters, *format, *placed;
        size_t digits;
        bool objectFiles;
    } series[] = {{"MasterUnderlays", "Underlay%03d", "[Underlays]", 8, false},
                  {"MasterOverlays", "Overlay%03d", "[Overlays]", 7, false},
                  {"MasterObjects", "Object%03d", "[Objects]", 3, true}};
    for (const auto& s : series)
    {
        SCOPED_TRACE(s.masters);
        const std::vector<std::string> masters = Series(*world, s.masters, s.format);
        std::string section = std::string("[") + s.masters + "]";
        EXPECT_EQ(Entries(*world, section.c_str()).size(), masters.size()) << "no gap in the numbers";
        for (size_t m = 0; m < masters.size(); ++m)
        {
            if (!s.objectFiles)
            {
                EXPECT_TRUE(FileExists(Data(masters[m]).c_str())) << masters[m];
                continue;
            }
            ErrorCapture errors;
            CMapObject master(static_cast<int32_t>(m));
            EXPECT_EQ(master.LoadFromFile(Data(masters[m]).c_str()), CX_ERR_NONE) << masters[m];
            EXPECT_TRUE(errors.Errors().empty()) << masters[m];
        }
        const auto placed = Entries(*world, s.placed);
        EXPECT_FALSE(placed.empty());
        for (const auto& [name, value] : placed)
        {
            const std::string digits = name.substr(name.size() - s.digits);
            ASSERT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << name;
            const size_t master = std::stoul(digits);
            ASSERT_LT(master, masters.size()) << name;
            EXPECT_EQ(name.find_first_of("0123456789"), name.size() - s.digits) << name;
            if (!s.objectFiles)
                continue;
            // No solid object, seen or not, stands in the way on a road.
            CMapObject object;
            ASSERT_EQ(object.LoadFromFile(Data(masters[master]).c_str()), CX_ERR_NONE);
            int x = 0, y = 0;
            ASSERT_EQ(sscanf(value.c_str(), "%d, %d", &x, &y), 2) << value;
            const CxRect box = object.GetCollisionRect();
            if (object.IsSolid())
            {
                EXPECT_FALSE(TouchesRoad(CxRect(x + box.left, y + box.top, x + box.right, y + box.bottom)))
                    << name << "=" << value;
            }
        }
        if (s.objectFiles)
        {
            ASSERT_GT(masters.size(), 40u);
            EXPECT_NE(masters[40].find("Invis"), std::string::npos) << "the blockers are invisible";
            EXPECT_NE(masters[19].find("oil"), std::string::npos);
            EXPECT_NE(placed.front().first, "Object039") << "the finish banner is not the first object";
        }
    }
}

TEST_F(TownDataTest, TheTownsOwnImagesAreFoundUnderTheNamesItAsksForAndArrowsPointTheirWay)
{
    for (const char* name :
         {"$GAMEPATH\\VPLAYER\\tread.tga", "$GAMEPATH\\MAP\\mapbut.tga", "$GAMEPATH\\common\\c_plate.tga",
          "$GAMEPATH\\COMMON\\zone.tga", "$GAMEPATH\\movies\\catchintro0.smk",
          "$GAMEPATH\\mission\\printing\\EndPrintingActivity.seq"})
        EXPECT_TRUE(FileExists(ExpandGamePath(name).c_str())) << name;
    // Image 0 points up, image 4 (270 degrees clockwise) left, image 12 right.
    struct
    {
        int32_t index;
        CxPoint tip, tail;
    } arrows[] = {
        {0, {32, 6}, {32, 62}}, {4, {6, 32}, {62, 32}}, {8, {32, 58}, {32, 2}}, {12, {58, 32}, {2, 32}}};
    for (const auto& a : arrows)
    {
        const CxString name = BuildGamePath("$GAMEPATH\\COMMON\\helparrow%02d.tga", a.index);
        CxDrawSurface image;
        ASSERT_EQ(image.Load(name.c_str()), CX_ERR_NONE) << name.c_str();
        const uint32_t magenta = image.MakeColor(255, 0, 255);
        EXPECT_NE(image.GetPixel(a.tip.x, a.tip.y), magenta) << a.index;
        EXPECT_EQ(image.GetPixel(a.tail.x, a.tail.y), magenta) << a.index;
    }
    // Every picture but the invisible ones shows something.
    for (const char* folder : {"OBJECTS", "BUILDINGS", "TILES", "COMMON"})
        for (const auto& entry : std::filesystem::directory_iterator(s_Dir->File(folder)))
        {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() != ".tga" || name.find("Invis") != std::string::npos)
                continue;
            CxDrawSurface image;
            ASSERT_EQ(image.Load(entry.path().c_str()), CX_ERR_NONE) << name;
            const uint32_t magenta = image.MakeColor(255, 0, 255);
            bool drawn = false;
            for (int32_t y = 0; y < image.GetHeight() && !drawn; y += 2)
                for (int32_t x = 0; x < image.GetWidth() && !drawn; x += 2)
                    drawn = image.GetPixel(x, y) != magenta;
            EXPECT_TRUE(drawn) << folder << "/" << name;
        }
    std::string movie;
    ASSERT_TRUE(ReadWholeFile(s_Dir->File("movies/catchintro0.smk"), movie));
    ST_SMK_INFO info;
    ASSERT_TRUE(ReadSmackerInfo(reinterpret_cast<const uint8_t*>(movie.data()),
                                static_cast<uint32_t>(movie.size()), &info));
    EXPECT_EQ(info.nWidth, 640u);
    EXPECT_EQ(info.nHeight, 480u);
    EXPECT_LE(info.nFrames * info.nRateDen, 3 * info.nRateNum)
        << "at most 3 seconds: it plays at every entry";
}
