#include "game/missions/mission.h"
#include "game/missions/mission_phase.h"
#include "game/missions/water_ball.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct PhaseKeyCase
{
    const char* key;
    bool ok, add;
    int32_t type;
};

TEST(MissionPhaseParse, KeysAndPointsTakeOnlyPlainNumbers)
{
    static const PhaseKeyCase KEYS[] = {
        {"Add35", true, true, 35},  {"sub7", true, false, 7},
        {"ADD0", true, true, 0},    {"Add", false, false, 0},
        {"Add-3", false, false, 0}, {"Add3x", false, false, 0},
        {"Mul3", false, false, 0},  {"Add99999999999", false, false, 0},
        {"Sub 4", true, false, 4},
    };
    for (const PhaseKeyCase& c : KEYS)
    {
        bool add = !c.add;
        int32_t type = -1;
        ASSERT_EQ(ParsePhaseKey(c.key, &add, &type), c.ok) << c.key;
        if (c.ok)
        {
            EXPECT_TRUE(add == c.add && type == c.type) << c.key;
        }
    }
    EXPECT_FALSE(ParsePhaseKey(nullptr, nullptr, nullptr));
    static const struct
    {
        const char* text;
        bool ok;
        CxPoint point;
    } POINTS[] = {{"400, 300", true, {400, 300}},
                  {"-5,7", true, {-5, 7}},
                  {" 1 , 2 ", true, {1, 2}},
                  {"400", false, {}},
                  {"4, y", false, {}},
                  {"", false, {}},
                  {"1, 2, 3", false, {}},
                  {"123456789012345678901234567890123, 1", false, {}}};
    for (const auto& c : POINTS)
    {
        CxPoint point(-1, -1);
        ASSERT_EQ(ParsePhasePoint(c.text, &point), c.ok) << c.text;
        if (c.ok)
        {
            EXPECT_EQ(point, c.point) << c.text;
        }
    }
}

TEST(WaterBallPath, ArcPointsFollowTheLineLiftedInTheMiddle)
{
    const std::vector<CxPoint> flat = WaterBallPath(CxPoint(0, 0), CxPoint(80, 0));
    ASSERT_EQ(flat.size(), 5u);
    EXPECT_EQ(flat[0], CxPoint(0, 0));
    EXPECT_EQ(flat[1], CxPoint(16, -58));
    EXPECT_EQ(flat[2], CxPoint(32, -95));
    EXPECT_EQ(flat[4], CxPoint(64, -58));
    EXPECT_EQ(WaterBallPath(CxPoint(0, 0), CxPoint(10, 3)).size(), 1u);
    EXPECT_TRUE(WaterBallPath(CxPoint(0, 0), CxPoint(9, 3)).empty());
    // Straight down: no sideways step, every point lifted by the arch.
    const std::vector<CxPoint> down = WaterBallPath(CxPoint(5, 0), CxPoint(5, 80));
    ASSERT_EQ(down.size(), 10u);
    for (const CxPoint& point : down)
        EXPECT_EQ(point.x, 5);
    EXPECT_LE(down[5].y, 40 - 99);
    // Going left truncates toward zero.
    const std::vector<CxPoint> left = WaterBallPath(CxPoint(0, 0), CxPoint(-50, 3));
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[1].x, -16);
    EXPECT_TRUE(WaterBallPath(CxPoint(0, 0), CxPoint(0, 0)).empty());
}
} // namespace

namespace {
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

// The test town (masters 0 and 1, a rock at 300, 300 and a wall at 400,
// 400) with a framework and a mission file of phases.
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
                    "[Mission]\nMissionType=5\n[Level00]\nNumReqItems=1\n"
                    "[Phase0]\nAdd0=100, 120\nadd1=50, 60\nSub0=300, 300\nAdd9=1, 1\nOther=2, 2\n"
                    "Add1=nowhere\n[Phase2]\nSub0=100, 120\nSub0=100, 120\n");
    }
    void TearDown() override
    {
        m_pTown->SetMission(nullptr);
        m_pFramework.reset();
        TownTest::TearDown();
    }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }
    size_t Placed() const { return m_pTown->GetPlacedObjects().size(); }
    CMissionPhase& Phase() { return m_pFramework->Phase(); }

    CountingKind m_Kind;
    std::unique_ptr<CMissionFramework> m_pFramework;
};

