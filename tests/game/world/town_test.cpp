#include "game/world/town.h"

#include "engine/core/event_creator.h"
#include "engine/frame/game_app.h"
#include "engine/media/movie_driver.h"
#include "game/world/map_object.h"
#include "game/world/truck.h"
#include "tests/game/world/town_test_app.h"
#include "tests/game/world/truck_test_util.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_support.h"
#include "tools/map/map_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>

namespace {
// A town of 40 x 30 tiles of 64 px whose tile list has 117 entries (kinds
// 0..116); column 20 and beyond is mud (kind 114), the rest kind 0.
void WriteMap(const TempDir& dir)
{
    ST_MAP_DESCRIPTION map;
    map.tileWidth = map.tileHeight = 64;
    map.columns = 40;
    map.rows = 30;
    map.tiles.assign(117, ST_MAP_WRITER_TILE{"tile.bmp", 0});
    for (int32_t r = 0; r < map.rows; ++r)
        for (int32_t c = 0; c < map.columns; ++c)
            map.cells.push_back(c >= 20 ? 114 : 0);
    ASSERT_EQ(WriteMapFile(dir.File("town.map").c_str(), map), 0u);
}

const char* const WORLD =
    "[World]\nMap=town.map\n"
    "[MasterUnderlays]\nUnderlay000=tile.bmp\n"
    "[Underlays]\nUnderlay00000000=10, 10\nUnderlay00000007=10, 10\nUnderlay00000000=30, 30\n"
    "[MasterOverlays]\nOverlay000=tile.bmp\n"
    "[Overlays]\nOverlay0000000=20, 20\n"
    "[Buildings]\nBuilding00=bakery.ini\nBuilding01=barn.ini\nBuilding03=skipped.ini\n"
    "[MasterObjects]\nObject000=rock.ini\nObject001=InvisWall.ini\n"
    "[Objects]\nObject000=300, 300\nObject001=400, 400\nObject009=1, 1\n";

// The bakery's zone centre is 100 px right of the start point; the barn has
// a perimeter up-left of it and no zone centre.
const char* const BAKERY =
    "[QexSprite]\nName=Bakery\nNumStates=1\nPosition=1300, 1400\nInterpTag=BAKERY\n"
    "LockPosition=1, 2\nTruckLockPosition=3, 4\nDriveThruPosition=5, 6\nTruckTalkState=7\n"
    "[State000]\nFileName=$GAMEPATH\\tile.bmp\n"
    "[Zone]\nPosition=1190, 1440\nCenter=1202, 1450\nOnEnterZone0=enter0.seq\n"
    "OnEnterZone1=enter1.seq\nOnEndMission0=end0.seq\n";
const char* const BARN = "[QexSprite]\nName=Barn\nNumStates=1\nPosition=1000, 1300\nInterpTag=BARN\n"
                         "[State000]\nFileName=$GAMEPATH\\tile.bmp\n[Perimeter]\nRect=0, 0, 60, 60\n"
                         "[Zone]\nPosition=1000, 1300\n";
const char* const OBJECT = "[QexSprite]\nNumStates=1\n[State000]\nFileName=$GAMEPATH\\tile.bmp\n";

class TownTest : public truck_test::TruckFixture
{
protected:
    void SetUp() override
    {
        TruckFixture::SetUp();
        m_pPreviousFade = CBaseWindow::SetFadePlayer([](const char*) { return CX_ERR_NONE; });
        CxDrawSurface tile(64, 64, 24);
        tile.FillRect(nullptr, 0x336633);
        ASSERT_EQ(tile.Save(m_Dir.File("tile.bmp").c_str()), 0u);
        WriteMap(m_Dir);
        mkdir(m_Dir.File("VPLAYER").c_str(), 0755);
        ASSERT_EQ(tile.Save(m_Dir.File("VPLAYER/tread.tga").c_str()), 0u);
        m_Dir.Write("VPLAYER/brund.ini",
                    truck_test::TruckText(16, "MaxDrivingSpeed=8\nDrivingAcceleration=8\n", "",
                                          "$GAMEPATH\\truck.smk",
                                          "Tire0=1, 1\nTire1=30, 1\nTire2=1, 22\nTire3=30, 22\n"));
        m_Dir.Write("world.ini", WORLD);
        m_Dir.Write("nodes.ini", "");
        m_Dir.Write("bakery.ini", BAKERY);
        m_Dir.Write("barn.ini", BARN);
        m_Dir.Write("rock.ini", OBJECT);
        m_Dir.Write("InvisWall.ini", OBJECT);
        m_pApp = std::make_unique<CTownTestApp>(m_Dir.Path());
        m_pApp->Start();
        m_pApp->OnIdle();
        m_pTown = dynamic_cast<CTown*>(m_pApp->GetCurRoom());
        ASSERT_NE(m_pTown, nullptr);
    }
    void TearDown() override
    {
        if (m_pApp)
            m_pApp->Stop();
        m_pApp.reset();
        CBaseWindow::SetFadePlayer(m_pPreviousFade);
        TruckFixture::TearDown();
    }
    std::string Variable(const char* name) { return m_pApp->GetInterpolator().Expand(name).c_str(); }
    CTruck& Truck() { return *m_pTown->GetTruck(); }
    // Puts the truck (standing) at a map point and runs one town update.
    void UpdateAt(const CxPoint& point)
    {
        Truck().PlaceAt(point);
        Truck().SetTarget(point);
        m_pTown->m_bUserControl = false;
        m_pTown->UpdateTown();
    }

