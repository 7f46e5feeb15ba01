#include "game/missions/moving_mission.h"

#include "tests/game/missions/mission_fakes.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
const char* const HAND_TRUCK = "$GAMEPATH\\handtruck.ini";

// Turning changes a truck's frame, and with it where its centre lies.
int32_t Distance(const CxPoint& a, const CxPoint& b)
{
    return std::abs(a.x - b.x) + std::abs(a.y - b.y);
}

class MovingMissionTest : public town_test::TownTest
{
protected:
    void SetUp() override
    {
        TownTest::SetUp();
        m_pTown->SetMission(&m_Mission);
        m_Dir.Write("handtruck.ini",
                    truck_test::TruckText(16, "EventTypeName=HandTruck\nMaxDrivingSpeed=8\n"
                                              "DrivingAcceleration=8\nStartLocation=900, 900\n"));
        mkdir(m_Dir.File("mission").c_str(), 0755);
        mkdir(m_Dir.File("mission/MovingHandTrucks").c_str(), 0755);
        // Each path puts its truck somewhere of its own at once.
        for (int path = 0; path < 6; ++path)
            WritePath(path, "Event this.SetPosition(" + std::to_string(700 + 50 * path) +
                                ", 800)\nEvent this.Stop()\n");
    }
    void TearDown() override
    {
        m_pTown->SetMission(nullptr);
        m_Moving.Stop();
        TownTest::TearDown();
    }
    void WritePath(int path, const std::string& text)
    {
        m_Dir.Write("mission/MovingHandTrucks/path0" + std::to_string(path) + ".seq", text);
    }
    int32_t Start(int32_t required, const std::vector<int32_t>& paths, const char* item = HAND_TRUCK)
    {
        for (int32_t path : paths)
            m_pTown->m_ChosenPaths.AddTail(path);
        return m_Moving.Start(*m_pTown, item, required, m_pTown->m_ChosenPaths);
    }
    // Lets the channels run their events, with a moving-mission update each pass.
    void Run(int passes)
    {
        for (int i = 0; i < passes; ++i)
        {
            Tick(50);
            m_Moving.Update();
        }
    }
    CHandTruck& Truck(size_t i) { return *m_Moving.GetHandTrucks()[i]; }
    bool InTown(const CHandTruck& truck)
    {
        const auto& sprites = m_pTown->GetCollisionSprites();
        return std::find(sprites.begin(), sprites.end(), &truck) != sprites.end();
    }

    CMovingMission m_Moving;
    CRecordingMission m_Mission;
};

TEST_F(MovingMissionTest, OneTaggedNonSolidTruckPerChosenPathDrivingItsOwnFile)
{
    const size_t sprites = m_pTown->GetCollisionSprites().size();
    ASSERT_EQ(Start(3, {2, 0, 5}), 3);
    const char* const files[] = {"MovingHandTrucks\\path02.seq", "MovingHandTrucks\\path00.seq",
                                 "MovingHandTrucks\\path05.seq"};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(Truck(i).GetTag(), static_cast<int32_t>(i));
        EXPECT_NE(std::string(Truck(i).GetPathFile().c_str()).find(files[i]), std::string::npos);
        EXPECT_FALSE(Truck(i).IsSolid());
        EXPECT_TRUE(InTown(Truck(i)));
    }
    Run(2);
    EXPECT_EQ(Truck(0).GetCentre(), CxPoint(800, 800)) << "path 02 drove truck 0";
    EXPECT_EQ(Truck(2).GetCentre(), CxPoint(950, 800));
    EXPECT_TRUE(m_Capture.Errors().empty());
    m_Moving.Stop();
    EXPECT_TRUE(m_Moving.GetHandTrucks().empty());
    EXPECT_EQ(m_pTown->m_ChosenPaths.GetCount(), 0u);
    EXPECT_EQ(m_pTown->GetCollisionSprites().size(), sprites);
}

