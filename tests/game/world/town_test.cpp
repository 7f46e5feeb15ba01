#include "game/world/town.h"

#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
using town_test::TownTest;

TEST_F(TownTest, LoadsTheWorldAndSkipsWhatItNamesWrongly)
{
    EXPECT_EQ(m_pTown->GetMap().GetColumns(), 40);
    EXPECT_EQ(Truck().GetCentre(), TOWN_START_POINT);
    EXPECT_EQ(m_pTown->GetViewOrigin(), TOWN_START_POINT - CxPoint(320, 240)) << "the truck in the middle";
    EXPECT_EQ(m_pTown->GetPlacedUnderlays().size(), 2u) << "master 7 does not exist";
    EXPECT_EQ(m_pTown->GetPlacedUnderlays()[1]->GetDepth(), -1);
    EXPECT_EQ(m_pTown->GetPlacedOverlays().size(), 1u);
    ASSERT_EQ(m_pTown->GetBuildings().size(), 2u) << "the series ends at the gap; a name may carry its root";
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

    // The room is on the screen with the truck in its middle.
    CxDrawSurface screen(640, 480, 16);
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_NE(screen.GetPixel(320, 240), screen.GetPixel(5, 5)) << "the truck is drawn in the middle";

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

    // A building entered before the truck got away from the last one (the
    // map puts it at another) leaves that one's zone to come back later.
    UpdateAt(bakery->GetCenter());
    ASSERT_FALSE(bakery->IsZoneActive());
    m_pTown->EnterBuilding(barn);
    UpdateAt(bakery->GetCenter() + CxPoint(0, 200));
    EXPECT_FALSE(bakery->IsZoneActive());
    UpdateAt(bakery->GetCenter() + CxPoint(0, 401));
    EXPECT_TRUE(bakery->IsZoneActive());
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
