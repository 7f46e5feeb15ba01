#include "game/missions/hud.h"

#include "engine/graphics/cursor.h"
#include "game/world/yes_no_hook.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {
// A mission that records the town commands it is given.
class CRecordingMission : public ITownMission
{
public:
    bool Command(const CxString& command, const CxLinkedList<CxString>&) override
    {
        commands.push_back(command.c_str());
        return true;
    }
    std::vector<std::string> commands;
};

// Answers yes at once.
class CYesQuestion : public CYesNoQuestion
{
public:
    explicit CYesQuestion(int32_t type) { s_nAsked = type; }
    int32_t GetAnswer() const override { return YES_NO_ANSWER_YES; }
    void ResetAnswer() override {}
    uint32_t DoModal() override { return CX_ERR_NONE; }
    static int32_t s_nAsked;
};
int32_t CYesQuestion::s_nAsked = -1;

CMissionSetData Set(const char* left, int32_t icons, const char* right = "$GAMEPATH\\HUD\\right.tga")
{
    CMissionSetData set;
    set.strLeftIconName = left;
    set.ptLeftIconPos = CxPoint(20, 30);
    set.nNumRightIcons = icons;
    set.strRightIconName = right;
    for (int32_t j = 0; j < icons; ++j)
        set.rightIconPositions.emplace_back(40 + 10 * j, 60);
    return set;
}

class HudTest : public town_test::TownTest
{
protected:
    void SetUp() override
    {
        TownTest::SetUp();
        mkdir(m_Dir.File("HUD").c_str(), 0755);
        WriteImage("HUD/hud_fram.tga", 150, 150);
        WriteImage("HUD/hud_canc.tga", 100, 20, 0x802020);
        WriteImage("HUD/hud_help.tga", 100, 20, 0x208020);
        WriteImage("HUD/left.tga", 16, 16);
        WriteImage("HUD/right.tga", 20, 10);
        m_Dir.Write("HUD/hud.ini", "[HUD]\nAnimSpeed=1000\nUpperPosition=300,20\nLowerPosition=310,-140\n");
        m_pTown->SetMission(&m_Mission);
    }
    void TearDown() override
    {
        m_pTown->SetHud(nullptr);
        m_pTown->SetMission(nullptr);
        m_pHud.reset();
        TownTest::TearDown();
    }
    CHud& MakeHud(bool owned, std::vector<CMissionSetData> sets, int32_t type = 0)
    {
        m_pHud = std::make_unique<CHud>(owned ? m_pTown : nullptr);
        m_pHud->SetSets(std::move(sets), type);
        m_pTown->SetHud(m_pHud.get());
        return *m_pHud;
    }
    void Slide()
    {
        for (int i = 0; i < 200; ++i)
            Tick(10);
    }
    // The panel's top-right corner in its parent.
    CxPoint Corner() const
    {
        CxPoint corner;
        m_pHud->GetAnchorPoint(corner, ANCHOR_TOP_RIGHT);
        return corner;
    }
    void Click(const CxDisplayObject& button)
    {
        const CxPoint at = button.LocalToScreen(CxPoint(button.GetWidth() / 2, button.GetHeight() / 2));
        CxDisplayObject::DispatchMouse(CX_MOUSE_MOVE, 0, at);
        CxDisplayObject::DispatchMouse(CX_MOUSE_LDOWN, 1, at);
        CxDisplayObject::DispatchMouse(CX_MOUSE_LUP, 0, at);
    }

    CRecordingMission m_Mission;
    std::unique_ptr<CHud> m_pHud;
};

struct PositionCase
{
    bool owned;
    CxPoint upper, lower;
};

class HudPositionTest : public HudTest, public testing::WithParamInterface<PositionCase>
{
};

