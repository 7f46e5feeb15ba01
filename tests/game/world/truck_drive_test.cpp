// Driving under the manual clock: steering, moving, pacing, events, faults.
#include "engine/core/event.h"
#include "engine/core/event_creator.h"
#include "game/world/direction_table.h"
#include "game/world/moving_object.h"
#include "game/world/truck.h"
#include "game/world/truck_events.h"
#include "game/world/truck_view.h"
#include "tests/game/world/truck_test_util.h"

#include <cmath>
#include <functional>
#include <memory>

using truck_test::Command;
using truck_test::FakeView;
using truck_test::TruckFixture;

namespace {
using DriveTest = TruckFixture;

TEST_F(DriveTest, ReachesItsTopSpeedAfterAsManyUpdatesAsTheAccelerationTakes)
{
    auto truck = MakeTruck(16, "MaxDrivingSpeed=8\nDrivingAcceleration=1\n");
    truck->Settings().bDistanceAcceleration = false;
    const CxPoint far(500, 5000);
    for (int i = 1; i <= 8; ++i)
    {
        truck->Steer(&far);
        truck->Move();
        EXPECT_FLOAT_EQ(truck->GetSpeed(), static_cast<float>(i));
    }
    const float y = truck->GetFloatPosition()[1];
    truck->Steer(&far);
    truck->Move();
    EXPECT_FLOAT_EQ(truck->GetSpeed(), 8.0f);
    const float dx = truck->GetDirectionVector()[0];
    const float dy = truck->GetDirectionVector()[1];
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 1.0f, 1e-5f); // force angle: a unit heading
    EXPECT_GT(truck->GetFloatPosition()[1] - y, 0.0f);
}

TEST_F(DriveTest, AccelerationFollowsTheDistanceToTheMousePoint)
{
    auto truck = MakeTruck(16, "MaxDrivingSpeed=8\nDrivingAcceleration=1\n");
    const CxPoint centre = truck->GetCentre();
    const CxPoint far(centre.x, centre.y - 160);
    truck->Steer(&far);
    EXPECT_NEAR(truck->GetAcceleration(), 4.0f, 1e-5f);
    // 50 pixels away, to the right: brakes and does not turn.
    const CxPoint near(centre.x + 50, centre.y);
    truck->Steer(&near);
    EXPECT_NEAR(truck->GetAcceleration(), -0.4f, 1e-5f);
    EXPECT_EQ(truck->GetDirection(), 0);
}

TEST_F(DriveTest, ASolidHitTakesTheWheelAwayForTheDefaultTime)
{
    auto truck = MakeTruck(16);
    CCollisionSprite wall;
    wall.Create(CxRect(400, 480, 449, 529)); // centre (424.5, 504.5), left of the truck
    truck->SetDirectionVector(3.0f, 4.0f);
    truck->HandleCollision(&wall);
    // Away from the wall's centre with the old length 5.
    const float* v = truck->GetDirectionVector();
    EXPECT_NEAR(std::sqrt(v[0] * v[0] + v[1] * v[1]), 5.0f, 1e-4f);
    EXPECT_GT(v[0], 4.9f);
    EXPECT_TRUE(truck->IsOutOfControl());
    const CxPoint up(truck->GetCentre().x, truck->GetCentre().y - 300);
    Command(*truck, "SetDirection 8");
    Tick(399);
    truck->Steer(&up);
    EXPECT_EQ(truck->GetDirection(), 8);
    Tick(2);
    EXPECT_FALSE(truck->IsOutOfControl());
    truck->Steer(&up);
    EXPECT_NE(truck->GetDirection(), 8);
    // Bare "SetDefaultLoseControlTime" is 400 again.
    Command(*truck, "SetDefaultLoseControlTime 100");
    EXPECT_EQ(truck->Settings().nDefaultLoseControlTime, 100);
    Command(*truck, "SetDefaultLoseControlTime");
    EXPECT_EQ(truck->Settings().nDefaultLoseControlTime, 400);
    // Without the flag there is no lost control.
    Command(*truck, "SetLoseControlOnCollisions 0");
    truck->HandleCollision(&wall);
    EXPECT_FALSE(truck->IsOutOfControl());
}

