#include "game/missions/fire_mission.h"

#include "engine/core/random.h"
#include "game/missions/mission_data.h"
#include "game/world/map_object.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

namespace {
using town_test::TownAppTest;

TEST(FireRules, NozzlesAimingAndGrowthIntervals)
{
    static const struct
    {
        int32_t state;
        CxPoint offset;
    } NOZZLES[] = {{0, {8, 74}}, {8, {131, 6}}, {16, {252, 74}}, {-3, {8, 74}}, {20, {252, 74}}};
    for (const auto& c : NOZZLES)
        EXPECT_EQ(FireNozzleOffset(c.state), c.offset) << c.state;
    static const struct
    {
        CxPoint pointer;
        int32_t state;
    } AIMS[] = {{{-100, 0}, 0}, {{-100, -100}, 4}, {{0, -100}, 8},    {{100, 0}, 16},
                {{-50, 80}, 0}, {{50, 80}, 16},    {{100, -100}, 12}, {{0, 0}, 16}};
    for (const auto& c : AIMS)
        EXPECT_EQ(FireAimState(CxPoint(0, 0), c.pointer), c.state) << c.pointer.x << "," << c.pointer.y;
    SeedRandom(5);
    for (int i = 0; i < 100; ++i)
    {
        EXPECT_EQ(FireGrowthInterval(4000, 4000), 4000u);
        const uint32_t forward = FireGrowthInterval(3000, 5000), backward = FireGrowthInterval(5000, 3000);
        EXPECT_TRUE(forward >= 3000 && forward < 5000) << forward;
        EXPECT_TRUE(backward >= 5000 && backward < 7000) << backward;
        EXPECT_EQ(FireGrowthInterval(-10, -10), 1u);
    }
}

// Counts the HUD's sets as the framework hands them over.
class CountingHud : public ITownHud
{
public:
    uint32_t Load() override { return index = 0, 0; }
    void NextSet() override { ++index; }
    void SetMissionSets(const std::vector<CMissionSetData>& sets, int32_t) override
    {
        count = static_cast<int32_t>(sets.size());
    }
    void LightIcon(int32_t icon, int32_t) override { lit.push_back(icon); }
    bool IsLastHudSet() const override { return index >= count - 1; }
    int32_t index = 0, count = 1;
    std::vector<int32_t> lit;
};

// The test town: eight buildings (1 the fire station, 5..7 the houses),
// object masters 0..38 (35..38 fires: 36 with four sizes, the others
// three), a rock at 300, 300; the fire mission's files.
class FireTest : public TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        SeedRandom(3);
        CxDrawSurface tile(64, 64, 24);
        tile.FillRect(nullptr, 0x336633);
        ASSERT_EQ(tile.Save(m_Dir.File("tile.bmp").c_str()), 0u);
        CxDrawSurface balls(64, 8, 24);
        balls.FillRect(nullptr, 0x3333ff);
        town_test::WriteMap(m_Dir);
        for (const char* dir : {"VPLAYER", "mission", "mission/fire"})
            mkdir(m_Dir.File(dir).c_str(), 0755);
        ASSERT_EQ(tile.Save(m_Dir.File("VPLAYER/tread.tga").c_str()), 0u);
        ASSERT_EQ(balls.Save(m_Dir.File("mission/fire/waterball.tga").c_str()), 0u);
        m_Dir.Write("VPLAYER/brund.ini", truck_test::TruckText(16, "", "", "$GAMEPATH\\truck.smk", ""));
        const std::vector<uint8_t> movie = truck_test::MakeMovie(40, 32, 3);
        m_Dir.Write("VPLAYER/pv1_fire.smk", std::string(movie.begin(), movie.end()));
        std::string world = "[World]\nMap=town.map\n[Buildings]\n", masters = "[MasterObjects]\n";
        for (int i = 0; i < 8; ++i)
        {
            world += "Building0" + std::to_string(i) + "=b" + std::to_string(i) + ".ini\n";
            m_Dir.Write("b" + std::to_string(i) + ".ini",
                        "[QexSprite]\nName=House" + std::to_string(i) +
                            "\nNumStates=1\nPosition=100, 100\n[State000]\n" + State());
        }
        for (int i = 0; i < 39; ++i)
        {
            char key[32];
            snprintf(key, sizeof(key), "Object%03d=", i);
            masters += key + std::string(i == 36 ? "fire4.ini\n" : i >= 35 ? "fire3.ini\n" : "obj.ini\n");
        }
        m_Dir.Write("world.ini", world + masters + "[Objects]\nObject000=300, 300\n");
        m_Dir.Write("nodes.ini", "");
        m_Dir.Write("obj.ini", States(1));
        m_Dir.Write("fire3.ini", States(3));
        m_Dir.Write("fire4.ini", States(4));
        m_Dir.Write("mission/fire/hose.ini",
                    States(FIRE_HOSE_STATES, "OnShoot=$GAMEPATH\\mission\\fire\\shoot.seq\n"));
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
        m_pTown->m_bUserControl = false;
        m_pTown->m_bTruckScrollsMap = false;
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
    static std::string State() { return "FileName=$GAMEPATH\\tile.bmp\nFrameRate=10\n"; }
    static std::string States(int count, const std::string& extra = "")
    {
        std::string text = "[QexSprite]\nNumStates=" + std::to_string(count) + "\n" + extra;
        for (int i = 0; i < count; ++i)
        {
            char section[32];
            snprintf(section, sizeof(section), "[State%03d]\n", i);
            text += section + State();
        }
        return text;
    }
    // Fires at 1500, 1000 (type 35) and 1700, 1000 (type 36); the rock goes at phase 1.
    void WriteMission(int32_t required, int32_t sets, int32_t growth = 100,
                      const char* timing = "TimerIntervalMin=0\nTimerIntervalMax=600000\n")
    {
        const std::string grow = std::to_string(growth);
        std::string level = "NumReqItems=" + std::to_string(required) +
                            "\nNumHudSets=" + std::to_string(sets) + "\nFireUpdateMin=" + grow +
                            "\nFireUpdateMax=" + grow + "\n" + timing;
        for (int i = 0; i < sets; ++i)
            level += "LeftIconName" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=x\n";
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
    void Step(uint32_t ms)
    {
        Tick(ms);
        m_pApp->OnIdle();
    }
    void Pump()
    {
        for (int i = 0; i < 5; ++i)
            Step(0);
    }
    std::string Variable(const char* name) { return m_pApp->GetInterpolator().Expand(name).c_str(); }
    // Puts the pointer on a map point.
    void PointAt(const CxPoint& map)
    {
        const CxPoint origin = m_pTown->GetViewOrigin();
        m_pTown->OnMouseMove(0, CxPoint(map.x - origin.x, map.y - origin.y));
    }

    CountingHud m_Hud;
    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CFireMission> m_pFire;
};

TEST_F(FireTest, HitsShrinkAFireThenPutItOutWithTheFireSplash)
{
    StartMission();
    CMapObject* fire = Fire(35);
    ASSERT_NE(fire, nullptr);
    fire->PlayForever(2);
    m_pFire->HitFire(*m_pFramework, fire);
    EXPECT_EQ(fire->GetState(), 1);
    m_pFire->HitFire(*m_pFramework, fire);
    EXPECT_EQ(fire->GetState(), 0);
    CxPoint foot;
    fire->GetAnchorPoint(foot, ANCHOR_BOTTOM_MIDDLE);
    m_pFire->HitFire(*m_pFramework, fire);
    EXPECT_EQ(Fire(35), nullptr);
    EXPECT_EQ(m_pFire->GetFireTimers().size(), 1u);
    EXPECT_EQ(Variable("$SPLASH_X,$SPLASH_Y"), std::to_string(foot.x) + "," + std::to_string(foot.y + 28));
    Pump(); // SplashFire.seq counts it
    EXPECT_EQ(m_pFramework->Mission().m_nCollected, 1);
    EXPECT_EQ(m_Hud.lit, std::vector<int32_t>{0});
    // A fire grown past its third size shrinks by one, never out at once.
    CMapObject* big = Fire(36);
    big->PlayForever(3);
    m_pFire->HitFire(*m_pFramework, big);
    EXPECT_EQ(big->GetState(), 2);
}

TEST_F(FireTest, TheEngineAimsAndItsWaterHitsOnceAndSplashesAtTheEnd)
{
    StartMission();
    Run("SetPlayFireState 1");
    CFireHose* hose = m_pFire->GetHose();
    CxSprite* engine = m_pFire->GetStaticTruck();
    ASSERT_TRUE(hose && engine);
    EXPECT_FALSE(m_pTown->GetTruck()->IsShown());
    EXPECT_TRUE(engine->IsShown() && hose->IsShown());
    CxPoint centre;
    m_pTown->GetTruck()->GetAnchorPoint(centre, ANCHOR_CENTER);
    EXPECT_EQ(engine->GetPosition(), CxPoint(centre.x - 20, centre.y - 16));
    EXPECT_EQ(hose->GetPosition(), CxPoint(centre.x - 22 - 20, centre.y - 16));
    // The hose follows the pointer: straight up from its middle is state 8.
    PointAt(hose->GetPivot() - CxPoint(0, 300));
    m_pTown->UpdateTown();
    EXPECT_EQ(hose->GetState(), 8);
    // A click runs the shoot sequence, which shoots: the balls fly until they end.
    m_pFramework->MapClicked(CxPoint(0, 0));
    Pump();
    EXPECT_TRUE(m_pFire->IsShooting());
    EXPECT_GT(m_pFire->Water().GetPath().size(), 30u);
    for (int i = 0; i < 100 && m_pFire->IsShooting(); ++i)
        Step(20);
    EXPECT_FALSE(m_pFire->IsShooting());
    Pump();
    EXPECT_TRUE(m_pTown->m_bUserControl); // Splash.seq ran
    // At the fire: the first ball hits, the fire shrinks; every ball hits once.
    CMapObject* fire = Fire(35);
    fire->PlayForever(2);
    CxPoint target;
    fire->GetAnchorPoint(target, ANCHOR_CENTER);
    PointAt(target);
    m_pFire->ShootWater();
    for (int i = 0; i < 1000 && m_pFire->IsShooting(); ++i)
        m_pFire->Update(*m_pFramework), Tick(10);
    // Four balls: three to put it out, the fourth flies on and splashes.
    EXPECT_EQ(Fire(35), nullptr);
    Pump();
    EXPECT_EQ(m_pFramework->Mission().m_nCollected, 1);
    // Turning play-fire off puts the truck back.
    Run("SetPlayFireState 0");
    EXPECT_TRUE(m_pTown->GetTruck()->IsShown());
    EXPECT_FALSE(engine->IsShown() || hose->IsShown());
    // Nothing to shoot without a path.
    PointAt(hose->GetNozzle() - CxPoint(4, 4));
    m_pFire->ShootWater();
    EXPECT_FALSE(m_pFire->IsShooting());
}

TEST_F(FireTest, FiresGrowOnTheirOwnTimersUpToTheirLastSize)
{
    StartMission();
    ASSERT_EQ(m_pFire->GetFireTimers().size(), 2u);
    EXPECT_EQ(m_pFire->GetFireTimers()[0].timer->GetID(), 5000);
    EXPECT_EQ(m_pFire->GetFireTimers()[1].timer->GetID(), 5001);
    CMapObject* fire = Fire(35);
    for (int i = 0; i < 5; ++i)
        Step(100);
    EXPECT_EQ(fire->GetState(), 2);
    EXPECT_EQ(Fire(36)->GetState(), 3);
    // A fire taken away by a phase, by a hit or by the stop leaves no timer behind.
    m_pFramework->Phase().Destroy(Fire(36));
    EXPECT_EQ(m_pFire->GetFireTimers().size(), 1u);
    Run("StopMission");
    EXPECT_TRUE(m_pFire->GetFireTimers().empty());
    EXPECT_EQ(Fire(35), nullptr);
    Step(500);
    // A new game numbers its timers afresh.
    StartMission();
    EXPECT_EQ(m_pFire->GetFireTimers()[0].timer->GetID(), 5000);
    // A stopped mission's fires do not grow.
    m_pFramework->Record().state = MISSION_STATE_STOPPED;
    Step(300);
    EXPECT_EQ(Fire(35)->GetState(), 0);
}

TEST_F(FireTest, TheGiverChoosesTheHousesAndEachIsNewOnlyOnce)
{
    std::vector<std::string> orders;
    for (int game = 0; game < 2; ++game)
    {
        StartMission();
        const std::string order = Variable("$BUILDINGID0$BUILDINGID1$BUILDINGID2");
        std::string sorted = order;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, "567");
        orders.push_back(order);
        EXPECT_EQ(Variable("$BUILDINGID $OLDBUILDINGID $SEQNUMBER"),
                  order.substr(0, 1) + " " + order.substr(0, 1) + " 2");
        EXPECT_EQ(Variable("$INTROID"), game == 0 ? "a" : "b");
        Run("NextBuilding");
        EXPECT_EQ(Variable("$BUILDINGID $OLDBUILDINGID"), order.substr(1, 1) + " " + order.substr(0, 1));
        EXPECT_EQ(Variable("$OLDBUILDINGNAME"), "House" + order.substr(0, 1));
        // The house now plays its fire scene and the arrow points at it; the one before is itself again.
        EXPECT_EQ(m_pTown->FindBuilding(order[1] - '0')->m_nEnterStage, 2);
        EXPECT_EQ(m_pTown->FindBuilding(order[0] - '0')->m_nEnterStage, 0);
        EXPECT_EQ(m_pTown->m_nHelpTarget, order[1] - '0');
        Run("NextBuilding");
        Run("NextBuilding"); // a fourth is ignored
        EXPECT_EQ(m_pFire->GetBuildingIndex(), 2);
        EXPECT_EQ(Variable("$BUILDINGID"), order.substr(2, 1));
        Run("StopMission");
        EXPECT_EQ(m_pTown->FindBuilding(order[2] - '0')->m_nEnterStage, 0);
        EXPECT_EQ(m_pTown->m_nHelpTarget, -1);
        EXPECT_TRUE(Variable("$INTROID") == "1" || Variable("$INTROID") == "2");
    }
    EXPECT_EQ(m_pApp->GetProfile().fireBldgDone, 7);
    EXPECT_TRUE(m_pApp->GetPlayedFlag() & 4);
}

