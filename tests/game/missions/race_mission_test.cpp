#include "game/missions/race.h"

#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
using town_test::TownAppTest;

struct RecordingHud : ITownHud
{
    void LightIcon(int32_t index, int32_t frame) override { lit.push_back(index * 10 + frame); }
    std::vector<int32_t> lit; // index * 10 + frame
};

// A straight course along y = 232 from x = 200 to the middle of the finish
// banner (the town's second object, moved to 1000, 200); waypoints 2 and 3
// run the next phase. The rock (first object) lies below the course. The
// phases put oil (type 19) and a rock (type 18) about.
const char* const COURSE =
    "[Waypoints]\nCount=5\nWaypoint0=200, 232\nWaypoint1=400, 232\n"
    "Waypoint2=600, 232 NextPhase\nWaypoint3=800, 232 NextPhase\nWaypoint4=1032, 232\n";

class RaceTest : public TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        CxDrawSurface tile(64, 64, 24);
        tile.FillRect(nullptr, 0x336633);
        for (const char* dir : {"VPLAYER", "VENEMY", "MISSION", "MISSION/RACE"})
            mkdir(m_Dir.File(dir).c_str(), 0755);
        for (const char* image : {"tile.bmp", "VPLAYER/tread.tga", "VPLAYER/waterball.tga"})
            ASSERT_EQ(tile.Save(m_Dir.File(image).c_str()), 0u);
        town_test::WriteMap(m_Dir);
        for (const char* truck : {"VPLAYER/brund.ini", "VENEMY/rival.ini"})
            m_Dir.Write(truck, truck_test::TruckText(16, "MaxDrivingSpeed=8\nDrivingAcceleration=8\n"));
        const std::vector<uint8_t> smoke = truck_test::MakeMovie(40, 40, 13);
        m_Dir.Write("VENEMY/smoke.smk", std::string(smoke.begin(), smoke.end()));
        std::string masters = "[MasterObjects]\n";
        for (int i = 0; i < 20; ++i)
            masters += "Object0" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=obj.ini\n";
        m_Dir.Write("world.ini", "[World]\nMap=town.map\n" + masters +
                                     "[Objects]\nObject000=300, 300\nObject001=2000, 1500\n");
        m_Dir.Write("nodes.ini", "");
        m_Dir.Write("obj.ini", town_test::OBJECT);
        m_Dir.Write("MISSION/RACE/win.seq", "Event Town.SetAllowBuildingFade(1)\n");
        m_Dir.Write("MISSION/RACE/lose.seq", "Event Town.SetUserControl(1)\n");
        WriteMission("FinishLine=1, 1000, 200\n");
        StartTown();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pRace = std::make_unique<CRaceMission>(*m_pTown);
        m_pFramework->SetKind(MISSION_KIND_RACE, m_pRace.get());
        m_pTown->SetMission(m_pFramework.get());
        m_pTown->SetHud(&m_Hud);
        m_pTown->m_bUserControl = false;
        m_pTown->m_bTruckScrollsMap = false;
    }
    void TearDown() override
    {
        m_pFramework->Stop();
        m_pTown->SetMission(nullptr);
        m_pTown->SetHud(nullptr);
        m_pRace.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    void WriteMission(const std::string& mission, const std::string& course = COURSE, int32_t kind = 7,
                      const char* file = "race.ini")
    {
        const std::string level = "TimerIntervalMin=1000\nTimerIntervalMax=5000\n";
        const std::string phases =
            "[Phase0]\nAdd19=568, 568\n[Phase1]\nAdd19=768, 578\n[Phase2]\nAdd18=500, 800\n";
        m_Dir.Write(std::string("MISSION/RACE/") + file,
                    "[Mission]\nMissionType=" + std::to_string(kind) +
                        "\nTruckPos=100, 232\nTruckDirection=4\nEnemyPos=100, 260\n" + mission + course +
                        phases + "[Level00]\n" + level + "[Level01]\n" + level + "[Level02]\n" + level);
    }
    int32_t Phase() { return m_pFramework->Phase().GetCounter(); }
    std::vector<CMapObject*> Phases() { return m_pFramework->Phase().GetObjects(); }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }
    void StartRace(bool started = true, const char* file = "race.ini")
    {
        Run((std::string("LoadMission $GAMEPATH\\MISSION\\RACE\\") + file).c_str());
        Run("StartMission");
        if (started)
            Run("RaceStarted");
    }
    // Puts a truck (standing) with its centre on a point.
    static void Place(CTruck& truck, const CxPoint& centre)
    {
        truck.PlaceAt(centre);
        truck.SetTarget(centre);
    }
    // Puts the player's truck on each point in turn, one update at each.
    void DriveThrough(std::initializer_list<CxPoint> points)
    {
        for (const CxPoint& p : points)
        {
            Place(*m_pTown->GetTruck(), p);
            m_pTown->UpdateTown();
        }
    }
    CEnemy& LoadEnemy(const CxPoint& centre)
    {
        Run("LoadEnemy rival");
        Place(*m_pTown->GetEnemy(), centre);
        return *m_pTown->GetEnemy();
    }
    // Lets the sequences run: 10 after the win's, 1 after the loss's.
    int32_t SequenceMark()
    {
        for (int i = 0; i < 5; ++i)
        {
            Tick(20);
            m_pApp->OnIdle();
        }
        return m_pTown->m_nAllowBuildingFade * 10 + (m_pTown->m_bUserControl ? 1 : 0);
    }
    const CMapObject& Banner() { return *m_pTown->GetPlacedObjects()[1]; }

    RecordingHud m_Hud;
    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CRaceMission> m_pRace;
};

