#include "game/world/direction_table.h"
#include "game/world/truck.h"
#include "tests/game/world/truck_test_util.h"

#include <cmath>

using truck_test::TruckFixture;
using truck_test::TruckText;

namespace {
struct StepCase
{
    int32_t from;
    int32_t to;
    int32_t count;
    std::vector<int32_t> path;
};

class DirectionStepTest : public testing::TestWithParam<StepCase>
{
};

TEST_P(DirectionStepTest, TurnsOneDirectionPerStepTheShortWay)
{
    const StepCase& c = GetParam();
    int32_t current = c.from;
    std::vector<int32_t> path;
    for (int i = 0; i < 20 && current != c.to; ++i)
    {
        current = WrapDirection(current + DirectionStep(current, c.to, c.count), c.count);
        path.push_back(current);
    }
    EXPECT_EQ(path, c.path);
}

INSTANTIATE_TEST_SUITE_P(Table, DirectionStepTest,
                         testing::Values(StepCase{1, 14, 16, {0, 15, 14}}, StepCase{14, 1, 16, {15, 0, 1}},
                                         StepCase{2, 5, 16, {3, 4, 5}},
                                         StepCase{0, 8, 16, {1, 2, 3, 4, 5, 6, 7, 8}},
                                         StepCase{6, 2, 8, {5, 4, 3, 2}}, StepCase{0, 3, 4, {3}}));

TEST(DirectionTableTest, AnglesAndNearestEntries)
{
    ResetDirectionAngles();
    EXPECT_FLOAT_EQ(AngleOfVector(0, -1), 0.0f);
    EXPECT_FLOAT_EQ(AngleOfVector(1, 0), 90.0f);
    EXPECT_FLOAT_EQ(AngleOfVector(0, 1), 180.0f);
    EXPECT_FLOAT_EQ(AngleOfVector(-1, 0), 270.0f);
    EXPECT_FLOAT_EQ(AngleOfVector(-0.19f, -1.0f), 0.0f); // 348.7 and up count as up
    EXPECT_EQ(NearestDirection(0.0f, 16), 0);
    EXPECT_EQ(NearestDirection(270.0f, 16), 4);
    EXPECT_EQ(NearestDirection(90.0f, 16), 12);
    EXPECT_EQ(NearestDirection(355.0f, 16), 0);
    // Only the entries the truck has count: 8 directions never answer 12.
    EXPECT_EQ(NearestDirection(90.0f, 8), 0);
    EXPECT_EQ(NearestDirection(210.0f, 8), 7);
    // A tie goes to the lower number.
    GetDirectionAngles()[1] = 20.0f;
    GetDirectionAngles()[2] = 40.0f;
    EXPECT_EQ(NearestDirection(30.0f, 3), 1);
    ResetDirectionAngles();
    EXPECT_EQ(WrapDirection(-17, 16), 15);
    EXPECT_EQ(WrapDirection(20, 16), 4);
}

using TruckLoadTest = TruckFixture;

TEST_F(TruckLoadTest, ReadsDirectionsStatesAndKeys)
{
    const std::string extra = "[DrivingAngles]\nAngle04=271\n"
                              "[Perimeter]\nRect=10, 20, 300, 400\nOnEnterPerimeter=enter.seq\n";
    const std::string head = "EventTypeName=Truck\nMaxDrivingSpeed=8\nStartLocation=100, 200\n"
                             "OnShoot=shoot.seq\nDrivingSound=$GAMEPATH\\engine.wav\nTargetThreshold=25\n";
    CTruck truck;
    ASSERT_EQ(
        truck.LoadFromFile(
            Write(TruckText(16, head, extra, "$GAMEPATH\\truck.smk", "Tire0=3, 4\nTire3=30, 20\n")).c_str()),
        CX_ERR_NONE);
    EXPECT_EQ(truck.GetNumDirections(), 16);
    for (int32_t d = 0; d < 16; ++d)
        EXPECT_EQ(truck.GetStateCount(d), 3);
    EXPECT_EQ(truck.GetTruckFrameCount(), 4);
    EXPECT_EQ(truck.GetCollisionRect(), CxRect(2, 3, 29, 21));
    EXPECT_EQ(truck.GetEventTypeName(), CxString("Truck"));
    const ST_TRUCK_SETTINGS& set = truck.Settings();
    EXPECT_FLOAT_EQ(set.fSuperAcceleration, 0.0f); // missing: the built-in value
    EXPECT_FLOAT_EQ(truck.GetMaxSpeed(), 8.0f);
    EXPECT_EQ(set.nTargetThreshold, 25);
    EXPECT_EQ(set.ptStartLocation, CxPoint(100, 200));
    EXPECT_EQ(set.ptTyres[3][0], CxPoint(30, 20));
    EXPECT_EQ(set.rcPerimeter, CxRect(10, 20, 300, 400));
    EXPECT_EQ(set.strOnEnterPerimeter, CxString("enter.seq"));
    EXPECT_FLOAT_EQ(GetDirectionAngles()[4], 271.0f);
    EXPECT_FLOAT_EQ(GetDirectionAngles()[5], 256.6f);
    ASSERT_NE(truck.GetSound(TRUCK_SOUND_DRIVING), nullptr);
    EXPECT_EQ(truck.GetSound(TRUCK_SOUND_DRIVING)->GetRepeatCount(), TRUCK_LOOP_COUNT);
}

TEST_F(TruckLoadTest, FailuresAndDamagedValues)
{
    ErrorCapture errors;
    CTruck truck;
    EXPECT_EQ(truck.LoadFromFile(Write("[QexSprite]\nNumDirections=0\n").c_str()), CX_ERR_UNKNOWN);
    EXPECT_EQ(truck.GetNumDirections(), 0);
    EXPECT_EQ(truck.LoadFromFile(Write(TruckText(2, "", "", "$GAMEPATH\\missing.smk")).c_str()),
              CX_ERR_OUT_OF_MEMORY);
    EXPECT_EQ(truck.GetNumDirections(), 2);
    EXPECT_EQ(truck.GetTruckFrameCount(), 0);
    bool sawDriverText = false;
    for (const CapturedError& e : errors.Errors())
        sawDriverText |=
            e.text.find("Could not allocate a new CxMovieDriver for this SuperTruck") != std::string::npos;
    EXPECT_TRUE(sawDriverText);
    // A rectangle beyond the frame is kept inside it.
    std::string text = TruckText(1);
    text.replace(text.find("CollisionRect=2, 3, 29, 21"), 26, "CollisionRect=-5, -1, 90, 99");
    ASSERT_EQ(truck.LoadFromFile(Write(text).c_str()), CX_ERR_NONE);
    EXPECT_EQ(truck.GetCollisionRect(), CxRect(0, 0, 31, 23));
    EXPECT_EQ(truck.LoadFromFile("nothing.ini"), CX_ERR_FILE_NOT_FOUND);
}

TEST_F(TruckLoadTest, DirectionChangeKeepsStateAndFrameAndTakesItsRect)
{
    std::string text = TruckText(4);
    text.replace(text.rfind("CollisionRect=2, 3, 29, 21"), 26, "CollisionRect=1, 1, 5, 5");
    CTruck truck;
    ASSERT_EQ(truck.LoadFromFile(Write(text).c_str()), CX_ERR_NONE);
    truck.SetMode(TRUCK_MODE_BUMP);
    truck.ShowFrame(2);
    truck.SelectDirection(3);
    EXPECT_EQ(truck.GetStateNumber(), TRUCK_MODE_BUMP);
    EXPECT_EQ(truck.GetTruckFrame(), 2);
    EXPECT_EQ(truck.GetCollisionRect(), CxRect(1, 1, 5, 5));
    // The surface shows the decoded frame: index 12 of a green ramp.
    const ST_TRUCK_STATE* state = truck.GetTruckState(3, TRUCK_MODE_BUMP);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(truck.GetImage(), state->pSurface);
    EXPECT_EQ(state->nDecoded, 2);
}

TEST_F(TruckLoadTest, CopiesDrawTheirOwnFrames)
{
    CTruck master;
    ASSERT_EQ(master.LoadFromFile(Write(TruckText(2, "MaxDrivingSpeed=5\n")).c_str()), CX_ERR_NONE);
    truck_test::Command(master, "SetTargetThreshold 33");
    CTruck copy;
    ASSERT_EQ(copy.CopyFrom(master), CX_ERR_NONE);
    EXPECT_EQ(copy.Settings().nTargetThreshold, 33);
    EXPECT_FLOAT_EQ(copy.GetMaxSpeed(), 5.0f);
    EXPECT_NE(copy.GetImage(), master.GetImage());
    master.ShowFrame(1);
    copy.ShowFrame(3);
    EXPECT_EQ(master.GetTruckState(0, 0)->nDecoded, 1);
    EXPECT_EQ(copy.GetTruckState(0, 0)->nDecoded, 3);
    EXPECT_NE(master.GetImage()->GetPixel(5, 5), copy.GetImage()->GetPixel(5, 5));
}
} // namespace
