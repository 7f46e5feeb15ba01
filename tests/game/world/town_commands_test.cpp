#include "game/world/town.h"

#include "engine/core/main_loop.h"
#include "game/world/moving_object.h"
#include "game/world/town_events.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

namespace {
using town_test::TownTest;

class TownCommandTest : public TownTest
{
protected:
    // Runs "Name a b c" (arguments split at blanks) through the town's handler.
    void Run(const std::string& line) { truck_test::Command(*m_pTown, line); }
    CxEvent* Make(const char* text) { return CreateEventFromText(text, &m_pApp->GetInterpolator(), nullptr); }
    // What the commands change, as one comparable text.
    std::string State()
    {
        std::ostringstream out;
        CTown& t = *m_pTown;
        const CxPoint view = t.GetViewOrigin();
        out << "view " << view.x << "," << view.y << " locked " << t.m_bMapLocked << " scrolls "
            << t.m_bTruckScrollsMap << " control " << t.m_bUserControl << " help " << t.m_nHelpTarget
            << " fade " << t.m_nAllowBuildingFade << " enemyflag " << t.m_bLoadEnemy << " end "
            << t.m_bEndSequence << " found " << t.m_nMapFound << " objects " << t.GetPlacedObjects().size();
        const CxSprite& overlay = *t.GetPlacedOverlays()[0];
        out << " overlay " << overlay.IsShown() << "@" << overlay.GetPosition().x << ","
            << overlay.GetPosition().y;
        for (const auto& building : t.GetBuildings())
            out << " zone" << building->GetId() << " " << building->IsZoneActive() << " perimeter "
                << building->IsPerimeterActive();
        return out.str();
    }
};

struct CommandCase
{
    const char* line;
    const char* shorter; // the same with one argument too few, or null
    std::function<void(CTown&)> check;
};

class TownCommandTableTest : public TownCommandTest, public testing::WithParamInterface<CommandCase>
{
};

TEST_P(TownCommandTableTest, ChangesWhatItNamesAndNothingWithAnArgumentTooFew)
{
    const CommandCase& c = GetParam();
    if (c.shorter)
    {
        const std::string before = State();
        Run(c.shorter);
        EXPECT_EQ(State(), before) << c.shorter;
        std::string text = std::string("Town.") + c.shorter + " ";
        const size_t blank = text.find(' ');
        text = text.substr(0, blank) + "(" + text.substr(blank + 1);
        text.back() = ')';
        EXPECT_EQ(Make(text.c_str()), nullptr) << text << " is dropped when made";
    }
    Run(c.line);
    c.check(*m_pTown);
}

// The view starts at the truck's start point less half the screen: (782, 1210).
INSTANTIATE_TEST_SUITE_P(
    Commands, TownCommandTableTest,
    testing::Values(
        CommandCase{"LockScreen 64 128", "LockScreen 64",
                    [](CTown& t) { EXPECT_TRUE(t.m_bMapLocked && t.GetViewOrigin() == CxPoint(64, 128)); }},
        CommandCase{"ScrollRight 64", "ScrollRight",
                    [](CTown& t) { EXPECT_EQ(t.GetViewOrigin().x, 782 + 64); }},
        CommandCase{"ScrollUp 10", nullptr, [](CTown& t) { EXPECT_EQ(t.GetViewOrigin().y, 1210 - 10); }},
        CommandCase{"SetMapPosition 0 0", "SetMapPosition 0",
                    [](CTown& t) { EXPECT_EQ(t.GetViewOrigin(), CxPoint(0, 0)); }},
        CommandCase{"SetTruckScrollsMap 0", "SetTruckScrollsMap",
                    [](CTown& t) { EXPECT_FALSE(t.m_bTruckScrollsMap); }},
        CommandCase{"PaintOverlay 0 100 200", "PaintOverlay 0 100",
                    [](CTown& t) { EXPECT_EQ(t.GetPlacedOverlays()[0]->GetPosition(), CxPoint(100, 200)); }},
        CommandCase{"EraseOverlay 0", "EraseOverlay",
                    [](CTown& t) { EXPECT_FALSE(t.GetPlacedOverlays()[0]->IsShown()); }},
        CommandCase{"AddObject 0 50 60", "AddObject 0 50",
                    [](CTown& t) { EXPECT_EQ(t.GetPlacedObjects().back()->GetPosition(), CxPoint(50, 60)); }},
        CommandCase{"PointToBuilding 1", "PointToBuilding", [](CTown& t) { EXPECT_EQ(t.m_nHelpTarget, 1); }},
        CommandCase{"SetAllowBuildingFade 1", "SetAllowBuildingFade",
                    [](CTown& t) { EXPECT_EQ(t.m_nAllowBuildingFade, 1); }},
        CommandCase{"SetUserControl 0", "SetUserControl", [](CTown& t) { EXPECT_FALSE(t.m_bUserControl); }},
        CommandCase{"HideEnterZones", nullptr,
                    [](CTown& t) { EXPECT_FALSE(t.GetBuildings()[0]->IsZoneActive()); }},
        CommandCase{"DeactivateBuildingPerimeter 1", "DeactivateBuildingPerimeter",
                    [](CTown& t) { EXPECT_FALSE(t.GetBuildings()[1]->IsPerimeterActive()); }},
        CommandCase{"SetLoadEnemyFlag", nullptr, [](CTown& t) { EXPECT_TRUE(t.m_bLoadEnemy); }},
        CommandCase{"DoEndSequence", nullptr, [](CTown& t) { EXPECT_TRUE(t.m_bEndSequence); }},
        CommandCase{"SetFoundMap", nullptr, [](CTown& t) { EXPECT_EQ(t.m_nMapFound, 99); }}));

TEST_F(TownCommandTest, BadIndexesWordsAndTargetsChangeNothing)
{
    const std::string before = State();
    for (const char* line :
         {"PaintOverlay 5 1 1", "EraseUnderlay -1", "AddObject 9 1 1", "PointToBuilding 7",
          "ActivateBuildingPerimeter 2", "SetUserControl yes", "ScrollLeft 3x", "LoadEnemy ../x",
          "LoadEnemy a/b", "StartEnemy", "SetEnemyBumpableState TRUE", "AnimateIcon 1 2", "EndRace",
          "EnableCB", "DisableCB", "SetTruckProgress 3", "NoSuchCommand 1"})
    {
        Run(line);
        EXPECT_EQ(State(), before) << line;
    }
    EXPECT_EQ(Make("Building.Talk(hello.wav)"), nullptr) << "no current building";
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}

TEST_F(TownCommandTest, LockedViewStaysWhileTheTruckDrivesAndProfileAndRoomCommandsReachTheApp)
{
    Run("LockScreen 0 0");
    m_pTown->m_bUserControl = false;
    Truck().SetTarget(TOWN_START_POINT + CxPoint(600, 0));
    for (int i = 0; i < 20; ++i)
    {
        m_Clock.Advance(50);
        m_pTown->UpdateTown();
    }
    EXPECT_EQ(m_pTown->GetViewOrigin(), CxPoint(0, 0));
    Run("UnLockScreen");
    m_pTown->UpdateTown();
    EXPECT_NE(m_pTown->GetViewOrigin(), CxPoint(0, 0)) << "the view follows the truck again";

    m_pApp->GetProfile().played = 0;
    Run("StopTutorial");
    EXPECT_EQ(m_pApp->GetProfile().played, 1024u);
    Run("GotoPrinting");
    m_pApp->OnIdle();
    EXPECT_EQ(m_pApp->GetCurRoomID(), RUMBO_ROOM_PRINTING);
}

TEST_F(TownCommandTest, ScrollMapMovesAPixelEveryTenMillisecondsAndFinishesEvenBeyondTheMap)
{
    const CxPoint start = m_pTown->GetViewOrigin();
    std::unique_ptr<CxEvent> scroll(Make("Town.ScrollMap(782, 1200)"));
    ASSERT_NE(dynamic_cast<CScrollMapEvent*>(scroll.get()), nullptr);
    scroll->Start();
    auto tick = [&](uint32_t ms) {
        for (uint32_t t = 0; t < ms; t += 10)
        {
            m_Clock.Advance(10);
            RunMainLoopFunctions();
        }
    };
    tick(50);
    EXPECT_EQ(m_pTown->GetViewOrigin(), start - CxPoint(0, 5));
    scroll->Pause();
    tick(100);
    EXPECT_EQ(m_pTown->GetViewOrigin(), start - CxPoint(0, 5)) << "held while paused";
    scroll->Resume();
    tick(60);
    EXPECT_TRUE(scroll->IsFinished());
    EXPECT_EQ(m_pTown->GetViewOrigin(), CxPoint(782, 1200));

    // Beyond the map's scroll limits the map stops at its edge; the scene goes on.
    scroll.reset(Make("Town.ScrollMap(-500, -500, 5, 0)"));
    ASSERT_NE(scroll, nullptr);
    scroll->Start();
    tick(30000);
    EXPECT_TRUE(scroll->IsFinished());
    EXPECT_EQ(m_pTown->GetViewOrigin(), CxPoint(0, 0));
}
} // namespace

