// A scripted run of the whole game on the demo data the build made: the real
// application enters the town, and the truck drives into every building in
// turn from its drive-through point. Each building's scene starts, its first
// line is a voice file the build made and the building's mouth moves; the
// scene hands control back, and the print shop opens the printing room, from
// which a click brings the truck back to the town beside the print shop.
#include "engine/core/event.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/sequence.h"
#include "engine/media/sound.h"
#include "engine/media/wave.h"
#include "game/missions/mission_town.h"
#include "game/screens/printing.h"
#include "game/world/lip_synch.h"
#include "game/world/talk_event.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tests/game/world/demo_town_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {
struct SceneCase
{
    int32_t id;
    const char* stem;  // of the building's files
    const char* tag;   // its interp tag
    const char* voice; // its speaker's folder under VOICES
};

const SceneCase SCENES[] = {
    {0, "bakery", "Bakery", "baker"},
    {1, "firestation", "FireStation", "firechief"},
    {2, "fairground", "Fairground", "fairground"},
    {3, "library", "Library", "librarian"},
    {4, "garage", "Garage", "mechanic"},
    {5, "school", "School", "teacher"},
    {6, "grocer", "Grocer", "grocer"},
    {7, "toyshop", "ToyShop", "toymaker"},
    {8, "postoffice", "PostOffice", "postmaster"},
    {9, "printshop", "PrintShop", "printer"},
    {10, "vet", "Vet", "vet"},
    {11, "diner", "Diner", "cook"},
    {12, "doctor", "Doctor", "doctor"},
    {13, "racetrack", "RaceTrack", "racer"},
    {14, "movers", "Movers", "mover"},
    {15, "fishingdock", "FishingDock", "fisher"},
};
constexpr int32_t PRINT_SHOP = 9;
constexpr int32_t FISHING_DOCK = 15;
constexpr int32_t RACE_TRACK = 13;

class TownScenesTest : public DemoTownTest
{
protected:
    void SetUp() override
    {
        DemoTownTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
    }
    CTown* Town() const { return dynamic_cast<CTown*>(m_pApp->GetCurRoom()); }
    // The first file of the talk the running scene has reached (nested
    // sequences followed down), as a path.
    std::string SpokenFile() const
    {
        CxEvent* event = GetChannelFront(Town()->GetChannel());
        while (auto* sequence = dynamic_cast<CxSequence*>(event))
            event = GetChannelFront(sequence->GetPrivateChannel());
        const auto* talk = dynamic_cast<CTalkEvent*>(event);
        if (!talk || talk->GetSounds().IsEmpty())
            return "";
        const CxString name = m_pApp->GetInterpolator().Expand(talk->GetSounds().GetHead()->m_Value.c_str());
        return ExpandGamePath(name.c_str()).c_str();
    }
    // Whether the room's channel (the scenes' channel) has run empty.
    bool SceneOver() const { return !Town() || IsChannelEmpty(Town()->GetChannel()); }
};

TEST_F(TownScenesTest, TheWelcomeStartsTheTownsTuneAndEndsTheTutorial)
{
    EXPECT_EQ(m_pApp->GetPlayedFlag() & 1024u, 0u) << "a new player";
    ASSERT_TRUE(RunUntil([&] { return IsChannelEmpty(Town()->GetAutoRunChannel()); }, 20000));
    EXPECT_EQ(m_pApp->GetPlayedFlag() & 1024u, 1024u);
    ASSERT_NE(Town()->GetMusic(), nullptr);
    EXPECT_EQ(Town()->GetMusic()->GetError(), CX_ERR_NONE) << "MUSIC/town.wav loaded";
    EXPECT_TRUE(Town()->m_bUserControl) << "the child keeps the wheel";
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}

TEST_F(TownScenesTest, QuittingWhileABuildingTalksStopsTheSceneBeforeTheBuildingsGo)
{
    CTown* town = Town();
    CBuilding* bakery = town->FindBuilding(0);
    ASSERT_NE(bakery, nullptr);
    town->m_bUserControl = false;
    town->GetTruck()->PlaceAt(bakery->GetDriveThruPosition());
    town->GetTruck()->SetTarget(bakery->GetCenter());
    CLipSynch* lips = bakery->GetLipSprite(bakery->GetState());
    ASSERT_NE(lips, nullptr);
    ASSERT_TRUE(RunUntil([&] { return lips->IsActive(); }, 10000));
    m_pApp->Stop(); // under the address sanitizer: no talk outlives its building
    m_pApp.reset();
}

