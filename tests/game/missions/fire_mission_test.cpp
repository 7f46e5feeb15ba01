#include "game/missions/fire_mission.h"

#include "engine/core/random.h"
#include "game/world/map_object.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <tuple>

namespace {
TEST(FireRules, NozzlesAimingAndGrowthIntervals)
{
    static const std::pair<int32_t, CxPoint> NOZZLES[] = {
        {0, {8, 74}}, {8, {131, 6}}, {16, {252, 74}}, {-3, {8, 74}}, {20, {252, 74}}};
    for (const auto& [state, offset] : NOZZLES)
        EXPECT_EQ(FireNozzleOffset(state), offset) << state;
    // Left, up-left, up, up-right, right, below on either side, on the pivot.
    static const std::pair<CxPoint, int32_t> AIMS[] = {{{-100, 0}, 0},    {{-100, -100}, 4}, {{0, -100}, 8},
                                                       {{100, -100}, 12}, {{100, 0}, 16},    {{-50, 80}, 0},
                                                       {{50, 80}, 16},    {{0, 0}, 16}};
    for (const auto& [pointer, state] : AIMS)
        EXPECT_EQ(FireAimState(CxPoint(0, 0), pointer), state) << pointer.x << "," << pointer.y;
    SeedRandom(5);
    const uint32_t forward = FireGrowthInterval(3000, 5000), backward = FireGrowthInterval(5000, 3000);
    EXPECT_TRUE(forward >= 3000 && forward < 5000 && backward >= 5000 && backward < 7000);
    EXPECT_EQ(FireGrowthInterval(4000, 4000) + FireGrowthInterval(-10, -10), 4001u);
}

// Counts the HUD's sets as the framework hands them over.
class CountingHud : public ITownHud
{
public:
    uint32_t Load() override { return index = 0, 0; }
    void NextSet() override { ++index; }
    void SetMissionSets(const std::vector<CMissionSetData>& s, int32_t) override
    {
        count = int32_t(s.size());
    }
    void LightIcon(int32_t icon, int32_t) override { lit.push_back(icon); }
    bool IsLastHudSet() const override { return index >= count - 1; }
    int32_t index = 0, count = 1;
    std::vector<int32_t> lit;
};

// The test town: eight buildings (5..7 the houses), object masters 0..38
// (35..38 fires: 36 with four sizes, the others three), a rock at 300,
// 300; the fire mission's files with fires at 1500, 1000 (35) and 1700,
// 1000 (36). The truck stands at 600, 1500.
class FireTest : public town_test::TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        SeedRandom(3);
        CxDrawSurface tile(64, 64, 24), balls(64, 8, 24);
        tile.FillRect(nullptr, 0x336633);
        balls.FillRect(nullptr, 0x3333ff);
        town_test::WriteMap(m_Dir);
        for (const char* dir : {"VPLAYER", "mission", "mission/fire"})
            mkdir(m_Dir.File(dir).c_str(), 0755);
        ASSERT_TRUE(tile.Save(m_Dir.File("tile.bmp").c_str()) == 0 &&
                    tile.Save(m_Dir.File("VPLAYER/tread.tga").c_str()) == 0 &&
                    balls.Save(m_Dir.File("mission/fire/waterball.tga").c_str()) == 0);
        m_Dir.Write("VPLAYER/brund.ini", truck_test::TruckText(16, "", "", "$GAMEPATH\\truck.smk", ""));
        const std::vector<uint8_t> movie = truck_test::MakeMovie(40, 32, 3);
        m_Dir.Write("VPLAYER/pv1_fire.smk", std::string(movie.begin(), movie.end()));
        std::string world = "[World]\nMap=town.map\n[Buildings]\n", masters = "[MasterObjects]\n";
        char key[32];
        for (int i = 0; i < 39; ++i)
        {
            snprintf(key, sizeof(key), "Building%02d=b%d.ini\n", i, i);
            world += i < 8 ? key : "";
            const std::string smoke = i >= 5 ? "ExtraSprite=smoke.ini\n" : ""; // the houses smoke
            m_Dir.Write("b" + std::to_string(i) + ".ini",
                        "[QexSprite]\nName=House" + std::to_string(i) + "\n" + smoke + States(1).substr(12));
            snprintf(key, sizeof(key), "Object%03d=", i);
            masters += key + std::string(i == 36 ? "fire4.ini\n" : i >= 35 ? "fire3.ini\n" : "obj.ini\n");
        }
        m_Dir.Write("world.ini", world + masters + "[Objects]\nObject000=300, 300\n");
        m_Dir.Write("nodes.ini", "");
        m_Dir.Write("obj.ini", States(1));
        m_Dir.Write("smoke.ini", States(1));
        m_Dir.Write("fire3.ini", States(3));
        m_Dir.Write("fire4.ini", States(4));
        m_Dir.Write("mission/fire/hose.ini", States(17, "OnShoot=$GAMEPATH\\mission\\fire\\shoot.seq\n"));
        m_Dir.Write("mission/fire/shoot.seq", "Event Town.ShootHoseWater()\n");
        m_Dir.Write("mission/fire/SplashFire.seq", "Event Town.IncrementFireScore()\n");
        m_Dir.Write("mission/fire/Splash.seq", "Event Town.SetUserControl(1)\n");
        WriteMission(2, 1);
        StartTown();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pFire = std::make_unique<CFireMission>(*m_pTown);
        InstallFireMission(*m_pFramework, *m_pFire);
        m_pTown->SetMission(m_pFramework.get());
        m_pTown->SetHud(&m_Hud);
        m_pTown->m_bUserControl = m_pTown->m_bTruckScrollsMap = false;
        m_pTown->GetTruck()->PlaceAt(CxPoint(600, 1500));
        m_pTown->GetTruck()->SetTarget(CxPoint(600, 1500));
    }
    void TearDown() override
    {
        m_pTown->SetMission(nullptr);
        m_pTown->SetHud(nullptr);
        m_pFire.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    static std::string States(int count, const std::string& extra = "")
    {
        std::string text = "[QexSprite]\nNumStates=" + std::to_string(count) + "\n" + extra;
        for (int i = 0; i < count; ++i)
            text += "[State" + std::string(i < 10 ? "00" : "0") + std::to_string(i) +
                    "]\nFileName=$GAMEPATH\\tile.bmp\nFrameRate=10\n";
        return text;
    }
    void WriteMission(int32_t required, int32_t sets, int32_t growth = 100,
                      const char* timing = "TimerIntervalMin=0\nTimerIntervalMax=600000\n")
    {
        std::string level = "NumReqItems=" + std::to_string(required) +
                            "\nNumHudSets=" + std::to_string(sets) +
                            "\nFireUpdateMin=" + std::to_string(growth) +
                            "\nFireUpdateMax=" + std::to_string(growth) + "\n" + timing;
        for (int i = 0; i < sets; ++i)
            level += "LeftIconName0" + std::to_string(i) + "=x\n";
        m_Dir.Write("mission/fire/fire.ini",
                    "[Mission]\nMissionType=5\n[Level00]\n" + level + "[Level01]\n" + level + "[Level02]\n" +
                        level + "[Phase0]\nAdd35=1500, 1000\nAdd36=1700, 1000\n[Phase1]\nSub0=300, 300\n");
    }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }
    // The giver's set-up, the file, the start and the fires.
    void StartMission()
    {
        m_pFire->PrepareGiver(*m_pFramework);
        ASSERT_EQ(m_pFramework->LoadFile("$GAMEPATH\\mission\\fire\\fire.ini"), 0u);
        Run("StartMission");
        Run("NextPhase");
    }
    CMapObject* Fire(int32_t type) const
    {
        return m_pTown->FindTownObject(type, type == 35 ? CxPoint(1500, 1000) : CxPoint(1700, 1000));
    }
    void Step(uint32_t ms) { Tick(ms), m_pApp->OnIdle(); }
    std::string Variable(const char* name) { return m_pApp->GetInterpolator().Expand(name).c_str(); }
    void PointAt(const CxPoint& map) { m_pTown->OnMouseMove(0, map - m_pTown->GetViewOrigin()); }

    CountingHud m_Hud;
    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CFireMission> m_pFire;
};

