#include "game/missions/moving_mission.h"

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
        m_Moving.Stop();
        TownTest::TearDown();
    }
    void WritePath(int path, const std::string& text)
    {
        char name[64];
        snprintf(name, sizeof(name), "mission/MovingHandTrucks/path%02d.seq", path);
        m_Dir.Write(name, text);
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
};

TEST_F(MovingMissionTest, OneTaggedNonSolidTruckPerChosenPathDrivingItsOwnFile)
{
    ASSERT_EQ(Start(3, {2, 0, 5}), 3);
    const char* const files[] = {"path02.seq", "path00.seq", "path05.seq"};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(Truck(i).GetTag(), static_cast<int32_t>(i));
        const std::string file = Truck(i).GetPathFile().c_str();
        EXPECT_NE(file.find(std::string("MovingHandTrucks\\") + files[i]), std::string::npos) << file;
        EXPECT_FALSE(Truck(i).IsSolid());
        EXPECT_TRUE(InTown(Truck(i)));
        EXPECT_NE(Truck(i).GetDrivingChannel(), 0u);
    }
    Run(2);
    EXPECT_EQ(Truck(0).GetCentre(), CxPoint(800, 800)) << "path 02 drove truck 0";
    EXPECT_EQ(Truck(2).GetCentre(), CxPoint(950, 800));
    EXPECT_TRUE(m_Capture.Errors().empty());

    m_Moving.Stop();
    EXPECT_TRUE(m_Moving.GetHandTrucks().empty());
    EXPECT_EQ(m_pTown->m_ChosenPaths.GetCount(), 0u);
    EXPECT_EQ(std::count_if(m_pTown->GetCollisionSprites().begin(), m_pTown->GetCollisionSprites().end(),
                            [](CCollisionSprite* s) { return dynamic_cast<CHandTruck*>(s) != nullptr; }),
              0);
}

TEST_F(MovingMissionTest, AnEndedPathStartsAgainOnlyWhileShownAndNotToldToStop)
{
    ASSERT_EQ(Start(3, {0, 1, 2}), 3);
    Truck(1).Hide();
    truck_test::Command(Truck(2), "StopDriving");
    Run(3);
    // Truck 0 went on with its path: each pass finds it ended and starts it again.
    EXPECT_TRUE(Truck(0).GetPath()->GetChannel() != 0 || Truck(0).GetDrivingChannel() != 0);
    Truck(0).PlaceAt(CxPoint(10, 10));
    Truck(0).StopTruckMotion();
    Run(3);
    EXPECT_LT(Distance(Truck(0).GetCentre(), CxPoint(700, 800)), 16) << "the path ran again";
    for (size_t i : {1u, 2u})
    {
        Truck(i).PlaceAt(CxPoint(10, 10));
        Truck(i).StopTruckMotion();
        Run(3);
        EXPECT_LT(Distance(Truck(i).GetCentre(), CxPoint(10, 10)), 16)
            << "truck " << i << " was not restarted";
    }
}

TEST_F(MovingMissionTest, BadPathsAreReportedOnceAndTheirTrucksStayHidden)
{
    // Path 03 is missing, path 04 lists no event.
    WritePath(4, "# nothing to drive\n");
    std::remove(m_Dir.File("mission/MovingHandTrucks/path03.seq").c_str());
    ASSERT_EQ(Start(3, {3, 4, 1}), 3);
    Run(5);
    size_t reported = 0;
    for (const CapturedError& e : m_Capture.Errors())
        reported += e.text.find("Could not load path") != std::string::npos;
    EXPECT_EQ(reported, 2u) << "once each";
    for (size_t i : {0u, 1u})
    {
        EXPECT_FALSE(Truck(i).IsShown());
        EXPECT_FALSE(InTown(Truck(i)));
        EXPECT_EQ(Truck(i).GetDrivingChannel(), 0u);
    }
    EXPECT_TRUE(Truck(2).IsShown());
}

struct CountCase
{
    const char* item;
    int32_t required;
    std::vector<int32_t> paths;
    int32_t trucks;
    const char* error; // or null
};

class MovingCountTest : public MovingMissionTest, public testing::WithParamInterface<CountCase>
{
};

TEST_P(MovingCountTest, MakesNoMoreTrucksThanPathsAndNoneWithoutAMaster)
{
    const CountCase& c = GetParam();
    EXPECT_EQ(Start(c.required, c.paths, c.item), c.trucks);
    EXPECT_EQ(m_Moving.GetHandTrucks().size(), static_cast<size_t>(c.trucks));
    if (c.error)
    {
        ASSERT_FALSE(m_Capture.Errors().empty());
        EXPECT_EQ(m_Capture.Errors()[0].text, c.error);
    }
    else
        EXPECT_TRUE(m_Capture.Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Counts, MovingCountTest,
    testing::Values(CountCase{HAND_TRUCK, 5, {1, 2}, 2, nullptr},
                    CountCase{HAND_TRUCK, 1, {4, 5}, 1, nullptr}, CountCase{HAND_TRUCK, 0, {4}, 0, nullptr},
                    CountCase{"$GAMEPATH\\none.ini", 3, {0, 1, 2}, 0, "Could not load master object."}));
} // namespace
