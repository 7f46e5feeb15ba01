#include "game/screens/map_dialog.h"

#include "engine/core/window_app.h"
#include "engine/graphics/cursor.h"
#include "tests/game/screens/screens_test_support.h"

#include <gtest/gtest.h>

namespace {
using screens_test::Click;
using screens_test::ScreensTest;

// An opaque pixel of a map button (its top-left 10 x 10 is transparent).
CxPoint Inside(const CxPoint& topLeft)
{
    return CxPoint(topLeft.x + 15, topLeft.y + 15);
}

// The buttons' places, identifiers and frames; after building 3 is chosen,
// the closing keys end the map and keep the choice.
TEST_F(ScreensTest, MapButtonsAndKeys)
{
    CMapDialog table;
    EXPECT_EQ(table.GetGroup().GetSize(), CxSize(640, 480));
    std::vector<std::pair<CxButton*, int32_t>> buttons = {{&table.GetExitButton(), MAP_ID_EXIT},
                                                          {&table.GetGoButton(), MAP_ID_GO}};
    for (int32_t n = 0; n < MAP_BUILDING_COUNT; ++n)
        buttons.emplace_back(&table.GetBuildingButton(n), n);
    EXPECT_EQ(table.GetBuildingButton(13).GetPosition(), CxPoint(585, 190));
    EXPECT_EQ(table.GetExitButton().GetPosition(), CxPoint(10, 11));
    EXPECT_EQ(table.GetGoButton().GetPosition(), CxPoint(157, 393));
    for (auto& [button, id] : buttons)
    {
        EXPECT_EQ(static_cast<int32_t>(button->GetIdentifier()), id);
        for (int32_t state = 0; state < BUTTON_STATE_COUNT; ++state)
            EXPECT_EQ(button->GetStateFrame(state), state >= 1 && state <= 3 ? 1 : 0) << id << " " << state;
    }

    const std::pair<uint32_t, bool> keys[] = {{27, true},
                                              {'M', true},
                                              {'m', true},
                                              {CX_KEY_ALT | 'Q', true},
                                              {CX_KEY_ALT | 'q', true},
                                              {'x', false},
                                              {'q', false},
                                              {CX_KEY_F4, false},
                                              {CX_KEY_ALT | CX_KEY_F4, true}};
    for (const auto& [key, ends] : keys)
    {
        CMapDialog map;
        map.NotifyParent(0,
                         reinterpret_cast<intptr_t>(static_cast<CxDisplayObject*>(&map.GetBuildingButton(3))),
                         BUTTON_NOTIFY_DOWN, 0);
        map.OnKeyDown(key, 0);
        EXPECT_EQ(map.IsDone(), ends) << key;
        EXPECT_EQ(map.GetChosen(), 3) << key;
    }
}

// Clicks on the map: a transparent pixel chooses nothing, two buildings both
// speak, go ends the map as it goes down.
TEST_F(ScreensTest, MapSpeaksEachChoiceAndGoEndsOnThePress)
{
    CMapDialog map;
    map.AttachTo(CxDisplayObject::GetRoot());
    map.MoveTo(0, 0);
    std::string spoken; // the ends of the names of the waves loaded
    auto said = [&] {
        const std::string name = map.GetWave().GetFileName().c_str();
        spoken += name.substr(name.size() - 10) + " ";
    };
    const CxPoint b5 = Inside(GetMapBuildingPosition(5)), b9 = Inside(GetMapBuildingPosition(9));
    bool stillOpen = false;
    Steps({[&] { Click(b5.x - 13, b5.y - 13); },
           [&] {
               EXPECT_EQ(map.GetChosen(), MAP_NO_BUILDING) << "a transparent pixel";
               Click(b5.x, b5.y);
           },
           [&] { said(), Click(b9.x, b9.y); },
           [&] { said(), CxInjectMouseMotion(170, 400), CxInjectMouseButton(1, true, 170, 400); }, [] {},
           [&] { stillOpen = true; }});
    map.DoModal();
    EXPECT_FALSE(stillOpen) << "the press alone ends the map";
    EXPECT_FALSE(m_pApp->IsQuitting());
    CxInjectMouseButton(1, false, 170, 400);
    EXPECT_EQ(map.GetChosen(), 9);
    EXPECT_EQ(spoken, "vo_b05.wav vo_b09.wav ");
    EXPECT_EQ(map.GetBuildingButton(5).GetState(), BUTTON_STATE_UP);
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}

// The town's map: arrow cursor and a paused town while it is open; the
// truck goes to the chosen building's zone, and stays for one the town lacks
// (13) or when nothing is chosen (exit).
TEST_F(ScreensTest, OpenMapMovesTheTruckToTheChosenBuilding)
{
    for (int32_t building : {0, 13, -1})
    {
        int32_t paused = -1, cursor = -1;
        const CxPoint at = building >= 0 ? Inside(GetMapBuildingPosition(building)) : CxPoint(25, 26);
        Steps({[&] {
            paused = m_pTown->GetPauseCount();
            cursor = GetCursorShape();
            Click(at.x, at.y);
            if (building >= 0)
                Click(170, 400);
        }});
        EXPECT_EQ(OpenTownMap(*m_pTown), building);
        EXPECT_EQ(paused, 1);
        EXPECT_EQ(cursor, RUMBO_CURSOR_ARROW);
        EXPECT_EQ(m_pTown->GetPauseCount(), 0);
        EXPECT_EQ(GetCursorShape(), RUMBO_CURSOR_TARGET);
        EXPECT_EQ(Truck().GetCentre(), CxPoint(1190, 1440)) << "the bakery's zone, building " << building;
    }
}
} // namespace
