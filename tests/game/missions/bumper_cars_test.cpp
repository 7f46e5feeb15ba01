#include "game/missions/bumper_cars.h"

#include "engine/core/random.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

namespace {
// A HUD of n sets that counts its steps and lit icons (10 * icon + frame).
class CountingHud : public ITownHud
{
public:
    void SetMissionSets(const std::vector<CMissionSetData>& sets, int32_t) override
    {
        count = int32_t(sets.size());
    }
    uint32_t Load() override { return index = 0, 0u; }
    void NextSet() override { ++index; }
    void LightIcon(int32_t i, int32_t frame) override { lit.push_back(i * 10 + frame); }
    bool IsLastHudSet() const override { return index >= count - 1; }
    int32_t count = 1, index = 0;
    std::vector<int32_t> lit;
};

// A town of 13 buildings "Place<n>" (10..12 the arenas), the four enemies'
// truck files, the truck far away, and a counting HUD.
class BumperTest : public town_test::TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        SeedRandom(5);
        CxDrawSurface tile(64, 64, 24);
        ASSERT_EQ(tile.Save(m_Dir.File("tile.bmp").c_str()), 0u);
        town_test::WriteMap(m_Dir);
        for (const char* dir : {"VPLAYER", "VENEMY", "mission"})
            mkdir(m_Dir.File(dir).c_str(), 0755);
        m_Dir.Write("VPLAYER/brund.ini", truck_test::TruckText(16));
        for (int id = 0; id < BUMPER_ENEMY_COUNT; ++id)
            m_Dir.Write("VENEMY/" + std::string(BumperEnemyName(id)) + ".ini",
                        truck_test::TruckText(16, "MaxDrivingSpeed=8\nDrivingAcceleration=8\n"));
        std::string world = "[World]\nMap=town.map\n[Buildings]\n";
        for (int i = 0; i < 13; ++i)
        {
            world += "Building" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=b" +
                     std::to_string(i) + ".ini\n";
            m_Dir.Write("b" + std::to_string(i) + ".ini",
                        "[QexSprite]\nName=Place" + std::to_string(i) +
                            "\nNumStates=1\n[State000]\nFileName=$GAMEPATH\\tile.bmp\n");
        }
        m_Dir.Write("world.ini", world);
        m_Dir.Write("nodes.ini", "");
        WriteMission(3, 4);
        StartTown();
        m_pTown->m_bTruckScrollsMap = m_pTown->m_bUserControl = false;
        m_pTown->GetTruck()->PlaceAt(CxPoint(6000, 3500));
        m_pTown->SetHud(&m_Hud);
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pBumper = std::make_unique<CBumperCars>(*m_pTown);
        m_pFramework->SetKind(MISSION_KIND_BUMPER, m_pBumper.get());
        m_pTown->SetMission(m_pFramework.get());
    }
    void TearDown() override
    {
        m_pFramework->Stop();
        m_pTown->SetMission(nullptr);
        m_pTown->SetHud(nullptr);
        m_pBumper.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    // req bumps an arena, arenas done within 10 s are fast, over 60 s slow.
    void WriteMission(int32_t required, int32_t sets)
    {
        const std::string level = "NumReqItems=" + std::to_string(required) +
                                  "\nNumHudSets=" + std::to_string(sets) +
                                  "\nTimerIntervalMin=10000\nTimerIntervalMax=60000\n";
        m_Dir.Write("mission/bumper.ini", "[Mission]\nMissionType=4\n[Level00]\n" + level + "[Level01]\n" +
                                              level + "[Level02]\n" + level);
    }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }
    std::string Variable(const char* name) { return m_pApp->GetInterpolator().Expand(name).c_str(); }
    // The giver's scene: the truck at building 2, the mission loaded and started.
    void StartMission()
    {
        m_pTown->EnterBuilding(m_pTown->GetBuildings()[2].get());
        Run("LoadMission $GAMEPATH\\mission\\bumper.ini");
        Run("StartMission");
    }
    // The enemy of the current arena loaded, on a graph of its own.
    CEnemy& PlaceEnemy(const std::vector<CxPoint>& points, const std::vector<std::pair<int, int>>& links)
    {
        CDrivingGraph& graph = m_pTown->GetNodes();
        graph.Clear();
        for (const CxPoint& p : points)
            graph.AddNode(p);
        for (auto [a, b] : links)
            graph.GetNode(size_t(a))->Link(graph.GetNode(size_t(b)));
        Run("SetLoadEnemyFlag");
        m_pTown->UpdateTown();
        return *m_pTown->GetEnemy();
    }

    CountingHud m_Hud;
    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CBumperCars> m_pBumper;
};