TEST_F(DriveTest, DriveToStopsAtItsPointUnlessAskedToGoOn)
{
    for (const char* flag : {"0", "1"})
    {
        auto truck = MakeTruck(16, "MaxDrivingSpeed=6\nDrivingAcceleration=1\n");
        truck->Settings().bDistanceAcceleration = false;
        std::unique_ptr<CxEvent> event(truck->CreateEvent("this", "DriveTo", Args({"500", "300", flag})));
        ASSERT_NE(event, nullptr);
        event->Start();
        int updates = 0;
        while (!event->IsFinished() && updates < 200)
        {
            truck->Steer();
            truck->Move();
            ++updates;
        }
        ASSERT_LT(updates, 200);
        if (flag[0] == '1')
            EXPECT_GT(truck->GetSpeed(), 0.0f);
        else
        {
            EXPECT_EQ(truck->GetSpeed(), 0.0f);
            EXPECT_EQ(truck->GetTarget(), truck->GetCentre());
        }
    }
}

TEST_F(DriveTest, SetPositionLeavesTheTruckStandingWhereItIsPut)
{
    auto truck = MakeTruck(16, "MaxDrivingSpeed=8\nDrivingAcceleration=1\n");
    // Driving at full speed toward a point of an earlier scene.
    truck->SetTarget(CxPoint(100, 500));
    Command(*truck, "SetCurSpeed 8");
    truck->Steer();
    truck->Move();
    Command(*truck, "SetPosition 900 700");
    for (int i = 0; i < 20; ++i)
    {
        truck->Steer();
        truck->Move();
    }
    EXPECT_EQ(truck->GetCentre(), CxPoint(900, 700));
    EXPECT_EQ(truck->GetSpeed(), 0.0f);
}

TEST_F(DriveTest, RotateToTurnsInPlaceAndClearsTheTargetDirection)
{
    auto truck = MakeTruck(16);
    std::unique_ptr<CxEvent> event(truck->CreateEvent("this", "RotateTo", Args({"20"})));
    ASSERT_NE(event, nullptr);
    event->Start();
    EXPECT_EQ(truck->GetTargetDirection(), 4); // 20 of 16 directions is 4
    int updates = 0;
    while (!event->IsFinished() && updates < 20)
    {
        truck->Steer();
        ++updates;
    }
    EXPECT_EQ(truck->GetDirection(), 4);
    EXPECT_EQ(truck->GetTargetDirection(), -1);
}

// Each row: what it does, and what must hold afterwards.
struct FaultCase
{
    const char* name;
    std::function<void(DriveTest&, CTruck&)> check;
};