TEST_F(FireTest, HitsShrinkAFireThenPutItOutWithTheFireSplash)
{
    StartMission();
    CMapObject* fire = Fire(35);
    fire->PlayForever(2);
    m_pFire->HitFire(*m_pFramework, fire);
    EXPECT_EQ(fire->GetState(), 1);
    m_pFire->HitFire(*m_pFramework, fire);
    EXPECT_EQ(fire->GetState(), 0);
    CxPoint foot;
    fire->GetAnchorPoint(foot, ANCHOR_BOTTOM_MIDDLE);
    m_pFire->HitFire(*m_pFramework, fire);
    EXPECT_EQ(Fire(35), nullptr);
    EXPECT_EQ(Variable("$SPLASH_X,$SPLASH_Y"), std::to_string(foot.x) + "," + std::to_string(foot.y + 28));
    Step(0); // SplashFire.seq counts it
    EXPECT_EQ(m_pFramework->Mission().m_nCollected, 1);
    EXPECT_EQ(m_Hud.lit, std::vector<int32_t>{0});
    // A fire grown past its third size shrinks by one, never out at once.
    Fire(36)->PlayForever(3);
    m_pFire->HitFire(*m_pFramework, Fire(36));
    EXPECT_EQ(Fire(36)->GetState(), 2);
}

