// Modes and their sounds, turbo, bump, collisions, shooting, talking,
// pausing and the trucks driven by sequences.
#include "engine/core/event.h"
#include "engine/core/sequence.h"
#include "engine/media/sound.h"
#include "game/world/lip_synch.h"
#include "game/world/moving_object.h"
#include "game/world/truck.h"
#include "game/world/truck_events.h"
#include "game/world/truck_view.h"
#include "tests/game/world/truck_test_util.h"
#include "tests/support/test_app.h"

#include <sys/stat.h>

#include <memory>

using truck_test::Command;
using truck_test::FakeView;
using truck_test::TruckFixture;
using truck_test::TruckText;

namespace {
const char* const kSounds =
    "DrivingSound=$GAMEPATH\\engine.wav\nSuperDrivingSound=$GAMEPATH\\super.wav\n"
    "BumpDrivingSound=$GAMEPATH\\bump.wav\nHornSound=$GAMEPATH\\horn.wav\n"
    "MaxDrivingSpeed=8\nDrivingAcceleration=1\nMaxSuperSpeed=14\nSuperAcceleration=3\n"
    "TurboTime=1000\n";

// Records the sounds played from their start.
class CRecordingTruck : public CTruck
{
public:
    void PlayEffect(int32_t which) override
    {
        played.push_back(which);
        CTruck::PlayEffect(which);
    }
    std::vector<int32_t> played;
};

class BehaviourTest : public TruckFixture
{
protected:
    void SetUp() override
    {
        TruckFixture::SetUp();
        for (const char* name : {"super.wav", "bump.wav", "horn.wav", "hello.wav"})
            m_Dir.Write(name, truck_test::MakeWave(800));
        mkdir(m_Dir.File("SFX").c_str(), 0755);
        m_Dir.Write("SFX/crash.wav", truck_test::MakeWave(800));
        WriteImage("lips.bmp", 32, 8);
    }
    template <class T = CTruck>
    std::unique_ptr<T> MakeTruck(const std::string& head = kSounds, const std::string& first = "")
    {
        return TruckFixture::MakeTruck<T>(4, head, first);
    }
    CEventPump m_Pump;
};

TEST_F(BehaviourTest, ModesSwitchValuesStatesAndLoopSounds)
{
    auto truck = MakeTruck();
    struct Row
    {
        int32_t mode;
        float max;
        float acceleration;
        int32_t sound;
    };
    for (const Row& row : {Row{1, 14.0f, 3.0f, TRUCK_SOUND_SUPER}, Row{2, 14.0f, 3.0f, TRUCK_SOUND_BUMP},
                           Row{0, 8.0f, 1.0f, TRUCK_SOUND_DRIVING}})
    {
        Command(*truck, "SetMode " + std::to_string(row.mode));
        EXPECT_EQ(truck->GetMode(), row.mode);
        EXPECT_EQ(truck->GetStateNumber(), row.mode);
        EXPECT_FLOAT_EQ(truck->GetMaxSpeed(), row.max);
        EXPECT_FLOAT_EQ(truck->GetAcceleration(), row.acceleration);
        EXPECT_EQ(truck->GetLoopSound(), truck->GetSound(row.sound));
    }
    // The engine sound fades with the distance from the middle of the view.
    FakeView view;
    view.origin = CxPoint(-2000, -2000);
    truck->SetView(&view);
    Command(*truck, "SetCurSpeed 5");
    truck->SetDirectionVector(1, 0);
    EXPECT_TRUE(truck->Move());
    EXPECT_LT(truck->GetLoopSound()->GetVolume(), 127);
    view.origin = CxPoint(200, 280);
    EXPECT_TRUE(truck->Move());
    EXPECT_EQ(truck->GetLoopSound()->GetVolume(), 127);
    truck->SetView(nullptr);
    EXPECT_NE(truck->GetSound(TRUCK_SOUND_CRASH), nullptr) << "from the SFX folder";
}

TEST_F(BehaviourTest, TurboEndsAfterItsTimeAndBumpReturnsAtItsLastFrame)
{
    auto truck = MakeTruck();
    Command(*truck, "TurboBoost");
    EXPECT_EQ(truck->GetMode(), TRUCK_MODE_SUPER);
    Tick(999);
    EXPECT_EQ(truck->GetMode(), TRUCK_MODE_SUPER);
    Tick(2);
    EXPECT_EQ(truck->GetMode(), TRUCK_MODE_DRIVING);
    EXPECT_FALSE(truck->IsTurboRunning());
    // "Stop" stops the turbo timer but keeps the mode.
    Command(*truck, "TurboBoost");
    Command(*truck, "Stop");
    EXPECT_FALSE(truck->IsTurboRunning());
    EXPECT_EQ(truck->GetMode(), TRUCK_MODE_SUPER);
    Command(*truck, "SetMode 2");
    Command(*truck, "SetCurSpeed 8");
    for (int i = 0; i < 10 && truck->GetMode() == TRUCK_MODE_BUMP; ++i)
    {
        Tick(100);
        truck->Pace();
    }
    EXPECT_EQ(truck->GetMode(), TRUCK_MODE_DRIVING);
}

TEST_F(BehaviourTest, CrashesOnlyAgainstTrucksAndSmashesOnlyInTurbo)
{
    auto truck = MakeTruck<CRecordingTruck>();
    auto other = MakeTruck();
    CCollisionSprite wall;
    wall.Create(CxRect(0, 0, 9, 9));
    truck->HandleCollision(&wall);
    EXPECT_TRUE(truck->played.empty());
    truck->HandleCollision(other.get());
    EXPECT_EQ(truck->played, std::vector<int32_t>{TRUCK_SOUND_CRASH});
    truck->Honk();
    EXPECT_EQ(truck->played.back(), TRUCK_SOUND_HORN);

    CCollisionSprite box;
    box.Create(CxRect(0, 0, 9, 9), nullptr, TRUCK_SMASHABLE_ID);
    box.SetCollisionFlag(COLLISION_SOLID, false);
    box.Redraw();
    truck->HandleCollision(&box); // mode 0: nothing
    EXPECT_TRUE(box.IsBumpable());
    auto enemy = MakeTruck(std::string(kSounds) + "EnemyID=2\n");
    Command(*enemy, "SetMode 1");
    enemy->HandleCollision(&box); // not the player's truck
    EXPECT_TRUE(box.IsBumpable());
    Command(*truck, "SetMode 1");
    truck->HandleCollision(&box);
    EXPECT_FALSE(box.IsBumpable());
    EXPECT_FALSE(box.IsShown());
}

TEST_F(BehaviourTest, ShootingHandsItsPlaceToTheShootSequence)
{
    CTestApp app;
    m_Dir.Write("shoot.seq", "Event this.SetCurSpeed($spawn_x)\nEvent this.SetTargetThreshold($movie_y)\n");
    const std::string extra = "OnShoot=$GAMEPATH\\shoot.seq\n";
    std::string text =
        TruckText(4, extra) + "[ShotMovieOffsets]\nDirection2=3, 4\n[SpawnedShotOffsets]\nDirection2=5, 6\n";
    CTruck truck;
    ASSERT_EQ(truck.LoadFromFile(Write(text).c_str()), CX_ERR_NONE);
    truck.PlaceAt(CxPoint(116, 212)); // top-left (100, 200)
    Command(truck, "SetDirection 2");
    Command(truck, "ResetShootTimer 500");
    Tick(500);
    for (int i = 0; i < 6; ++i)
        Tick(1);
    EXPECT_FLOAT_EQ(truck.GetSpeed(), 105.0f);
    EXPECT_EQ(truck.Settings().nTargetThreshold, 204);
    EXPECT_EQ(app.GetInterpolator().FindVariable("direction")->GetValue(), CxString("2"));
}

TEST_F(BehaviourTest, TalkingNeedsLipsInTheCurrentDirection)
{
    ErrorCapture errors;
    auto truck = MakeTruck(kSounds, "Lips=$GAMEPATH\\lips.bmp\nLipPosition=4, 5\n");
    ASSERT_NE(truck->GetLips(0, 0), nullptr);
    EXPECT_EQ(truck->GetLips(0, 0)->GetPosition(), CxPoint(4, 5));
    EXPECT_EQ(truck->GetLips(0, 0)->GetFrameCount(), 4);
    {
        std::unique_ptr<CxEvent> talk(truck->CreateEvent("this", "Talk", Args({"$GAMEPATH\\hello.wav"})));
        talk->Start();
        EXPECT_TRUE(truck->GetLips(0, 0)->IsActive());
        EXPECT_FALSE(talk->IsFinished());
        talk->Stop();
        EXPECT_FALSE(truck->GetLips(0, 0)->IsActive());
    }
    // Set 2 has no lips, nor has direction 1: done at once, with the error.
    for (const char* direction : {"0", "1"})
    {
        Command(*truck, std::string("SetDirection ") + direction);
        std::unique_ptr<CxEvent> talk(truck->CreateEvent("this", direction[0] == '0' ? "Talk2" : "Talk",
                                                         Args({"$GAMEPATH\\hello.wav"})));
        talk->Start();
        EXPECT_TRUE(talk->IsFinished());
    }
    bool reported = false;
    for (const CapturedError& e : errors.Errors())
        reported |= e.text == "No lips defined for this direction";
    EXPECT_TRUE(reported);
    // A sound that cannot load finishes at once too.
    Command(*truck, "SetDirection 0");
    std::unique_ptr<CxEvent> talk(truck->CreateEvent("this", "Talk", Args({"$GAMEPATH\\none.wav"})));
    talk->Start();
    EXPECT_TRUE(talk->IsFinished());
}

TEST_F(BehaviourTest, PausesNest)
{
    auto truck = MakeTruck();
    Command(*truck, "SetCurSpeed 8");
    Command(*truck, "LoseControl 300");
    std::unique_ptr<CxEvent> drive(truck->CreateEvent("this", "DriveThru", Args({"10", "10"})));
    EXPECT_FALSE(drive->IsBlocked());
    truck->AddPause();
    drive->Pause(); // an event paused by its sequence pauses the truck once more
    EXPECT_TRUE(drive->IsBlocked());
    drive->Resume();
    truck->AddPause();
    truck->RemovePause();
    EXPECT_TRUE(drive->IsBlocked());
    Tick(1000);
    truck->Pace();
    EXPECT_EQ(truck->GetTruckFrame(), 0);
    EXPECT_TRUE(truck->IsOutOfControl()); // its time stood still
    truck->RemovePause();
    EXPECT_FALSE(truck->IsPaused());
    EXPECT_FALSE(drive->IsBlocked());
    Tick(301);
    EXPECT_FALSE(truck->IsOutOfControl());
    truck->Pace();
    Tick(200);
    truck->Pace();
    EXPECT_EQ(truck->GetTruckFrame(), 1);
}

TEST_F(BehaviourTest, SequencesDriveMovingObjectsUntilStopped)
{
    auto mover = MakeTruck<CMovingObject>();
    Command(*mover, "SetAcceleration 1");
    m_Dir.Write("drive.seq", "Event this.DriveTo(500, 100)\nEvent this.SetTargetThreshold(77)\n");
    auto* sequence = new CxEventSequenceFile(mover.get());
    ASSERT_EQ(sequence->Load(m_Dir.File("drive.seq").c_str(), nullptr), CX_ERR_NONE);
    sequence->AddFlags(EVENT_AUTO_DELETE);
    ASSERT_EQ(mover->DriveWith(sequence), CX_ERR_NONE);
    for (int i = 0; i < 3; ++i)
    {
        Tick(1);
        mover->Steer();
        mover->Move();
    }
    EXPECT_EQ(mover->GetTarget(), CxPoint(500, 100));
    EXPECT_NE(mover->GetDrivingChannel(), 0u);
    Command(*mover, "StopDriving");
    EXPECT_EQ(mover->GetDrivingChannel(), 0u);
    EXPECT_FLOAT_EQ(mover->GetSpeed(), 0.0f);
    for (int i = 0; i < 3; ++i)
        Tick(1);
    EXPECT_EQ(mover->Settings().nTargetThreshold, 20);
}

TEST(TruckHornTest, MiddleButtonAlwaysRightOnlyWhenItIsNotTheLeft)
{
    EXPECT_TRUE(IsHornButton(TRUCK_BUTTON_MIDDLE, 7));
    EXPECT_FALSE(IsHornButton(TRUCK_BUTTON_RIGHT, 7));
    EXPECT_TRUE(IsHornButton(TRUCK_BUTTON_RIGHT, 0));
    EXPECT_FALSE(IsHornButton(TRUCK_BUTTON_LEFT, 0));
}
} // namespace
