#include "engine/graphics/display_object.h"

#include "engine/graphics/draw_surface.h"

#include <new>
#include <vector>

namespace {
constexpr int32_t CAPTURE_STACK_CAPACITY = 16;

CxDisplayObject* s_pRoot = nullptr;
CxDisplayObject* s_pFocus = nullptr;
CxDisplayObject* s_pCapture = nullptr;
CxDisplayObject* s_CaptureStack[CAPTURE_STACK_CAPACITY] = {};
int32_t s_nCaptureCount = 0;
bool s_bPainted = true;

// Both lists are kept for the whole run (never destroyed), so that display
// objects owned by static objects may still be destroyed while the program ends.
CxLinkedList<CxRect>& DirtyRects()
{
    static CxLinkedList<CxRect>* rects = new CxLinkedList<CxRect>;
    return *rects;
}

CxLinkedList<const CxDisplayObject*>& LiveObjects()
{
    static CxLinkedList<const CxDisplayObject*>* objects = new CxLinkedList<const CxDisplayObject*>;
    return *objects;
}
} // namespace

CxDisplayObject::CxDisplayObject()
{
    LiveObjects().AddHead(this);
}

CxDisplayObject::~CxDisplayObject()
{
    ReleaseAllCaptures();
    if (s_pFocus == this)
        s_pFocus = nullptr;
    Hide();
    Detach();
    DetachAllChildren();
    if (s_pRoot == this)
        s_pRoot = nullptr;
    LiveObjects().Remove(this);
}

uint32_t CxDisplayObject::Create(const CxRect& rect, CxDisplayObject* parent, uint32_t identifier)
{
    return Create(rect.left, rect.top, rect.Width(), rect.Height(), parent, identifier);
}

uint32_t CxDisplayObject::Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                                 uint32_t identifier)
{
    m_nIdentifier = identifier;
    AttachTo(parent);
    SetSize(width, height);
    SetPosition(x, y, ANCHOR_TOP_LEFT);
    return GetError();
}

void CxDisplayObject::CenterInParent()
{
    if (!m_pParent)
        return;
    Move((m_pParent->GetWidth() - GetWidth()) / 2, (m_pParent->GetHeight() - GetHeight()) / 2);
}

void CxDisplayObject::Move(int32_t x, int32_t y)
{
    MoveTo(x, y, ANCHOR_TOP_LEFT);
}

void CxDisplayObject::Resize(const CxSize& size)
{
    if (size == m_Size)
        return;
    const bool shown = IsShown();
    Hide();
    SetSize(size);
    if (shown)
        MoveTo(m_ptPosition, ANCHOR_TOP_LEFT);
}

void CxDisplayObject::SetFocus()
{
    CxDisplayObject* previous = s_pFocus;
    if (previous)
        previous->OnKillFocus();
    s_pFocus = this;
    OnSetFocus();
}

bool CxDisplayObject::HasFocus() const
{
    return s_pFocus == this;
}

void CxDisplayObject::Enable()
{
    m_nFlags &= ~DO_DISABLED;
}

void CxDisplayObject::Disable()
{
    m_nFlags |= DO_DISABLED;
}

bool CxDisplayObject::IsEnabled() const
{
    return !(m_nFlags & DO_DISABLED);
}

void CxDisplayObject::CaptureMouse()
{
    if (s_pCapture && s_nCaptureCount < CAPTURE_STACK_CAPACITY)
        s_CaptureStack[s_nCaptureCount++] = s_pCapture;
    s_pCapture = this;
}

void CxDisplayObject::ReleaseMouse()
{
    if (s_pCapture != this)
        return;
    s_pCapture = s_nCaptureCount > 0 ? s_CaptureStack[--s_nCaptureCount] : nullptr;
}

void CxDisplayObject::ReleaseAllCaptures()
{
    int32_t kept = 0;
    for (int32_t i = 0; i < s_nCaptureCount; ++i)
        if (s_CaptureStack[i] != this)
            s_CaptureStack[kept++] = s_CaptureStack[i];
    for (int32_t i = kept; i < s_nCaptureCount; ++i)
        s_CaptureStack[i] = nullptr;
    s_nCaptureCount = kept;
    ReleaseMouse();
}

bool CxDisplayObject::HasCapture() const
{
    return s_pCapture == this;
}