TEST_F(BumperTest, GiverDrawsEveryArenaAndEnemyOnceAndVisitsThemInThatOrder)
{
    const std::string townIntro = Variable("$INTROID");
    StartMission();
    std::set<std::string> drawn;
    for (const char* name :
         {"$BUILDINGID0", "$BUILDINGID1", "$BUILDINGID2", "$ENEMYID0", "$ENEMYID1", "$ENEMYID2", "$ENEMYID3"})
        drawn.insert(Variable(name));
    EXPECT_EQ(drawn, (std::set<std::string>{"10", "11", "12", "0", "1", "2", "3"}));
    EXPECT_TRUE(m_pApp->GetPlayedFlag() & BUMPER_MISSION_BIT);
    uint32_t seen = 0;
    for (int k = 0; k < 4; ++k)
    {
        if (k > 0)
            Run("NextBumperCarBuilding"); // the fourth changes nothing
        const std::string arena = Variable("$BUILDINGID"), n = std::to_string(std::min(k, 2));
        const int b = std::stoi(arena);
        EXPECT_EQ(arena + Variable(" $ENEMYID"), Variable(("$BUILDINGID" + n + " $ENEMYID" + n).c_str()));
        EXPECT_EQ(Variable("$ENEMYNAME"), BumperEnemyName(std::stoi(Variable("$ENEMYID"))));
        EXPECT_EQ(Variable("$BUILDINGNAME"), "Place" + arena);
        EXPECT_EQ(m_pTown->GetBuildings()[static_cast<size_t>(b)]->m_nCharacterValue, BUMPER_ARENA_STAGE);
        CxPoint start;
        ASSERT_TRUE(BumperStartPoint(b, &start));
        EXPECT_EQ(Variable("$ENEMYX,$ENEMYY"), std::to_string(start.x) + "," + std::to_string(start.y));
        EXPECT_EQ(Variable("$INTROID $SEQNUMBER"), "a 2") << "the first visit of " << b;
        seen |= BumperArenaBit(b);
        EXPECT_EQ(static_cast<uint32_t>(m_pApp->GetProfile().bumperCarBldgDone), seen);
        EXPECT_EQ(m_pBumper->GetArenaCounter(), std::min(k + 1, 3));
    }
    // Other buildings' greetings read the town's INTROID, the arena's scene the mission's.
    m_pTown->EnterBuilding(m_pTown->GetBuildings()[0].get());
    EXPECT_EQ(Variable("$INTROID"), townIntro);
    m_pTown->EnterBuilding(m_pTown->GetBuildings()[std::stoul(Variable("$BUILDINGID"))].get());
    EXPECT_EQ(Variable("$INTROID"), "a");
    // A later game in a town that lost its arenas 11 and 12: intro "b", no names.
    Run("StopMission");
    auto& buildings = const_cast<std::vector<std::unique_ptr<CBuilding>>&>(m_pTown->GetBuildings());
    buildings.resize(11);
    StartMission();
    for (int k = 0; k < 3; ++k, Run("NextBumperCarBuilding"))
    {
        EXPECT_EQ(Variable("$INTROID"), "b");
        EXPECT_TRUE(Variable("$BUILDINGID") == "10" || Variable("$BUILDINGNAME").empty());
    }
    EXPECT_TRUE(m_Capture.Errors().empty());
}

TEST_F(BumperTest, HitsCycleUntilTheArenaIsDoneAndLaterBumpsChangeNothing)
{
    WriteMission(5, 4);
    for (uint32_t seed = 1; m_pBumper->GetHitNumber() != 2 && seed < 50; ++seed, StartMission())
        SeedRandom(seed);
    ASSERT_EQ(m_pBumper->GetHitNumber(), 2);
    std::string hits;
    for (int i = 0; i < 7; ++i, hits += Variable("$ENEMYHITNUMBER"))
        Run("IncrementBumperCarScore");
    EXPECT_EQ(hits + Variable(" $SEQNUMBER"), "0120333 1");
    EXPECT_EQ(m_Hud.lit, (std::vector<int32_t>{1, 11, 21, 31, 41}));
    EXPECT_EQ(std::make_pair(m_pBumper->GetHudCounter(), m_Hud.index), std::make_pair(5, 1));
    Run("NextBumperCarBuilding"); // the next arena counts afresh
    EXPECT_EQ(m_pBumper->GetHudCounter(), 0);
}

