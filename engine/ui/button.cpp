#include "engine/ui/button.h"

// ---- CxButton ----------------------------------------------------------------

CxButton* ButtonFromNotify(intptr_t b)
{
    auto* object = reinterpret_cast<CxDisplayObject*>(b);
    return object && CxDisplayObject::IsLiveObject(object) ? dynamic_cast<CxButton*>(object) : nullptr;
}

CxButton::CxButton()
{
    m_nHitMask = BUTTON_HIT_MASK;
    // A button picture is one image of five equal frames; images set later
    // give their own count (SetImage(surface, 5)).
    m_nFrameCount = BUTTON_STATE_COUNT;
}

CxButton::~CxButton() = default;

void CxButton::SetStateFrame(int32_t state, int32_t frame)
{
    if (state < 0 || state >= BUTTON_STATE_COUNT)
        return;
    m_nStateFrame[state] = frame;
    if (state == m_nState)
        SetFrame(frame);
}

int32_t CxButton::GetStateFrame(int32_t state) const
{
    return state >= 0 && state < BUTTON_STATE_COUNT ? m_nStateFrame[state] : -1;
}

void CxButton::Notify(intptr_t code)
{
    NotifyParent(0, reinterpret_cast<intptr_t>(static_cast<CxDisplayObject*>(this)), code, 0);
}

void CxButton::SetState(int32_t state)
{
    const int32_t old = m_nState;
    m_nState = state;
    if (state < 0 || state >= BUTTON_STATE_COUNT)
        return;
    SetFrame(m_nStateFrame[state]);
    if (state == old || !m_pParent)
        return;
    switch (state)
    {
    case BUTTON_STATE_UP:
        Notify(old == BUTTON_STATE_UP_OVER ? BUTTON_NOTIFY_LEAVE : BUTTON_NOTIFY_UP);
        break;
    case BUTTON_STATE_DOWN:
        Notify(old == BUTTON_STATE_DOWN_OVER ? BUTTON_NOTIFY_LEAVE : BUTTON_NOTIFY_DOWN);
        break;
    case BUTTON_STATE_UP_OVER:
        if (old != BUTTON_STATE_UP)
            Notify(BUTTON_NOTIFY_UP);
        if (old != BUTTON_STATE_DOWN_OVER)
            Notify(BUTTON_NOTIFY_ENTER);
        break;
    case BUTTON_STATE_DOWN_OVER:
        if (old != BUTTON_STATE_DOWN)
            Notify(BUTTON_NOTIFY_DOWN);
        if (old != BUTTON_STATE_UP_OVER)
            Notify(BUTTON_NOTIFY_ENTER);
        break;
    case BUTTON_STATE_DISABLED:
        Notify(BUTTON_NOTIFY_DISABLED);
        break;
    default:
        break;
    }
}

int32_t CxButton::GetState() const
{
    return m_nState;
}

void CxButton::Enable()
{
    CxSprite::Enable();
    SetState(m_nSavedState == BUTTON_STATE_NONE ? BUTTON_STATE_UP : m_nSavedState);
}

void CxButton::Disable()
{
    if (HasCapture())
        ReleaseMouse();
    if (m_nState != BUTTON_STATE_DISABLED)
        m_nSavedState = m_nState;
    // A push button comes back up; a radio button keeps its selection.
    if (!IsRadioButton())
        m_nSavedState = BUTTON_STATE_NONE;
    SetState(BUTTON_STATE_DISABLED);
    CxSprite::Disable();
}

void CxButton::Hide()
{
    ReleaseAllCaptures();
    CxSprite::Hide();
}

bool CxButton::IsPointOver(const CxPoint& point)
{
    CxRect visible;
    GetVisibleRect(visible);
    if (visible.IsEmpty() || point.x < visible.left || point.x > visible.right || point.y < visible.top ||
        point.y > visible.bottom)
        return false;
    return !m_bPixelHit || IsOpaqueAt(point, 0);
}

void CxButton::HoldCapture()
{
    if (!HasCapture())
        CaptureMouse();
}

void CxButton::OnMouseMove(uint32_t, const CxPoint& point)
{
    if (IsDisabled() || m_nState == BUTTON_STATE_DOWN || m_nState == BUTTON_STATE_DOWN_OVER)
        return;
    if (IsPointOver(point))
    {
        // Held so that the movement taking the pointer off still comes here.
        HoldCapture();
        SetState(BUTTON_STATE_UP_OVER);
    }
    else
    {
        if (HasCapture())
            ReleaseMouse();
        SetState(BUTTON_STATE_UP);
    }
}

