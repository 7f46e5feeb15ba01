#include "engine/ui/button.h"
#include "engine/ui/dialog_box.h"

#include "tests/engine/ui/button_test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using Notes = std::vector<std::string>;

TEST(Button, StatesOutOfRangeOrWithoutAParentAreHarmless)
{
    CxDisplayObject::DestroyRoot();
    CxDisplayObject::SetRootSize(640, 480);
    {
        CNotifyPanel panel;
        panel.Create(0, 0, 100, 100);
        CxButton button;
        button.SetImage(MakeButtonImage(10, 10), BUTTON_STATE_COUNT);
        button.Create(0, 0, 10, 10, &panel);
        // Out of range: stored, but no frame change and nothing sent.
        button.SetState(2);
        panel.m_Notes.clear();
        button.SetState(7);
        EXPECT_EQ(button.GetState(), 7);
        EXPECT_EQ(button.GetFrame(), 2);
        EXPECT_TRUE(panel.m_Notes.empty());
        // A remapped state frame is what the state shows.
        button.SetStateFrame(BUTTON_STATE_UP_OVER, 4);
        button.SetState(BUTTON_STATE_UP_OVER);
        EXPECT_EQ(button.GetFrame(), 4);
        // A button without a parent tells nobody and does not fail.
        button.Detach();
        button.SetState(BUTTON_STATE_DOWN);
        EXPECT_EQ(button.GetFrame(), 1);
        EXPECT_EQ(ButtonFromNotify(reinterpret_cast<intptr_t>(static_cast<CxDisplayObject*>(&button))),
                  &button);
        EXPECT_EQ(ButtonFromNotify(reinterpret_cast<intptr_t>(static_cast<CxDisplayObject*>(&panel))),
                  nullptr);
    }
    CxDisplayObject::DestroyRoot();
}

// A push button of 40 x 20 at (x, y) of the panel at (100, 100), and the
// mouse input of a script: "m" moves, "p" presses, "r" releases at screen
// coordinates.
struct InputCase
{
    const char* what;
    int32_t x, y;
    bool leftHalfTransparent; // hit-tested by pixel, with a transparent left half
    const char* script;
    Notes notes;
    int32_t state;
};

class PushButtonInput : public ButtonAppTest, public testing::WithParamInterface<InputCase>
{
};

TEST_P(PushButtonInput, NotifiesItsParentAndGivesTheMouseBack)
{
    const InputCase& c = GetParam();
    CxButton button;
    Place(button, panel, c.x, c.y, "b");
    if (c.leftHalfTransparent)
    {
        CxDrawSurface* image = button.GetImage();
        for (int32_t f = 0; f < BUTTON_STATE_COUNT; ++f)
        {
            const CxRect half(f * 40, 0, f * 40 + 19, 19);
            image->FillRect(&half, 0);
        }
        image->SetTransparentColor(0);
        button.SetPixelHitTest(true);
    }
    std::istringstream script(c.script);
    char op, comma;
    int32_t x, y;
    while (script >> op >> x >> comma >> y)
    {
        if (op == 'm')
            Move(x, y);
        else
            op == 'p' ? Press(x, y) : Release(x, y);
        // Moves over it must not stack the capture on itself.
        EXPECT_EQ(CxDisplayObject::GetCaptureDepth(), 0) << op << x << "," << y;
    }
    EXPECT_EQ(panel.m_Notes, c.notes);
    EXPECT_EQ(button.GetState(), c.state);
    EXPECT_EQ(button.GetFrame(), c.state);
    EXPECT_EQ(button.HasCapture(), c.state == BUTTON_STATE_UP_OVER);
    if (c.state == BUTTON_STATE_UP)
    {
        EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
    }
}

void PrintTo(const InputCase& c, std::ostream* os)
{
    *os << c.what;
}