// HUD sets, level, time an arena takes, arenas to the win, level after it.
using WinCase = std::tuple<int32_t, int32_t, uint32_t, int32_t, int32_t>;
class BumperWinTest : public BumperTest, public ::testing::WithParamInterface<WinCase>
{
};

TEST_P(BumperWinTest, TheLastHudSetWinsAndTheLevelMovesByTheTime)
{
    const auto [sets, level, ms, arenas, after] = GetParam();
    WriteMission(2, sets);
    m_pApp->SetBumperCarLevel(level);
    StartMission();
    for (int arena = 1; arena <= arenas; ++arena)
    {
        Tick(ms);
        Run("IncrementBumperCarScore");
        Run("IncrementBumperCarScore");
        const bool won = arena == arenas;
        EXPECT_EQ(Variable("$SEQNUMBER $ENEMYHITNUMBER"), won ? "3 3" : "1 3") << arena;
        EXPECT_EQ((m_pApp->GetCompletedFlag() & BUMPER_MISSION_BIT) != 0, won) << arena;
        Run("NextBumperCarBuilding");
    }
    EXPECT_EQ(m_pApp->GetLevel(USER_BUMPER_CAR), after);
}

INSTANTIATE_TEST_SUITE_P(Levels, BumperWinTest,
                         ::testing::Values(WinCase{1, 1, 30000, 1, 1},   // one set: the first arena wins
                                           WinCase{4, 0, 1000, 3, 1},    // fast
                                           WinCase{4, 2, 1000, 3, 2},    // fast at the top stays
                                           WinCase{4, 2, 70000, 3, 1},   // slow
                                           WinCase{4, 0, 70000, 3, 0})); // slow at the bottom stays

TEST_F(BumperTest, TheEnemyIsPlacedStandingAndRoamsWithoutTurningBack)
{
    StartMission();
    CxPoint s;
    BumperStartPoint(std::stoi(Variable("$BUILDINGID")), &s);
    // A square loop beside the start point, and a spur off its corner 3.
    CEnemy& enemy = PlaceEnemy({s + CxPoint(100, 0), s + CxPoint(300, 0), s + CxPoint(300, 200),
                                s + CxPoint(100, 200), s + CxPoint(100, 400)},
                               {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {3, 4}});
    ASSERT_GT(enemy.GetNumDirections(), 0);
    EXPECT_EQ(std::make_tuple(enemy.GetCentre(), enemy.GetSpeed(), m_pTown->m_bLoadEnemy,
                              m_pBumper->GetCurrentNode()),
              std::make_tuple(s, 0.0f, false, -1));
    Run("StartEnemy");
    EXPECT_EQ(std::make_tuple(m_pBumper->IsRoaming(), m_pBumper->GetCurrentNode(), enemy.GetTarget()),
              std::make_tuple(true, 0, s + CxPoint(100, 0)));
    std::vector<int32_t> visited{0};
    for (int i = 0; i < 1200; ++i, Tick(50), m_pTown->UpdateTown())
        if (m_pBumper->GetCurrentNode() != visited.back())
            visited.push_back(m_pBumper->GetCurrentNode());
    ASSERT_GE(visited.size(), 4u);
    for (size_t i = 2; i < visited.size(); ++i) // only the spur's end sends it back
        EXPECT_TRUE(visited[i - 1] == 4 || visited[i] != visited[i - 2]) << "turned back at step " << i;
    EXPECT_TRUE(m_Capture.Errors().empty());
}