TEST_F(FireTest, TheLastHousesLastFireWinsAndMovesTheLevel)
{
    static const struct
    {
        int32_t sets, level;
        const char* timing; // the level keys' timing
        int32_t won, levelAfter;
    } CASES[] = {
        {1, 0, "TimerIntervalMin=600000\nTimerIntervalMax=700000\n", 1,
         1}, // one set: the first house wins, fast
        {4, 0, "TimerIntervalMin=600000\nTimerIntervalMax=700000\n", 3,
         1},                                                           // three houses + 1: the third wins
        {4, 2, "TimerIntervalMin=0\nTimerIntervalMax=0\n", 3, 1},      // slow at level 2
        {4, 1, "TimerIntervalMin=0\nTimerIntervalMax=600000\n", 3, 1}, // neither
    };
    for (const auto& c : CASES)
    {
        WriteMission(1, c.sets, 100000, c.timing);
        m_pApp->SetFireLevel(c.level);
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
        EXPECT_EQ(houses, c.won) << c.sets;
        EXPECT_EQ(m_pFire->GetSeqNumber(), FIRE_SEQ_WON) << c.sets;
        EXPECT_TRUE(m_pApp->GetCompletedFlag() & FIRE_COMPLETED_BIT);
        EXPECT_EQ(m_pApp->GetLevel(USER_FIRE), c.levelAfter) << c.sets << " " << c.level;
        Run("StopMission");
        // A score after the stop counts nothing.
        Run("IncrementFireScore");
        EXPECT_EQ(m_pFramework->Mission().m_nCollected, 0);
    }
}

