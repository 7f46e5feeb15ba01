#include "game/screens/map_dialog.h"

#include "engine/core/window_app.h"
#include "engine/graphics/cursor.h"
#include "tests/game/screens/screens_test_support.h"

#include <gtest/gtest.h>

namespace {
using screens_test::Click;
using screens_test::s_Steps;
using screens_test::ScreensTest;

// An opaque pixel of a map button at its top-left (the top-left 10 x 10 is transparent).
CxPoint Inside(const CxPoint& topLeft)
{
    return CxPoint(topLeft.x + 15, topLeft.y + 15);
}

TEST_F(ScreensTest, MapButtonsSitAtTheirPlacesWithTwoFrames)
{
    CMapDialog map;
    EXPECT_EQ(map.GetGroup().GetParent(), &map);
    EXPECT_EQ(map.GetGroup().GetSize(), CxSize(640, 480));
    std::vector<std::pair<CxButton*, int32_t>> buttons = {{&map.GetExitButton(), MAP_ID_EXIT},
                                                          {&map.GetGoButton(), MAP_ID_GO}};
    for (int32_t n = 0; n < MAP_BUILDING_COUNT; ++n)
    {
        buttons.emplace_back(&map.GetBuildingButton(n), n);
        EXPECT_EQ(map.GetBuildingButton(n).GetParent(), &map.GetGroup());
        EXPECT_EQ(map.GetBuildingButton(n).GetPosition(), GetMapBuildingPosition(n));
        EXPECT_TRUE(map.GetBuildingButton(n).HasPixelHitTest());
    }
    EXPECT_EQ(GetMapBuildingPosition(12), CxPoint(0, 328));
    EXPECT_EQ(map.GetExitButton().GetPosition(), CxPoint(10, 11));
    EXPECT_EQ(map.GetGoButton().GetPosition(), CxPoint(157, 393));
    for (auto& [button, id] : buttons)
    {
        EXPECT_EQ(static_cast<int32_t>(button->GetIdentifier()), id);
        for (int32_t state = 0; state < BUTTON_STATE_COUNT; ++state)
            EXPECT_EQ(button->GetStateFrame(state), state >= 1 && state <= 3 ? 1 : 0) << id << " " << state;
    }
    EXPECT_EQ(map.GetChosen(), MAP_NO_BUILDING);
}

TEST_F(ScreensTest, MapKeysEndWithTheChoiceUnchanged)
{
    const struct
    {
        uint32_t key;
        bool ends;
    } keys[] = {{27, true},
                {'M', true},
                {'m', true},
                {CX_KEY_ALT | 'Q', true},
                {CX_KEY_ALT | 'q', true},
                {CX_KEY_ALT | CX_KEY_F4, true},
                {'x', false},
                {CX_KEY_F4, false}};
    for (const auto& k : keys)
    {
        CMapDialog map;
        map.NotifyParent(0,
                         reinterpret_cast<intptr_t>(static_cast<CxDisplayObject*>(&map.GetBuildingButton(3))),
                         BUTTON_NOTIFY_DOWN, 0);
        map.OnKeyDown(k.key, 0);
        EXPECT_EQ(map.IsDone(), k.ends) << k.key;
        EXPECT_EQ(map.GetChosen(), 3) << k.key;
    }
}

// Clicks on the map: a transparent pixel chooses nothing, two buildings both
// speak, go ends the map as it goes down.
TEST_F(ScreensTest, MapSpeaksEachChoiceAndGoEndsOnThePress)
{
    CMapDialog map;
    map.AttachTo(CxDisplayObject::GetRoot());
    map.MoveTo(0, 0);
    std::vector<std::string> spoken;
    const CxPoint b5 = GetMapBuildingPosition(5), b9 = GetMapBuildingPosition(9);
    bool stillOpen = false;
    s_Steps = {[&] { Click(b5.x + 2, b5.y + 2); },
               [] {},
               [] {},
               [&] {
                   EXPECT_EQ(map.GetChosen(), MAP_NO_BUILDING) << "a transparent pixel";
                   Click(Inside(b5).x, Inside(b5).y);
               },
               [] {},
               [] {},
               [&] {
                   spoken.push_back(map.GetWave().GetFileName().c_str());
                   Click(Inside(b9).x, Inside(b9).y);
               },
               [] {},
               [] {},
               [&] {
                   spoken.push_back(map.GetWave().GetFileName().c_str());
                   CxInjectMouseMotion(170, 400);
                   CxInjectMouseButton(1, true, 170, 400);
               },
               [] {},
               [] {},
               [] {},
               [&] { stillOpen = true; }};
    map.DoModal();
    EXPECT_FALSE(stillOpen) << "the press alone ends the map";
    EXPECT_FALSE(m_pApp->IsQuitting());
    CxInjectMouseButton(1, false, 170, 400);
    EXPECT_EQ(map.GetChosen(), 9);
    ASSERT_EQ(spoken.size(), 2u);
    EXPECT_NE(spoken[0].find("vo_b05.wav"), std::string::npos) << spoken[0];
    EXPECT_NE(spoken[1].find("vo_b09.wav"), std::string::npos) << spoken[1];
    EXPECT_EQ(map.GetBuildingButton(5).GetState(), BUTTON_STATE_UP);
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}

// The town's map: arrow cursor and a paused town while it is open; the
// truck goes to the chosen building's zone, and stays for one the town lacks.
TEST_F(ScreensTest, OpenMapMovesTheTruckToTheChosenBuilding)
{
    const struct
    {
        int32_t building;
        CxPoint truck;
    } cases[] = {{0, CxPoint(1190, 1440)}, {13, CxPoint(1190, 1440)}, {-1, CxPoint(1190, 1440)}};
    for (const auto& c : cases)
    {
        int32_t paused = -1, cursor = -1;
        const CxPoint at = c.building >= 0 ? Inside(GetMapBuildingPosition(c.building)) : CxPoint(25, 26);
        s_Steps = {[&] {
            paused = m_pTown->GetPauseCount();
            cursor = GetCursorShape();
            Click(at.x, at.y);
            if (c.building >= 0)
                Click(170, 400);
        }};
        screens_test::s_nPass = 0;
        EXPECT_EQ(OpenTownMap(*m_pTown), c.building);
        EXPECT_EQ(paused, 1);
        EXPECT_EQ(cursor, RUMBO_CURSOR_ARROW);
        EXPECT_EQ(m_pTown->GetPauseCount(), 0);
        EXPECT_EQ(GetCursorShape(), RUMBO_CURSOR_TARGET);
        EXPECT_EQ(Truck().GetCentre(), c.truck) << c.building;
    }
}
} // namespace