CxPoint CxDisplayObject::TopLeftFromAnchor(int32_t x, int32_t y, int32_t anchor, int32_t width,
                                           int32_t height)
{
    switch (anchor)
    {
    case ANCHOR_TOP_RIGHT:
        return CxPoint(x - width + 1, y);
    case ANCHOR_BOTTOM_LEFT:
        return CxPoint(x, y - height + 1);
    case ANCHOR_BOTTOM_RIGHT:
        return CxPoint(x - width + 1, y - height + 1);
    case ANCHOR_LEFT_MIDDLE:
        return CxPoint(x, y - height / 2);
    case ANCHOR_RIGHT_MIDDLE:
        return CxPoint(x - width + 1, y - height / 2);
    case ANCHOR_TOP_MIDDLE:
        return CxPoint(x - width / 2, y);
    case ANCHOR_BOTTOM_MIDDLE:
        return CxPoint(x - width / 2, y - height + 1);
    case ANCHOR_CENTER:
        return CxPoint(x - width / 2, y - height / 2);
    default:
        return CxPoint(x, y);
    }
}

void CxDisplayObject::MoveTo(int32_t x, int32_t y, int32_t anchor)
{
    const CxPoint topLeft = TopLeftFromAnchor(x, y, anchor, GetWidth(), GetHeight());
    if (m_pParent && m_pParent->IsShown())
    {
        if (!(topLeft == m_ptPosition))
            Hide();
        m_ptPosition = topLeft;
        AddDirtyRect(GetScreenArea());
    }
    m_ptPosition = topLeft;
    const bool wasShown = IsShown();
    m_nFlags |= DO_SHOWN;
    if (!wasShown)
        OnShow();
}

void CxDisplayObject::MoveTo(const CxPoint& point, int32_t anchor)
{
    MoveTo(point.x, point.y, anchor);
}

void CxDisplayObject::Redraw()
{
    MoveTo(m_ptPosition, ANCHOR_TOP_LEFT);
}

void CxDisplayObject::Hide()
{
    if (!IsShown())
        return;
    m_nFlags &= ~DO_SHOWN;
    if (m_pParent && m_pParent->IsShown())
        AddDirtyRect(GetScreenArea());
    OnHide();
}

void CxDisplayObject::SetPosition(const CxPoint& point, int32_t anchor)
{
    SetPosition(point.x, point.y, anchor);
}

void CxDisplayObject::SetPosition(int32_t x, int32_t y, int32_t anchor)
{
    m_ptPosition = TopLeftFromAnchor(x, y, anchor, GetWidth(), GetHeight());
}

CxPoint CxDisplayObject::GetPosition() const
{
    return m_ptPosition;
}

void CxDisplayObject::GetAnchorPoint(CxPoint& point, int32_t anchor) const
{
    const int32_t w = GetWidth();
    const int32_t h = GetHeight();
    const int32_t x = m_ptPosition.x;
    const int32_t y = m_ptPosition.y;
    switch (anchor)
    {
    case ANCHOR_TOP_RIGHT:
        point = CxPoint(x + w - 1, y);
        break;
    case ANCHOR_BOTTOM_LEFT:
        point = CxPoint(x, y + h - 1);
        break;
    case ANCHOR_BOTTOM_RIGHT:
        point = CxPoint(x + w - 1, y + h - 1);
        break;
    case ANCHOR_LEFT_MIDDLE:
        point = CxPoint(x, y + h / 2);
        break;
    case ANCHOR_RIGHT_MIDDLE:
        point = CxPoint(x + w - 1, y + h / 2);
        break;
    case ANCHOR_TOP_MIDDLE:
        point = CxPoint(x + w / 2, y);
        break;
    case ANCHOR_BOTTOM_MIDDLE:
        point = CxPoint(x + w / 2, y + h - 1);
        break;
    case ANCHOR_CENTER:
        point = CxPoint(x + w / 2, y + h / 2);
        break;
    default:
        point = CxPoint(x, y);
        break;
    }
}

void CxDisplayObject::SetDepth(int32_t depth)
{
    m_nDepth = depth;
    if (CxDisplayObject* parent = m_pParent)
    {
        parent->RemoveChild(this);
        parent->AddChild(this);
    }
}

