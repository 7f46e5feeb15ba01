#include "game/missions/hud.h"

#include "engine/graphics/cursor.h"
#include "game/world/yes_no_hook.h"
#include "tests/game/missions/mission_fakes.h"
#include "tests/game/world/town_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {
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
        m_pHud.reset(); // one HUD per town at a time
        m_pHud = std::make_unique<CHud>(owned ? m_pTown : nullptr);
        m_pHud->SetMissionSets(sets, type);
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

TEST_F(HudTest, SlidesBetweenItsPositionsAndReportsTheEndOfEachSlide)
{
    // The town as owner sets the positions; without an owner hud.ini does.
    for (const bool owned : {true, false})
    {
        const CxPoint upper = owned ? CxPoint(639, 0) : CxPoint(300, 20);
        const CxPoint lower = owned ? CxPoint(700, -159) : CxPoint(310, -140);
        CHud& hud = MakeHud(owned, {Set("", 0)});
        ASSERT_EQ(hud.Load(), CX_ERR_NONE);
        hud.Close();
        EXPECT_EQ(hud.GetState(), HUD_STATE_LOADED) << "a panel that is down stays down";
        EXPECT_EQ(hud.GetSpeed(), 1000);
        EXPECT_EQ(Corner(), lower);
        hud.Open();
        EXPECT_EQ(hud.GetState(), HUD_STATE_OPENING);
        Slide();
        EXPECT_EQ(hud.GetState(), HUD_STATE_OPEN) << "event 1 ends the opening";
        EXPECT_EQ(Corner(), upper);
        hud.Close();
        EXPECT_EQ(hud.GetState(), HUD_STATE_CLOSING);
        Slide();
        EXPECT_EQ(hud.GetState(), HUD_STATE_CLOSED) << "event 0 ends the closing";
        EXPECT_EQ(Corner(), lower);
    }
    EXPECT_TRUE(m_Capture.Errors().empty());
}

TEST_F(HudTest, LightsOnlyIconsThatExistAndKeepsTheLastSet)
{
    CHud& hud = MakeHud(true, {Set("", 3), Set("$GAMEPATH\\HUD\\left.tga", 4)});
    ASSERT_EQ(hud.Load(), CX_ERR_NONE);
    ASSERT_EQ(hud.GetRightIconCount(), 3u);
    EXPECT_EQ(hud.GetRightIcon(2)->GetImage(), hud.GetRightIcon(0)->GetImage()) << "copies share icon 0";
    for (const CxPoint call : {CxPoint(1, 1), CxPoint(3, 1), CxPoint(-1, 1), CxPoint(0, 2), CxPoint(2, -1)})
        hud.LightIcon(call.x, call.y); // (index, frame)
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(hud.GetRightIcon(static_cast<size_t>(i))->GetFrame(), i == 1 ? 1 : 0);
    EXPECT_FALSE(hud.IsLastHudSet());
    m_pTown->HandleCommand(CxString("NextHudSet"), CxLinkedList<CxString>());
    EXPECT_EQ(hud.GetLeftIcon(), nullptr) << "no left icon before: none after";
    ASSERT_EQ(hud.GetRightIconCount(), 4u);
    EXPECT_TRUE(hud.IsLastHudSet());
    const CxSprite* icon = hud.GetRightIcon(3);
    hud.NextSet();
    EXPECT_EQ(hud.GetRightIcon(3), icon);
    EXPECT_TRUE(hud.IsLastHudSet());
    hud.SetMissionSets({Set("$GAMEPATH\\HUD\\left.tga", 1)}, 0);
    ASSERT_EQ(hud.Load(), CX_ERR_NONE);
    EXPECT_NE(hud.GetLeftIcon(), nullptr);
}

TEST_F(HudTest, FailuresLeaveAUsablePanel)
{
    CHud& hud = MakeHud(true, {Set("HUD\\none.tga", 3, "HUD\\none.tga")}, -1);
    EXPECT_EQ(hud.Load(), CX_ERR_UNKNOWN);
    ASSERT_EQ(m_Capture.Errors().size(), 1u);
    EXPECT_EQ(m_Capture.Errors()[0].text, "Could not load mission specific data.");
    m_Capture.Clear();
    hud.SetMissionSets({Set("HUD\\none.tga", 3, "HUD\\none.tga")}, 0);
    EXPECT_EQ(hud.Load(), CX_ERR_NONE);
    ASSERT_EQ(m_Capture.Errors().size(), 2u) << "no copies without icon 0";
    EXPECT_EQ(m_Capture.Errors()[0].text, "Could not create left icon.");
    EXPECT_EQ(m_Capture.Errors()[1].text, "Could not create right icon, 0.");
    EXPECT_EQ(hud.GetRightIconCount(), 0u);
    hud.SetMissionSets({}, 0);
    EXPECT_EQ(hud.Load(), CX_ERR_NONE) << "no set: the panel alone";
    hud.NextSet();
    EXPECT_TRUE(hud.IsLastHudSet());
}

TEST_F(HudTest, FlashTargetsOfTheTownReachTheirButtonsAndCBNothing)
{
    CHud& hud = MakeHud(true, {Set("", 1)});
    ASSERT_EQ(hud.Load(), CX_ERR_NONE);
    const struct
    {
        const char* line;
        bool close, help, helpEnabled;
    } steps[] = {{"StartFlashing CB", false, false, true},     {"StartFlashing HudHelp", false, true, true},
                 {"StopFlashing HudHelp", false, false, true}, {"StartFlashing HudClose", true, false, true},
                 {"DisableHelpButton", true, false, false},    {"EnableHelpButton", true, false, true}};
    for (const auto& step : steps)
    {
        truck_test::Command(*m_pTown, step.line);
        EXPECT_EQ(hud.GetCloseButton().IsFlashing(), step.close) << step.line;
        EXPECT_EQ(hud.GetHelpButton().IsFlashing(), step.help) << step.line;
        EXPECT_EQ(hud.GetHelpButton().IsEnabled(), step.helpEnabled) << step.line;
    }
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

    Click(hud.GetCloseButton());
    EXPECT_TRUE(m_Mission.commands.empty()) << "no dialog: no";
    PFN_CREATE_YES_NO previous =
        CYesNoHook::SetDialogFactory([](int32_t type) -> CYesNoQuestion* { return new CYesQuestion(type); });
    Click(hud.GetCloseButton());
    CYesNoHook::SetDialogFactory(previous);
    EXPECT_EQ(CYesQuestion::s_nAsked, HUD_STOP_QUESTION);
    EXPECT_EQ(m_Mission.commands, std::vector<std::string>{"StopMission"});
    // The help button plays the help file on the town's channel.
    m_Dir.Write("help.seq", "Event Town.DoEndSequence()\n");
    truck_test::Command(*m_pTown, "SetHelpFileName $GAMEPATH\\help.seq");
    Click(hud.GetHelpButton());
    Tick(10);
    EXPECT_TRUE(m_pTown->m_bEndSequence);
}
} // namespace