TEST_F(TownScenesTest, TheLibrarysSceneStartsACollectionAndOpensItsPanel)
{
    auto* town = dynamic_cast<CMissionTown*>(Town());
    ASSERT_NE(town, nullptr) << "the game's town has its missions";
    CBuilding* library = town->FindBuilding(3);
    ASSERT_NE(library, nullptr);
    town->m_bUserControl = false;
    town->GetTruck()->PlaceAt(library->GetDriveThruPosition());
    town->GetTruck()->SetTarget(library->GetCenter());
    ASSERT_TRUE(RunUntil([&] { return town->GetCurrentBuilding() == library; }, 5000));
    ASSERT_TRUE(RunUntil([&] { return SceneOver(); }, 30000));
    CMissionFramework& missions = town->Framework();
    EXPECT_EQ(missions.GetState(), MISSION_STATE_RUNNING);
    EXPECT_EQ(missions.Record().type, MISSION_KIND_COLLECTION);
    EXPECT_FALSE(missions.Mission().m_Objects.IsEmpty()) << "the items lie in town";
    EXPECT_TRUE(RunUntil([&] { return town->Hud().GetState() == HUD_STATE_OPEN; }, 5000));
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}

TEST_F(TownScenesTest, TheBakeryHandsOverTheCatchingGameOnceAndCheersTheTruckOnWhileItRuns)
{
    auto* town = dynamic_cast<CMissionTown*>(Town());
    ASSERT_NE(town, nullptr);
    CBuilding* bakery = town->FindBuilding(0);
    ASSERT_NE(bakery, nullptr);
    CTruck& truck = *town->GetTruck();
    auto enter = [&] {
        truck.PlaceAt(CxPoint(6000, 3500)); // away, so that the zone is armed again
        truck.SetTarget(CxPoint(6000, 3500));
        if (!RunUntil([&] { return bakery->CanPull(); }, 2000))
            return false;
        m_Output.m_Text.clear();
        town->m_bUserControl = false;
        truck.PlaceAt(bakery->GetDriveThruPosition());
        truck.SetTarget(bakery->GetCenter());
        return RunUntil([&] { return m_Output.m_Text.find("town: enter 0 ") != std::string::npos; }, 5000);
    };
    ASSERT_TRUE(enter());
    ASSERT_TRUE(RunUntil([&] { return SceneOver(); }, 30000));
    CMissionFramework& missions = town->Framework();
    ASSERT_EQ(missions.Record().type, MISSION_KIND_DROP);
    EXPECT_EQ(bakery->m_nEnterStage, 1) << "its mission scene while the game runs";
    truck_test::Command(*town, "IncrementDropScore");
    ASSERT_EQ(missions.Mission().m_nCollected, 1);

    ASSERT_TRUE(enter());
    EXPECT_NE(m_Output.m_Text.find("BUILDINGS\\bakeryEnter1.seq"), std::string::npos) << m_Output.m_Text;
    CLipSynch* lips = bakery->GetLipSprite(bakery->GetState());
    ASSERT_NE(lips, nullptr);
    ASSERT_TRUE(RunUntil([&] { return lips->IsActive(); }, 5000));
    EXPECT_NE(SpokenFile().find("more.wav"), std::string::npos) << SpokenFile();
    ASSERT_TRUE(RunUntil([&] { return SceneOver(); }, 30000));
    EXPECT_EQ(missions.GetState(), MISSION_STATE_RUNNING);
    EXPECT_GE(missions.Mission().m_nCollected, 1) << "the game goes on: a new load would count from 0";
    EXPECT_TRUE(town->m_bUserControl);
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}

TEST_F(TownScenesTest, QuittingWhileADeliveryTargetsSceneRunsForgetsTheTarget)
{
    auto* town = dynamic_cast<CMissionTown*>(Town());
    ASSERT_NE(town, nullptr);
    CBuilding* post = town->FindBuilding(8);
    ASSERT_NE(post, nullptr);
    town->m_bUserControl = false;
    town->GetTruck()->PlaceAt(post->GetDriveThruPosition());
    town->GetTruck()->SetTarget(post->GetCenter());
    ASSERT_TRUE(RunUntil([&] { return town->GetCurrentBuilding() == post; }, 5000));
    ASSERT_TRUE(RunUntil([&] { return SceneOver(); }, 30000));
    ASSERT_EQ(town->Framework().Record().type, MISSION_KIND_DELIVERY);
    CBuilding* target = nullptr;
    for (const auto& building : town->GetBuildings())
        if (!building->GetBumpedSequenceName().IsEmpty())
            target = building.get();
    ASSERT_NE(target, nullptr);
    target->HandleBumped(town->GetTruck());
    ASSERT_TRUE(target->IsBumpedRunning());
    // The stop at the leave keeps the target while its scene runs; under the
    // address sanitizer, nothing touches it once the buildings are gone.
    m_pApp->Stop();
    m_pApp.reset();
}

