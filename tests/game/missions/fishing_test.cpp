#include "game/missions/fishing.h"

#include "engine/core/random.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>

namespace {
using town_test::TownAppTest;

// A river town of 100 x 60 tiles; eight junk masters (four states, the
// fourth one frame long, or three states without a pull-out), Vodu with
// its two sequences, the lure and the fishing scenes.
class FishingTest : public TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        SeedRandom(21);
        CxDrawSurface tile(64, 64, 24), small(12, 12, 24);
        tile.FillRect(nullptr, 0x3366AA);
        small.FillRect(nullptr, 0xCC2222);
        ASSERT_EQ(tile.Save(m_Dir.File("tile.bmp").c_str()), 0u);
        ST_MAP_DESCRIPTION map;
        map.tileWidth = map.tileHeight = 64;
        map.columns = 100;
        map.rows = 60;
        map.tiles.assign(117, ST_MAP_WRITER_TILE{"tile.bmp", 0});
        map.cells.assign(6000, 0);
        ASSERT_EQ(WriteMapFile(m_Dir.File("town.map").c_str(), map), 0u);
        for (const char* dir : {"VPLAYER", "TARGETS", "VNPC", "mission", "mission/fishing"})
            mkdir(m_Dir.File(dir).c_str(), 0755);
        ASSERT_EQ(tile.Save(m_Dir.File("VPLAYER/tread.tga").c_str()), 0u);
        ASSERT_EQ(small.Save(m_Dir.File("mission/fishing/lure.tga").c_str()), 0u);
        ASSERT_EQ(small.Save(m_Dir.File("junk.bmp").c_str()), 0u);
        m_Dir.Write("VPLAYER/brund.ini", truck_test::TruckText(16, "", "", "$GAMEPATH\\truck.smk", ""));
        m_Dir.Write("world.ini", "[World]\nMap=town.map\n");
        m_Dir.Write("nodes.ini", "");
        WriteJunk(4);
        m_Dir.Write("VNPC/vodu.ini",
                    "[QexSprite]\nNumStates=1\nOnHit=$GAMEPATH\\hit.seq\n"
                    "OnClick=$GAMEPATH\\click.seq\n[State000]\nFileName=$GAMEPATH\\junk.bmp\n");
        m_Dir.Write("hit.seq", "Event Town.SetAllowBuildingFade(1)\n");
        m_Dir.Write("click.seq", "Event Town.SetAllowBuildingFade(2)\n");
        m_Dir.Write("mission/fishing/intro.seq", "Event Town.SetUserControl(0)\nEvent Town.StartFishing()\n");
        m_Dir.Write("mission/fishing/end.seq", "Event Town.SetUserControl(1)\n");
        WriteMission(4);
        StartTown();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pFishing = std::make_unique<CFishingMission>(*m_pTown);
        m_pFramework->SetKind(MISSION_KIND_FISHING, m_pFishing.get());
        m_pTown->SetMission(m_pFramework.get());
        m_pTown->m_bUserControl = false;
        m_pTown->m_bTruckScrollsMap = false;
        Truck().PlaceAt(CxPoint(5250, 3035));
        Truck().SetTarget(CxPoint(5250, 3035));
    }
    void TearDown() override
    {
        m_pTown->SetMission(nullptr);
        m_pFishing.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    void WriteJunk(int32_t states)
    {
        std::string text = "[QexSprite]\nNumStates=" + std::to_string(states) + "\n";
        for (int32_t s = 0; s < states; ++s)
            text += "[State00" + std::to_string(s) + "]\nFileName=$GAMEPATH\\junk.bmp\nFrameRate=10\n";
        for (int i = 0; i < FISH_MASTERS; ++i)
            m_Dir.Write("TARGETS/t3_junk" + std::to_string(i) + ".ini", text);
    }
    void WriteMission(int32_t required, const std::string& keys = "")
    {
        const std::string level =
            "NumReqItems=" + std::to_string(required) + "\nTimerIntervalMin=60000\nTimerIntervalMax=90000\n";
        m_Dir.Write("mission/fishing/fishing.ini", "[Mission]\nMissionType=6\n" + keys + "[Level00]\n" +
                                                       level + "[Level01]\n" + level + "[Level02]\n" + level);
    }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }
    // Started and fishing; the ticks are the test's own.
    void StartFishing()
    {
        Run("LoadMission $GAMEPATH\\mission\\fishing\\fishing.ini");
        Run("StartMission");
        Run("StartFishing");
        m_pFishing->TickTimer().Reset();
    }
    CTruck& Truck() { return *m_pTown->GetTruck(); }
    CxPoint RodTip()
    {
        CxPoint corner;
        Truck().GetAnchorPoint(corner, ANCHOR_BOTTOM_RIGHT);
        return corner - CxPoint(50, 100);
    }
    CFishingLine& Line() { return m_pFishing->Line(); }
    // A cast 300 px down-right, stepped until the lure is in the water.
    void CastIntoWater()
    {
        m_pFramework->MapClicked(RodTip() + CxPoint(300, 0));
        Line().Timer().Reset();
        while (Line().GetLineState() == LINE_CASTING)
            Line().Step();
    }
    // The first floating piece meets the lure at a tick.
    void SnagFirst()
    {
        m_pFishing->GetFloating().front()->MoveTo(Line().GetLurePoint(), ANCHOR_CENTER);
        m_pFishing->Tick(*m_pFramework);
    }
    // Snags the first floating piece and pulls it out.
    void CatchOne()
    {
        CastIntoWater();
        SnagFirst();
        ASSERT_NE(m_pFishing->GetSnagged(), nullptr);
        Line().SetLineState(LINE_REELED_IN);
        for (int i = 0; i < 20 && m_pFishing->GetSnagged(); ++i)
        {
            m_pFishing->Tick(*m_pFramework);
            Tick(50);
            m_pApp->OnIdle();
        }
        ASSERT_EQ(m_pFishing->GetSnagged(), nullptr);
    }
    int32_t OnMap() { return m_pTown->GetMap().CountChildren(); }

    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CFishingMission> m_pFishing;
};