namespace {
class RecordingMission : public ITownMission
{
public:
    void MovieEnded(int32_t id) override { ended.push_back(id); }
    std::vector<int32_t> ended;
};

TEST_F(TownCommandTest, PlayMovieOnTheMapWithItsIdListenerAndLoop)
{
    RecordingMission mission;
    m_pTown->SetMission(&mission);
    auto play = [&](std::unique_ptr<CxEvent>& event, int ms) {
        event->Start();
        for (int t = 0; t < ms && !event->IsFinished(); t += 10)
        {
            m_Clock.Advance(10);
            RunMainLoopFunctions();
        }
        return event->IsFinished();
    };
    std::unique_ptr<CxEvent> placed(Make("Town.PlayMovie($GAMEPATH\\truck.smk, 100, 200)"));
    ASSERT_NE(placed, nullptr);
    ASSERT_EQ(m_pTown->GetMovieCount(), 1u);
    EXPECT_TRUE(play(placed, 3000)) << "a movie event finishes with its movie";
    EXPECT_TRUE(mission.ended.empty()) << "nobody listens without the flag";

    m_pTown->m_nMissionMode = 2;
    m_pTown->m_nMissionSubMode = 5;
    std::unique_ptr<CxEvent> centred(Make("Town.PlayMovie($GAMEPATH\\truck.smk, -1, -1, 1, 0)"));
    ASSERT_NE(centred, nullptr);
    EXPECT_TRUE(play(centred, 3000));
    EXPECT_EQ(mission.ended, std::vector<int32_t>{110}) << "the town heard the end and told the mission";

    m_pTown->m_nMissionMode = 0;
    std::unique_ptr<CxEvent> looping(Make("Town.PlayMovie($GAMEPATH\\truck.smk, 5, 5, 1, 1)"));
    ASSERT_NE(looping, nullptr);
    EXPECT_FALSE(play(looping, 3000)) << "a looping movie never ends its event";
    EXPECT_EQ(mission.ended.size(), 1u);
    EXPECT_EQ(Make("Town.PlayMovie($GAMEPATH\\truck.smk, x, 5)"), nullptr) << "a bad number drops the line";
    looping->Stop();
    m_pTown->SetMission(nullptr);
}
} // namespace