TEST_F(MovingMissionTest, AnEndedPathStartsAgainOnlyWhileShownAndNotToldToStop)
{
    ASSERT_EQ(Start(3, {0, 1, 2}), 3);
    Truck(1).Hide();
    truck_test::Command(Truck(2), "StopDriving");
    Run(3);
    for (size_t i : {0u, 1u, 2u})
    {
        Truck(i).PlaceAt(CxPoint(10, 10));
        Truck(i).StopTruckMotion();
        Run(3);
        const CxPoint expected = i == 0 ? CxPoint(700, 800) : CxPoint(10, 10);
        EXPECT_LT(Distance(Truck(i).GetCentre(), expected), 16) << "truck " << i;
    }
}

TEST_F(MovingMissionTest, HandTrucksWaitWhileTheTownIsPaused)
{
    WritePath(1, "Event system.Sleep(100)\nEvent this.SetPosition(750, 800)\nEvent this.Stop()\n");
    m_Moving.SetPaused(true);
    ASSERT_EQ(Start(2, {1, 3}), 2) << "trucks started during a pause start paused";
    Run(3);
    EXPECT_LT(Distance(Truck(0).GetCentre(), CxPoint(900, 900)), 16) << "its path waits";
    m_Moving.SetPaused(false);
    Run(3);
    EXPECT_EQ(Truck(0).GetCentre(), CxPoint(750, 800));
    m_Moving.SetPaused(true);
    m_Moving.SetPaused(true);
    Truck(1).PlaceAt(CxPoint(10, 10));
    Truck(1).StopTruckMotion();
    Run(3);
    EXPECT_EQ(Truck(1).GetCentre(), CxPoint(10, 10)) << "no restart while paused";
    m_Moving.SetPaused(false);
    EXPECT_FALSE(Truck(1).IsPaused()) << "one resume undoes a repeated pause";
}

TEST_F(MovingMissionTest, BadPathsAreReportedOnceAndTheirTrucksStayHidden)
{
    // Path 03 is missing, path 04 lists no event.
    WritePath(4, "# nothing to drive\n");
    std::remove(m_Dir.File("mission/MovingHandTrucks/path03.seq").c_str());
    ASSERT_EQ(Start(3, {3, 4, 1}), 3);
    Run(5);
    ASSERT_EQ(m_Capture.Errors().size(), 2u) << "once each";
    EXPECT_NE(m_Capture.Errors()[0].text.find("Could not load path"), std::string::npos);
    for (size_t i : {0u, 1u})
        EXPECT_TRUE(!Truck(i).IsShown() && !InTown(Truck(i)) && Truck(i).GetDrivingChannel() == 0) << i;
    EXPECT_TRUE(Truck(2).IsShown());
}

TEST_F(MovingMissionTest, MakesNoMoreTrucksThanPathsAndNoneWithoutAMaster)
{
    EXPECT_EQ(Start(5, {1, 2}), 2);
    m_Moving.Stop();
    EXPECT_EQ(Start(1, {4, 5}), 1);
    m_Moving.Stop();
    EXPECT_TRUE(m_Capture.Errors().empty());
    EXPECT_EQ(Start(3, {0, 1, 2}, "$GAMEPATH\\none.ini"), 0);
    EXPECT_TRUE(m_Moving.GetHandTrucks().empty());
    ASSERT_EQ(m_Capture.Errors().size(), 1u);
    EXPECT_EQ(m_Capture.Errors()[0].text, "Could not load master object.");
}

TEST_F(MovingMissionTest, ACaughtHandTruckStopsVanishesAndCountsOnce)
{
    m_Dir.Write("bumped.seq", "Event this.StopDriving()\nEvent this.Erase()\nEvent this.SetBumpable(0)\n"
                              "Event Town.IncrementCollectionScore()\n");
    m_Dir.Write("handtruck.ini", truck_test::TruckText(16, "OnBumped=$GAMEPATH\\bumped.seq\n"));
    ASSERT_EQ(Start(1, {0}), 1);
    Run(2);
    UpdateAt(Truck(0).GetCentre());
    Run(3);
    UpdateAt(Truck(0).GetCentre());
    Run(3);
    EXPECT_FALSE(Truck(0).IsShown());
    EXPECT_FALSE(Truck(0).IsBumpable());
    EXPECT_TRUE(Truck(0).IsStopped());
    EXPECT_EQ(m_Mission.commands, std::vector<std::string>{"IncrementCollectionScore"});
}
} // namespace