    ErrorCapture m_Capture;
    PFN_PLAY_FADE m_pPreviousFade = nullptr;
    std::unique_ptr<CTownTestApp> m_pApp;
    CTown* m_pTown = nullptr;
};

TEST_F(TownTest, LoadsTheWorldAndSkipsWhatItNamesWrongly)
{
    EXPECT_EQ(m_pTown->GetMap().GetColumns(), 40);
    EXPECT_EQ(Truck().GetCentre(), TOWN_START_POINT);
    EXPECT_EQ(m_pTown->GetViewOrigin(), TOWN_START_POINT - CxPoint(320, 240)) << "the truck in the middle";
    EXPECT_EQ(m_pTown->GetPlacedUnderlays().size(), 2u) << "master 7 does not exist";
    EXPECT_EQ(m_pTown->GetPlacedUnderlays()[1]->GetDepth(), -1);
    EXPECT_EQ(m_pTown->GetPlacedOverlays().size(), 1u);
    ASSERT_EQ(m_pTown->GetBuildings().size(), 2u) << "the series ends at the gap";
    EXPECT_EQ(m_pTown->GetBuildings()[1]->GetId(), 1);
    ASSERT_EQ(m_pTown->GetPlacedObjects().size(), 2u) << "master 9 does not exist";
    EXPECT_FALSE(m_pTown->GetMasterObjects()[0]->IsInvisible());
    EXPECT_TRUE(m_pTown->GetPlacedObjects()[1]->IsInvisible()) << "\"Invis\" in the file name";
    EXPECT_EQ(m_pTown->GetCollisionSprites().size(), 4u) << "buildings and placed objects";
    EXPECT_EQ(Variable("$SEQNUMBER"), "2");
    EXPECT_TRUE(m_pApp->GetProfile().played & 4);
    for (const char* category : {"Town", "Building", "Enemy"})
        EXPECT_NE(FindEventCreator(category), nullptr) << category;
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;

    // Leaving unloads everything and gives the names up; a second visit loads again.
    m_pApp->PushRoom(RUMBO_ROOM_PRINTING);
    m_pApp->OnIdle();
    for (const char* category : {"Town", "Building", "Enemy"})
        EXPECT_EQ(FindEventCreator(category), nullptr) << category;
    EXPECT_EQ(m_pTown->GetTruck(), nullptr);
    EXPECT_TRUE(m_pTown->GetBuildings().empty());
    m_pApp->PopRoom();
    m_pApp->OnIdle();
    ASSERT_NE(m_pTown->GetTruck(), nullptr);
    EXPECT_EQ(Truck().GetCentre(), TOWN_PRINTING_RETURN_POINT) << "back from the printing room";
    EXPECT_EQ(m_pTown->GetBuildings().size(), 2u);
}

TEST_F(TownTest, ZonesPullOnTheirRadiusAndReArmOnlyBeyondTheSafeRadius)
{
    CBuilding* bakery = m_pTown->GetBuildings()[0].get();
    UpdateAt(TOWN_START_POINT);
    ASSERT_EQ(m_pTown->GetCurrentBuilding(), bakery) << "exactly on the pull radius";
    EXPECT_FALSE(bakery->IsZoneActive());
    EXPECT_EQ(Variable("$BUILDING $BUILDINGNAME $LOCKX,$LOCKY $CARLOCKX,$CARLOCKY $DRIVETHRUX,$DRIVETHRUY"),
              "BAKERY Bakery 1,2 3,4 5,6");
    EXPECT_EQ(Variable("$TRUCKTALKSTATE"), "7");

    // Turning back within the safe radius does not pull again.
    UpdateAt(bakery->GetCenter() + CxPoint(0, 400));
    UpdateAt(bakery->GetCenter());
    EXPECT_FALSE(bakery->IsZoneActive());
    EXPECT_EQ(m_pTown->GetLastLeftBuilding(), bakery);
    UpdateAt(bakery->GetCenter() + CxPoint(0, 401));
    EXPECT_TRUE(bakery->IsZoneActive());
    EXPECT_EQ(m_pTown->GetLastLeftBuilding(), nullptr);

    // A zone without a centre never pulls; the barn's perimeter answers once.
    CBuilding* barn = m_pTown->GetBuildings()[1].get();
    UpdateAt(barn->GetPosition() + CxPoint(10, 10));
    EXPECT_NE(m_pTown->GetCurrentBuilding(), barn);
    EXPECT_FALSE(barn->IsPerimeterActive());
    EXPECT_EQ(Variable("$BUILDING"), "BARN");
}

TEST_F(TownTest, TreadMarksOnlyOnSoftGroundAndOnlyForAWhile)
{
    m_pTown->m_bUserControl = false;
    auto drive = [&](const CxPoint& from) {
        Truck().PlaceAt(from);
        Truck().SetTarget(from + CxPoint(300, 0));
        for (int i = 0; i < 5; ++i)
        {
            m_Clock.Advance(60);
            m_pTown->UpdateTown();
        }
    };
    drive(CxPoint(300, 1500)); // kind 0
    EXPECT_EQ(m_pTown->GetSkidMarks().GetCount(), 0u);
    drive(CxPoint(1500, 1500)); // kind 114, mud
    EXPECT_GT(m_pTown->GetSkidMarks().GetCount(), 0u);
    m_Clock.Advance(CSkidMark::LIFETIME);
    Truck().StopTruck();
    m_pTown->UpdateTown();
    EXPECT_EQ(m_pTown->GetSkidMarks().GetCount(), 0u);
}

TEST_F(TownTest, HelpArrowPicksTheNearestImageAndHidesWhenTheTargetIsNear)
{
    const CxPoint truck = Truck().GetCentre();
    auto aim = [&](double degrees, double distance) {
        const double radians = degrees * M_PI / 180.0;
        m_Clock.Advance(TOWN_ARROW_THROTTLE);
        m_pTown->PointArrowAt(truck +
                              CxPoint(static_cast<int32_t>(std::lround(distance * std::sin(radians))),
                                      -static_cast<int32_t>(std::lround(distance * std::cos(radians)))));
        return m_pTown->GetShownArrow();
    };
    EXPECT_EQ(aim(350, 1000), 0);
    EXPECT_EQ(aim(340, 1000), 1);
    EXPECT_EQ(aim(270, 1000), 4) << "left";
    EXPECT_EQ(aim(90, 150), -1) << "within the minimum help distance";
    EXPECT_EQ(aim(90, 1000), 12);
    m_pTown->PointArrowAt(truck + CxPoint(-1000, 0));
    EXPECT_EQ(m_pTown->GetShownArrow(), 12) << "a second request within 250 ms is ignored";
}
} // namespace
