// CxDisplayObject: one node of the display tree.
//
// Everything visible hangs in one tree under a screen-sized root. An object
// has a position relative to its parent's top-left corner, a size, a depth
// that orders it among its siblings, and flags (shown, bounded, stretched,
// positioned by the parent, disabled). Siblings are painted in list order:
// the first child lies furthest back. Larger depths lie further back; a child
// joins the end of the run of siblings with its own depth, depth -1 goes
// first and depth 0 goes last.
//
// Nothing paints at once: showing, hiding and moving add the object's screen
// area to the program-wide dirty list, and UpdateScreen repaints each dirty
// rectangle by walking the tree back to front. The dirty list never holds two
// overlapping rectangles, so no pixel is painted twice in one update.
//
// Input: the key and mouse handlers bubble to the parent by default (the
// point converted into the parent's coordinates). The display application
// hands keys to the focus holder and mouse input to the capture holder, or
// to the front-most object under the pointer.
#pragma once

#include "engine/base/geometry.h"
#include "engine/base/linked_list.h"
#include "engine/base/object.h"
#include "engine/core/error.h"

#include <cstdint>

class CxDrawSurface;

// Flag bits of a display object.
constexpr uint32_t DO_SHOWN = 0x01;
constexpr uint32_t DO_BOUNDED = 0x02;
constexpr uint32_t DO_STRETCHED = 0x04;
constexpr uint32_t DO_POSITIONED_BY_PARENT = 0x08;
constexpr uint32_t DO_DISABLED = 0x10;
// While this object holds the mouse capture, mouse input over one of its
// shown descendants goes to that descendant (a modal dialog keeps its
// buttons working); input anywhere else still comes to the object.
constexpr uint32_t DO_CAPTURE_KEEPS_CHILDREN = 0x20;

// Anchors of MoveTo, SetPosition and GetAnchorPoint.
constexpr int32_t ANCHOR_TOP_LEFT = 0;
constexpr int32_t ANCHOR_TOP_RIGHT = 1;
constexpr int32_t ANCHOR_BOTTOM_LEFT = 2;
constexpr int32_t ANCHOR_BOTTOM_RIGHT = 3;
constexpr int32_t ANCHOR_LEFT_MIDDLE = 4;
constexpr int32_t ANCHOR_RIGHT_MIDDLE = 5;
constexpr int32_t ANCHOR_TOP_MIDDLE = 6;
constexpr int32_t ANCHOR_BOTTOM_MIDDLE = 7;
constexpr int32_t ANCHOR_CENTER = 8;

constexpr int32_t DO_DEPTH_DEFAULT = 0x7FFFFFFF;

// CountChildren flags.
constexpr uint32_t DO_COUNT_RECURSIVE = 0x01;
constexpr uint32_t DO_COUNT_SHOWN = 0x02;

// The mouse handlers, for the input dispatch.
enum CxMouseEvent
{
    CX_MOUSE_MOVE,
    CX_MOUSE_LDOWN,
    CX_MOUSE_LUP,
    CX_MOUSE_LDBLCLK,
    CX_MOUSE_MDOWN,
    CX_MOUSE_MUP,
    CX_MOUSE_MDBLCLK,
    CX_MOUSE_RDOWN,
    CX_MOUSE_RUP,
    CX_MOUSE_RDBLCLK,
    CX_MOUSE_WHEEL
};

// The sibling link: the previous and the next sibling.
class CLList
{
public:
    CLList* m_pPrevLink = nullptr;
    CLList* m_pNextLink = nullptr;
};

class CxDisplayObject : public CLList, public CxError, public CxObject
{
public:
    CxDisplayObject();
    CxDisplayObject(const CxDisplayObject&) = delete;
    CxDisplayObject& operator=(const CxDisplayObject&) = delete;

