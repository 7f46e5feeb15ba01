// The fire mission played through on the data the build made, in the
// game's mission town: the fire station sets three houses burning, the
// truck drives to each, clicks put every fire out, and the last one wins.
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
    bool RunUntil(const std::function<bool()>& done, uint32_t limit = 30000)
    {
        for (uint32_t t = 0; t < limit && !done(); t += 10)
        {
            m_Clock.Advance(10);
            m_pApp->RunIdlePass();
        }
        return done();
    }
    // Drives into the building's zone: true once it is entered.
    bool DriveInto(const CBuilding& building)
    {
        m_pTown->m_bUserControl = false;
        m_pTown->GetTruck()->PlaceAt(building.GetDriveThruPosition());
        m_pTown->GetTruck()->SetTarget(building.GetCenter());
        return RunUntil([&] { return m_pTown->GetCurrentBuilding() == &building; }, 8000);
    }
    bool SceneDone() { return IsChannelEmpty(m_pTown->GetChannel()); }
    // The first burning fire on the building's picture, or null.
    CMapObject* FireOn(const CBuilding& house)
    {
        const CxRect area(house.GetPosition(), CxSize(house.GetWidth(), house.GetHeight()));
        for (CMapObject* object : m_pTown->Framework().Phase().GetObjects())
            if (IsFireType(object->GetId()) && area.Contains(object->GetPosition()))
                return object;
        return nullptr;
    }

    ErrorCapture m_Capture;
    PFN_PLAY_FADE m_pPreviousFade = nullptr, m_pPreviousIntro = nullptr;
    std::unique_ptr<CTownTestApp> m_pApp;
    CMissionTown* m_pTown = nullptr;
};

TEST_F(FireDemoTest, ThreeHousesArePutOutAndTheMissionIsWon)
{
    ASSERT_TRUE(DriveInto(*m_pTown->FindBuilding(1)) && RunUntil([&] { return SceneDone(); }));
    CMissionFramework& framework = m_pTown->Framework();
    CFireMission& fire = m_pTown->Fire();
    ASSERT_EQ(framework.Phase().GetObjects().size(), 9u);
    for (int32_t k = 0; k < 3; ++k)
    {
        const CBuilding& house = *m_pTown->FindBuilding(fire.GetBuilding(k));
        ASSERT_TRUE(DriveInto(house) && RunUntil([&] { return fire.IsPlayingFire(); })) << k;
        for (int shot = 0; shot < 30 && FireOn(house); ++shot)
        {
            CxPoint target;
            FireOn(house)->GetAnchorPoint(target, ANCHOR_CENTER);
            m_pTown->OnMouseMove(0, target - m_pTown->GetViewOrigin());
            framework.MapClicked(target); // the hose's shoot sequence shoots
            ASSERT_TRUE(RunUntil([&] { return fire.IsShooting(); }, 2000));
            ASSERT_TRUE(RunUntil([&] { return !fire.IsShooting(); }, 10000));
        }
        EXPECT_EQ(FireOn(house), nullptr) << k;
        // The house's scene moves on to the next house, or wins.
        ASSERT_TRUE(RunUntil([&] { return fire.GetBuildingIndex() > k || framework.GetState() != 2; }));
        ASSERT_TRUE(RunUntil([&] { return SceneDone(); }));
    }
    EXPECT_EQ(framework.GetState(), MISSION_STATE_STOPPED);
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & FIRE_COMPLETED_BIT);
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
