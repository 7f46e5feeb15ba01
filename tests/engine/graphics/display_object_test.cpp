#include "engine/graphics/display_object.h"
#include "engine/graphics/draw_surface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Every test starts with a fresh 640 x 480 root and an empty dirty list.
class DisplayTreeTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        CxDisplayObject::ClearDirtyRects();
    }
    void TearDown() override { CxDisplayObject::DestroyRoot(); }

    static std::vector<CxRect> Dirty()
    {
        std::vector<CxRect> out;
        for (auto* n = CxDisplayObject::GetDirtyRects().GetHead(); n; n = n->GetNext())
            out.push_back(n->m_Value);
        return out;
    }
};

std::vector<uint32_t> ChildIds(const CxDisplayObject& parent)
{
    std::vector<uint32_t> ids;
    for (CxDisplayObject* c = parent.GetFirstChild(); c; c = c->GetNextSibling())
        ids.push_back(c->GetIdentifier());
    return ids;
}

// A display object that fills its own area with one colour, so that paint
// order shows in the pixels.
class CFilled : public CxDisplayObject
{
public:
    explicit CFilled(uint32_t color) : m_nColor(color) {}
    void Paint(CxDrawSurface* surface, const CxRect& rect) override
    {
        CxRect r = RectToScreen(rect);
        surface->FillRect(&r, m_nColor);
        ++m_nPaints;
        m_LastRect = rect;
        CxDisplayObject::Paint(surface, rect);
    }
    uint32_t m_nColor;
    int m_nPaints = 0;
    CxRect m_LastRect;
};

class CInputRecorder : public CxDisplayObject
{
public:
    void OnLButtonDown(uint32_t, const CxPoint& p) override { m_Events.push_back(p); }
    void OnKeyDown(uint32_t key, uint32_t) override { m_Keys.push_back(key); }
    void OnSetFocus() override { ++m_nSetFocus; }
    void OnKillFocus() override { ++m_nKillFocus; }
    void NotifyParent(intptr_t a, intptr_t, intptr_t, intptr_t) override { m_nNotified = a; }
    std::vector<CxPoint> m_Events;
    std::vector<uint32_t> m_Keys;
    int m_nSetFocus = 0;
    int m_nKillFocus = 0;
    intptr_t m_nNotified = 0;
};
} // namespace

