#include "game/missions/mission.h"
#include "game/missions/mission_phase.h"
#include "game/missions/water_ball.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

namespace {
TEST(MissionPhaseParse, KeysAndPointsTakeOnlyPlainNumbers)
{
    // Key, the type read (-1: refused; add for the "Add" keys).
    static const std::pair<const char*, int32_t> KEYS[] = {
        {"Add35", 35}, {"sub7", 7},   {"ADD0", 0},  {"Sub 4", 4},          {"Add", -1},
        {"Add-3", -1}, {"Add3x", -1}, {"Mul3", -1}, {"Add99999999999", -1}};
    for (const auto& [key, want] : KEYS)
    {
        bool add = false;
        int32_t type = -1;
        EXPECT_EQ(ParsePhaseKey(key, &add, &type) ? type : -1, want) << key;
        EXPECT_TRUE(want < 0 || add == (key[0] == 'A' || key[0] == 'a')) << key;
    }
    EXPECT_FALSE(ParsePhaseKey(nullptr, nullptr, nullptr));
    CxPoint point(-1, -1);
    EXPECT_TRUE(ParsePhasePoint(" -5 ,7 ", &point) && point == CxPoint(-5, 7));
    for (const char* bad : {"400", "4, y", "", "1, 2, 3", "123456789012345678901234567890123, 1"})
        EXPECT_FALSE(ParsePhasePoint(bad, &point)) << bad;
}

TEST(WaterBallPath, ArcPointsFollowTheLineLiftedInTheMiddle)
{
    EXPECT_EQ(WaterBallPath(CxPoint(0, 0), CxPoint(80, 0)),
              (std::vector<CxPoint>{{0, 0}, {16, -58}, {32, -95}, {48, -95}, {64, -58}}));
    EXPECT_EQ(WaterBallPath(CxPoint(0, 0), CxPoint(10, 3)).size(), 1u);
    EXPECT_TRUE(WaterBallPath(CxPoint(0, 0), CxPoint(9, 3)).empty());
    // Straight down keeps x; going left truncates toward zero.
    const std::vector<CxPoint> down = WaterBallPath(CxPoint(5, 0), CxPoint(5, 80));
    ASSERT_EQ(down.size(), 10u);
    EXPECT_TRUE(std::all_of(down.begin(), down.end(), [](const CxPoint& p) { return p.x == 5; }));
    EXPECT_LE(down[5].y, 40 - 99);
    EXPECT_EQ(WaterBallPath(CxPoint(0, 0), CxPoint(-50, 3))[1].x, -16);
}

// Counts what the phase step tells the running kind.
class CountingKind : public IMissionKind
{
public:
    void ObjectAdded(CMissionFramework&, CMapObject* object) override { added.push_back(object->GetId()); }
    void ObjectRemoving(CMissionFramework&, CMapObject* object) override
    {
        removing.push_back(object->GetId());
    }
    std::vector<int32_t> added, removing;
};

// The test town (masters 0 and 1, a rock at 300, 300 and a wall at 400, 400) with a framework.
class MissionPhaseTest : public town_test::TownTest
{
protected:
    void SetUp() override
    {
        TownTest::SetUp();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pFramework->SetKind(MISSION_KIND_FIRE, &m_Kind);
        m_pTown->SetMission(m_pFramework.get());
        m_Dir.Write("phases.ini",
                    "[Mission]\nMissionType=5\n[Phase0]\nAdd0=100, 120\nadd1=50, 60\nSub0=300, 300\n"
                    "Add9=1, 1\nOther=2, 2\nAdd1=nowhere\n[Phase2]\nSub0=100, 120\nSub0=100, 120\n");
    }
    void TearDown() override
    {
        m_pTown->SetMission(nullptr);
        m_pFramework.reset();
        TownTest::TearDown();
    }
    size_t Placed() const { return m_pTown->GetPlacedObjects().size(); }