TEST_P(HudPositionTest, SlidesBetweenItsPositionsAndReportsTheEndOfEachSlide)
{
    const PositionCase& c = GetParam();
    CHud& hud = MakeHud(c.owned, {Set("", 0)});
    EXPECT_EQ(hud.GetState(), HUD_STATE_NONE);
    ASSERT_EQ(hud.Load(), CX_ERR_NONE);
    EXPECT_EQ(hud.GetState(), HUD_STATE_LOADED);
    EXPECT_EQ(hud.GetUpperPosition(), c.upper);
    EXPECT_EQ(hud.GetLowerPosition(), c.lower);
    EXPECT_EQ(hud.GetSpeed(), 1000);
    EXPECT_EQ(Corner(), c.lower);

    hud.Open();
    EXPECT_EQ(hud.GetState(), HUD_STATE_OPENING);
    Slide();
    EXPECT_EQ(hud.GetState(), HUD_STATE_OPEN) << "event 1 ends the opening";
    EXPECT_EQ(Corner(), c.upper);
    hud.Close();
    EXPECT_EQ(hud.GetState(), HUD_STATE_CLOSING);
    Slide();
    EXPECT_EQ(hud.GetState(), HUD_STATE_CLOSED) << "event 0 ends the closing";
    EXPECT_EQ(Corner(), c.lower);
    EXPECT_TRUE(m_Capture.Errors().empty());
}

INSTANTIATE_TEST_SUITE_P(Owners, HudPositionTest,
                         testing::Values(PositionCase{true, CxPoint(639, 0), CxPoint(700, -159)},
                                         PositionCase{false, CxPoint(300, 20), CxPoint(310, -140)}));

TEST_F(HudTest, LightsOnlyIconsAndFramesThatExist)
{
    CHud& hud = MakeHud(true, {Set("$GAMEPATH\\HUD\\left.tga", 3)});
    ASSERT_EQ(hud.Load(), CX_ERR_NONE);
    ASSERT_EQ(hud.GetRightIconCount(), 3u);
    ASSERT_NE(hud.GetLeftIcon(), nullptr);
    EXPECT_EQ(hud.GetRightIcon(2)->GetImage(), hud.GetRightIcon(0)->GetImage()) << "copies share icon 0";
    const struct
    {
        int32_t index, frame;
    } calls[] = {{1, 1}, {3, 1}, {-1, 1}, {0, 2}, {2, -1}};
    for (const auto& call : calls)
        hud.LightIcon(call.index, call.frame);
    EXPECT_EQ(hud.GetRightIcon(0)->GetFrame(), 0);
    EXPECT_EQ(hud.GetRightIcon(1)->GetFrame(), 1);
    EXPECT_EQ(hud.GetRightIcon(2)->GetFrame(), 0);
}

TEST_F(HudTest, NextSetOnTheLastKeepsItsIconsAndAnEmptyLeftNameLeavesNone)
{
    CHud& hud = MakeHud(true, {Set("", 2), Set("$GAMEPATH\\HUD\\left.tga", 4)});
    ASSERT_EQ(hud.Load(), CX_ERR_NONE);
    EXPECT_EQ(hud.GetLeftIcon(), nullptr);
    EXPECT_FALSE(hud.IsLastHudSet());
    m_pTown->HandleCommand(CxString("NextHudSet"), CxLinkedList<CxString>());
    EXPECT_EQ(hud.GetSetIndex(), 1);
    EXPECT_EQ(hud.GetLeftIcon(), nullptr) << "no left icon before: none after";
    ASSERT_EQ(hud.GetRightIconCount(), 4u);
    EXPECT_TRUE(hud.IsLastHudSet());
    const CxSprite* icon = hud.GetRightIcon(3);
    hud.NextSet();
    EXPECT_EQ(hud.GetRightIcon(3), icon);
    EXPECT_TRUE(hud.IsLastHudSet());
}

