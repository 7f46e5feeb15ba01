#include "engine/core/main_loop.h"
#include "engine/graphics/animation.h"
#include "engine/graphics/sprite.h"
#include "engine/platform/clock.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
class CListener : public CxAnimationListener
{
public:
    void OnAnimationActionDone(CxAnimation* animation) override
    {
        m_Done.push_back(animation->GetCurAction());
    }
    void OnAnimationMove(CxAnimation*) override { ++m_nMoves; }
    std::vector<int32_t> m_Done;
    int m_nMoves = 0;
};

class AnimationTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        auto* image = new CxDrawSurface(100, 10, 16);
        m_Sprite.SetImage(image, 10);
        m_Sprite.Create(0, 0, 10, 10);
        m_Animation.SetDisplayObject(&m_Sprite);
        m_Animation.SetListener(&m_Listener);
    }
    void TearDown() override
    {
        m_Animation.Stop();
        m_Sprite.Detach();
        CxDisplayObject::DestroyRoot();
    }
    // Steps the clock in 10 ms ticks, running the tick each time.
    void Run(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 10)
        {
            m_Clock.Advance(10);
            RunMainLoopFunctions();
        }
    }

    ScopedManualClock m_Clock{1000};
    CxSprite m_Sprite;
    CxAnimation m_Animation;
    CListener m_Listener;
};

ST_ANIM_ACTION MoveAction(int32_t x, int32_t y, int32_t tx, int32_t ty, float speed)
{
    ST_ANIM_ACTION a;
    a.nFlags = ANIM_POSITION | ANIM_MOVE | ANIM_SPEED;
    a.nX = x;
    a.nY = y;
    a.nTargetX = tx;
    a.nTargetY = ty;
    a.fSpeed = speed;
    return a;
}

ST_ANIM_ACTION FrameAction(int32_t first, int32_t last, float rate, uint32_t extra)
{
    ST_ANIM_ACTION a;
    a.nFlags = ANIM_FRAME_RATE | ANIM_FIRST_FRAME | extra;
    a.nFirstFrame = first;
    a.nLastFrame = last;
    a.fFrameRate = rate;
    return a;
}
} // namespace

TEST_F(AnimationTest, MovesAtItsSpeedAndEndsAtTheTarget)
{
    ST_ANIM_ACTION move = MoveAction(0, 0, 100, 0, 200.0f); // 200 px/s
    move.nFlags |= ANIM_NOTIFY_MOVE;
    m_Animation.AddActions(&move, 1);
    m_Animation.Start(0);
    EXPECT_TRUE(m_Sprite.IsShown());
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(0, 0));
    EXPECT_TRUE(HasMainLoopFunction(CxAnimation::Tick));
    Run(100);
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(20, 0));
    EXPECT_EQ(m_Listener.m_nMoves, 10) << "the listener hears every step";
    Run(400);
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(100, 0));
    // At the target: the next tick ends the action, and with it the animation.
    EXPECT_TRUE(m_Animation.IsRunning());
    Run(10);
    EXPECT_FALSE(m_Animation.IsRunning());
    EXPECT_EQ(m_Listener.m_Done, std::vector<int32_t>{0});
    EXPECT_FALSE(HasMainLoopFunction(CxAnimation::Tick));
    // A target reached at the start ends at the next tick.
    const ST_ANIM_ACTION stay = MoveAction(30, 30, 30, 30, 10.0f);
    m_Animation.RemoveAllActions();
    m_Animation.AddActions(&stay, 1);
    m_Animation.Start(0);
    Run(10);
    EXPECT_FALSE(m_Animation.IsRunning());
}

TEST_F(AnimationTest, TickRunsAtMostEveryTenMilliseconds)
{
    const ST_ANIM_ACTION move = MoveAction(0, 0, 1000, 0, 1000.0f);
    m_Animation.AddActions(&move, 1);
    m_Animation.Start(0);
    m_Clock.Advance(5);
    CxAnimation::Tick();
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(0, 0));
    m_Clock.Advance(5);
    CxAnimation::Tick();
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(10, 0));
}

TEST_F(AnimationTest, FramesAscendWrapAndStopAtTheLastFrame)
{
    ST_ANIM_ACTION frames = FrameAction(2, 5, 10.0f, ANIM_LAST_FRAME); // every 100 ms
    m_Animation.AddActions(&frames, 1);
    m_Animation.Start(0);
    EXPECT_EQ(m_Sprite.GetFrame(), 2);
    Run(100);
    EXPECT_EQ(m_Sprite.GetFrame(), 3);
    Run(300);
    EXPECT_EQ(m_Sprite.GetFrame(), 5);

    // Without a last frame the frames wrap through the frame count.
    m_Animation.Stop();
    m_Animation.RemoveAllActions();
    frames = FrameAction(8, 0, 10.0f, 0);
    m_Animation.AddActions(&frames, 1);
    m_Animation.Start(0);
    Run(300);
    EXPECT_EQ(m_Sprite.GetFrame(), 1);
}

TEST_F(AnimationTest, DescendingRangeStopsAtItsEnd)
{
    const ST_ANIM_ACTION frames = FrameAction(7, 4, 10.0f, ANIM_POSITION);
    m_Animation.SetFlags(ANIMATION_IGNORE_POSITIONS, true);
    m_Animation.AddActions(&frames, 1);
    m_Animation.Start(0);
    EXPECT_EQ(m_Sprite.GetFrame(), 7);
    Run(200);
    EXPECT_EQ(m_Sprite.GetFrame(), 5);
    Run(500);
    EXPECT_EQ(m_Sprite.GetFrame(), 4);
}