TEST_F(FishingTest, LanesCycleFromTheCounterAndEveryCatchSpeedsThemUp)
{
    WriteMission(6, "BaseChannelSpeed=-3\nCastSpeed=0\nReelSpeed=-1\nPlusChannelSpeed=0.5\n");
    SeedRandom(9);
    Random(); // the pick of the mission file
    const int32_t counter = Random() % FISH_LANES;
    float expected[FISH_LANES];
    for (float& speed : expected)
        speed = 1.0f + 4.0f * static_cast<float>((Random() % 10000) * 0.00010001);
    SeedRandom(9);
    StartFishing();
    EXPECT_EQ(Line().GetCastSpeed(), FISH_DEFAULT_CAST);
    EXPECT_EQ(Line().GetReelSpeed(), FISH_DEFAULT_REEL);
    ASSERT_EQ(m_pFishing->GetFloating().size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(m_pFishing->GetFloating()[i]->m_nLane,
                  static_cast<int32_t>((counter + 1 + i) % FISH_LANES));
    for (int32_t lane = 0; lane < FISH_LANES; ++lane)
        EXPECT_FLOAT_EQ(m_pFishing->GetLaneSpeed(lane), expected[lane]);
    for (int i = 0; i < 4; ++i)
        CatchOne();
    EXPECT_EQ(m_pFramework->Mission().m_nCollected, 4);
    for (int32_t lane = 0; lane < FISH_LANES; ++lane)
        EXPECT_FLOAT_EQ(m_pFishing->GetLaneSpeed(lane), expected[lane] + 2.0f);
    // Two still needed: two float.
    EXPECT_GE(m_pFishing->GetFloating().size(), 2u);
}

TEST_F(FishingTest, ClicksCastOnlyWhenTheyMay)
{
    static const struct
    {
        const char* what;
        const char* keys;
        int32_t distance;
        bool reeling, snagged, fishing, casts;
    } CASES[] = {
        {"150 px", "", 150, false, false, true, false},
        {"151 px", "", 151, false, false, true, true},
        {"reeling", "", 300, true, false, true, false},
        {"fast recast", "FastRecasting=1\n", 300, true, false, true, true},
        {"snagged", "", 300, false, true, true, false},
        {"before fishing", "", 300, false, false, false, false},
    };
    for (const auto& c : CASES)
    {
        WriteMission(4, c.keys);
        StartFishing();
        if (!c.fishing)
            Run("StartMission");
        if (c.reeling || c.snagged)
            CastIntoWater();
        if (c.snagged)
        {
            SnagFirst();
            Line().SetIdle();
        }
        m_pFramework->MapClicked(RodTip() + CxPoint(0, c.distance));
        EXPECT_EQ(Line().GetLineState() == LINE_CASTING, c.casts) << c.what;
        Run("StopMission");
    }
}

TEST_F(FishingTest, TheLureFliesToTheTargetAndIsReeledInAt130)
{
    StartFishing();
    const CxPoint tip = RodTip(), target = tip + CxPoint(-300, 400);
    m_pFramework->MapClicked(target);
    Line().Timer().Reset();
    EXPECT_TRUE(Line().IsShown() && Line().Lure().IsShown());
    int steps = 0;
    for (; Line().GetLineState() == LINE_CASTING && steps < 100; ++steps)
        Line().Step();
    // 500 px at 40 a step: 12 steps out, the 13th is within 42 and turns.
    EXPECT_EQ(steps, 13);
    const CxPoint lure = Line().GetLurePoint();
    EXPECT_LT(std::hypot(lure.x - target.x, lure.y - target.y), 42.0);
    for (steps = 0; Line().GetLineState() == LINE_REELING && steps < 100; ++steps)
        Line().Step();
    // From 480 px at 10 a step: the 35th is at 130.
    EXPECT_EQ(steps, 35);
    EXPECT_EQ(Line().GetLineState(), LINE_REELED_IN);
    EXPECT_NEAR(std::hypot(Line().GetLurePoint().x - tip.x, Line().GetLurePoint().y - tip.y), 130.0, 1.0);
    m_pFishing->Tick(*m_pFramework);
    EXPECT_EQ(Line().GetLineState(), LINE_IDLE);
    EXPECT_FALSE(Line().IsShown());
}

TEST_F(FishingTest, SnaggedJunkKnocksOthersAndHitsVoduThenIsPulledOut)
{
    StartFishing();
    CastIntoWater();
    const auto& floating = m_pFishing->GetFloating();
    CJunk* first = floating[1].get();
    first->MoveTo(Line().GetLurePoint(), ANCHOR_CENTER);
    floating[2]->MoveTo(Line().GetLurePoint(), ANCHOR_CENTER);
    m_pFishing->Tick(*m_pFramework);
    ASSERT_EQ(m_pFishing->GetSnagged(), first);
    EXPECT_EQ(floating.size(), 3u);
    // Dragged along: the piece under it is knocked, Vodu is hit.
    m_pFishing->GetVodu()->MoveTo(Line().GetLurePoint(), ANCHOR_CENTER);
    floating[1]->MoveTo(Line().GetLurePoint(), ANCHOR_CENTER);
    m_pFishing->Tick(*m_pFramework);
    CJunk* knocked = floating[1].get();
    EXPECT_EQ(knocked->GetState(), JUNK_KNOCKED);
    EXPECT_TRUE(m_pFishing->GetVodu()->IsBusy());
    Tick(1500);
    m_pFishing->Tick(*m_pFramework);
    EXPECT_EQ(knocked->GetState(), JUNK_FLOATING);
    Line().SetLineState(LINE_REELED_IN);
    m_pFishing->Tick(*m_pFramework);
    EXPECT_EQ(first->GetState(), JUNK_PULLED);
    EXPECT_EQ(m_pFramework->Mission().m_nCollected, 0);
    Tick(200);
    m_pApp->OnIdle();
    m_pFishing->Tick(*m_pFramework);
    EXPECT_EQ(m_pFishing->GetSnagged(), nullptr);
    EXPECT_EQ(m_pFramework->Mission().m_nCollected, 1);
}

TEST_F(FishingTest, WithoutAPullOutStateTheLastCatchWinsAtOnce)
{
    WriteJunk(3);
    WriteMission(1);
    StartFishing();
    CastIntoWater();
    SnagFirst();
    Line().SetLineState(LINE_REELED_IN);
    m_pFishing->Tick(*m_pFramework);
    EXPECT_EQ(m_pFramework->Mission().m_nCollected, 1);
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & FISH_COMPLETED_BIT);
    EXPECT_EQ(m_pApp->GetLevel(USER_FISH), 1);
    EXPECT_FALSE(m_pFishing->IsSpawning());
    EXPECT_EQ(m_pFishing->GetPhase(), FISH_PHASE_DONE);
    for (int i = 0; i < 5; ++i)
    {
        Tick(50);
        m_pApp->OnIdle();
    }
    EXPECT_TRUE(m_pTown->m_bUserControl); // the end scene ran
    // A catch after the win counts nothing.
    m_pFishing->StartFishing(*m_pFramework);
    CatchOne();
    EXPECT_EQ(m_pFramework->Mission().m_nCollected, 1);
}

