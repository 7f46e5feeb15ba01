// The game's town with all its missions on the demo data the build made,
// silent and without fades or the intro movie, on the test's stopped clock:
// the fixture of the tests that play scenes and missions as the game does.
#pragma once

#include "engine/core/event.h"
#include "engine/core/file.h"
#include "engine/core/random.h"
#include "engine/media/sound.h"
#include "game/missions/mission_town.h"
#include "tests/game/world/town_test_app.h"
#include "tests/game/world/truck_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>

class DemoTownTest : public truck_test::TruckFixture
{
protected:
    void SetUp() override
    {
        TruckFixture::SetUp();
        ASSERT_TRUE(FileExists(RUMBO_DATA_DIR "/world.ini")) << "the demo_data target makes " RUMBO_DATA_DIR;
        m_pPreviousFade = CBaseWindow::SetFadePlayer([](const char*) { return CX_ERR_NONE; });
        // The blocking intro movie would hold every entry of the town under the stopped clock.
        m_pPreviousIntro = CTown::SetIntroPlayer([](const char*) { return CX_ERR_NONE; });
        // The profiles go to the scratch folder; the data is read where the build made it.
        m_pApp = std::make_unique<CTownTestApp>(m_Dir.Path(), "", RUMBO_DATA_DIR);
        m_pApp->m_bMissions = true;
        m_pApp->Start();
        // The game draws its random choices from the time of day; a failing
        // run names its seed, and RUMBO_TEST_SEED plays it again.
        const char* seed = getenv("RUMBO_TEST_SEED");
        m_nSeed =
            seed ? static_cast<uint32_t>(strtoul(seed, nullptr, 10)) : static_cast<uint32_t>(time(nullptr));
        SeedRandom(m_nSeed);
        // Voices would play in real time while the clock stands still: a
        // silent game, whose lines end at once, runs the scenes through.
        ShutdownSoundSystem();
        m_pApp->RunIdlePass();
        m_pTown = dynamic_cast<CMissionTown*>(m_pApp->GetCurRoom());
        ASSERT_NE(m_pTown, nullptr) << "the game's town has its missions";
    }
    void TearDown() override
    {
        if (HasFailure())
            printf("random seed %u (RUMBO_TEST_SEED=%u runs it again)\n", m_nSeed, m_nSeed);
        if (m_pApp)
            m_pApp->Stop();
        m_pApp.reset();
        CBaseWindow::SetFadePlayer(m_pPreviousFade);
        CTown::SetIntroPlayer(m_pPreviousIntro);
        TruckFixture::TearDown();
    }
    // Runs the game in steps of 10 ms until done() holds or limit ms have
    // passed; whether done() held.
    bool RunUntil(const std::function<bool()>& done, uint32_t limit = 30000)
    {
        for (uint32_t t = 0; t < limit && !done(); t += 10)
        {
            m_Clock.Advance(10);
            m_pApp->RunIdlePass();
        }
        return done();
    }
    // Drives in from the building's drive-through point: true once entered.
    bool DriveInto(const CBuilding& building)
    {
        m_pTown->m_bUserControl = false;
        m_pTown->GetTruck()->PlaceAt(building.GetDriveThruPosition());
        m_pTown->GetTruck()->SetTarget(building.GetCenter());
        return RunUntil([&] { return m_pTown->GetCurrentBuilding() == &building; }, 8000);
    }
    // Whether the room's channel (the scenes' channel) has run empty.
    bool SceneOver() const { return IsChannelEmpty(m_pTown->GetChannel()); }

    ErrorCapture m_Capture;
    OutputCapture m_Output;
    PFN_PLAY_FADE m_pPreviousFade = nullptr;
    PFN_PLAY_FADE m_pPreviousIntro = nullptr;
    std::unique_ptr<CTownTestApp> m_pApp;
    CMissionTown* m_pTown = nullptr;
    uint32_t m_nSeed = 0;
};
