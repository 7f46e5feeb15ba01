// The fire mission played through on the data the build made, in the
// game's mission town: the fire station sets three houses burning, the
// truck drives to each, the engine's water puts every fire out, and the
// last house's last fire wins.
#include "engine/core/file.h"
#include "engine/media/sound.h"
#include "game/missions/mission_town.h"
#include "game/world/map_object.h"
#include "game/world/truck.h"
#include "tests/game/world/town_test_app.h"
#include "tests/game/world/truck_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
class FireDemoTest : public truck_test::TruckFixture
{
protected:
    void SetUp() override
    {
        TruckFixture::SetUp();
        ASSERT_TRUE(FileExists(RUMBO_DATA_DIR "/mission/fire/fire.ini")) << "the demo_data target makes it";
        m_pPreviousFade = CBaseWindow::SetFadePlayer([](const char*) { return CX_ERR_NONE; });
        m_pPreviousIntro = CTown::SetIntroPlayer([](const char*) { return CX_ERR_NONE; });
        m_pApp = std::make_unique<CTownTestApp>(m_Dir.Path(), "", RUMBO_DATA_DIR);
        m_pApp->m_bMissions = true;
        m_pApp->Start();
        ShutdownSoundSystem(); // voices end at once under the stopped clock
        m_pApp->RunIdlePass();
        m_pTown = dynamic_cast<CMissionTown*>(m_pApp->GetCurRoom());
        ASSERT_NE(m_pTown, nullptr);
        m_pTown->Framework().Stop(); // the drop's room-entry loading
        m_Capture.Clear();
    }
    void TearDown() override
    {
        m_pApp->Stop();
        m_pApp.reset();
        CBaseWindow::SetFadePlayer(m_pPreviousFade);
        CTown::SetIntroPlayer(m_pPreviousIntro);
        TruckFixture::TearDown();
    }
    bool RunUntil(const std::function<bool()>& done, uint32_t limit)
    {
        for (uint32_t t = 0; t < limit && !done(); t += 10)
        {
            m_Clock.Advance(10);
            m_pApp->RunIdlePass();
        }
        return done();
    }
    // Drives into the building's zone and waits for its scene to end.
    void DriveInto(int32_t id)
    {
        CBuilding* building = m_pTown->FindBuilding(id);
        ASSERT_NE(building, nullptr);
        m_pTown->m_bUserControl = false;
        m_pTown->GetTruck()->PlaceAt(building->GetDriveThruPosition());
        m_pTown->GetTruck()->SetTarget(building->GetCenter());
        ASSERT_TRUE(RunUntil([&] { return m_pTown->GetCurrentBuilding() == building; }, 8000)) << id;
        ASSERT_TRUE(RunUntil([&] { return IsChannelEmpty(m_pTown->GetChannel()); }, 30000)) << id;
        m_pTown->m_bUserControl = false;
    }
    // The burning fires on the building's picture.
    std::vector<CMapObject*> FiresOn(const CBuilding& house)
    {
        const CxRect area(house.GetPosition(), CxSize(house.GetWidth(), house.GetHeight()));
        std::vector<CMapObject*> fires;
        for (CMapObject* object : m_pTown->Framework().Phase().GetObjects())
            if (IsFireType(object->GetId()) && area.Contains(object->GetPosition()))
                fires.push_back(object);
        return fires;
    }

    ErrorCapture m_Capture;
    PFN_PLAY_FADE m_pPreviousFade = nullptr;
    PFN_PLAY_FADE m_pPreviousIntro = nullptr;
    std::unique_ptr<CTownTestApp> m_pApp;
    CMissionTown* m_pTown = nullptr;
};

TEST_F(FireDemoTest, ThreeHousesArePutOutAndTheMissionIsWon)
{
    DriveInto(1);
    CMissionFramework& framework = m_pTown->Framework();
    CFireMission& fire = m_pTown->Fire();
    ASSERT_EQ(framework.Record().type, MISSION_KIND_FIRE);
    ASSERT_EQ(framework.Phase().GetObjects().size(), 9u);
    for (int32_t k = 0; k < 3; ++k)
    {
        CBuilding& house = *m_pTown->FindBuilding(fire.GetBuilding(k));
        ASSERT_EQ(fire.GetBuildingIndex(), k);
        m_pTown->m_bUserControl = false;
        m_pTown->GetTruck()->PlaceAt(house.GetDriveThruPosition());
        m_pTown->GetTruck()->SetTarget(house.GetCenter());
        ASSERT_TRUE(RunUntil([&] { return fire.IsPlayingFire(); }, 30000)) << k;
        EXPECT_TRUE(fire.GetStaticTruck()->IsShown() && fire.GetHose()->IsShown());
        ASSERT_EQ(FiresOn(house).size(), 3u);
        for (int shot = 0; shot < 30 && !FiresOn(house).empty(); ++shot)
        {
            CxPoint target;
            FiresOn(house)[0]->GetAnchorPoint(target, ANCHOR_CENTER);
            m_pTown->OnMouseMove(0, target - m_pTown->GetViewOrigin());
            framework.MapClicked(target); // the hose's shoot sequence shoots
            ASSERT_TRUE(RunUntil([&] { return fire.IsShooting(); }, 2000));
            ASSERT_TRUE(RunUntil([&] { return !fire.IsShooting(); }, 10000));
        }
        EXPECT_TRUE(FiresOn(house).empty()) << k;
        ASSERT_TRUE(RunUntil(
            [&] { return fire.GetBuildingIndex() > k || framework.GetState() != MISSION_STATE_RUNNING; },
            30000));
        // The house's scene drives the truck on.
        ASSERT_TRUE(RunUntil([&] { return IsChannelEmpty(m_pTown->GetChannel()); }, 30000));
    }
    EXPECT_EQ(framework.GetState(), MISSION_STATE_STOPPED);
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & FIRE_COMPLETED_BIT);
    EXPECT_TRUE(m_pTown->GetTruck()->IsShown());
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