TEST_F(FishingTest, DriftingOutSpawnsOnTheNextLaneAndVoduDriftsAboveLevelZero)
{
    StartFishing();
    EXPECT_EQ(m_pFishing->GetVodu()->GetPosition(), m_pFishing->GetVoduIdlePos());
    CJunk* out = m_pFishing->GetFloating().front().get();
    out->pos[0] = 5199.0f - out->vel[0];
    const int32_t next = (m_pFishing->GetLaneCounter() + 1) % FISH_LANES;
    m_pFishing->Tick(*m_pFramework);
    EXPECT_EQ(m_pFishing->GetFloating().size(), 4u);
    EXPECT_NE(m_pFishing->GetFloating().front().get(), out);
    EXPECT_EQ(m_pFishing->GetFloating().back()->m_nLane, next);
    EXPECT_EQ(m_pFishing->GetVodu()->GetPosition(), m_pFishing->GetVoduIdlePos());
    Run("StopMission");
    m_pApp->SetFishLevel(1);
    StartFishing();
    const CxPoint start = m_pFishing->GetVodu()->GetPosition();
    m_pFishing->Tick(*m_pFramework);
    EXPECT_LT(m_pFishing->GetVodu()->GetPosition().x, start.x);
}

TEST_F(FishingTest, TheIntroStartsAtTheDockAndStopLeavesNothingOnTheMap)
{
    const int32_t before = OnMap();
    Run("LoadMission $GAMEPATH\\mission\\fishing\\fishing.ini");
    Run("StartMission");
    EXPECT_EQ(m_pFishing->GetPhase(), FISH_PHASE_WAITING);
    for (int i = 0; i < 20 && m_pFishing->GetPhase() != FISH_PHASE_FISHING; ++i)
    {
        Tick(50);
        m_pApp->OnIdle();
    }
    EXPECT_EQ(m_pFishing->GetPhase(), FISH_PHASE_FISHING);
    CastIntoWater();
    SnagFirst();
    ASSERT_NE(m_pFishing->GetSnagged(), nullptr);
    Run("StopMission");
    EXPECT_EQ(OnMap(), before);
    EXPECT_EQ(m_pFishing->GetMasterCount(), 0u);
    EXPECT_TRUE(m_Capture.Errors().empty());
    // Missing masters and Vodu: reported, the rest plays on.
    for (int i = 1; i < FISH_MASTERS; ++i)
        std::remove(m_Dir.File("TARGETS/t3_junk" + std::to_string(i) + ".ini").c_str());
    std::remove(m_Dir.File("VNPC/vodu.ini").c_str());
    StartFishing();
    EXPECT_EQ(m_pFishing->GetMasterCount(), 1u);
    EXPECT_EQ(m_pFishing->GetVodu(), nullptr);
    CatchOne();
    m_pFishing->Tick(*m_pFramework);
}
} // namespace