TEST_F(BumperTest, AnEnemyThatGetsNoCloserToItsNodeHeadsForTheNextOne)
{
    StartMission();
    CxPoint s;
    BumperStartPoint(std::stoi(Variable("$BUILDINGID")), &s);
    CEnemy& enemy = PlaceEnemy({s + CxPoint(100, 0), s + CxPoint(300, 0), s + CxPoint(100, 200)},
                               {{0, 1}, {0, 2}, {1, 2}});
    ASSERT_GT(enemy.GetNumDirections(), 0);
    Run("StartEnemy");
    // Held where it stands (as if it circled the node or the truck stood in
    // its way), it waits a while and then drives on.
    CxLinkedList<CxString> zero;
    zero.AddTail("0");
    enemy.HandleCommand("SetMaxSpeed", zero);
    for (uint32_t t = 0; t + 100 < BUMPER_NODE_PATIENCE_MS; t += 50, Tick(50))
        m_pTown->UpdateTown();
    EXPECT_EQ(m_pBumper->GetCurrentNode(), 0);
    Tick(150);
    m_pTown->UpdateTown();
    EXPECT_NE(m_pBumper->GetCurrentNode(), 0);
    EXPECT_EQ(enemy.GetTarget(),
              m_pTown->GetNodes().GetNode(size_t(m_pBumper->GetCurrentNode()))->GetPoint());
}

TEST_F(BumperTest, NodeChoicesOnAChainALonelyNodeAndNoNodes)
{
    StartMission();
    PlaceEnemy({{0, 0}, {100, 0}, {200, 0}}, {{0, 1}, {1, 2}});
    for (int i = 0; i < 20; ++i) // on a chain, from 1 on to 2, and from the end back
    {
        m_pBumper->SetNodes(1, 0);
        ASSERT_TRUE(m_pBumper->ChooseNextNode());
        EXPECT_EQ(std::make_pair(m_pBumper->GetCurrentNode(), m_pBumper->GetPreviousNode()),
                  std::make_pair(2, 1));
        ASSERT_TRUE(m_pBumper->ChooseNextNode());
        EXPECT_EQ(m_pBumper->GetCurrentNode(), 1);
    }
    CEnemy& enemy = PlaceEnemy({{0, 0}}, {});
    m_pBumper->SetNodes(0, -1);
    EXPECT_FALSE(m_pBumper->ChooseNextNode());
    EXPECT_EQ(m_pBumper->GetCurrentNode(), 0);
    PlaceEnemy({}, {});
    Run("StartEnemy");
    const CxPoint centre = enemy.GetCentre();
    for (int i = 0; i < 10; ++i)
        m_pTown->UpdateTown();
    EXPECT_EQ(std::make_pair(enemy.GetCentre(), m_pBumper->GetCurrentNode()), std::make_pair(centre, -1));
}

TEST_F(BumperTest, StopResetsEverythingAndTakesTheEnemyOff)
{
    const std::string townValues = Variable("$INTROID $SEQNUMBER"); // the greetings' and scenes'
    StartMission();
    const size_t arena = size_t(std::stoi(Variable("$BUILDINGID")));
    CEnemy& enemy = PlaceEnemy({{0, 0}, {100, 0}}, {{0, 1}});
    Run("SetLoadEnemyFlag");
    Run("StartEnemy"); // before the placing: it waits for it
    m_pTown->UpdateTown();
    EXPECT_TRUE(m_pBumper->IsRoaming());
    Run("IncrementBumperCarScore");
    Run("StopMission");
    Run("IncrementBumperCarScore"); // counts for nothing
    const CBumperCars& b = *m_pBumper;
    EXPECT_EQ(
        std::make_tuple(b.GetEnemyX(), b.GetEnemyY(), b.GetHitNumber(), b.GetSeqNumber(), b.GetHudCounter()),
        std::make_tuple(0L, 0L, 0L, BUMPER_SEQ_BUMPING, 0));
    EXPECT_EQ(std::make_tuple(b.GetArenaCounter(), b.GetVerdict(), b.GetCurrentNode(), b.IsRoaming()),
              std::make_tuple(0, 0, -1, false));
    EXPECT_TRUE(b.GetEnemyName().IsEmpty() && b.GetIntroId().IsEmpty() && b.GetArenas().IsEmpty() &&
                b.GetEnemies().IsEmpty() && b.GetSpare().IsEmpty());
    EXPECT_EQ(
        m_pTown->GetBuildings()[arena]->m_nCharacterValue + m_pTown->GetBuildings()[arena]->m_nEnterStage, 0);
    EXPECT_FALSE(enemy.IsShown());
    EXPECT_EQ(
        std::count(m_pTown->GetCollisionSprites().begin(), m_pTown->GetCollisionSprites().end(), &enemy), 0);
    EXPECT_EQ(Variable("$INTROID $SEQNUMBER"), townValues);
}
} // namespace
