// The fire mission played through on the data the build made, in the
// game's mission town: the fire station sets three houses burning, the
// truck drives to each, clicks put every fire out, and the last one wins.
#include "game/world/map_object.h"
#include "game/world/truck.h"
#include "tests/game/world/demo_town_fixture.h"

namespace {
class FireDemoTest : public DemoTownTest
{
protected:
    void SetUp() override
    {
        DemoTownTest::SetUp();
        if (HasFatalFailure())
            return;
        m_pTown->Framework().Stop(); // the drop's room-entry loading
        m_Capture.Clear();
    }
    // The first burning fire on the building's picture, or null.
    CMapObject* FireOn(const CBuilding& house)
    {
        const CxRect area(house.GetPosition(), CxSize(house.GetWidth(), house.GetHeight()));
        for (CMapObject* object : m_pTown->Framework().Phase().GetObjects())
            if (IsFireType(object->GetId()) && area.Contains(object->GetPosition()))
                return object;
        return nullptr;
    }
};

TEST_F(FireDemoTest, ThreeHousesArePutOutAndTheMissionIsWon)
{
    ASSERT_TRUE(DriveInto(*m_pTown->FindBuilding(1)) && RunUntil([&] { return SceneOver(); }));
    CMissionFramework& framework = m_pTown->Framework();
    CFireMission& fire = m_pTown->Fire();
    ASSERT_EQ(framework.Phase().GetObjects().size(), 9u);
    for (int32_t k = 0; k < 3; ++k)
    {
        const CBuilding& house = *m_pTown->FindBuilding(fire.GetBuilding(k));
        // The burning house smokes; the HUD shows its own small picture.
        ASSERT_TRUE(house.GetExtraSprite() && house.GetExtraSprite()->IsShown() &&
                    m_pTown->Hud().GetLeftIcon());
        EXPECT_EQ(m_pTown->Hud().GetLeftIcon()->GetWidth(), 64) << k;
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
        ASSERT_TRUE(RunUntil([&] { return SceneOver(); }));
        EXPECT_FALSE(house.GetExtraSprite()->IsShown()) << k; // its smoke has cleared
    }
    EXPECT_EQ(framework.GetState(), MISSION_STATE_STOPPED);
    EXPECT_TRUE(m_pApp->GetCompletedFlag() & FIRE_COMPLETED_BIT);
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
