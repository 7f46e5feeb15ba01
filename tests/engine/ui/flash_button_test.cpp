#include "engine/ui/flash_button.h"

#include "engine/graphics/cursor.h"
#include "engine/graphics/screen.h"
#include "engine/platform/clock.h"
#include "engine/ui/dialog_box.h"
#include "tests/engine/ui/button_test_support.h"
#include "tests/support/scoped_clock.h"

#include <gtest/gtest.h>

namespace {
class FlashButtonTest : public ButtonAppTest
{
protected:
    void SetUp() override
    {
        ButtonAppTest::SetUp();
        Place(button, panel, 20, 30, "f");
        button.SetFlashColor(0, 80, 40);
        Pump();
    }
    void TearDown() override
    {
        button.StopFlashing();
        ButtonAppTest::TearDown();
    }
    // The screen pixel in the middle of the button.
    uint32_t ButtonPixel() { return app->GetScreen()->GetDrawSurface()->GetPixel(140, 140); }
    // What the button's current frame looks like on the screen with an effect.
    uint32_t Expected(const ST_BLIT_FX* effect)
    {
        CxDrawSurface* screen = app->GetScreen()->GetDrawSurface();
        CxDrawSurface one(1, 1, screen->GetDepth());
        one.SetPixelFormat(screen->GetPixelFormat());
        const CxRect source(button.GetFrame() * 40 + 20, 10, button.GetFrame() * 40 + 20, 10);
        button.GetImage()->DrawAt(&one, 0, 0, &source, CX_COLOR_NONE, effect);
        return one.GetPixel(0, 0);
    }
    // Advances the manual clock and runs the passes that notice it.
    void AdvanceTo(uint32_t sinceStart)
    {
        clock.Set(start + sinceStart);
        Pump();
    }

    ScopedManualClock clock{20000};
    uint32_t start = 20000;
    CFlashButton button;
};
} // namespace

TEST_F(FlashButtonTest, BlinksInTheFlashColourEvery300msUntilStopped)
{
    ST_BLIT_FX tint;
    tint.nType = CX_FX_TINT;
    tint.nParam = 0x005028;
    const uint32_t plain = Expected(nullptr);
    const uint32_t tinted = Expected(&tint);
    ASSERT_NE(plain, tinted);
    EXPECT_EQ(ButtonPixel(), plain);

    button.StartFlashing();
    EXPECT_TRUE(button.IsFlashing());
    const std::pair<uint32_t, uint32_t> blinks[] = {
        {299, plain}, {300, tinted}, {599, tinted}, {600, plain}, {900, tinted}};
    for (const auto& [ms, pixel] : blinks)
    {
        AdvanceTo(ms);
        EXPECT_EQ(button.GetEffectType(), pixel == tinted ? CX_FX_TINT : CX_FX_NONE) << ms;
        EXPECT_EQ(ButtonPixel(), pixel) << ms;
    }
    ST_BLIT_FX effect;
    button.GetEffect(effect);
    EXPECT_EQ(effect.nParam, 0x005028u);
    button.StopFlashing();
    EXPECT_FALSE(button.IsFlashing());
    EXPECT_EQ(button.GetEffectType(), CX_FX_NONE);
    AdvanceTo(2000);
    EXPECT_EQ(ButtonPixel(), plain);
    // Started again, the blinking begins with the tint after 300 ms.
    button.StartFlashing();
    AdvanceTo(2299);
    EXPECT_EQ(button.GetEffectType(), CX_FX_NONE);
    AdvanceTo(2300);
    EXPECT_EQ(button.GetEffectType(), CX_FX_TINT);
    // Hidden, it blinks without showing itself.
    button.Hide();
    AdvanceTo(2600);
    EXPECT_EQ(button.GetFlashEffect(), CX_FX_NONE);
    button.StopFlashing();
    EXPECT_FALSE(button.IsShown());
}

TEST_F(FlashButtonTest, EnablingComesBackHoveredOnlyWhileHoldingTheMouse)
{
    button.Disable();
    button.Enable();
    EXPECT_EQ(button.GetState(), BUTTON_STATE_UP);
    button.Disable();
    button.CaptureMouse();
    button.Enable();
    EXPECT_EQ(button.GetState(), BUTTON_STATE_UP_OVER);
    // Moving off lets the mouse go as for any hovered button.
    Move(10, 10);
    EXPECT_EQ(button.GetState(), BUTTON_STATE_UP);
    EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
}

TEST_F(FlashButtonTest, MovingOverItSelectsTheArrowAndClicksAsAPushButton)
{
    SetCursorShape(CX_CURSOR_NORMAL);
    Move(130, 135);
    EXPECT_EQ(GetCursorShape(), CX_CURSOR_ARROW);
    EXPECT_EQ(button.GetState(), BUTTON_STATE_UP_OVER);
    Press(130, 135);
    Release(130, 135);
    EXPECT_EQ(panel.m_Notes, (std::vector<std::string>{"f:2", "f:1", "f:0", "f:10"}));
}

namespace {
class CEndDialogOnTimer : public CxTimerListener
{
public:
    explicit CEndDialogOnTimer(CxDialogBox& dialog) : m_Dialog(dialog) {}
    void OnTimer(CxTimer*) override
    {
        ++m_nCalls;
        m_Dialog.EndDialog();
    }
    CxDialogBox& m_Dialog;
    int m_nCalls = 0;
};
} // namespace

TEST_F(FlashButtonTest, KeepsBlinkingInAModalDialogThatATimerEnds)
{
    CxDialogBox dialog;
    dialog.Create(300, 300, 100, 100);
    CFlashButton inDialog;
    inDialog.SetImage(MakeButtonImage(40, 20), BUTTON_STATE_COUNT);
    inDialog.Create(10, 10, 40, 20, &dialog);
    inDialog.SetFlashColor(0, 80, 40);
    dialog.MoveTo(300, 300);
    inDialog.MoveTo(10, 10);
    inDialog.StartFlashing();
    // Timers run at the start of a pass, before the rest of its idle work.
    std::vector<int32_t> effects;
    int passesAfterEnd = 0;
    app->m_OnPass = [&] {
        effects.push_back(inDialog.GetEffectType());
        passesAfterEnd += dialog.IsDone();
        clock.Advance(50);
    };
    CEndDialogOnTimer ender(dialog);
    CxTimerCallBack timer(&ender, 650);
    timer.Start(650);
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    app->m_OnPass = nullptr;
    // The loop ended after the pass whose timer called EndDialog.
    EXPECT_EQ(ender.m_nCalls, 1);
    EXPECT_EQ(passesAfterEnd, 1);
    EXPECT_FALSE(dialog.IsModal());
    // 50 ms a pass: tinted from the pass at 300 ms, plain again from 600 ms.
    ASSERT_EQ(effects.size(), 14u);
    for (size_t i = 0; i < effects.size(); ++i)
        EXPECT_EQ(effects[i], i >= 6 && i < 12 ? CX_FX_TINT : CX_FX_NONE) << "pass " << i;
    inDialog.StopFlashing();
    dialog.Destroy();
}
