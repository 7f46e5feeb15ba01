#include "game/missions/bumper_cars.h"
#include "game/world/moving_object.h"
#include "tests/game/world/demo_town_fixture.h"

#include <string>

namespace {
class BumperDemoTest : public DemoTownTest
{
protected:
    void SetUp() override
    {
        DemoTownTest::SetUp();
        if (HasFatalFailure())
            return;
        // The welcome and the tutorial first.
        ASSERT_TRUE(RunUntil([&] { return IsChannelEmpty(m_pTown->GetAutoRunChannel()); }, 30000));
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