TEST_F(RaceTest, SetUpReadsTheKeysPlacesTheFinishLineAndMakesTheSprites)
{
    StartRace(false);
    EXPECT_EQ(m_pApp->GetInterpolator().Expand("$TRUCKSTARTX,$TRUCKSTARTY,$TRUCKDIR $ENEMYSTARTY,$ENEMYDIR"),
              "100,232,4 260,10");
    EXPECT_EQ(Banner().GetPosition(), CxPoint(1000, 200));
    EXPECT_EQ(m_pRace->GetFinishIndex(), 1);
    EXPECT_EQ(m_pTown->GetMission().GetEnemyWayPoints().size(), 5u);
    EXPECT_TRUE(Phase() == 0 && Phases().size() == 1u);
    EXPECT_EQ(m_pTown->m_nPacing, RACE_PACING);
    EXPECT_FALSE(m_pRace->IsRunning());
    ASSERT_NE(m_pRace->GetSmoke(), nullptr);
    EXPECT_FALSE(m_pRace->GetSmoke()->IsShown());
    EXPECT_NE(m_pRace->Balls().GetMaster(), nullptr);
    // A short or missing value keeps the index; one out of the list selects
    // the first object; neither moves anything.
    static const std::pair<const char*, int32_t> LINES[] = {
        {"FinishLine=1, 5\n", 1}, {"FinishLine=0, 5, 5\n", 0}, {"", 0}, {"FinishLine=2, 5, 5\n", 0}};
    for (const auto& [key, index] : LINES)
    {
        WriteMission(key);
        StartRace(false);
        EXPECT_EQ(m_pRace->GetFinishIndex(), index) << key;
        EXPECT_EQ(Banner().GetPosition(), CxPoint(1000, 200)) << key;
    }
}

TEST_F(RaceTest, ProgressLightsTheIconsMarkedWaypointsRunPhasesAndTheEnemyKeepsUp)
{
    StartRace();
    DriveThrough({{410, 232}});
    EXPECT_TRUE(m_pRace->GetTruckIndex() == 1 && m_pRace->GetPassedIndex() == 1 && Phase() == 0);
    // 10 px past waypoint 2 (400 + 10 of a course of 832): 49 %, icon 4.
    m_Hud.lit.clear();
    DriveThrough({{610, 232}, {610, 232}});
    EXPECT_TRUE(m_pRace->GetPassedIndex() == 2 && Phase() == 1 && Phases().size() == 2u);
    EXPECT_EQ(m_Hud.lit, (std::vector<int32_t>{41, 41}));
    // With an enemy left at the start the phases wait for it, and it may go
    // faster than the player (lead 610 - 28).
    StartRace();
    CEnemy& enemy = LoadEnemy({200, 260});
    DriveThrough({{410, 232}, {610, 232}, {810, 232}});
    EXPECT_TRUE(m_pRace->GetTruckIndex() == 3 && m_pRace->GetPassedIndex() == 0 && Phase() == 0);
    EXPECT_FLOAT_EQ(enemy.GetMaxSpeed(), 9.0f);
    for (int32_t x : {410, 610})
    {
        Place(enemy, {x, 260});
        DriveThrough({{810, 232}});
    }
    EXPECT_TRUE(m_pRace->GetPassedIndex() == 2 && Phase() == 1);
    // The player now behind: a slow player's truck never brings the enemy to a halt.
    m_pTown->GetTruck()->SetMaxSpeed(2.0f);
    DriveThrough({{390, 232}, {390, 232}});
    EXPECT_FLOAT_EQ(enemy.GetMaxSpeed(), 1.0f);
}