TEST_F(AnimationTest, LateTicksCatchUpFrames)
{
    const ST_ANIM_ACTION frames = FrameAction(0, 9, 10.0f, ANIM_LAST_FRAME);
    m_Animation.AddActions(&frames, 1);
    m_Animation.Start(0);
    // One late tick 350 ms after the start: 100 ms were due, 250 ms overdue.
    m_Clock.Advance(350);
    CxAnimation::Tick();
    EXPECT_EQ(m_Sprite.GetFrame(), 3);
    // The next frame is due 50 ms later, not 100.
    m_Clock.Advance(40);
    CxAnimation::Tick();
    EXPECT_EQ(m_Sprite.GetFrame(), 3);
    m_Clock.Advance(10);
    CxAnimation::Tick();
    EXPECT_EQ(m_Sprite.GetFrame(), 4);
}

TEST_F(AnimationTest, AFreshStartRunsItsWholeDurationHoweverLongAgoTheLastActionEnded)
{
    ST_ANIM_ACTION wait;
    wait.nFlags = ANIM_DURATION | ANIM_STOP_AFTER;
    wait.nDuration = 100;
    m_Animation.AddActions(&wait, 1);
    m_Animation.Start(0);
    Run(1000);
    ASSERT_FALSE(m_Animation.IsRunning());
    m_Animation.Start(0);
    Run(90);
    EXPECT_TRUE(m_Animation.IsRunning());
    Run(20);
    EXPECT_FALSE(m_Animation.IsRunning());
}

TEST_F(AnimationTest, FramesFromTheStartOfTheRange)
{
    const ST_ANIM_ACTION frames = FrameAction(2, 9, 10.0f, ANIM_FRAME_FROM_START);
    m_Animation.AddActions(&frames, 1);
    m_Animation.Start(0);
    m_Clock.Advance(250);
    CxAnimation::Tick();
    EXPECT_EQ(m_Sprite.GetFrame(), 4); // 2 + (150 / 100 + 1)
}

TEST_F(AnimationTest, ActionsRunTheirCountTheListRepeatsAndStopAfterEndsIt)
{
    ST_ANIM_ACTION wait;
    wait.nFlags = ANIM_DURATION | ANIM_RUNS;
    wait.nDuration = 50;
    wait.nRuns = 2;
    ST_ANIM_ACTION place = wait;
    place.nFlags = ANIM_DURATION | ANIM_POSITION;
    place.nX = 5;
    m_Animation.AddActions(&wait, 1);
    m_Animation.AddActions(&place, 1);
    m_Animation.SetRepeat(2);
    m_Animation.Start(0);
    Run(1000);
    EXPECT_FALSE(m_Animation.IsRunning());
    EXPECT_EQ(m_Listener.m_Done, (std::vector<int32_t>{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(5, 0));
    // The stop-after flag ends the animation after its action.
    m_Animation.RemoveAllActions();
    m_Animation.SetRepeat(1);
    m_Listener.m_Done.clear();
    ST_ANIM_ACTION stop;
    stop.nFlags = ANIM_DURATION | ANIM_STOP_AFTER;
    stop.nDuration = 20;
    m_Animation.AddActions(&stop, 1);
    m_Animation.AddActions(&stop, 1);
    m_Animation.Start(0);
    Run(100);
    EXPECT_FALSE(m_Animation.IsRunning());
    EXPECT_EQ(m_Listener.m_Done.size(), 1u);
}

TEST_F(AnimationTest, PauseHoldsTheTimersAndRelativePositionsAdd)
{
    const ST_ANIM_ACTION move = MoveAction(0, 0, 100, 0, 100.0f);
    m_Animation.AddActions(&move, 1);
    m_Animation.Start(0);
    m_Animation.AddPause();
    Run(500);
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(0, 0));
    m_Animation.RemovePause();
    Run(100);
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(10, 0));
    // Relative positions add to the current point.
    m_Animation.Stop();
    m_Animation.RemoveAllActions();
    m_Sprite.MoveTo(10, 10);
    ST_ANIM_ACTION place;
    place.nFlags = ANIM_POSITION | ANIM_NOTIFY_MOVE;
    place.nX = 5;
    place.nY = -3;
    m_Animation.SetFlags(ANIMATION_RELATIVE, true);
    m_Animation.AddActions(&place, 1);
    m_Animation.Start(0);
    EXPECT_EQ(m_Sprite.GetPosition(), CxPoint(15, 7));
}

TEST_F(AnimationTest, WithoutADisplayObjectNothingStarts)
{
    ErrorCapture errors;
    CxAnimation lonely;
    const ST_ANIM_ACTION move = MoveAction(0, 0, 10, 0, 1.0f);
    lonely.AddActions(&move, 1);
    lonely.Start(0);
    EXPECT_FALSE(lonely.IsRunning());
    EXPECT_EQ(lonely.GetError(), CX_ERR_UNKNOWN);
    EXPECT_EQ(lonely.SetCurAction(0, true), CX_ERR_UNKNOWN);
}