    CountingKind m_Kind;
    std::unique_ptr<CMissionFramework> m_pFramework;
};

TEST_F(MissionPhaseTest, StepsApplyTheirSectionsAndTheStopOrALoadTakesTheAddedObjectsAway)
{
    CMissionPhase& phase = m_pFramework->Phase();
    ASSERT_EQ(m_pFramework->LoadFile("$GAMEPATH\\phases.ini"), 0u);
    EXPECT_EQ(phase.GetCounter(), -1);
    truck_test::Command(*m_pTown, "StartMission");
    truck_test::Command(*m_pTown, "NextPhase");
    // Two added (an unknown master, key or point is skipped), the rock gone.
    EXPECT_EQ(phase.GetCounter(), 0);
    ASSERT_EQ(phase.GetObjects().size(), 2u);
    EXPECT_EQ(Placed(), 3u);
    EXPECT_EQ(m_pTown->FindTownObject(0, CxPoint(300, 300)), nullptr);
    CMapObject* added = m_pTown->FindTownObject(0, CxPoint(100, 120));
    ASSERT_TRUE(added && added->IsShown());
    EXPECT_EQ(m_Kind.added, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(m_Kind.removing, (std::vector<int32_t>{0}));
    EXPECT_EQ(phase.Step(), 0); // no Phase1
    EXPECT_EQ(phase.Step(), 1); // the second Sub finds nothing left
    EXPECT_EQ(Placed(), 2u);
    truck_test::Command(*m_pTown, "StopMission");
    EXPECT_TRUE(phase.GetObjects().empty());
    ASSERT_EQ(Placed(), 1u);
    EXPECT_EQ(m_Kind.removing, (std::vector<int32_t>{0, 0, 1}));
    // A load starts again at Phase0 and removes what the phases added.
    ASSERT_EQ(m_pFramework->LoadFile("$GAMEPATH\\phases.ini"), 0u);
    phase.Step();
    ASSERT_EQ(m_pFramework->LoadFile("$GAMEPATH\\phases.ini"), 0u);
    EXPECT_TRUE(phase.GetObjects().empty() && phase.GetCounter() == -1);
    EXPECT_EQ(Placed(), 1u);
    // Objects the town dropped with its world are only forgotten (ASan: never touched).
    phase.Step();
    m_pTown->UnloadWorld();
    m_pTown->LoadWorld();
    truck_test::Command(*m_pTown, "StopMission");
    EXPECT_TRUE(phase.GetObjects().empty());
    EXPECT_EQ(Placed(), 2u);
}

TEST_F(MissionPhaseTest, WaterBallsLeaveInTurnHitOnceAndEndAtTheArcsEnd)
{
    CWaterStream stream;
    ASSERT_EQ(stream.CreateMaster(m_Dir.File("tile.bmp").c_str(), 8, 0), 0u);
    stream.Launch(&m_pTown->GetMap(), WaterBallPath(CxPoint(0, 0), CxPoint(160, 0))); // 10 points
    int32_t tests = 0, ends = 0;
    const auto none = [&](CWaterBall&) { return ++tests, false; };
    const auto end = [&](CWaterBall&) { ++ends; };
    stream.Advance(none, end);
    Tick(40);
    stream.Advance(none, end);
    // The first ball was tested at points 0, 1 and 2; the second at its release.
    EXPECT_EQ(tests, 4);
    ASSERT_EQ(stream.GetBallCount(), 2u);
    EXPECT_EQ(stream.GetBalls()[0]->GetPosition(), stream.GetPath()[2]);
    CWaterBall* second = stream.GetBalls()[1];
    Tick(20);
    stream.Advance([&](CWaterBall& ball) { return &ball == second; }, end);
    EXPECT_EQ(stream.GetBallCount(), 1u);
    Tick(1000);
    EXPECT_FALSE(stream.Advance(none, end));
    EXPECT_EQ(ends, 3); // four balls, one hit
}
} // namespace
