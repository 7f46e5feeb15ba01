#include "game/missions/sprite_touch.h"

#include "engine/graphics/display_object.h"

#include <gtest/gtest.h>

namespace {
struct Owner : ITouchable
{
    bool IsTouchStopped() const override { return stopped; }
    bool stopped = false;
};

struct TouchCase
{
    const char* what;
    CxPoint b;     // where the second 10 x 10 sprite lies (the first at 100, 100)
    bool bShown;   // the second one is shown
    bool bStopped; // its owner took it out of play
    bool touch;
};

TEST(SpritesTouch, ShownRectanglesInMapCoordinatesUnlessHiddenOrStopped)
{
    static const TouchCase CASES[] = {
        {"overlap", {105, 105}, true, false, true},       {"edge contact", {109, 100}, true, false, true},
        {"apart by one", {110, 100}, true, false, false}, {"hidden", {105, 105}, false, false, false},
        {"stopped", {105, 105}, true, true, false},
    };
    CxDisplayObject::DestroyRoot();
    CxDisplayObject::SetRootSize(640, 480);
    CxDisplayObject map;
    map.Create(CxRect(-50, -70, 1949, 1929)); // a scrolled map
    for (const TouchCase& c : CASES)
    {
        Owner owner;
        CxSprite a;
        COwnedSprite b(&owner);
        ASSERT_EQ(a.CreateImage(10, 10, 16), 0u);
        ASSERT_EQ(b.CreateImage(10, 10, 16), 0u);
        a.AttachTo(&map);
        b.AttachTo(&map);
        a.MoveTo(CxPoint(100, 100));
        b.MoveTo(c.b);
        if (!c.bShown)
            b.Hide();
        owner.stopped = c.bStopped;
        EXPECT_EQ(SpritesTouch(a, b), c.touch) << c.what;
        EXPECT_EQ(SpritesTouch(b, a), c.touch) << c.what;
        EXPECT_FALSE(SpritesTouch(a, a));
    }
    CxDisplayObject::DestroyRoot();
}
} // namespace