TEST_F(HudTest, FailuresLeaveAUsablePanel)
{
    CHud& hud = MakeHud(true, {Set("HUD\\none.tga", 3, "HUD\\none.tga")}, -1);
    EXPECT_EQ(hud.Load(), CX_ERR_UNKNOWN);
    ASSERT_EQ(m_Capture.Errors().size(), 1u);
    EXPECT_EQ(m_Capture.Errors()[0].text, "Could not load mission specific data.");
    m_Capture.Clear();
    hud.SetSets({Set("HUD\\none.tga", 3, "HUD\\none.tga")}, 0);
    EXPECT_EQ(hud.Load(), CX_ERR_NONE);
    std::vector<std::string> texts;
    for (const CapturedError& e : m_Capture.Errors())
        texts.push_back(e.text);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Could not create left icon.", "Could not create right icon, 0."}))
        << "no copies without icon 0";
    EXPECT_EQ(hud.GetRightIconCount(), 0u);
    hud.SetSets({}, 0);
    EXPECT_EQ(hud.Load(), CX_ERR_NONE) << "no set: the panel alone";
    hud.NextSet();
    EXPECT_TRUE(hud.IsLastHudSet());
}

TEST_F(HudTest, FlashTargetsOfTheTownReachTheirButtonsAndCBNothing)
{
    CHud& hud = MakeHud(true, {Set("", 1)});
    ASSERT_EQ(hud.Load(), CX_ERR_NONE);
    truck_test::Command(*m_pTown, "StartFlashing CB");
    EXPECT_FALSE(hud.GetCloseButton().IsFlashing());
    EXPECT_FALSE(hud.GetHelpButton().IsFlashing());
    truck_test::Command(*m_pTown, "StartFlashing HudHelp");
    EXPECT_TRUE(hud.GetHelpButton().IsFlashing());
    EXPECT_FALSE(hud.GetCloseButton().IsFlashing());
    truck_test::Command(*m_pTown, "StopFlashing HudHelp");
    truck_test::Command(*m_pTown, "StartFlashing HudClose");
    EXPECT_FALSE(hud.GetHelpButton().IsFlashing());
    EXPECT_TRUE(hud.GetCloseButton().IsFlashing());
    truck_test::Command(*m_pTown, "DisableHelpButton");
    EXPECT_FALSE(hud.GetHelpButton().IsEnabled());
    truck_test::Command(*m_pTown, "EnableHelpButton");
    EXPECT_TRUE(hud.GetHelpButton().IsEnabled());
}

TEST_F(HudTest, ThePanelTakesTheMouseAndItsCloseButtonStopsTheMissionOnYes)
{
    CHud& hud = MakeHud(true, {Set("", 1)});
    ASSERT_EQ(hud.Load(), CX_ERR_NONE);
    hud.Open();
    Slide();
    ASSERT_EQ(hud.GetState(), HUD_STATE_OPEN);
    const CxPoint stored = m_pTown->GetStoredPoint();
    const CxPoint onPanel = hud.LocalToScreen(CxPoint(60, 140));
    EXPECT_TRUE(hud.ContainsPoint(onPanel));
    SetCursorShape(RUMBO_CURSOR_TARGET);
    CxDisplayObject::DispatchMouse(CX_MOUSE_MOVE, 0, onPanel);
    EXPECT_EQ(GetCursorShape(), CX_CURSOR_ARROW);
    EXPECT_EQ(m_pTown->GetStoredPoint(), stored) << "the move goes no further";

    // Without a dialog the answer is no: the mission goes on.
    Click(hud.GetCloseButton());
    EXPECT_TRUE(m_Mission.commands.empty());
    PFN_CREATE_YES_NO previous =
        CYesNoHook::SetDialogFactory([](int32_t type) -> CYesNoQuestion* { return new CYesQuestion(type); });
    Click(hud.GetCloseButton());
    CYesNoHook::SetDialogFactory(previous);
    EXPECT_EQ(CYesQuestion::s_nAsked, HUD_STOP_QUESTION);
    EXPECT_EQ(m_Mission.commands, std::vector<std::string>{"StopMission"});
}
} // namespace