TEST_F(DisplayTreeTest, SiblingsAreOrderedByDepthAndDestroyedObjectsLeaveTheList)
{
    CxDisplayObject parent;
    parent.Create(0, 0, 100, 100, nullptr, 0);
    CxDisplayObject a, b, c, d, e;
    const int32_t depths[] = {5, 0, 10, 5};
    CxDisplayObject* objects[] = {&a, &b, &c, &d};
    for (int i = 0; i < 4; ++i)
    {
        objects[i]->SetDepth(depths[i]);
        objects[i]->Create(0, 0, 1, 1, &parent, static_cast<uint32_t>(i + 1));
    }
    // 10, 5 (the earlier), 5 (the later), 0.
    EXPECT_EQ(ChildIds(parent), (std::vector<uint32_t>{3, 1, 4, 2}));
    e.SetDepth(-1);
    e.Create(0, 0, 1, 1, &parent, 5);
    EXPECT_EQ(ChildIds(parent), (std::vector<uint32_t>{5, 3, 1, 4, 2}));
    // A new depth moves the child before the first sibling of smaller depth.
    b.SetDepth(7);
    EXPECT_EQ(ChildIds(parent), (std::vector<uint32_t>{2, 5, 3, 1, 4}));
    b.SetDepth(6);
    a.SetDepth(6);
    EXPECT_EQ(ChildIds(parent), (std::vector<uint32_t>{2, 1, 5, 3, 4}));
    EXPECT_EQ(parent.CountChildren(), 5);
    CxDisplayObject holder;
    holder.Create(0, 0, 10, 10);
    CxDisplayObject one;
    one.Create(0, 0, 1, 1, &holder, 1);
    {
        CxDisplayObject two;
        two.Create(0, 0, 1, 1, &holder, 2);
    }
    CxDisplayObject three;
    three.Create(0, 0, 1, 1, &holder, 3);
    EXPECT_EQ(ChildIds(holder), (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(holder.GetParent(), CxDisplayObject::GetRoot());
    auto* o = new CxDisplayObject;
    EXPECT_TRUE(CxDisplayObject::IsLiveObject(o));
    delete o;
    EXPECT_FALSE(CxDisplayObject::IsLiveObject(o));
}

TEST_F(DisplayTreeTest, AnchorsPlaceTheTopLeftCorner)
{
    CxDisplayObject o;
    o.Create(0, 0, 20, 11);
    o.MoveTo(100, 100, ANCHOR_CENTER);
    EXPECT_EQ(o.GetPosition(), CxPoint(90, 95));
    o.MoveTo(100, 100, ANCHOR_BOTTOM_RIGHT);
    EXPECT_EQ(o.GetPosition(), CxPoint(81, 90));
    o.MoveTo(100, 100, ANCHOR_BOTTOM_MIDDLE);
    EXPECT_EQ(o.GetPosition(), CxPoint(90, 90));
    o.MoveTo(100, 100, ANCHOR_RIGHT_MIDDLE);
    EXPECT_EQ(o.GetPosition(), CxPoint(81, 95));
    for (int32_t anchor = 0; anchor <= 8; ++anchor)
    {
        o.SetPosition(37, 41, anchor);
        CxPoint p;
        o.GetAnchorPoint(p, anchor);
        EXPECT_EQ(p, CxPoint(37, 41)) << "anchor " << anchor;
    }
    // Centring in the parent truncates the halves.
    CxDisplayObject child;
    child.Create(0, 0, 10, 10, &o);
    o.SetSize(101, 51);
    child.CenterInParent();
    EXPECT_EQ(child.GetPosition(), CxPoint(45, 20));
}

TEST_F(DisplayTreeTest, OverlappingDirtyRectanglesMergeUntilNoneOverlapsAndAreClipped)
{
    CxDisplayObject::AddDirtyRect(CxRect(0, 0, 9, 9));
    CxDisplayObject::AddDirtyRect(CxRect(10, 0, 19, 9)); // touching: kept apart
    CxDisplayObject::AddDirtyRect(CxRect(40, 0, 49, 9));
    EXPECT_EQ(Dirty().size(), 3u);
    // Bridges all three: they become one.
    CxDisplayObject::AddDirtyRect(CxRect(5, 5, 45, 6));
    EXPECT_EQ(Dirty(), std::vector<CxRect>{CxRect(0, 0, 49, 9)});
    // Clipped to the root; nothing off screen is kept.
    CxDisplayObject::AddDirtyRect(CxRect(630, 470, 700, 500));
    EXPECT_EQ(Dirty().back(), CxRect(630, 470, 639, 479));
    CxDisplayObject::AddDirtyRect(CxRect(-50, -50, -1, -1));
    EXPECT_EQ(Dirty().size(), 2u);
}

TEST_F(DisplayTreeTest, MovingDirtiesOldAndNewAreaButNothingUnderAHiddenParent)
{
    CxDisplayObject parent;
    parent.Create(100, 100, 200, 200);
    parent.MoveTo(100, 100);
    CxDisplayObject::ClearDirtyRects();
    CxDisplayObject child;
    child.Create(0, 0, 10, 10, &parent);
    child.MoveTo(10, 10);
    ASSERT_EQ(Dirty().size(), 1u);
    EXPECT_EQ(Dirty()[0], CxRect(110, 110, 119, 119));
    child.MoveTo(50, 10);
    ASSERT_EQ(Dirty().size(), 2u);
    EXPECT_EQ(Dirty()[1], CxRect(150, 110, 159, 119));
    CxDisplayObject::ClearDirtyRects();
    child.Hide();
    ASSERT_EQ(Dirty().size(), 1u);
    EXPECT_EQ(Dirty()[0], CxRect(150, 110, 159, 119));
    // Hiding twice adds nothing.
    CxDisplayObject::ClearDirtyRects();
    child.Hide();
    EXPECT_TRUE(Dirty().empty());
    // Objects under a hidden parent dirty nothing.
    CxDisplayObject hidden;
    hidden.Create(0, 0, 100, 100);
    CxDisplayObject under;
    under.Create(0, 0, 10, 10, &hidden);
    under.MoveTo(5, 5);
    EXPECT_TRUE(Dirty().empty());
    EXPECT_TRUE(under.IsShown());
}

TEST_F(DisplayTreeTest, UnboundedObjectDirtiesItsChildrenArea)
{
    CxDisplayObject group;
    group.Create(0, 0, 1, 1);
    group.SetFlags(DO_BOUNDED, false);
    CxDisplayObject a, b;
    a.Create(10, 10, 5, 5, &group);
    b.Create(40, 20, 5, 5, &group);
    group.MoveTo(100, 100);
    ASSERT_EQ(Dirty().size(), 1u);
    EXPECT_EQ(Dirty()[0], CxRect(110, 110, 144, 124));
}

TEST_F(DisplayTreeTest, UpdateScreenPaintsBackToFrontWithinDirtyRectangles)
{
    CxDrawSurface screen(640, 480, 16);
    screen.FillRect(nullptr, 0);
    CFilled back(0x1111), front(0x2222);
    back.Create(0, 0, 100, 100);
    front.Create(0, 0, 100, 100);
    back.SetDepth(10);
    front.SetDepth(5);
    back.MoveTo(0, 0);
    front.MoveTo(50, 50);
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_EQ(screen.GetPixel(10, 10), 0x1111u);
    EXPECT_EQ(screen.GetPixel(60, 60), 0x2222u);
    EXPECT_EQ(screen.GetPixel(149, 149), 0x2222u);
    EXPECT_EQ(screen.GetPixel(200, 200), 0u);
    EXPECT_TRUE(Dirty().empty());
    EXPECT_TRUE(CxDisplayObject::IsScreenPainted());

    // Only the dirty part is repainted, clipped to each child.
    back.m_nPaints = front.m_nPaints = 0;
    CxDisplayObject::AddDirtyRect(CxRect(0, 0, 20, 20));
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_EQ(back.m_nPaints, 1);
    EXPECT_EQ(back.m_LastRect, CxRect(0, 0, 20, 20));
    EXPECT_EQ(front.m_nPaints, 0);
}

TEST_F(DisplayTreeTest, HitTestReturnsTheFrontMostMatchAndCoordinatesConvert)
{
    CxDisplayObject a, b;
    a.Create(0, 0, 50, 50, nullptr, 1);
    b.Create(20, 20, 50, 50, nullptr, 2);
    a.MoveTo(0, 0);
    b.MoveTo(20, 20);
    CxDisplayObject* root = CxDisplayObject::GetRoot();
    EXPECT_EQ(root->HitTest(CxPoint(30, 30)), &b);
    EXPECT_EQ(root->HitTest(CxPoint(5, 5)), &a);
    EXPECT_EQ(root->HitTest(CxPoint(600, 400)), root);
    EXPECT_EQ(root->HitTest(CxPoint(-1, 0)), nullptr);
    // The mask must be wholly contained.
    a.SetHitMask(0x3);
    b.SetHitMask(0x1);
    root->SetHitMask(0);
    EXPECT_EQ(root->HitTest(CxPoint(30, 30), 0x3), &a);
    b.Hide();
    EXPECT_EQ(root->HitTest(CxPoint(30, 30), 0x1), &a);
    CxDisplayObject outer, inner;
    outer.Create(100, 50, 200, 200);
    inner.Create(10, 20, 30, 30, &outer);
    EXPECT_EQ(inner.LocalToScreen(CxPoint(1, 2)), CxPoint(111, 72));
    EXPECT_EQ(inner.ScreenToLocal(CxPoint(111, 72)), CxPoint(1, 2));
    EXPECT_EQ(inner.RectToScreen(CxRect(0, 0, 9, 9)), CxRect(110, 70, 119, 79));
    EXPECT_EQ(inner.RectFromScreen(CxRect(110, 70, 119, 79)), CxRect(0, 0, 9, 9));
    outer.SetPosition(-20, 0);
    CxRect visible;
    inner.GetVisibleRect(visible);
    EXPECT_EQ(visible, CxRect(10, 0, 29, 29));
}

TEST_F(DisplayTreeTest, FocusMovesWithKillAndSetCallsAndClearLeavesNobody)
{
    CInputRecorder a, b;
    a.Create(0, 0, 10, 10);
    b.Create(0, 0, 10, 10);
    a.SetFocus();
    b.SetFocus();
    EXPECT_EQ(a.m_nKillFocus, 1);
    EXPECT_EQ(b.m_nSetFocus, 1);
    EXPECT_EQ(CxDisplayObject::GetFocus(), &b);
    CxDisplayObject::DispatchKey(true, 'x', 0);
    EXPECT_EQ(b.m_Keys, std::vector<uint32_t>{'x'});
    CxDisplayObject::ClearFocus();
    CxDisplayObject::ClearFocus(); // nobody holds it: nothing happens
    EXPECT_EQ(b.m_nKillFocus, 1);
    EXPECT_FALSE(b.HasFocus());
    CxDisplayObject::DispatchKey(true, 'y', 0);
    EXPECT_EQ(b.m_Keys.size(), 1u);
}

TEST_F(DisplayTreeTest, CaptureStackRestoresHoldersDropsDestroyedOnesAndIgnoresPushesBeyondCapacity)
{
    CxDisplayObject a, b, c;
    a.CaptureMouse();
    b.CaptureMouse();
    c.CaptureMouse();
    EXPECT_EQ(CxDisplayObject::GetCapture(), &c);
    EXPECT_EQ(CxDisplayObject::GetCaptureDepth(), 2);
    // Only the holder can release.
    b.ReleaseMouse();
    EXPECT_EQ(CxDisplayObject::GetCapture(), &c);
    c.ReleaseMouse();
    EXPECT_EQ(CxDisplayObject::GetCapture(), &b);
    b.ReleaseMouse();
    EXPECT_EQ(CxDisplayObject::GetCapture(), &a);
    a.ReleaseMouse();
    EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
    CxDisplayObject kept;
    {
        CxDisplayObject gone;
        kept.CaptureMouse();
        gone.CaptureMouse();
        kept.CaptureMouse();
    }
    EXPECT_EQ(CxDisplayObject::GetCapture(), &kept);
    kept.ReleaseMouse();
    EXPECT_EQ(CxDisplayObject::GetCapture(), &kept);
    kept.ReleaseMouse();
    EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
    std::vector<CxDisplayObject> many(40);
    for (auto& o : many)
        o.CaptureMouse();
    EXPECT_EQ(CxDisplayObject::GetCaptureDepth(), 16);
    for (auto it = many.rbegin(); it != many.rend(); ++it)
        it->ReleaseMouse();
}

TEST_F(DisplayTreeTest, MouseInputGoesToCaptureOrHitObjectAndBubbles)
{
    CInputRecorder parent;
    parent.Create(100, 100, 200, 200);
    parent.MoveTo(100, 100);
    CxDisplayObject child;
    child.Create(10, 10, 20, 20, &parent);
    child.MoveTo(10, 10);
    CxDisplayObject::DispatchMouse(CX_MOUSE_LDOWN, 1, CxPoint(115, 115));
    // The child does not handle it: the parent gets it in its own coordinates.
    ASSERT_EQ(parent.m_Events.size(), 1u);
    EXPECT_EQ(parent.m_Events[0], CxPoint(15, 15));
    parent.CaptureMouse();
    CxDisplayObject::DispatchMouse(CX_MOUSE_LDOWN, 1, CxPoint(5, 5));
    EXPECT_EQ(parent.m_Events[1], CxPoint(-95, -95));
    parent.ReleaseMouse();
    child.NotifyParent(42, 0, 0, 0);
    EXPECT_EQ(parent.m_nNotified, 42);
}

namespace {
// An object that changes its look while it is painted, as a text that
// matches its colour to the screen does.
class CRedrawWhilePainting : public CxDisplayObject
{
public:
    void Paint(CxDrawSurface* surface, const CxRect& rect) override
    {
        ++m_nPaints;
        if (m_nPaints == 1)
            Redraw();
        CxDisplayObject::Paint(surface, rect);
    }
    int m_nPaints = 0;
};
} // namespace

TEST_F(DisplayTreeTest, ChangesMadeWhilePaintingGoToTheNextFrame)
{
    CRedrawWhilePainting object;
    object.Create(10, 10, 20, 20, CxDisplayObject::GetRoot());
    object.MoveTo(10, 10);
    // Another area keeps the list holding more than one rectangle.
    CxDisplayObject::AddDirtyRect(CxRect(200, 200, 209, 209));
    CxDrawSurface screen(640, 480, 16);
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_EQ(object.m_nPaints, 1);
    EXPECT_EQ(Dirty(), std::vector<CxRect>{CxRect(10, 10, 29, 29)});
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_EQ(object.m_nPaints, 2);
    EXPECT_TRUE(Dirty().empty());
}
