#include "engine/ui/flash_button.h"

#include "engine/graphics/cursor.h"

CFlashButton::CFlashButton() : m_FlashTimer(this, FLASH_BUTTON_INTERVAL) {}

CFlashButton::~CFlashButton()
{
    m_FlashTimer.Reset();
}

void CFlashButton::SetFlashColor(uint8_t red, uint8_t green, uint8_t blue)
{
    m_FlashColor[0] = red;
    m_FlashColor[1] = green;
    m_FlashColor[2] = blue;
}

uint32_t CFlashButton::GetFlashColor() const
{
    return (static_cast<uint32_t>(m_FlashColor[0]) << 16) | (static_cast<uint32_t>(m_FlashColor[1]) << 8) |
           m_FlashColor[2];
}

void CFlashButton::StartFlashing()
{
    m_FlashTimer.Start(FLASH_BUTTON_INTERVAL);
    m_bFlashing = 1;
}

void CFlashButton::StopFlashing()
{
    m_FlashTimer.Reset();
    m_bFlashing = 0;
    m_nFlashEffect = CX_FX_NONE;
    m_nFlashEffectColor = 0;
    SetEffect(nullptr);
    RedrawIfShown();
}

void CFlashButton::OnTimer(CxTimer*)
{
    if (m_nFlashEffect == CX_FX_NONE)
    {
        m_nFlashEffect = CX_FX_TINT;
        m_nFlashEffectColor = GetFlashColor();
    }
    else
    {
        m_nFlashEffect = CX_FX_NONE;
        m_nFlashEffectColor = 0;
    }
    ST_BLIT_FX effect;
    effect.nType = m_nFlashEffect;
    effect.nParam = m_nFlashEffectColor;
    SetEffect(&effect);
    RedrawIfShown();
    m_FlashTimer.Start(FLASH_BUTTON_INTERVAL);
}

void CFlashButton::RedrawIfShown()
{
    if (IsShown())
        Redraw();
}

void CFlashButton::Enable()
{
    m_nSavedState = HasCapture() ? BUTTON_STATE_UP_OVER : BUTTON_STATE_UP;
    CxButton::Enable();
}

void CFlashButton::OnMouseMove(uint32_t buttons, const CxPoint& point)
{
    CxButton::OnMouseMove(buttons, point);
    SetCursorShape(CX_CURSOR_ARROW);
}