int32_t CxDisplayObject::GetDepth() const
{
    return m_nDepth;
}

uint32_t CxDisplayObject::GetIdentifier() const
{
    return m_nIdentifier;
}

CxDisplayObject* CxDisplayObject::GetParent() const
{
    return m_pParent;
}

void CxDisplayObject::SetSize(const CxSize& size)
{
    m_Size = size;
}

void CxDisplayObject::SetSize(int32_t width, int32_t height)
{
    SetSize(CxSize(width, height));
}

void CxDisplayObject::GetSize(CxSize& size) const
{
    size = m_Size;
}

CxSize CxDisplayObject::GetSize() const
{
    return m_Size;
}

int32_t CxDisplayObject::GetWidth() const
{
    return m_Size.cx;
}

int32_t CxDisplayObject::GetHeight() const
{
    return m_Size.cy;
}

int32_t CxDisplayObject::GetDisplayWidth() const
{
    return GetWidth();
}

int32_t CxDisplayObject::GetDisplayHeight() const
{
    return GetHeight();
}

CxRect CxDisplayObject::GetRect() const
{
    return CxRect(m_ptPosition.x, m_ptPosition.y, m_ptPosition.x + GetWidth() - 1,
                  m_ptPosition.y + GetHeight() - 1);
}

void CxDisplayObject::SetRect(const CxRect& rect)
{
    SetSize(rect.Width(), rect.Height());
    SetPosition(rect.left, rect.top, ANCHOR_TOP_LEFT);
}

CxDisplayObject* CxDisplayObject::GetFirstChild() const
{
    return m_pFirstChild;
}

bool CxDisplayObject::HasChildren() const
{
    return m_pFirstChild != nullptr;
}

int32_t CxDisplayObject::CountChildren(uint32_t flags, int32_t argument) const
{
    int32_t count = 0;
    for (CxDisplayObject* child = m_pFirstChild; child; child = child->GetNextSibling())
    {
        if ((flags & DO_COUNT_SHOWN) && !child->IsShown())
            continue;
        ++count;
        if (flags & DO_COUNT_RECURSIVE)
            count += child->CountChildren(flags, argument);
    }
    return count;
}

void CxDisplayObject::AttachTo(CxDisplayObject* parent)
{
    if (!parent)
        parent = GetRoot();
    if (parent == this || parent == m_pParent)
        return;
    Detach();
    if (parent)
        parent->AddChild(this);
}

void CxDisplayObject::Detach()
{
    if (!m_pParent)
        return;
    // A shown object leaves its area to be repainted without it.
    if (IsShown() && m_pParent->IsShown())
        AddDirtyRect(GetScreenArea());
    m_pParent->RemoveChild(this);
}

void CxDisplayObject::DetachAllChildren()
{
    while (m_pFirstChild)
        RemoveChild(m_pFirstChild);
}

void CxDisplayObject::AddChild(CxDisplayObject* child)
{
    if (!child || child == this)
        return;
    if (child->m_pParent)
        child->m_pParent->RemoveChild(child);
    child->m_pParent = this;
    CxDisplayObject* before = nullptr;
    CxDisplayObject* last = nullptr;
    if (child->m_nDepth == -1)
        before = m_pFirstChild;
    else
    {
        for (CxDisplayObject* c = m_pFirstChild; c; c = c->GetNextSibling())
        {
            last = c;
            if (child->m_nDepth != 0 && c->m_nDepth < child->m_nDepth)
            {
                before = c;
                break;
            }
        }
    }
    if (before)
    {
        child->m_pNextLink = before;
        child->m_pPrevLink = before->m_pPrevLink;
        if (before->m_pPrevLink)
            before->m_pPrevLink->m_pNextLink = child;
        else
            m_pFirstChild = child;
        before->m_pPrevLink = child;
    }
    else
    {
        child->m_pPrevLink = last;
        child->m_pNextLink = nullptr;
        if (last)
            last->m_pNextLink = child;
        else
            m_pFirstChild = child;
    }
}