TEST_F(TownScenesTest, EveryBuildingAnswersWithItsSceneAndThePrintShopOpensPrinting)
{
    EXPECT_EQ(m_pApp->GetInterpolator().Expand("$TRUCKNAME"), CxString("brund")) << "the profile's truck";
    for (const SceneCase& scene : SCENES)
    {
        SCOPED_TRACE(scene.stem);
        CTown* town = Town();
        ASSERT_NE(town, nullptr);
        CBuilding* building = town->FindBuilding(scene.id);
        ASSERT_NE(building, nullptr);
        CTruck& truck = *town->GetTruck();

        // Driving in from the drive-through point: the zone pulls, the scene starts.
        m_Output.m_Text.clear();
        town->m_bUserControl = false;
        truck.PlaceAt(building->GetDriveThruPosition());
        truck.SetTarget(building->GetCenter());
        ASSERT_TRUE(RunUntil([&] { return town->GetCurrentBuilding() == building; }, 5000));
        const std::string enter = "town: enter " + std::to_string(scene.id) + " " + scene.tag +
                                  " BUILDINGS\\" + scene.stem + "Enter0.seq\n";
        EXPECT_NE(m_Output.m_Text.find(enter), std::string::npos) << m_Output.m_Text;
        EXPECT_FALSE(SceneOver()) << "the scene runs on the room's channel";

        // The truck pulls up and the building greets it with a voice the build made.
        CLipSynch* lips = building->GetLipSprite(building->GetState());
        ASSERT_NE(lips, nullptr);
        ASSERT_TRUE(RunUntil([&] { return lips->IsActive(); }, 5000)) << "the building talks";
        ASSERT_NE(lips->GetCurrentSound(), nullptr) << "the voice file loaded";
        const std::string said = SpokenFile();
        EXPECT_TRUE(FileExists(said.c_str())) << said;
        EXPECT_NE(said.find(std::string("VOICES\\") + scene.voice + "\\"), std::string::npos) << said;

        if (scene.id == PRINT_SHOP)
        {
            // The scene ends in the printing room; its back button brings the town back.
            ASSERT_TRUE(RunUntil([&] { return m_pApp->GetCurRoomID() == RUMBO_ROOM_PRINTING; }, 20000));
            auto* printing = dynamic_cast<CPrinting*>(m_pApp->GetCurRoom());
            ASSERT_NE(printing, nullptr);
            CxButton* back = printing->GetButton(PRINTING_BUTTON_BACK);
            ASSERT_NE(back, nullptr);
            back->NotifyParent(0, reinterpret_cast<intptr_t>(static_cast<CxDisplayObject*>(back)),
                               BUTTON_NOTIFY_CLICKED, 0);
            m_pApp->RunIdlePass();
            ASSERT_NE(Town(), nullptr);
            EXPECT_EQ(Town()->GetTruck()->GetCentre(), TOWN_PRINTING_RETURN_POINT);
            EXPECT_TRUE(Town()->m_bUserControl);
            ASSERT_TRUE(RunUntil([&] { return SceneOver(); }, 20000)) << "the printing return scene";
            continue;
        }
        // The scene hands the task over and gives the truck back to the player
        // (but for the fishing, whose intro keeps it and holds the view over
        // the river: the truck fishes standing).
        ASSERT_TRUE(RunUntil([&] { return SceneOver(); }, 20000));
        EXPECT_EQ(town->m_bUserControl, scene.id != FISHING_DOCK);
        EXPECT_EQ(town->m_bMapLocked, scene.id == FISHING_DOCK);
        EXPECT_EQ(Town(), town) << "no other room";
        if (scene.id == RACE_TRACK)
        {
            // The race is on, the zones wait for its end: this test ends it.
            auto* missions = dynamic_cast<CMissionTown*>(town);
            ASSERT_NE(missions, nullptr);
            EXPECT_EQ(missions->Framework().Record().type, MISSION_KIND_RACE);
            EXPECT_TRUE(missions->Race().IsRunning());
            truck_test::Command(*town, "StopMission");
            truck_test::Command(*town, "ShowEnterZones");
        }
    }
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
