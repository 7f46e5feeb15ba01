// CFlashButton: a push button that can blink in a colour to draw a child's
// attention.
//
// While flashing, a 300 ms timer toggles the button's drawing effect between
// none and the tint effect (every drawn pixel halfway toward the flash
// colour), so the button shows tinted for 300 ms and plain for 300 ms until
// StopFlashing. The timer runs in the idle pass, also inside a modal dialog.
// Moving the mouse over the button selects the arrow cursor.
#pragma once

#include "engine/core/timer.h"
#include "engine/ui/button.h"

#include <cstdint>

// The cursor type the game registers its arrow pointer under.
constexpr int32_t CX_CURSOR_ARROW = 4;
// Milliseconds each phase of the blinking lasts.
constexpr uint32_t FLASH_BUTTON_INTERVAL = 300;

class CFlashButton : public CxButton, public CxTimerListener
{
public:
    CFlashButton();
    ~CFlashButton() override;

    // The first toggle comes 300 ms after the start.
    virtual void StartFlashing();
    // Stops the timer and shows the button without effect.
    virtual void StopFlashing();
    bool IsFlashing() const { return m_bFlashing != 0; }

    // The flash colour, 8 bits per channel.
    void SetFlashColor(uint8_t red, uint8_t green, uint8_t blue);
    uint32_t GetFlashColor() const;
    // The effect currently applied by the blinking: 0 or the tint.
    int32_t GetFlashEffect() const { return m_nFlashEffect; }

    // Toggles the effect, redraws and starts the next 300 ms.
    void OnTimer(CxTimer* timer) override;

    // Comes back hovered when the button still holds the mouse, else up.
    void Enable() override;
    // The push-button handling, then the arrow cursor.
    void OnMouseMove(uint32_t buttons, const CxPoint& point) override;

    const CxTimerCallBack& GetFlashTimer() const { return m_FlashTimer; }

protected:
    // Marks the button's area for repainting when it is shown (a hidden
    // button stays hidden).
    void RedrawIfShown();

    CxTimerCallBack m_FlashTimer;
    int32_t m_bFlashing = 0;
    int32_t m_nFlashEffect = CX_FX_NONE;
    uint32_t m_nFlashEffectColor = 0;
    uint8_t m_FlashColor[3] = {0, 0, 0};
};