// The button at (20, 30) lies at screen (120, 130)-(159, 149).
INSTANTIATE_TEST_SUITE_P(
    Scripts, PushButtonInput,
    testing::Values(
        InputCase{"click",
                  20,
                  30,
                  false,
                  "m125,140 p125,140 r126,141",
                  {"b:2", "b:1", "b:0", "b:10"},
                  BUTTON_STATE_UP_OVER},
        InputCase{"click and leave",
                  20,
                  30,
                  false,
                  "m125,140 p125,140 r126,141 m50,50",
                  {"b:2", "b:1", "b:0", "b:10", "b:11"},
                  BUTTON_STATE_UP},
        // A pressed button ignores moves; released off it, it comes up without a click.
        InputCase{"press, move off, release",
                  20,
                  30,
                  false,
                  "m130,135 p130,135 m300,300 r300,300",
                  {"b:2", "b:1", "b:0", "b:11"},
                  BUTTON_STATE_UP},
        InputCase{"hover", 20, 30, false, "m121,131 m150,140 m159,149", {"b:2"}, BUTTON_STATE_UP_OVER},
        InputCase{
            "hover and leave", 20, 30, false, "m121,131 m159,149 m160,149", {"b:2", "b:11"}, BUTTON_STATE_UP},
        // Hanging over the panel's right edge (the panel ends at x 299): the clipped part is not over it.
        InputCase{
            "clipped by the parent", 180, 10, false, "m290,115 m305,115", {"b:2", "b:11"}, BUTTON_STATE_UP},
        // Hit testing does not pick it over transparent pixels, and its own test agrees when it holds the
        // mouse.
        InputCase{"transparent pixels",
                  20,
                  30,
                  true,
                  "m125,135 m150,135 m125,135",
                  {"b:2", "b:11"},
                  BUTTON_STATE_UP}));

TEST_F(ButtonAppTest, DisabledHoveredPushButtonComesBackUpAndIgnoresInput)
{
    CxButton button;
    Place(button, panel, 20, 30, "b");
    Move(130, 135);
    button.Disable();
    EXPECT_EQ(button.GetState(), BUTTON_STATE_DISABLED);
    EXPECT_EQ(button.GetFrame(), 4);
    EXPECT_FALSE(button.IsEnabled());
    EXPECT_FALSE(button.HasCapture());
    EXPECT_EQ(panel.m_Notes.back(), "b:4");
    panel.m_Notes.clear();
    Move(131, 136);
    Press(131, 136);
    Release(131, 136);
    EXPECT_TRUE(panel.m_Notes.empty());
    EXPECT_EQ(button.GetState(), BUTTON_STATE_DISABLED);
    EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
    // Disabling twice keeps the button disabled; enabling brings it up.
    button.Disable();
    button.Enable();
    EXPECT_EQ(button.GetState(), BUTTON_STATE_UP);
    EXPECT_TRUE(button.IsEnabled());
    EXPECT_EQ(panel.m_Notes, (Notes{"b:0"}));
}

TEST_F(ButtonAppTest, HidingAHoveredButtonReleasesTheMouse)
{
    CxButton button;
    Place(button, panel, 20, 30, "b");
    Move(130, 135);
    ASSERT_TRUE(button.HasCapture());
    button.Hide();
    EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
    EXPECT_EQ(CxDisplayObject::GetCaptureDepth(), 0);
    EXPECT_FALSE(button.IsShown());
}

TEST_F(ButtonAppTest, SelectedRadioButtonKeepsItsSelectionAcrossDisabling)
{
    CxRadioButton radio;
    Place(radio, panel, 20, 30, "r");
    Move(130, 135);
    Press(130, 135);
    EXPECT_EQ(radio.GetState(), BUTTON_STATE_DOWN_OVER);
    EXPECT_FALSE(radio.HasCapture());
    EXPECT_EQ(panel.m_Notes, (Notes{"r:2", "r:1"}));
    // Pressing a selected radio button again changes nothing; releasing neither.
    Press(130, 135);
    Release(130, 135);
    EXPECT_EQ(radio.GetState(), BUTTON_STATE_DOWN_OVER);
    // Back over it and off: selected without the pointer.
    Move(131, 135);
    Move(10, 10);
    EXPECT_EQ(radio.GetState(), BUTTON_STATE_DOWN);
    EXPECT_EQ(panel.m_Notes.back(), "r:11");
    EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
    radio.Disable();
    EXPECT_EQ(radio.GetState(), BUTTON_STATE_DISABLED);
    radio.Enable();
    EXPECT_EQ(radio.GetState(), BUTTON_STATE_DOWN);
    EXPECT_EQ(radio.GetFrame(), 1);
}

