#include "engine/core/file.h"
#include "engine/graphics/sprite.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {
class SpriteTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        CxDisplayObject::ClearDirtyRects();
    }
    void TearDown() override { CxDisplayObject::DestroyRoot(); }
};

// An image of count frames of width w: every pixel of frame f holds 100 + f,
// except the top-left pixel of each frame, which is the key 0.
CxDrawSurface* MakeStrip(int32_t count, int32_t w, int32_t h)
{
    auto* s = new CxDrawSurface(count * w, h, 16);
    for (int32_t f = 0; f < count; ++f)
    {
        const CxRect r(f * w, 0, f * w + w - 1, h - 1);
        s->FillRect(&r, static_cast<uint32_t>(100 + f));
        s->SetPixel(f * w, 0, 0);
    }
    s->SetTransparentColor(0);
    return s;
}
} // namespace

TEST_F(SpriteTest, SetImageCutsFramesWhoseCountMustDivideTheWidth)
{
    CxSprite sprite;
    sprite.SetImage(MakeStrip(4, 25, 10), 4);
    EXPECT_EQ(sprite.GetSize(), CxSize(25, 10));
    sprite.SetFrame(-1);
    EXPECT_EQ(sprite.GetFrame(), 3);
    EXPECT_EQ(sprite.GetSourceRect(), CxRect(75, 0, 99, 9));
    sprite.NextFrame();
    EXPECT_EQ(sprite.GetFrame(), 0);
    sprite.SetFrame(-9);
    EXPECT_EQ(sprite.GetFrame(), 3);
    sprite.SetFrame(0);
    sprite.SetFrameCount(3); // 100 is no multiple of 3
    sprite.SetFrameCount(0);
    EXPECT_EQ(sprite.GetFrameCount(), 4);
    EXPECT_EQ(sprite.GetSourceRect(), CxRect(0, 0, 24, 9));
    sprite.SetFrameCount(2);
    EXPECT_EQ(sprite.GetSourceRect(), CxRect(0, 0, 49, 9));
}

TEST_F(SpriteTest, UnloadEmptiesAndHidesButABorrowedImageSurvives)
{
    CxDrawSurface* image = MakeStrip(1, 4, 4);
    {
        CxSprite sprite;
        sprite.SetImage(image, 1, true);
        sprite.Create(0, 0, 4, 4);
        sprite.MoveTo(10, 10);
        sprite.Unload();
        EXPECT_FALSE(sprite.IsShown());
        EXPECT_EQ(sprite.GetSize(), CxSize(0, 0));
        EXPECT_EQ(sprite.GetImage(), nullptr);
        sprite.SetImage(image, 1, true);
    }
    EXPECT_EQ(image->GetPixel(1, 1), 100u);
    delete image;
}

TEST_F(SpriteTest, PaintDrawsTheCurrentFrameKeyedAtItsScreenPlaceWithItsEffect)
{
    CxDrawSurface screen(640, 480, 16);
    screen.FillRect(nullptr, 7);
    CxSprite sprite;
    sprite.SetImage(MakeStrip(3, 10, 10), 3);
    sprite.Create(0, 0, sprite.GetWidth(), sprite.GetHeight());
    sprite.SetFrame(2);
    sprite.MoveTo(30, 40);
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_EQ(screen.GetPixel(30, 40), 7u); // key pixel
    EXPECT_EQ(screen.GetPixel(31, 40), 102u);
    EXPECT_EQ(screen.GetPixel(39, 49), 102u);
    EXPECT_EQ(screen.GetPixel(40, 49), 7u);
    // A frame change repaints.
    sprite.SetFrame(1);
    ASSERT_EQ(CxDisplayObject::GetDirtyRects().GetCount(), 1);
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_EQ(screen.GetPixel(35, 45), 101u);
    // The sprite's effect goes to the paint.
    sprite.SetEffectType(CX_FX_HIDE);
    screen.FillRect(nullptr, 7);
    CxDisplayObject::AddDirtyRect(CxRect(0, 0, 639, 479));
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_EQ(screen.GetPixel(35, 45), 7u);
}