TEST_F(DriveTest, FaultsAreHandledSoundly)
{
    const std::vector<FaultCase> cases = {
        {"a zero heading does not move",
         [](DriveTest&, CTruck& t) {
             Command(t, "SetCurSpeed 3");
             t.SetDirectionVector(0, 0);
             EXPECT_FALSE(t.Move());
             EXPECT_TRUE(std::isfinite(t.GetFloatPosition()[0]));
             EXPECT_EQ(t.GetCentre(), CxPoint(500, 500));
         }},
        {"exact arrival keeps the heading",
         [](DriveTest&, CTruck& t) {
             t.SetDirectionVector(0, -2);
             t.SetTarget(t.GetCentre());
             t.Steer();
             t.Move();
             EXPECT_EQ(t.GetDirectionVector()[1], -2.0f);
             EXPECT_TRUE(std::isfinite(t.GetFloatPosition()[1]));
         }},
        {"a bounce off an equal centre keeps the heading",
         [](DriveTest&, CTruck& t) {
             CCollisionSprite block;
             const CxPoint c = t.GetCentre();
             block.Create(CxRect(c.x - 5, c.y - 5, c.x + 5, c.y + 5));
             t.SetDirectionVector(1, 0);
             t.HandleCollision(&block);
             EXPECT_EQ(t.GetDirectionVector()[0], 1.0f);
         }},
        {"SetMode out of range is ignored",
         [](DriveTest&, CTruck& t) {
             Command(t, "SetMode 7");
             EXPECT_EQ(t.GetMode(), 0);
             EXPECT_EQ(t.GetStateNumber(), 0);
         }},
        {"missing numbers reject the line",
         [](DriveTest& f, CTruck& t) {
             Command(t, "SetMaxSpeed");
             Command(t, "SetMaxSpeed x");
             EXPECT_FLOAT_EQ(t.GetMaxSpeed(), 1.0f);
             Command(t, "SetPosition 5");
             EXPECT_EQ(t.GetCentre(), CxPoint(500, 500));
             Command(t, "LoseControl");
             EXPECT_FALSE(t.IsOutOfControl());
             EXPECT_EQ(t.CreateEvent("this", "DriveTo", f.Args({"5"})), nullptr);
             EXPECT_EQ(t.CreateEvent("this", "RotateTo", f.Args({})), nullptr);
             Command(t, "SetMaxSpeed -3");
             EXPECT_FLOAT_EQ(t.GetMaxSpeed(), 0.0f);
             Command(t, "SetPosition 40 50");
             EXPECT_EQ(t.GetCentre(), CxPoint(40, 50));
         }},
    };
    for (const FaultCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto truck = MakeTruck(16);
        c.check(*this, *truck);
    }
}

TEST_F(DriveTest, DirectionCountsBeyondTheTablesAndBelowIt)
{
    auto big = MakeTruck(20);
    EXPECT_EQ(big->GetNumDirections(), 16);
    auto eight = MakeTruck(8);
    const CxPoint right(eight->GetCentre().x + 400, eight->GetCentre().y);
    for (int i = 0; i < 10; ++i)
    {
        eight->Steer(&right);
        EXPECT_LT(eight->GetDirection(), 8);
    }
}

TEST_F(DriveTest, TheScrollBoxHoldsStillForEveryRadius)
{
    EXPECT_EQ(TruckScrollBox(CxSize(640, 480), 0), CxRect(320, 240, 320, 240));
    EXPECT_EQ(TruckScrollBox(CxSize(640, 480), 100), CxRect(270, 190, 369, 289));
    EXPECT_EQ(TruckScrollBox(CxSize(640, 480), 1000), CxRect(80, 0, 559, 479));
    for (int32_t radius : {0, 100, 1000})
    {
        SCOPED_TRACE(radius);
        auto truck = MakeTruck(16, "MapScrollRadius=" + std::to_string(radius) + "\n");
        FakeView view;
        view.origin = CxPoint(-700, 900);
        truck->ScrollMapAfter(view);
        const CxPoint settled = view.origin;
        for (int i = 0; i < 100; ++i)
            truck->ScrollMapAfter(view);
        EXPECT_EQ(view.origin, settled);
        EXPECT_LE(view.scrolls, 1);
    }
}

TEST_F(DriveTest, PaceFollowsTheSpeed)
{
    auto truck = MakeTruck(16, "MaxDrivingSpeed=8\nMaxFrameRate=10\n");
    Command(*truck, "SetCurSpeed 4");
    EXPECT_FLOAT_EQ(truck->GetFrameRate(), 5.0f);
    truck->Pace();
    Tick(199);
    truck->Pace();
    EXPECT_EQ(truck->GetTruckFrame(), 0);
    Tick(1);
    truck->Pace();
    EXPECT_EQ(truck->GetTruckFrame(), 1);
    Command(*truck, "SetMaxSpeed 0");
    EXPECT_FLOAT_EQ(truck->GetFrameRate(), 0.0f);
    Tick(1000);
    truck->Pace();
    EXPECT_EQ(truck->GetTruckFrame(), 1);
}
} // namespace