TEST_F(MissionPhaseTest, StepsApplyTheirSectionsAndTheStopTakesTheAddedObjectsAway)
{
    ASSERT_EQ(Placed(), 2u);
    ASSERT_EQ(m_pFramework->LoadFile("$GAMEPATH\\phases.ini"), 0u);
    EXPECT_EQ(Phase().GetCounter(), -1);
    Run("StartMission");
    Run("NextPhase");
    EXPECT_EQ(Phase().GetCounter(), 0);
    // Two added (the unknown master, the unknown key and the bad point are skipped), the rock gone.
    ASSERT_EQ(Phase().GetObjects().size(), 2u);
    EXPECT_EQ(Placed(), 3u);
    EXPECT_EQ(m_pTown->FindTownObject(0, CxPoint(300, 300)), nullptr);
    CMapObject* fire = m_pTown->FindTownObject(0, CxPoint(100, 120));
    ASSERT_NE(fire, nullptr);
    EXPECT_TRUE(fire->IsShown());
    EXPECT_EQ(m_Kind.added, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(m_Kind.removing, (std::vector<int32_t>{0}));
    EXPECT_NE(std::find(m_pTown->GetCollisionSprites().begin(), m_pTown->GetCollisionSprites().end(), fire),
              m_pTown->GetCollisionSprites().end());
    Run("NextPhase"); // no Phase1
    EXPECT_EQ(Phase().GetCounter(), 1);
    EXPECT_EQ(Placed(), 3u);
    EXPECT_EQ(Phase().Step(), 1); // the second Sub finds nothing left
    EXPECT_EQ(Phase().GetObjects().size(), 1u);
    EXPECT_EQ(Placed(), 2u);
    Run("StopMission");
    EXPECT_TRUE(Phase().GetObjects().empty());
    ASSERT_EQ(Placed(), 1u);
    EXPECT_EQ(m_pTown->GetPlacedObjects()[0]->GetPosition(), CxPoint(400, 400));
    EXPECT_EQ(m_Kind.removing, (std::vector<int32_t>{0, 0, 1}));
}

TEST_F(MissionPhaseTest, ALoadStartsAgainAtPhaseZeroAndAnUnloadedWorldIsNotTouched)
{
    ASSERT_EQ(m_pFramework->LoadFile("$GAMEPATH\\phases.ini"), 0u);
    Phase().Step();
    Phase().Step();
    // A new load without a stop removes what the phases added.
    ASSERT_EQ(m_pFramework->LoadFile("$GAMEPATH\\phases.ini"), 0u);
    EXPECT_EQ(Phase().GetCounter(), -1);
    EXPECT_TRUE(Phase().GetObjects().empty());
    EXPECT_EQ(Placed(), 1u);
    Phase().Step();
    ASSERT_EQ(Phase().GetObjects().size(), 2u);
    // The town dropped its objects with its world: the stop only forgets them.
    m_pTown->UnloadWorld();
    m_pTown->LoadWorld();
    Run("StopMission");
    EXPECT_TRUE(Phase().GetObjects().empty());
    EXPECT_EQ(Placed(), 2u);
    // Without an open file a step only counts.
    Phase().SetCounter(-1);
    EXPECT_EQ(Phase().Step(), 0);
    EXPECT_EQ(Phase().GetCounter(), 0);
}

class WaterStreamTest : public town_test::TownTest
{
protected:
    void SetUp() override
    {
        TownTest::SetUp();
        CxDrawSurface balls(64, 8, 24);
        balls.FillRect(nullptr, 0x3333ff);
        ASSERT_EQ(balls.Save(m_Dir.File("ball.bmp").c_str()), 0u);
    }
    CWaterStream m_Stream;
};

TEST_F(WaterStreamTest, BallsLeaveInTurnHitOnceAndSplashAtTheEnd)
{
    // Without a master nothing flies.
    m_Stream.Launch(&m_pTown->GetMap(), WaterBallPath(CxPoint(0, 0), CxPoint(80, 0)));
    EXPECT_FALSE(m_Stream.IsFlying());
    ASSERT_EQ(m_Stream.CreateMaster(m_Dir.File("ball.bmp").c_str(), 8, 0), 0u);
    EXPECT_EQ(m_Stream.GetMaster()->GetFrameWidth(), 8);
    m_Stream.Launch(&m_pTown->GetMap(), WaterBallPath(CxPoint(0, 0), CxPoint(160, 0))); // 10 points
    ASSERT_EQ(m_Stream.GetPath().size(), 10u);
    std::vector<CxPoint> tested;
    int32_t ends = 0;
    const auto none = [&](CWaterBall& ball) { return tested.push_back(ball.GetPosition()), false; };
    const auto end = [&](CWaterBall&) { ++ends; };
    EXPECT_TRUE(m_Stream.Advance(none, end));
    EXPECT_EQ(m_Stream.GetBallCount(), 1u);
    Tick(40);
    m_Stream.Advance(none, end);
    EXPECT_EQ(m_Stream.GetBallCount(), 2u);
    // The first ball passed points 1 and 2 and was tested at each.
    EXPECT_EQ(tested.size(), 4u);
    EXPECT_EQ(m_Stream.GetBalls()[0]->GetPosition(), m_Stream.GetPath()[2]);
    // The second ball hits at once: it goes, and is never tested again.
    bool hitOnce = false;
    Tick(20);
    m_Stream.Advance(
        [&](CWaterBall& ball) {
            return &ball == m_Stream.GetBalls()[1] && !hitOnce ? (hitOnce = true) : false;
        },
        end);
    EXPECT_EQ(m_Stream.GetBallCount(), 1u);
    Tick(1000);
    EXPECT_FALSE(m_Stream.Advance(none, end));
    EXPECT_EQ(ends, 3); // four balls, one of them hit
    EXPECT_EQ(m_Stream.GetBallCount(), 0u);
    // A new volley replaces the old one; destroying the master clears the balls.
    m_Stream.Launch(&m_pTown->GetMap(), WaterBallPath(CxPoint(0, 0), CxPoint(160, 0)));
    m_Stream.Advance(none, end);
    EXPECT_EQ(m_Stream.GetBallCount(), 1u);
    m_Stream.DestroyMaster();
    EXPECT_FALSE(m_Stream.IsFlying());
    EXPECT_EQ(m_Stream.GetMaster(), nullptr);
}
} // namespace