TEST_F(FireTest, TheEngineAimsShootsAndSplashesAndPlayFireOffBringsTheTruckBack)
{
    StartMission();
    Run("SetPlayFireState 1");
    CFireHose* hose = m_pFire->GetHose();
    CxSprite* engine = m_pFire->GetStaticTruck();
    ASSERT_TRUE(hose && engine);
    EXPECT_TRUE(engine->IsShown() && hose->IsShown() && !m_pTown->GetTruck()->IsShown());
    CxPoint centre;
    m_pTown->GetTruck()->GetAnchorPoint(centre, ANCHOR_CENTER);
    EXPECT_EQ(engine->GetPosition(), centre - CxPoint(20, 16));
    EXPECT_EQ(hose->GetPosition(), centre - CxPoint(22 + 20, 16));
    // Straight up from the hose's middle is state 8.
    PointAt(hose->GetPivot() - CxPoint(0, 300));
    m_pTown->UpdateTown();
    EXPECT_EQ(hose->GetState(), 8);
    // A click runs the shoot sequence, which shoots; the balls end in a splash.
    m_pFramework->MapClicked(CxPoint(0, 0));
    Step(0);
    EXPECT_TRUE(m_pFire->IsShooting());
    EXPECT_EQ(m_pFire->Water().GetPath().front(), hose->GetNozzle() - CxPoint(4, 4));
    for (int i = 0; i < 100 && (m_pFire->IsShooting() || !m_pTown->m_bUserControl); ++i)
        Step(20);
    EXPECT_TRUE(!m_pFire->IsShooting() && m_pTown->m_bUserControl); // Splash.seq ran
    Run("SetPlayFireState 0");
    EXPECT_TRUE(m_pTown->GetTruck()->IsShown() && !engine->IsShown() && !hose->IsShown());
}

TEST_F(FireTest, FiresGrowOnTheirTimersAndTheStopClearsFiresEngineAndWater)
{
    StartMission();
    ASSERT_EQ(m_pFire->GetFireTimers().size(), 2u);
    EXPECT_EQ(m_pFire->GetFireTimers()[0].timer->GetID(), 5000);
    EXPECT_EQ(m_pFire->GetFireTimers()[1].timer->GetID(), 5001);
    EXPECT_EQ(m_pTown->m_nPacing, FIRE_PACING);
    CSuperSprite* smoke = m_pTown->FindBuilding(7)->GetExtraSprite();
    ASSERT_TRUE(smoke && smoke->IsShown()); // from the start
    for (int i = 0; i < 5; ++i)
        Step(100);
    EXPECT_EQ(Fire(35)->GetState(), 2);
    EXPECT_EQ(Fire(36)->GetState(), 3);
    // A fire taken away by a phase or by the stop leaves no timer behind (ASan).
    m_pFramework->Phase().Destroy(Fire(36));
    EXPECT_EQ(m_pFire->GetFireTimers().size(), 1u);
    Run("SetPlayFireState 1");
    PointAt(CxPoint(1500, 1000));
    m_pFire->ShootWater();
    m_pFire->Update(*m_pFramework);
    EXPECT_GT(m_pFire->Water().GetBallCount(), 0u);
    Run("StopMission");
    EXPECT_TRUE(m_pFire->GetFireTimers().empty() && m_pFramework->Phase().GetObjects().empty() && !Fire(35));
    EXPECT_TRUE(!m_pFire->GetStaticTruck() && !m_pFire->GetHose() && m_pTown->GetTruck()->IsShown());
    EXPECT_TRUE(!m_pFire->Water().GetBallCount() && !m_pFire->Water().GetMaster() && !m_pFire->IsShooting());
    EXPECT_EQ(m_pTown->m_nPacing, FIRE_PACING_OFF);
    EXPECT_TRUE(!smoke->IsShown() && smoke->IsAnimationFinished());
    Run("SetPlayFireState 1"); // left over: the truck stays
    EXPECT_TRUE(!m_pFire->GetStaticTruck() && m_pTown->GetTruck()->IsShown() && m_Capture.Errors().empty());
    Step(500);
    // A new game numbers its timers afresh; a stopped mission's fires do not grow.
    StartMission();
    EXPECT_EQ(m_pFire->GetFireTimers()[0].timer->GetID(), 5000);
    m_pFramework->Record().state = MISSION_STATE_STOPPED;
    Step(300);
    EXPECT_EQ(Fire(35)->GetState(), 0);
}