TEST_F(RaceTest, OnlyTheLastStretchFinishesAndTheWinIsRecordedPerVehicle)
{
    for (int32_t vehicle = 0; vehicle < 4; ++vehicle)
    {
        m_pApp->GetProfile().vehicle = vehicle;
        m_pApp->GetProfile().completed = 0;
        m_pApp->SetRaceLevel(2);
        m_pTown->m_nAllowBuildingFade = 0;
        m_Hud.lit.clear();
        StartRace();
        // On the banner before the last stretch, then past the last waypoint beside it.
        DriveThrough({{1032, 232}, {410, 232}, {610, 232}, {810, 232}, {1032, 400}});
        EXPECT_TRUE(m_pRace->GetTruckIndex() == 4 && m_pRace->IsRunning());
        DriveThrough({{1032, 232}});
        EXPECT_TRUE(!m_pRace->IsRunning() && m_pRace->GetProgress() == 10 && m_Hud.lit.back() == 91);
        EXPECT_EQ(m_pApp->GetCompletedFlag(), 0x20u << vehicle);
        EXPECT_EQ(m_pApp->GetLevel(USER_RACE), 2);
        EXPECT_EQ(SequenceMark(), 10);
        EXPECT_EQ(m_pFramework->GetState(), MISSION_STATE_RUNNING); // until "StopMission"
    }
    // The enemy on the banner: lost, and the profile stays.
    m_pApp->SetRaceLevel(1);
    m_pTown->m_nAllowBuildingFade = 0;
    StartRace();
    CEnemy& enemy = LoadEnemy({200, 260});
    for (int32_t x : {410, 610, 810, 1032})
    {
        Place(enemy, {x, 232});
        DriveThrough({{150, 232}});
    }
    EXPECT_FALSE(m_pRace->IsRunning());
    EXPECT_EQ(SequenceMark(), 1);
    EXPECT_TRUE(m_pApp->GetCompletedFlag() == 0x100u && m_pApp->GetLevel(USER_RACE) == 1);
}

TEST_F(RaceTest, SmokeClearsWhenTheTruckDrivesIntoItAndOilNearAPointOnlyInARace)
{
    // Another kind's phases may put oil down too: the race's line is not for it.
    WriteMission("", COURSE, MISSION_KIND_FIRE, "other.ini");
    StartRace(false, "other.ini");
    Run("NextPhase");
    Run("MaybeClearOil 600 600");
    ASSERT_EQ(Phases().size(), 1u);
    EXPECT_TRUE(Phases()[0]->IsShown());
    StartRace();
    CSmoke& smoke = *m_pRace->GetSmoke();
    Place(*m_pTown->GetTruck(), {200, 600});
    Run("CreateSmoke 500 600");
    EXPECT_EQ(smoke.GetPosition(), CxPoint(480, 580));
    Tick(4100);
    Run("MaybeClearSmoke"); // the truck is elsewhere
    EXPECT_TRUE(smoke.IsShown() && !smoke.Animation().IsRunning());
    Place(*m_pTown->GetTruck(), {500, 600});
    Run("MaybeClearSmoke");
    Tick(50);
    Run("MaybeClearSmoke"); // while clearing: no restart
    EXPECT_TRUE(smoke.IsClearing());
    Tick(60);
    EXPECT_TRUE(!smoke.IsShown() && smoke.GetParent() == nullptr && !smoke.Animation().IsRunning());
    // Phase 0 (at the set-up) and 1 put oil down, phase 2 a rock.
    Run("NextPhase");
    Run("NextPhase");
    const std::vector<CMapObject*> objects = Phases();
    ASSERT_EQ(objects.size(), 3u);
    Run("MaybeClearOil 700 600"); // the first centre is exactly 100 away, the second 100.5
    Run("MaybeClearOil 532 832"); // the rock's centre
    EXPECT_TRUE(!objects[0]->IsShown() && objects[1]->IsShown() && objects[2]->IsShown());
    Run("StopMission");
    EXPECT_EQ(m_pTown->GetPlacedObjects().size(), 2u);
}

TEST_F(RaceTest, ShortCoursesOnlySteerTheArrowAndTheStopPutsEverythingBack)
{
    for (const char* course : {"[Waypoints]\nCount=0\n", "[Waypoints]\nCount=1\nWaypoint0=600, 232\n",
                               "[Waypoints]\nCount=2\nWaypoint0=600, 232\nWaypoint1=600, 232\n"})
    {
        WriteMission("", course);
        StartRace();
        DriveThrough({{600, 232}, {1032, 232}});
        EXPECT_TRUE(m_pRace->IsRunning() && m_pRace->GetProgress() == 0) << course;
    }
    WriteMission("");
    StartRace();
    LoadEnemy({200, 260});
    CTruck& truck = *m_pTown->GetTruck();
    truck.SetMaxSpeed(2.0f);
    truck.Settings().nDefaultLoseControlTime = 50;
    Run("CreateSmoke 500 600");
    Run("StopMission");
    EXPECT_EQ(truck.GetCentre(), RACE_TRUCK_HOME);
    EXPECT_FLOAT_EQ(truck.GetMaxSpeed(), 8.0f);
    EXPECT_EQ(truck.Settings().nDefaultLoseControlTime, 400);
    EXPECT_EQ(m_pTown->GetEnemy()->GetNumDirections(), 0);
    EXPECT_TRUE(m_pRace->GetSmoke() == nullptr && m_pRace->Balls().GetMaster() == nullptr);
    EXPECT_TRUE(m_pTown->GetMission().GetEnemyWayPoints().empty());
    EXPECT_EQ(m_pTown->GetShownArrow(), -1);
}
} // namespace