TEST_F(ButtonAppTest, SelectingARadioButtonDeselectsTheOtherInItsGroupWhichSwitchesOnlyItsRadioButtons)
{
    CxRadioGroup group;
    group.Create(0, 0, 200, 100, &panel);
    group.MoveTo(0, 0);
    CxRadioButton a, b, off;
    CxButton push;
    Place(a, group, 10, 10, "a");
    Place(b, group, 60, 10, "b");
    Place(off, group, 110, 10, "off");
    Place(push, group, 10, 50, "push");
    off.SetState(BUTTON_STATE_DOWN);
    off.Disable();
    push.SetState(BUTTON_STATE_DOWN);
    // Select a (screen 110..149, 110..129).
    Move(115, 115);
    Press(115, 115);
    EXPECT_EQ(a.GetState(), BUTTON_STATE_DOWN_OVER);
    EXPECT_EQ(group.GetSelected(), &a);
    panel.m_Notes.clear();
    // Then b: a goes back to 0 before b's selection reaches the panel.
    Move(165, 115);
    Press(165, 115);
    EXPECT_EQ(panel.m_Notes, (Notes{"b:2", "a:0", "b:1"}));
    EXPECT_EQ(a.GetState(), BUTTON_STATE_UP);
    EXPECT_EQ(b.GetState(), BUTTON_STATE_DOWN_OVER);
    EXPECT_EQ(group.GetSelected(), &b);
    // Disabled radio buttons and other buttons are left as they were.
    EXPECT_EQ(off.GetState(), BUTTON_STATE_DISABLED);
    EXPECT_EQ(off.GetSavedState(), BUTTON_STATE_DOWN);
    EXPECT_EQ(push.GetState(), BUTTON_STATE_DOWN);
    // The group switches its radio buttons off and on, and nothing else; disabled, they ignore clicks.
    off.Detach(); // a second saved selection would compete with b's
    a.Disable();  // switched on again by the group as well
    group.Disable();
    EXPECT_FALSE(group.IsEnabled());
    EXPECT_EQ(a.GetState(), BUTTON_STATE_DISABLED);
    EXPECT_EQ(b.GetState(), BUTTON_STATE_DISABLED);
    EXPECT_TRUE(push.IsEnabled());
    Move(115, 115);
    Press(115, 115);
    EXPECT_EQ(a.GetState(), BUTTON_STATE_DISABLED);
    group.Enable();
    EXPECT_TRUE(a.IsEnabled());
    EXPECT_EQ(a.GetState(), BUTTON_STATE_UP);
    EXPECT_EQ(group.GetSelected(), &b) << "the selection comes back";
    EXPECT_EQ(push.GetState(), BUTTON_STATE_DOWN);
}

namespace {
// A dialog that records its buttons' notifications and ends on a click.
class CButtonDialog : public CxDialogBox
{
public:
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override
    {
        m_Codes.push_back(c);
        if (c == BUTTON_NOTIFY_CLICKED)
            EndDialog();
        CxDialogBox::NotifyParent(a, b, c, d);
    }
    std::vector<intptr_t> m_Codes;
};
} // namespace

TEST_F(ButtonAppTest, AButtonInAModalDialogIsClickableWhileTheRestIsNot)
{
    CxButton outside;
    Place(outside, panel, 20, 30, "outside"); // screen (120, 130)
    CButtonDialog dialog;
    dialog.Create(300, 200, 200, 100);
    dialog.MoveTo(300, 200);
    CxButton inside;
    inside.SetImage(MakeButtonImage(40, 20), BUTTON_STATE_COUNT);
    inside.Create(10, 10, 40, 20, &dialog); // screen (310, 210)
    inside.MoveTo(10, 10);

    // The player moves over the outside button, then over the dialog's and clicks it.
    int pass = 0;
    app->m_nPassLimit = app->m_nPasses + 200;
    app->m_OnPass = [&] {
        switch (++pass)
        {
        case 1:
            CxInjectMouseMotion(125, 135);
            break;
        case 3:
            CxInjectMouseButton(1, true, 125, 135);
            CxInjectMouseButton(1, false, 125, 135);
            break;
        case 5:
            CxInjectMouseMotion(320, 215);
            break;
        case 7:
            CxInjectMouseButton(1, true, 320, 215);
            break;
        case 9:
            CxInjectMouseButton(1, false, 321, 216);
            break;
        default:
            break;
        }
    };
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    app->m_OnPass = nullptr;
    EXPECT_TRUE(dialog.IsDone()) << "ended by the click, not by the pass limit";
    EXPECT_EQ(dialog.m_Codes, (std::vector<intptr_t>{2, 1, 0, 10}));
    EXPECT_EQ(outside.GetState(), BUTTON_STATE_UP) << "outside the dialog nothing gets the mouse";
    EXPECT_TRUE(panel.m_Notes.empty());
    inside.Detach();
    dialog.Destroy();
}