TEST_F(FireTest, TheStopClearsTheHousesTheEngineAndTheWater)
{
    StartMission();
    Run("NextPhase");
    EXPECT_EQ(m_pTown->FindTownObject(0, CxPoint(300, 300)), nullptr);
    EXPECT_EQ(m_pTown->m_nPacing, FIRE_PACING);
    Run("SetPlayFireState 1");
    PointAt(CxPoint(1500, 1000));
    m_pFire->ShootWater();
    m_pFire->Update(*m_pFramework);
    EXPECT_GT(m_pFire->Water().GetBallCount(), 0u);
    Run("StopMission");
    EXPECT_EQ(m_pTown->m_nPacing, FIRE_PACING_OFF);
    EXPECT_TRUE(m_pFramework->Phase().GetObjects().empty());
    EXPECT_TRUE(Fire(35) == nullptr && Fire(36) == nullptr);
    EXPECT_TRUE(m_pFire->GetStaticTruck() == nullptr && m_pFire->GetHose() == nullptr);
    EXPECT_TRUE(m_pTown->GetTruck()->IsShown());
    EXPECT_FALSE(m_pFire->IsShooting() || m_pFire->IsPlayingFire());
    EXPECT_EQ(m_pFire->Water().GetBallCount(), 0u);
    EXPECT_EQ(m_pFire->Water().GetMaster(), nullptr);
    EXPECT_TRUE(m_Capture.Errors().empty());
    // A missing engine picture is no failure; a missing ball leaves nothing to shoot.
    std::remove(m_Dir.File("mission/fire/waterball.tga").c_str());
    StartMission();
    Run("SetPlayFireState 1");
    m_pFire->ShootWater();
    EXPECT_FALSE(m_pFire->IsShooting());
    EXPECT_FALSE(m_Capture.Errors().empty());
}
} // namespace
