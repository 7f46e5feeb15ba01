// The catching game on the demo data make-demo-data makes: the town's
// garage drops the drawn objects, they land as the town's junk, and the
// win and the closing movie run without a single error.
#include "game/missions/drop_mission.h"
#include "game/world/map_object.h"
#include "game/world/rumbo_town_app.h"
#include "tests/game/missions/partial_demo.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

namespace {
class DropDemoTest : public town_test::TownAppTest
{
protected:
    void SetUp() override
    {
        TownAppTest::SetUp();
        ASSERT_TRUE(MakePartialDemo(m_Dir, MakeDropGroup()));
        StartTown();
        m_pFramework = std::make_unique<CMissionFramework>(*m_pTown);
        m_pDrop = std::make_unique<CDropMission>(*m_pTown);
        InstallDropMission(*m_pFramework, *m_pDrop);
        m_pTown->SetMission(m_pFramework.get());
        m_pTown->m_bUserControl = false;
        m_pPrevious = CDropMission::SetOutroPlayer([](const char*) { return ++s_nOutros, 0u; });
    }
    void TearDown() override
    {
        CDropMission::SetOutroPlayer(m_pPrevious);
        m_pTown->SetMission(nullptr);
        m_pDrop.reset();
        m_pFramework.reset();
        TownAppTest::TearDown();
    }
    void Run(const char* line) { truck_test::Command(*m_pTown, line); }

    static inline int s_nOutros = 0;
    CDropMission::OutroPlayer m_pPrevious = nullptr;
    std::unique_ptr<CMissionFramework> m_pFramework;
    std::unique_ptr<CDropMission> m_pDrop;
};

TEST_F(DropDemoTest, WavesLandAsTownJunkAndTheWinEndsWithTheClosingMovie)
{
    m_pDrop->RoomEntered(*m_pFramework);
    Run("LoadMission $GAMEPATH\\mission\\Drop\\Drop.ini");
    Run("StartMission");
    Run("StartDropping");
    // The truck waits far from where anything falls.
    m_pTown->GetTruck()->PlaceAt(CxPoint(3000, 3000));
    m_pTown->GetTruck()->SetTarget(CxPoint(3000, 3000));
    bool junk = false;
    for (uint32_t t = 0; t < 10000; t += 10)
    {
        Tick(10);
        m_pApp->OnIdle();
        for (const auto& piece : m_pDrop->GetGroundJunk())
            junk = junk || (piece->GetId() >= DROP_JUNK_MASTER && piece->IsShown());
    }
    EXPECT_TRUE(junk) << "missed " << m_pDrop->GetMissed();
    for (int32_t i = 0; i < m_pFramework->Record().numReq; ++i)
        Run("IncrementDropScore");
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & 2);
    Run("DoEndSequence");
    for (int i = 0; i < 10 && !s_nOutros; ++i)
    {
        Tick(50);
        m_pApp->OnIdle();
    }
    EXPECT_EQ(s_nOutros, 1);
    EXPECT_EQ(m_pFramework->GetState(), MISSION_STATE_STOPPED);
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
