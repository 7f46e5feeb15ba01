// The input side of CxDisplayObject: the handlers that pass calls to the
// parent and the display application's dispatch of keys and mouse input.
#include "engine/graphics/display_object.h"

namespace {
void (*s_pfnMouseMoveHook)(const CxPoint&) = nullptr;
} // namespace

void CxDisplayObject::OnKeyDown(uint32_t key, uint32_t flags)
{
    if (m_pParent)
        m_pParent->OnKeyDown(key, flags);
}

void CxDisplayObject::OnKeyUp(uint32_t key, uint32_t flags)
{
    if (m_pParent)
        m_pParent->OnKeyUp(key, flags);
}

void CxDisplayObject::OnMouseMove(uint32_t buttons, const CxPoint& point)
{
    if (m_pParent)
        m_pParent->OnMouseMove(buttons, LocalToParent(point));
}

#define CX_BUBBLE_MOUSE(name)                                                                                \
    void CxDisplayObject::name(uint32_t buttons, const CxPoint& point)                                       \
    {                                                                                                        \
        if (m_pParent)                                                                                       \
            m_pParent->name(buttons, LocalToParent(point));                                                  \
    }
CX_BUBBLE_MOUSE(OnLButtonDown)
CX_BUBBLE_MOUSE(OnLButtonUp)
CX_BUBBLE_MOUSE(OnLButtonDblClk)
CX_BUBBLE_MOUSE(OnMButtonDown)
CX_BUBBLE_MOUSE(OnMButtonUp)
CX_BUBBLE_MOUSE(OnMButtonDblClk)
CX_BUBBLE_MOUSE(OnRButtonDown)
CX_BUBBLE_MOUSE(OnRButtonUp)
CX_BUBBLE_MOUSE(OnRButtonDblClk)
#undef CX_BUBBLE_MOUSE

void CxDisplayObject::OnMouseWheel(uint32_t buttons, const CxPoint& point, int32_t extra)
{
    if (m_pParent)
        m_pParent->OnMouseWheel(buttons, LocalToParent(point), extra);
}

void CxDisplayObject::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    if (m_pParent)
        m_pParent->NotifyParent(a, b, c, d);
}

void CxDisplayObject::CallMouse(CxMouseEvent event, uint32_t buttons, const CxPoint& point, int32_t extra)
{
    switch (event)
    {
    case CX_MOUSE_MOVE:
        OnMouseMove(buttons, point);
        break;
    case CX_MOUSE_LDOWN:
        OnLButtonDown(buttons, point);
        break;
    case CX_MOUSE_LUP:
        OnLButtonUp(buttons, point);
        break;
    case CX_MOUSE_LDBLCLK:
        OnLButtonDblClk(buttons, point);
        break;
    case CX_MOUSE_MDOWN:
        OnMButtonDown(buttons, point);
        break;
    case CX_MOUSE_MUP:
        OnMButtonUp(buttons, point);
        break;
    case CX_MOUSE_MDBLCLK:
        OnMButtonDblClk(buttons, point);
        break;
    case CX_MOUSE_RDOWN:
        OnRButtonDown(buttons, point);
        break;
    case CX_MOUSE_RUP:
        OnRButtonUp(buttons, point);
        break;
    case CX_MOUSE_RDBLCLK:
        OnRButtonDblClk(buttons, point);
        break;
    case CX_MOUSE_WHEEL:
        OnMouseWheel(buttons, point, extra);
        break;
    }
}

void CxDisplayObject::DispatchKey(bool down, uint32_t key, uint32_t flags)
{
    CxDisplayObject* target = GetFocus() ? GetFocus() : GetRoot();
    if (!target)
        return;
    if (down)
        target->OnKeyDown(key, flags);
    else
        target->OnKeyUp(key, flags);
}

void CxDisplayObject::DispatchMouse(CxMouseEvent event, uint32_t buttons, const CxPoint& point, int32_t extra)
{
    // The custom cursor follows every movement, whoever handles it.
    if (event == CX_MOUSE_MOVE && s_pfnMouseMoveHook)
        s_pfnMouseMoveHook(point);
    CxDisplayObject* root = GetRoot();
    if (!root)
        return;
    CxDisplayObject* target = GetCapture();
    if (target && (target->m_nFlags & DO_CAPTURE_KEEPS_CHILDREN))
    {
        // HitTest takes the point in the coordinates of the object's parent.
        const CxDisplayObject* parent = target->GetParent();
        const CxPoint inParent = parent ? parent->ScreenToLocal(point) : point;
        if (CxDisplayObject* hit = target->HitTest(inParent, 0))
            target = hit;
    }
    if (!target)
        target = root->HitTest(point, 0);
    if (!target)
        target = root;
    target->CallMouse(event, buttons, target->ScreenToLocal(point), extra);
}

void CxDisplayObject::SetMouseMoveHook(void (*hook)(const CxPoint& screenPoint))
{
    s_pfnMouseMoveHook = hook;
}