TEST_F(FireTest, TheGiverChoosesTheHousesAndEachIsNewOnlyOnce)
{
    for (int game = 0; game < 2; ++game)
    {
        StartMission();
        std::string order = Variable("$BUILDINGID0$BUILDINGID1$BUILDINGID2"), sorted = order;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, "567");
        EXPECT_EQ(Variable("$BUILDINGID $OLDBUILDINGID $SEQNUMBER $INTROID"),
                  order.substr(0, 1) + " " + order.substr(0, 1) + " 2 " + (game == 0 ? "a" : "b"));
        // Other buildings' greetings find a number; the house now its visit text.
        m_pTown->EnterBuilding(m_pTown->FindBuilding(0));
        EXPECT_TRUE(Variable("$INTROID") == "1" || Variable("$INTROID") == "2");
        m_pTown->EnterBuilding(m_pTown->FindBuilding(order[0] - '0'));
        EXPECT_EQ(Variable("$INTROID"), game == 0 ? "a" : "b");
        Run("NextBuilding");
        EXPECT_EQ(Variable("$BUILDINGID $OLDBUILDINGNAME"),
                  order.substr(1, 1) + " House" + order.substr(0, 1));
        // The house now plays its fire scene and the arrow points at it; the one before is itself again.
        EXPECT_EQ(m_pTown->FindBuilding(order[1] - '0')->m_nEnterStage, 2);
        EXPECT_EQ(m_pTown->FindBuilding(order[0] - '0')->m_nEnterStage, 0);
        EXPECT_EQ(m_pTown->m_nHelpTarget, order[1] - '0');
        Run("NextBuilding");
        Run("NextBuilding"); // a fourth is ignored
        EXPECT_EQ(Variable("$BUILDINGID"), order.substr(2, 1));
        Run("StopMission");
        EXPECT_EQ(m_pTown->FindBuilding(order[2] - '0')->m_nEnterStage, 0);
        EXPECT_EQ(m_pTown->m_nHelpTarget, -1);
        EXPECT_TRUE(Variable("$INTROID") == "1" || Variable("$INTROID") == "2");
    }
    EXPECT_EQ(m_pApp->GetProfile().fireBldgDone, 7);
    EXPECT_TRUE(m_pApp->GetPlayedFlag() & 4);
    // Another kind's file loaded over a running fire mission gives the house and the arrow back.
    StartMission();
    m_Dir.Write("other.ini", "[Mission]\nMissionType=0\n");
    ASSERT_EQ(m_pFramework->LoadFile("$GAMEPATH\\other.ini"), 0u);
    EXPECT_EQ(m_pTown->FindBuilding(std::stoi(Variable("$BUILDINGID").c_str()))->m_nEnterStage, 0);
    EXPECT_TRUE(m_pTown->m_nHelpTarget == -1 && !Fire(35) && m_pFire->GetFireTimers().empty());
}

TEST_F(FireTest, TheLastHousesLastFireWinsAndMovesTheLevel)
{
    // HUD sets, level, timing; houses played to the win, level after.
    static const std::tuple<int32_t, int32_t, const char*, int32_t, int32_t> CASES[] = {
        {1, 0, "TimerIntervalMin=600000\nTimerIntervalMax=700000\n", 1, 1}, // one set: the first house, fast
        {4, 0, "TimerIntervalMin=600000\nTimerIntervalMax=700000\n", 3, 1}, // three houses + 1: the third
        {4, 2, "TimerIntervalMin=0\nTimerIntervalMax=0\n", 3, 1},           // slow at level 2
    };
    for (const auto& [sets, level, timing, won, levelAfter] : CASES)
    {
        WriteMission(1, sets, 100000, timing);
        m_pApp->SetFireLevel(level);
        StartMission();
        int32_t houses = 0;
        for (; houses < 3 && m_pFire->GetSeqNumber() != FIRE_SEQ_WON; ++houses)
        {
            Step(10);
            Run("IncrementFireScore");
            Run("IncrementFireScore"); // beyond the required count: nothing
            if (m_pFire->GetSeqNumber() == FIRE_SEQ_NEXT_HOUSE)
                Run("NextBuilding");
        }
        EXPECT_EQ(houses, won) << sets;
        EXPECT_TRUE(m_pApp->GetCompletedFlag() & FIRE_COMPLETED_BIT);
        EXPECT_EQ(m_pApp->GetLevel(USER_FIRE), levelAfter) << sets << " " << level;
        Run("StopMission");
        Run("IncrementFireScore"); // after the stop: nothing
        EXPECT_EQ(m_pFramework->Mission().m_nCollected, 0);
    }
}

} // namespace