    // Destruction: releases focus and capture, hides and detaches the object and
    // detaches its children.
    ~CxDisplayObject() override;
    // Creation: attach to the parent (the root when null), set the size, then SetPosition(x, y, 0).
    virtual uint32_t Create(const CxRect& rect, CxDisplayObject* parent = nullptr, uint32_t identifier = 0);
    virtual uint32_t Create(int32_t x, int32_t y, int32_t width, int32_t height,
                            CxDisplayObject* parent = nullptr, uint32_t identifier = 0);
    // Showing and hiding.
    virtual void OnShow() {}
    virtual void OnHide() {}
    // Placement in the parent.
    virtual void CenterInParent();
    virtual void Move(int32_t x, int32_t y);
    // Hides, sizes and shows again at the same place (when it was shown).
    virtual void Resize(const CxSize& size);
    // Focus and enabling.
    virtual void SetFocus();
    virtual bool HasFocus() const;
    virtual void Enable();
    virtual void Disable();
    virtual bool IsEnabled() const;
    // Mouse capture.
    virtual void CaptureMouse();
    virtual void ReleaseMouse();
    virtual void ReleaseAllCaptures();
    virtual bool HasCapture() const;
    // Focus notices.
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
    // Moving, with repainting.
    virtual void MoveTo(int32_t x, int32_t y, int32_t anchor = ANCHOR_TOP_LEFT);
    virtual void MoveTo(const CxPoint& point, int32_t anchor = ANCHOR_TOP_LEFT);
    // Shows the object again at its position (its area becomes dirty).
    virtual void Redraw();
    virtual void Hide();
    // Setting the position, without repainting.
    virtual void SetPosition(const CxPoint& point, int32_t anchor = ANCHOR_TOP_LEFT);
    virtual void SetPosition(int32_t x, int32_t y, int32_t anchor = ANCHOR_TOP_LEFT);
    virtual CxPoint GetPosition() const;
    virtual void GetAnchorPoint(CxPoint& point, int32_t anchor) const;
    // Depth among the siblings, identifier and parent.
    virtual void SetDepth(int32_t depth);
    virtual int32_t GetDepth() const;
    virtual uint32_t GetIdentifier() const;
    virtual CxDisplayObject* GetParent() const;
    // Size.
    virtual void SetSize(const CxSize& size);
    virtual void SetSize(int32_t width, int32_t height);
    virtual void GetSize(CxSize& size) const;
    virtual CxSize GetSize() const;
    virtual int32_t GetWidth() const;
    virtual int32_t GetHeight() const;
    virtual int32_t GetDisplayWidth() const;
    virtual int32_t GetDisplayHeight() const;
    // Rectangle, in the parent's coordinates.
    virtual CxRect GetRect() const;
    virtual void SetRect(const CxRect& rect);
    // Children.
    virtual CxDisplayObject* GetFirstChild() const;
    virtual bool HasChildren() const;
    virtual int32_t CountChildren(uint32_t flags = 0, int32_t argument = 0) const;
    // Attaching and detaching.
    virtual void AttachTo(CxDisplayObject* parent);
    virtual void Detach();
    virtual void DetachAllChildren();
    virtual void AddChild(CxDisplayObject* child);
    virtual void RemoveChild(CxDisplayObject* child);
    // Visibility.
    virtual bool IsShown() const;
    // Coordinate conversion.
    virtual CxPoint LocalToParent(const CxPoint& point) const;
    virtual CxRect RectToScreen(const CxRect& rect) const;
    virtual CxPoint LocalToScreen(const CxPoint& point) const;
    virtual CxRect RectFromScreen(const CxRect& rect) const;
    virtual CxPoint ScreenToLocal(const CxPoint& point) const;
    // Visible part and hit testing.
    virtual void GetVisibleRect(CxRect& rect) const;
    // The front-most object under point (given in the parent's coordinates).
    virtual CxDisplayObject* HitTest(const CxPoint& point, uint32_t mask = 0);
    // The child's rectangle in this object's coordinates.
    virtual void GetChildRect(const CxDisplayObject* child, CxRect& rect) const;
    // Paints the children within rect (this object's coordinates) into surface.
    virtual void Paint(CxDrawSurface* surface, const CxRect& rect);
    // Input. By default each passes the call to the parent, the point moved
    // into the parent's coordinates.
    virtual void OnKeyDown(uint32_t key, uint32_t flags);
    virtual void OnKeyUp(uint32_t key, uint32_t flags);
    virtual void OnMouseMove(uint32_t buttons, const CxPoint& point);
    virtual void OnLButtonDown(uint32_t buttons, const CxPoint& point);
    virtual void OnLButtonUp(uint32_t buttons, const CxPoint& point);
    virtual void OnLButtonDblClk(uint32_t buttons, const CxPoint& point);
    virtual void OnMButtonDown(uint32_t buttons, const CxPoint& point);
    virtual void OnMButtonUp(uint32_t buttons, const CxPoint& point);
    virtual void OnMButtonDblClk(uint32_t buttons, const CxPoint& point);
    virtual void OnRButtonDown(uint32_t buttons, const CxPoint& point);
    virtual void OnRButtonUp(uint32_t buttons, const CxPoint& point);
    virtual void OnRButtonDblClk(uint32_t buttons, const CxPoint& point);
    virtual void OnMouseWheel(uint32_t buttons, const CxPoint& point, int32_t extra);
    // Notices: passes the call to the parent (the root ends it).
    virtual void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d);

    // Not virtual.
    uint32_t GetFlags() const { return m_nFlags; }
    void SetFlags(uint32_t bits, bool on) { m_nFlags = on ? (m_nFlags | bits) : (m_nFlags & ~bits); }
    uint32_t GetHitMask() const { return m_nHitMask; }
    void SetHitMask(uint32_t mask) { m_nHitMask = mask; }
    void SetIdentifier(uint32_t identifier) { m_nIdentifier = identifier; }
    CxDisplayObject* GetNextSibling() const { return static_cast<CxDisplayObject*>(m_pNextLink); }
    CxDisplayObject* GetPrevSibling() const { return static_cast<CxDisplayObject*>(m_pPrevLink); }
    // The object's area on the screen as it would be painted (see MoveTo).
    CxRect GetScreenArea() const;

    // Program-wide state.
    // The root (null until SetRootSize).
    static CxDisplayObject* GetRoot();
    // Creates the root on first use, sizes it to the surface and marks it all dirty.
    static void SetRootSize(CxDrawSurface* screen);
    static void SetRootSize(int32_t width, int32_t height);
    static void DestroyRoot();
    // rect in screen coordinates.
    static void AddDirtyRect(const CxRect& rect);
    static void ClearDirtyRects();
    static const CxLinkedList<CxRect>& GetDirtyRects();
    // Paints every dirty rectangle into screen and empties the list.
    static void UpdateScreen(CxDrawSurface* screen);
    // False while UpdateScreen is painting.
    static bool IsScreenPainted();
    static CxDisplayObject* GetFocus();
    // Takes the focus from its holder (which gets OnKillFocus); nobody holds it afterwards.
    static void ClearFocus();
    static CxDisplayObject* GetCapture();
    static int32_t GetCaptureDepth();
    // True while object is alive (scripts hand objects back as userdata).
    static bool IsLiveObject(const CxDisplayObject* object);
    // Input dispatch of the display application: keys go to the focus
    // holder; mouse input goes to the capture holder, else to the front-most
    // object under the point (screen coordinates), else to the root.
    static void DispatchKey(bool down, uint32_t key, uint32_t flags);
    static void DispatchMouse(CxMouseEvent event, uint32_t buttons, const CxPoint& point, int32_t extra = 0);
    // Called with every mouse movement the dispatch receives (the custom cursor follows it).
    static void SetMouseMoveHook(void (*hook)(const CxPoint& screenPoint));

protected:
    // Where this object's top-left corner lies in its parent.
    CxPoint GetOffsetInParent() const;
    // The union of the children's areas in this object's coordinates.
    CxRect GetChildrenArea() const;
    void CallMouse(CxMouseEvent event, uint32_t buttons, const CxPoint& point, int32_t extra);
    static CxPoint TopLeftFromAnchor(int32_t x, int32_t y, int32_t anchor, int32_t width, int32_t height);

    CxPoint m_ptPosition;
    CxSize m_Size;
    CxDisplayObject* m_pParent = nullptr;
    CxDisplayObject* m_pFirstChild = nullptr;
    int32_t m_nDepth = DO_DEPTH_DEFAULT;
    uint32_t m_nIdentifier = 0;
    uint32_t m_nHitMask = 0;
    uint32_t m_nFlags = DO_BOUNDED;
};