void CxButton::OnLButtonDown(uint32_t, const CxPoint&)
{
    if (m_nState != BUTTON_STATE_UP_OVER && HasCapture())
        return;
    if (IsDisabled())
        return;
    HoldCapture();
    SetState(BUTTON_STATE_DOWN_OVER);
}

void CxButton::OnLButtonUp(uint32_t buttons, const CxPoint& point)
{
    if (!HasCapture())
        return;
    ReleaseMouse();
    const bool inside =
        point.x >= 0 && point.y >= 0 && point.x < GetDisplayWidth() && point.y < GetDisplayHeight();
    if (inside)
    {
        const int32_t old = m_nState;
        SetState(BUTTON_STATE_UP_OVER);
        if (old == BUTTON_STATE_DOWN || old == BUTTON_STATE_DOWN_OVER)
            Notify(BUTTON_NOTIFY_CLICKED);
        // The pointer is still over the button: hover (and capture) again.
        OnMouseMove(buttons, point);
    }
    else
    {
        SetState(BUTTON_STATE_UP);
        Notify(BUTTON_NOTIFY_LEAVE);
    }
}

// ---- CxRadioButton -------------------------------------------------------------

CxRadioButton::CxRadioButton()
{
    m_nHitMask = RADIO_BUTTON_HIT_MASK;
}

CxRadioButton::~CxRadioButton() = default;

void CxRadioButton::OnMouseMove(uint32_t, const CxPoint& point)
{
    if (IsDisabled())
        return;
    if (IsPointOver(point))
    {
        HoldCapture();
        SetState(IsSelected() ? BUTTON_STATE_DOWN_OVER : BUTTON_STATE_UP_OVER);
    }
    else
    {
        if (HasCapture())
            ReleaseMouse();
        if (m_nState == BUTTON_STATE_UP_OVER)
            SetState(BUTTON_STATE_UP);
        else if (m_nState == BUTTON_STATE_DOWN_OVER)
            SetState(BUTTON_STATE_DOWN);
    }
}

void CxRadioButton::OnLButtonDown(uint32_t, const CxPoint&)
{
    if (IsDisabled() || IsSelected())
        return;
    SetState(BUTTON_STATE_DOWN_OVER);
    if (HasCapture())
        ReleaseMouse();
}

void CxRadioButton::OnLButtonUp(uint32_t, const CxPoint&) {}

// ---- CxRadioGroup --------------------------------------------------------------

CxRadioGroup::CxRadioGroup() = default;

CxRadioGroup::~CxRadioGroup() = default;

CxButton* CxRadioGroup::AsRadioButton(CxDisplayObject* object)
{
    if (!object || (object->GetHitMask() & RADIO_BUTTON_HIT_MASK) != RADIO_BUTTON_HIT_MASK)
        return nullptr;
    // Only buttons have states to set; another object with these bits is left alone.
    return dynamic_cast<CxButton*>(object);
}

void CxRadioGroup::Enable()
{
    for (CxDisplayObject* child = GetFirstChild(); child; child = child->GetNextSibling())
        if (CxButton* radio = AsRadioButton(child); radio && !radio->IsEnabled())
            radio->Enable();
    CxSprite::Enable();
}

void CxRadioGroup::Disable()
{
    for (CxDisplayObject* child = GetFirstChild(); child; child = child->GetNextSibling())
        if (CxButton* radio = AsRadioButton(child); radio && radio->IsEnabled())
            radio->Disable();
    CxSprite::Disable();
}

void CxRadioGroup::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    if (a == 0 && c == BUTTON_NOTIFY_DOWN)
    {
        CxButton* selected = nullptr;
        for (CxDisplayObject* child = GetFirstChild(); child; child = child->GetNextSibling())
            if (reinterpret_cast<intptr_t>(child) == b)
                selected = AsRadioButton(child);
        if (selected)
        {
            for (CxDisplayObject* child = GetFirstChild(); child; child = child->GetNextSibling())
            {
                CxButton* other = AsRadioButton(child);
                if (other && other != selected && other->GetState() != BUTTON_STATE_DISABLED &&
                    other->GetState() != BUTTON_STATE_UP)
                    other->SetState(BUTTON_STATE_UP);
            }
        }
    }
    CxSprite::NotifyParent(a, b, c, d);
}

CxButton* CxRadioGroup::GetSelected() const
{
    for (CxDisplayObject* child = GetFirstChild(); child; child = child->GetNextSibling())
    {
        CxButton* radio = AsRadioButton(child);
        if (radio && (radio->GetState() == BUTTON_STATE_DOWN || radio->GetState() == BUTTON_STATE_DOWN_OVER))
            return radio;
    }
    return nullptr;
}