namespace {
class WayPointMission : public ITownMission
{
public:
    std::vector<CxPoint> GetEnemyWayPoints() const override
    {
        return {CxPoint(1000, 1400), CxPoint(1100, 1400)};
    }
};

TEST_F(TownCommandTest, EnemyLoadsStartsAndDrivesThroughTheMissionsWayPoints)
{
    mkdir(m_Dir.File("VENEMY").c_str(), 0755);
    m_Dir.Write("VENEMY/razz.ini", truck_test::TruckText(16, "StartLocation=900, 1400\nMaxDrivingSpeed=6\n"));
    CEnemy& enemy = *m_pTown->GetEnemy();
    Run("PlayEnemyWayPoints");
    EXPECT_EQ(enemy.GetDrivingChannel(), 0u) << "no enemy yet: nothing happens";
    Run("LoadEnemy razz");
    ASSERT_EQ(enemy.GetNumDirections(), 16);
    EXPECT_EQ(enemy.GetCentre(), CxPoint(900, 1400));
    Run("StartEnemy");
    EXPECT_FLOAT_EQ(enemy.GetMaxSpeed(), 18.0f);

    WayPointMission mission;
    m_pTown->SetMission(&mission);
    Run("PlayEnemyWayPoints");
    EXPECT_NE(enemy.GetDrivingChannel(), 0u);
    for (int i = 0; i < 20; ++i)
    {
        m_Clock.Advance(50);
        RunMainLoopFunctions();
        m_pTown->UpdateTown();
    }
    EXPECT_GT(enemy.GetCentre().x, 950) << "the enemy drives toward its first waypoint";
    Run("UnLoadEnemy");
    EXPECT_EQ(enemy.GetNumDirections(), 0);
    m_pTown->SetMission(nullptr);
}
} // namespace
