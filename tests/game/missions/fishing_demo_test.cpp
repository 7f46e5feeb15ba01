// Fishing on the demo data make-demo-data makes: the truck at the dock
// starts the intro, which parks it on the dock with the river in view and
// starts the fishing; casts into the river catch the drawn junk until the
// end scene stops the mission.
#include "game/missions/fishing.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/missions/partial_demo.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {
class FishingDemoTest : public town_test::TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        ASSERT_TRUE(MakePartialDemo(m_Dir, MakeFishingGroup()));
        StartTown();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pFishing = std::make_unique<CFishingMission>(*m_pTown);
        m_pFramework->SetKind(MISSION_KIND_FISHING, m_pFishing.get());
        m_pTown->SetMission(m_pFramework.get());
        m_pTown->m_bUserControl = false;
    }
    void TearDown() override
    {
        m_pTown->SetMission(nullptr);
        m_pFishing.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }
    template <class F>
    bool Until(uint32_t ms, F done)
    {
        for (uint32_t t = 0; t < ms && !done(); t += 20)
        {
            Tick(20);
            m_pApp->OnIdle();
        }
        return done();
    }

    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CFishingMission> m_pFishing;
};

TEST_F(FishingDemoTest, TheIntroStartsTheFishingAndCastsCatchTheDrawnJunkToTheEnd)
{
    Run("LoadMission $GAMEPATH\\mission\\Fishing\\fishing.ini");
    Run("StartMission");
    EXPECT_EQ(m_pFishing->GetMasterCount(), static_cast<size_t>(FISH_MASTERS));
    ASSERT_NE(m_pFishing->GetVodu(), nullptr);
    // The truck stands by the dock without entering it (its scene would start afresh).
    for (const auto& building : m_pTown->GetBuildings())
        m_pTown->SetZoneActive(building.get(), false);
    m_pTown->GetTruck()->PlaceAt(FISH_DOCK_POINT);
    m_pTown->GetTruck()->SetTarget(FISH_DOCK_POINT);
    ASSERT_TRUE(Until(20000, [&] { return m_pFishing->GetPhase() == FISH_PHASE_FISHING; }));
    // The intro holds the view over the river: every lane's drift crosses
    // the screen, where clicks can reach it.
    EXPECT_TRUE(m_pTown->m_bMapLocked);
    const CxPoint origin = m_pTown->GetViewOrigin();
    const CxRect view(origin.x, origin.y, origin.x + 639, origin.y + 479);
    for (const CxPoint& start : FISH_LANE_STARTS)
    {
        bool seen = false;
        for (int32_t step = 0; start.x - step >= FISH_LEFT_EDGE && start.y + step <= FISH_BOTTOM_EDGE; ++step)
            seen |= view.Contains(CxPoint(start.x - step, start.y + step));
        EXPECT_TRUE(seen) << "the lane from " << start.x << "," << start.y;
    }
    const int32_t required = m_pFramework->Record().numReq;
    for (int catches = 0; catches < required && m_pFishing->GetPhase() == FISH_PHASE_FISHING; ++catches)
    {
        // Cast at the first piece afloat and wait for the pull to end.
        ASSERT_FALSE(m_pFishing->GetFloating().empty());
        CJunk& junk = *m_pFishing->GetFloating().front();
        CxPoint centre;
        junk.GetAnchorPoint(centre, ANCHOR_CENTER);
        m_pFramework->MapClicked(centre);
        ASSERT_TRUE(Until(5000, [&] { return m_pFishing->Line().GetLineState() >= LINE_REELING; }));
        // The piece swims into the lure until it is snagged.
        ASSERT_TRUE(Until(5000, [&] {
            if (m_pFishing->GetSnagged() == &junk)
                return true;
            junk.MoveTo(m_pFishing->Line().GetLurePoint(), ANCHOR_CENTER);
            return false;
        }));
        ASSERT_TRUE(Until(20000, [&] { return m_pFramework->Mission().m_nCollected == catches + 1; }))
            << "line " << m_pFishing->Line().GetLineState() << " snagged "
            << (m_pFishing->GetSnagged() ? m_pFishing->GetSnagged()->GetState() : -1);
    }
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & FISH_COMPLETED_BIT);
    // The end scene stops the mission.
    EXPECT_TRUE(Until(20000, [&] { return m_pFramework->GetState() == MISSION_STATE_STOPPED; }));
    EXPECT_FALSE(m_pTown->m_bMapLocked) << "the view follows the truck again";
    EXPECT_EQ(m_pFishing->GetVodu(), nullptr);
    // The voices are not made here: their files are the only ones missing.
    for (const auto& error : m_Capture.Errors())
        if (std::string(error.text).find("VOICES") == std::string::npos)
            ADD_FAILURE() << error.text;
}
} // namespace