void CxDisplayObject::RemoveChild(CxDisplayObject* child)
{
    if (!child || child->m_pParent != this)
        return;
    if (child->m_pPrevLink)
        child->m_pPrevLink->m_pNextLink = child->m_pNextLink;
    else
        m_pFirstChild = child->GetNextSibling();
    if (child->m_pNextLink)
        child->m_pNextLink->m_pPrevLink = child->m_pPrevLink;
    child->m_pPrevLink = nullptr;
    child->m_pNextLink = nullptr;
    child->m_pParent = nullptr;
}

bool CxDisplayObject::IsShown() const
{
    return (m_nFlags & DO_SHOWN) != 0;
}

CxPoint CxDisplayObject::GetOffsetInParent() const
{
    if (m_pParent && (m_nFlags & DO_POSITIONED_BY_PARENT))
    {
        CxRect rect;
        m_pParent->GetChildRect(this, rect);
        return rect.TopLeft();
    }
    return m_ptPosition;
}

CxPoint CxDisplayObject::LocalToParent(const CxPoint& point) const
{
    return point + GetOffsetInParent();
}

CxPoint CxDisplayObject::LocalToScreen(const CxPoint& point) const
{
    CxPoint p = point;
    for (const CxDisplayObject* o = this; o; o = o->m_pParent)
        p = o->LocalToParent(p);
    return p;
}

CxRect CxDisplayObject::RectToScreen(const CxRect& rect) const
{
    const CxPoint origin = LocalToScreen(CxPoint(0, 0));
    CxRect r = rect;
    r.Offset(origin.x, origin.y);
    return r;
}

CxPoint CxDisplayObject::ScreenToLocal(const CxPoint& point) const
{
    return point - LocalToScreen(CxPoint(0, 0));
}

CxRect CxDisplayObject::RectFromScreen(const CxRect& rect) const
{
    const CxPoint origin = LocalToScreen(CxPoint(0, 0));
    CxRect r = rect;
    r.Offset(-origin.x, -origin.y);
    return r;
}

void CxDisplayObject::GetVisibleRect(CxRect& rect) const
{
    CxRect visible = RectToScreen(CxRect(0, 0, GetWidth() - 1, GetHeight() - 1));
    for (const CxDisplayObject* a = m_pParent; a && !visible.IsEmpty(); a = a->m_pParent)
    {
        CxRect clipped;
        clipped.Intersect(visible, a->RectToScreen(CxRect(0, 0, a->GetWidth() - 1, a->GetHeight() - 1)));
        visible = clipped;
    }
    rect = visible.IsEmpty() ? CxRect() : RectFromScreen(visible);
}

CxDisplayObject* CxDisplayObject::HitTest(const CxPoint& point, uint32_t mask)
{
    const CxPoint local = point - GetOffsetInParent();
    const bool inside = local.x >= 0 && local.y >= 0 && local.x < GetWidth() && local.y < GetHeight();
    if (!inside && (m_nFlags & DO_BOUNDED))
        return nullptr;
    CxDisplayObject* candidate = inside && (m_nHitMask & mask) == mask ? this : nullptr;
    for (CxDisplayObject* child = m_pFirstChild; child; child = child->GetNextSibling())
    {
        if (!child->IsShown() || (child->m_nHitMask & mask) != mask)
            continue;
        if (CxDisplayObject* hit = child->HitTest(local, mask))
            candidate = hit;
    }
    return candidate;
}

void CxDisplayObject::GetChildRect(const CxDisplayObject* child, CxRect& rect) const
{
    rect = child ? child->GetRect() : CxRect();
}

CxRect CxDisplayObject::GetChildrenArea() const
{
    CxRect area;
    for (CxDisplayObject* child = m_pFirstChild; child; child = child->GetNextSibling())
    {
        CxRect r;
        if (child->m_nFlags & DO_POSITIONED_BY_PARENT)
            GetChildRect(child, r);
        else if (child->m_nFlags & DO_BOUNDED)
            r = child->GetRect();
        else
        {
            r = child->GetChildrenArea();
            r.Offset(child->m_ptPosition.x, child->m_ptPosition.y);
        }
        CxRect u;
        u.Union(area, r);
        area = u;
    }
    return area;
}

CxRect CxDisplayObject::GetScreenArea() const
{
    if (!m_pParent)
        return CxRect(m_ptPosition, m_Size);
    CxRect area;
    if (m_nFlags & DO_POSITIONED_BY_PARENT)
        m_pParent->GetChildRect(this, area);
    else if (m_nFlags & DO_BOUNDED)
        area = GetRect();
    else
    {
        area = GetChildrenArea();
        area.Offset(m_ptPosition.x, m_ptPosition.y);
    }
    return area.IsEmpty() ? area : m_pParent->RectToScreen(area);
}

