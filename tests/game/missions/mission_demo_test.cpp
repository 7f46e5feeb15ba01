// The demo's missions played through on the data the build made: the
// library hands out one of the twelve collections and the post office a
// delivery; the truck finds every item (the hidden ones by bumping their
// buildings) and every target, and each win is recorded in the profile.
#include "engine/core/file.h"
#include "engine/media/sound.h"
#include "game/missions/mission.h"
#include "game/world/map_object.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tests/game/world/town_test_app.h"
#include "tests/game/world/truck_test_util.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
class MissionDemoTest : public truck_test::TruckFixture
{
protected:
    void SetUp() override
    {
        TruckFixture::SetUp();
        ASSERT_TRUE(FileExists(RUMBO_DATA_DIR "/mission/Collect/book.ini"))
            << "the demo_data target makes it";
        m_pPreviousFade = CBaseWindow::SetFadePlayer([](const char*) { return CX_ERR_NONE; });
        m_pPreviousIntro = CTown::SetIntroPlayer([](const char*) { return CX_ERR_NONE; });
        m_pApp = std::make_unique<CTownTestApp>(m_Dir.Path(), "", RUMBO_DATA_DIR);
        m_pApp->Start();
        // Silent: voices end at once under the test's stopped clock.
        ShutdownSoundSystem();
        m_pApp->RunIdlePass();
        m_pTown = dynamic_cast<CTown*>(m_pApp->GetCurRoom());
        ASSERT_NE(m_pTown, nullptr);
        m_pMission = std::make_unique<CMissionFramework>(*m_pTown);
        m_pTown->SetMission(m_pMission.get());
        m_Capture.Clear();
    }
    void TearDown() override
    {
        if (m_pTown)
            m_pTown->SetMission(nullptr);
        m_pMission.reset();
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
    // Drives into the building's zone and waits for its scene to end.
    void TakeMissionFrom(int32_t id)
    {
        CBuilding* building = m_pTown->FindBuilding(id);
        ASSERT_NE(building, nullptr);
        m_pTown->m_bUserControl = false;
        Truck().PlaceAt(building->GetDriveThruPosition());
        Truck().SetTarget(building->GetCenter());
        ASSERT_TRUE(RunUntil([&] { return m_pTown->GetCurrentBuilding() == building; }, 5000));
        ASSERT_TRUE(RunUntil([&] { return IsChannelEmpty(m_pTown->GetChannel()); }, 30000));
        ASSERT_EQ(m_pMission->GetState(), MISSION_STATE_RUNNING);
        m_pTown->m_bUserControl = false;
    }
    // Drives the truck onto an item, or bumps a building where it stands,
    // and waits for one more item to count.
    void Collect(const CxPoint& at, CCollisionSprite* bump)
    {
        const int32_t before = m_pMission->Mission().m_nCollected;
        if (bump)
            bump->HandleBumped(&Truck());
        else
        {
            Truck().PlaceAt(at);
            Truck().SetTarget(at);
        }
        EXPECT_TRUE(RunUntil([&] { return m_pMission->Mission().m_nCollected > before; }, 5000));
    }
    CTruck& Truck() { return *m_pTown->GetTruck(); }

    ErrorCapture m_Capture;
    PFN_PLAY_FADE m_pPreviousFade = nullptr;
    PFN_PLAY_FADE m_pPreviousIntro = nullptr;
    std::unique_ptr<CTownTestApp> m_pApp;
    CTown* m_pTown = nullptr;
    std::unique_ptr<CMissionFramework> m_pMission;
};

TEST_F(MissionDemoTest, TheLibrarysCollectionAndThePostOfficesDeliveryAreWon)
{
    TakeMissionFrom(3);
    const MissionRecord& record = m_pMission->Record();
    ASSERT_EQ(record.type, MISSION_KIND_COLLECTION);
    const int32_t subId = record.subId;
    std::vector<CMapObject*> items;
    for (auto* node = m_pMission->Mission().m_Objects.GetHead(); node; node = node->GetNext())
        items.push_back(node->m_Value);
    EXPECT_EQ(static_cast<int32_t>(items.size()), record.numTotal - record.numHidden);
    for (size_t i = 0; i < items.size() && m_pMission->GetState() == MISSION_STATE_RUNNING; ++i)
        Collect(items[i]->GetMapCollisionRect().TopLeft(), nullptr);
    const std::vector<int32_t> places = record.hidingPlaces;
    for (size_t i = 0; i < places.size() && m_pMission->GetState() == MISSION_STATE_RUNNING; ++i)
    {
        CBuilding& place = *m_pTown->GetBuildings()[static_cast<size_t>(places[i])];
        Collect(CxPoint(), &place);
    }
    ASSERT_TRUE(RunUntil([&] { return m_pMission->GetState() == MISSION_STATE_STOPPED; }, 10000));
    EXPECT_EQ(m_pApp->GetItemCompletedFlag() & MissionItemBit(subId), MissionItemBit(subId));
    EXPECT_EQ(m_pApp->GetCompletedFlag() & 1u, 1u);

    TakeMissionFrom(8);
    ASSERT_EQ(record.type, MISSION_KIND_DELIVERY);
    for (const auto& building : m_pTown->GetBuildings())
        if (!building->GetBumpedSequenceName().IsEmpty() && m_pMission->GetState() == MISSION_STATE_RUNNING)
            Collect(CxPoint(), building.get());
    ASSERT_TRUE(RunUntil([&] { return m_pMission->GetState() == MISSION_STATE_STOPPED; }, 10000));
    EXPECT_EQ(m_pApp->GetItemCompletedFlag() & 0x4000u, 0x4000u);
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
