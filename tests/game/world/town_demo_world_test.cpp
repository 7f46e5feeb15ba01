// The game's own town room entered into the demo town that make-demo-data
// makes (with a small stand-in truck): the world loads without a single
// error, and every building pulls the truck in when it drives to its zone.
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tests/game/world/town_fixture.h"
#include "tools/data/demo_data.h"

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace {
class TownDemoWorldTest : public town_test::TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        DemoDataPaths paths;
        paths.source = RUMBO_DEMO_SOURCE;
        paths.town = RUMBO_TOWN_SOURCE;
        paths.output = m_Dir.Path();
        ASSERT_TRUE(MakeTextGroup()->Make(paths) && MakeTownGroup()->Make(paths));
        // The welcome speaks and plays music, groups this test does not make;
        // the scripted run on the build's whole data plays it.
        remove(m_Dir.File("welcome.seq").c_str());
        m_Dir.Write("VPLAYER/brund.ini",
                    truck_test::TruckText(16, "MaxDrivingSpeed=8\nDrivingAcceleration=8\n"));
        StartTown();
    }
};
} // namespace

TEST_F(TownDemoWorldTest, LoadsWithoutAnErrorAndEveryBuildingPullsTheTruckInFromItsDriveThroughPoint)
{
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
    EXPECT_EQ(m_pTown->GetMap().GetColumns(), 100);
    EXPECT_EQ(m_pTown->GetMap().GetRows(), 60);
    EXPECT_GE(m_pTown->GetNodes().GetCount(), 60u);
    ASSERT_EQ(m_pTown->GetBuildings().size(), 25u) << "16 buildings, 4 mail boxes, 4 meters, a rail";
    EXPECT_FALSE(m_pTown->GetPlacedUnderlays().empty());
    EXPECT_FALSE(m_pTown->GetPlacedOverlays().empty());
    EXPECT_GT(m_pTown->GetPlacedObjects().size(), 40u);
    EXPECT_EQ(m_pTown->GetTruck()->GetCentre(), TOWN_START_POINT);
    EXPECT_EQ(m_pTown->GetCurrentBuilding(), nullptr);
    {
        // What the screen shows: the town around the truck, not the empty room.
        CxDrawSurface screen(640, 480, 24);
        screen.FillRect(nullptr, 0);
        // Painted as the screen would be, the room on the display root.
        if (!m_pTown->GetParent())
            m_pTown->AttachTo(CxDisplayObject::GetRoot());
        m_pTown->Redraw();
        CxDisplayObject::UpdateScreen(&screen);
        int32_t black = 0;
        for (int32_t y = 0; y < 480; y += 16)
            for (int32_t x = 0; x < 640; x += 16)
                black += screen.GetPixel(x, y) == 0 ? 1 : 0;
        EXPECT_LT(black, 40 * 30 / 10) << "the town is drawn";
    }
    m_pTown->m_bUserControl = false;
    m_pTown->UpdateTown();
    EXPECT_EQ(m_pTown->GetCurrentBuilding(), nullptr) << "no zone pulls at the start";

    CTruck& truck = *m_pTown->GetTruck();
    for (size_t i = 0; i < 16; ++i)
    {
        CBuilding* building = m_pTown->GetBuildings()[i].get();
        SCOPED_TRACE(building->GetFileName().c_str());
        EXPECT_EQ(building->GetId(), static_cast<int32_t>(i));
        // At the drive-through point nothing pulls yet; at the zone centre it does.
        truck.PlaceAt(building->GetDriveThruPosition());
        truck.SetTarget(building->GetDriveThruPosition());
        m_pTown->UpdateTown();
        EXPECT_NE(m_pTown->GetCurrentBuilding(), building);
        truck.PlaceAt(building->GetCenter());
        truck.SetTarget(building->GetCenter());
        m_pTown->UpdateTown();
        EXPECT_EQ(m_pTown->GetCurrentBuilding(), building);
        EXPECT_TRUE(building->GetZoneSequence(false, 0).GetLength() > 0);
    }
}
