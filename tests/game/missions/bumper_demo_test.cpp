#include "engine/core/event.h"
#include "engine/core/file.h"
#include "engine/media/sound.h"
#include "game/missions/bumper_cars.h"
#include "game/missions/mission_town.h"
#include "game/world/moving_object.h"
#include "tests/game/world/town_test_app.h"
#include "tests/game/world/truck_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
class BumperDemoTest : public truck_test::TruckFixture
{
protected:
    void SetUp() override
    {
        TruckFixture::SetUp();
        ASSERT_TRUE(FileExists(RUMBO_DATA_DIR "/world.ini")) << "the demo_data target makes " RUMBO_DATA_DIR;
        m_pPreviousFade = CBaseWindow::SetFadePlayer([](const char*) { return CX_ERR_NONE; });
        m_pPreviousIntro = CTown::SetIntroPlayer([](const char*) { return CX_ERR_NONE; });
        m_pApp = std::make_unique<CTownTestApp>(m_Dir.Path(), "", RUMBO_DATA_DIR);
        m_pApp->m_bMissions = true;
        m_pApp->Start();
        ShutdownSoundSystem(); // silent: the voices end at once under the stopped clock
        m_pApp->RunIdlePass();
        m_pTown = dynamic_cast<CMissionTown*>(m_pApp->GetCurRoom());
        ASSERT_NE(m_pTown, nullptr);
        // The welcome and the tutorial first.
        ASSERT_TRUE(RunUntil([&] { return IsChannelEmpty(m_pTown->GetAutoRunChannel()); }, 30000));
    }
    void TearDown() override
    {
        if (m_pApp)
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
    // The building's scene played to its end; the truck waits there.
    void Visit(CBuilding* building)
    {
        m_pTown->PutTruckAtBuilding(building->GetId());
        m_pTown->EnterBuilding(building);
        ASSERT_TRUE(RunUntil([&] { return IsChannelEmpty(m_pTown->GetChannel()); }, 60000));
        m_pTown->m_bUserControl = false;
        m_pTown->GetTruck()->StopTruckMotion();
    }
    std::string Variable(const char* name) { return m_pApp->GetInterpolator().Expand(name).c_str(); }

    ErrorCapture m_Capture;
    OutputCapture m_Output;
    PFN_PLAY_FADE m_pPreviousFade = nullptr;
    PFN_PLAY_FADE m_pPreviousIntro = nullptr;
    std::unique_ptr<CTownTestApp> m_pApp;
    CMissionTown* m_pTown = nullptr;
};

TEST_F(BumperDemoTest, TheFairgroundStartsThemAndThreeArenasOfBumpsWinThem)
{
    Visit(m_pTown->GetBuildings()[2].get());
    ASSERT_EQ(m_pTown->Framework().GetState(), MISSION_STATE_RUNNING);
    const int32_t required = m_pTown->Framework().Record().numReq;
    for (int arena = 0; arena < BUMPER_ARENA_COUNT; ++arena)
    {
        const int32_t id = std::stoi(Variable("$BUILDINGID"));
        EXPECT_EQ(m_pTown->m_nHelpTarget, id) << "the arrow shows the way to the arena";
        ASSERT_NE(m_pTown->FindBuilding(id), nullptr);
        Visit(m_pTown->FindBuilding(id));
        CEnemy& enemy = *m_pTown->GetEnemy();
        ASSERT_GT(enemy.GetNumDirections(), 0) << Variable("$ENEMYNAME");
        EXPECT_EQ(m_pTown->m_nHelpTarget, -1);
        const CxPoint start = enemy.GetCentre();
        RunUntil([] { return false; }, 5000);
        EXPECT_NE(enemy.GetCentre(), start) << "the enemy roams";
        // Bumps until the arena is done (the enemy may have met the truck on its own).
        const std::string before = Variable("$BUILDINGID");
        for (int32_t bump = 0; bump < 2 * required && Variable("$BUILDINGID") == before &&
                               m_pTown->Framework().GetState() == MISSION_STATE_RUNNING;
             ++bump)
        {
            enemy.CCollisionSprite::HandleCollision(m_pTown->GetTruck());
            ASSERT_TRUE(RunUntil([&] { return !enemy.IsBumpedRunning(); }, 20000));
        }
    }
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & BUMPER_MISSION_BIT);
    EXPECT_EQ(m_pApp->GetProfile().bumperCarBldgDone, 7);
    EXPECT_EQ(m_pTown->Framework().GetState(), MISSION_STATE_STOPPED);
    EXPECT_FALSE(m_pTown->GetEnemy()->IsShown());
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