void CxDisplayObject::Paint(CxDrawSurface* surface, const CxRect& rect)
{
    if (rect.IsEmpty())
        return;
    for (CxDisplayObject* child = m_pFirstChild; child; child = child->GetNextSibling())
    {
        if (!child->IsShown())
            continue;
        CxRect r = rect;
        if (child->m_nFlags & DO_BOUNDED)
        {
            CxRect childRect;
            GetChildRect(child, childRect);
            if (!r.Intersect(rect, childRect))
                continue;
        }
        const CxPoint offset = child->GetOffsetInParent();
        r.Offset(-offset.x, -offset.y);
        child->Paint(surface, r);
    }
}

// Program-wide state.

CxDisplayObject* CxDisplayObject::GetRoot()
{
    return s_pRoot;
}

void CxDisplayObject::SetRootSize(CxDrawSurface* screen)
{
    if (screen)
        SetRootSize(screen->GetWidth(), screen->GetHeight());
}

void CxDisplayObject::SetRootSize(int32_t width, int32_t height)
{
    if (!s_pRoot)
    {
        s_pRoot = new (std::nothrow) CxDisplayObject;
        if (!s_pRoot)
            return;
        s_pRoot->m_nFlags |= DO_SHOWN;
    }
    s_pRoot->SetSize(width, height);
    AddDirtyRect(CxRect(0, 0, width - 1, height - 1));
}

void CxDisplayObject::DestroyRoot()
{
    delete s_pRoot;
    s_pRoot = nullptr;
    ClearDirtyRects();
}

void CxDisplayObject::AddDirtyRect(const CxRect& rect)
{
    if (!s_pRoot)
        return;
    CxRect r;
    if (!r.Intersect(rect, s_pRoot->GetRect()))
        return;
    CxLinkedList<CxRect>& list = DirtyRects();
    for (auto* node = list.GetHead(); node;)
    {
        if (node->m_Value.Overlaps(r))
        {
            CxRect merged;
            merged.Union(r, node->m_Value);
            r = merged;
            list.RemoveNode(node);
            node = list.GetHead();
        }
        else
            node = node->GetNext();
    }
    list.AddTail(r);
}

void CxDisplayObject::ClearDirtyRects()
{
    DirtyRects().RemoveAll();
}

const CxLinkedList<CxRect>& CxDisplayObject::GetDirtyRects()
{
    return DirtyRects();
}

void CxDisplayObject::UpdateScreen(CxDrawSurface* screen)
{
    CxLinkedList<CxRect>& list = DirtyRects();
    if (!s_pRoot || list.IsEmpty())
        return;
    // The rectangles are taken off the list before painting: an object that
    // changes while it paints marks its area for the next frame, and the
    // list being walked here is not touched.
    std::vector<CxRect> rects;
    for (auto* node = list.GetHead(); node; node = node->GetNext())
        rects.push_back(node->m_Value);
    list.RemoveAll();
    s_bPainted = false;
    {
        const CxSurfaceLock lock(screen);
        for (const CxRect& rect : rects)
        {
            CxRect r;
            if (s_pRoot && s_pRoot->IsShown() && r.Intersect(rect, s_pRoot->GetRect()))
                s_pRoot->Paint(screen, r);
        }
    }
    s_bPainted = true;
}

bool CxDisplayObject::IsScreenPainted()
{
    return s_bPainted;
}

CxDisplayObject* CxDisplayObject::GetFocus()
{
    return s_pFocus;
}

void CxDisplayObject::ClearFocus()
{
    CxDisplayObject* previous = s_pFocus;
    s_pFocus = nullptr;
    if (previous)
        previous->OnKillFocus();
}

CxDisplayObject* CxDisplayObject::GetCapture()
{
    return s_pCapture;
}

int32_t CxDisplayObject::GetCaptureDepth()
{
    return s_nCaptureCount;
}

bool CxDisplayObject::IsLiveObject(const CxDisplayObject* object)
{
    return object && LiveObjects().Find(object) != nullptr;
}