TEST_F(SpriteTest, PaintClipsToTheDirtyRectangleAndStretchesTheFrame)
{
    CxDrawSurface screen(640, 480, 16);
    CxSprite sprite;
    sprite.SetImage(MakeStrip(1, 20, 20), 1);
    sprite.Create(0, 0, sprite.GetWidth(), sprite.GetHeight());
    sprite.MoveTo(0, 0);
    CxDisplayObject::ClearDirtyRects();
    screen.FillRect(nullptr, 7);
    CxDisplayObject::AddDirtyRect(CxRect(5, 5, 9, 9));
    CxDisplayObject::UpdateScreen(&screen);
    EXPECT_EQ(screen.GetPixel(5, 5), 100u);
    EXPECT_EQ(screen.GetPixel(9, 9), 100u);
    EXPECT_EQ(screen.GetPixel(10, 10), 7u);
    EXPECT_EQ(screen.GetPixel(4, 4), 7u);
    CxDrawSurface wide(640, 480, 16);
    wide.FillRect(nullptr, 7);
    auto* quarters = new CxDrawSurface(2, 2, 16);
    quarters->SetPixel(0, 0, 1);
    quarters->SetPixel(1, 0, 2);
    quarters->SetPixel(0, 1, 3);
    quarters->SetPixel(1, 1, 4);
    CxSprite stretched;
    stretched.SetImage(quarters, 1);
    stretched.Create(0, 0, 20, 20);
    stretched.SetSize(20, 20);
    stretched.SetFlags(DO_STRETCHED, true);
    stretched.MoveTo(100, 100);
    CxDisplayObject::UpdateScreen(&wide);
    EXPECT_EQ(wide.GetPixel(100, 100), 1u);
    EXPECT_EQ(wide.GetPixel(119, 100), 2u);
    EXPECT_EQ(wide.GetPixel(100, 119), 3u);
    EXPECT_EQ(wide.GetPixel(119, 119), 4u);
    EXPECT_EQ(wide.GetPixel(120, 120), 7u);
    // Only the lower right quarter dirty: the right quarter of the frame is drawn there.
    wide.FillRect(nullptr, 7);
    CxDisplayObject::AddDirtyRect(CxRect(110, 110, 119, 119));
    CxDisplayObject::UpdateScreen(&wide);
    EXPECT_EQ(wide.GetPixel(110, 110), 4u);
    EXPECT_EQ(wide.GetPixel(119, 119), 4u);
    EXPECT_EQ(wide.GetPixel(109, 109), 7u);
}

TEST_F(SpriteTest, PixelExactHitTestSkipsKeyPixelsAndDrawToStampsTheFrame)
{
    CxSprite sprite;
    sprite.SetImage(MakeStrip(1, 10, 10), 1);
    sprite.Create(0, 0, sprite.GetWidth(), sprite.GetHeight());
    sprite.MoveTo(50, 50);
    CxDisplayObject* root = CxDisplayObject::GetRoot();
    EXPECT_EQ(root->HitTest(CxPoint(50, 50)), &sprite);
    sprite.SetPixelHitTest(true);
    EXPECT_EQ(root->HitTest(CxPoint(50, 50)), root);
    EXPECT_EQ(root->HitTest(CxPoint(51, 50)), &sprite);
    EXPECT_FALSE(sprite.IsOpaqueAt(CxPoint(0, 0)));
    EXPECT_TRUE(sprite.IsOpaqueAt(CxPoint(-1, 0), 1));
    CxDrawSurface target(30, 30, 16);
    target.FillRect(nullptr, 7);
    CxSprite stamp;
    stamp.SetImage(MakeStrip(2, 10, 10), 2);
    stamp.SetFrame(1);
    stamp.DrawTo(&target, CxPoint(5, 5));
    EXPECT_EQ(target.GetPixel(5, 5), 7u); // the stamp's key
    EXPECT_EQ(target.GetPixel(6, 5), 101u);
    EXPECT_EQ(target.GetPixel(15, 15), 7u);
    const CxRect part(5, 5, 6, 6);
    target.FillRect(nullptr, 7);
    stamp.DrawTo(&target, CxPoint(0, 0), &part);
    EXPECT_EQ(target.GetPixel(1, 1), 101u);
    EXPECT_EQ(target.GetPixel(2, 2), 7u);
}

TEST_F(SpriteTest, FailedLoadLeavesTheSpriteEmpty)
{
    // A missing file is a plain failure here, not a prompt for the disc.
    const bool blueScreen = GetBlueScreenError();
    SetBlueScreenError(false);
    ErrorCapture errors;
    CxSprite sprite;
    EXPECT_NE(sprite.Load("/nonexistent/none.bmp", 1), CX_ERR_NONE);
    EXPECT_EQ(sprite.GetImage(), nullptr);
    EXPECT_EQ(sprite.GetFrameCount(), 0);
    SetBlueScreenError(blueScreen);
}
