#include "engine/core/timer.h"

#include "engine/core/main_loop.h"
#include "engine/platform/clock.h"
#include "tests/support/scoped_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
class TimerTest : public testing::Test
{
protected:
    // One idle pass at the given tick.
    void PassAt(uint32_t tick)
    {
        m_Clock.Set(tick);
        RunMainLoopFunctions();
    }

    ScopedManualClock m_Clock{1000};
};

// Records the tick of every call.
class RecordingListener : public CxTimerListener
{
public:
    void OnTimer(CxTimer* timer) override
    {
        m_Ticks.push_back(GetTickCount());
        m_Timers.push_back(timer);
        if (m_bDeleteOnCall)
        {
            delete m_pToDelete;
            m_pToDelete = nullptr;
        }
    }

    std::vector<uint32_t> m_Ticks;
    std::vector<CxTimer*> m_Timers;
    bool m_bDeleteOnCall = false;
    CxTimerCallBack* m_pToDelete = nullptr;
};

// A timer whose pause protocol is reachable from the test.
class PausableTimer : public CxTimer
{
};
} // namespace

TEST_F(TimerTest, StoppedResetAndEndlessTimers)
{
    CxTimer timer;
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(timer.GetElapsed(), 0u);
    EXPECT_EQ(timer.GetRemaining(), 0u);
    EXPECT_FALSE(timer.HasExpired());
    // Duration 0 runs without end.
    timer.Start(0);
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_FALSE(timer.HasEnd());
    m_Clock.Advance(0x90000000u);
    EXPECT_FALSE(timer.HasExpired());
    EXPECT_EQ(timer.GetElapsed(), 0x90000000u);
    timer.Reset();
    EXPECT_FALSE(timer.IsRunning());
}

TEST_F(TimerTest, CountsDownToItsEnd)
{
    CxTimer timer;
    timer.Start(500);
    m_Clock.Advance(200);
    EXPECT_EQ(timer.GetElapsed(), 200u);
    EXPECT_EQ(timer.GetRemaining(), 300u);
    EXPECT_FALSE(timer.HasExpired());
    m_Clock.Advance(300);
    EXPECT_TRUE(timer.HasExpired());
    m_Clock.Advance(50);
    EXPECT_EQ(timer.GetRemaining(), 0u) << "an expired timer has nothing left, it must not wrap to 4 billion";
}

TEST_F(TimerTest, PauseMovesStartAndEndByThePausedTime)
{
    PausableTimer timer;
    timer.Start(1000);
    const uint32_t start = timer.GetStartTick();
    const uint32_t end = timer.GetEndTick();
    m_Clock.Advance(400);
    timer.AddPause();
    m_Clock.Advance(5000);
    EXPECT_EQ(timer.GetElapsed(), 400u) << "elapsed time stands still while paused";
    EXPECT_EQ(timer.GetRemaining(), 600u);
    timer.RemovePause();
    EXPECT_EQ(timer.GetStartTick(), start + 5000);
    EXPECT_EQ(timer.GetEndTick(), end + 5000);
    EXPECT_EQ(timer.GetElapsed(), 400u);
}

TEST_F(TimerTest, NestedPausesResumeOnlyAtTheLastAndAfterTheEndStayExpired)
{
    PausableTimer timer;
    timer.Start(1000);
    timer.AddPause();
    timer.AddPause();
    m_Clock.Advance(300);
    timer.RemovePause();
    m_Clock.Advance(300);
    EXPECT_EQ(timer.GetRemaining(), 1000u);
    timer.RemovePause();
    EXPECT_EQ(timer.GetRemaining(), 1000u);
    m_Clock.Advance(1000);
    EXPECT_TRUE(timer.HasExpired());
    PausableTimer late;
    late.Start(100);
    m_Clock.Advance(150);
    late.AddPause();
    m_Clock.Advance(1000);
    late.RemovePause();
    EXPECT_TRUE(late.HasExpired()) << "resuming must not push the end 49 days away";
}

TEST_F(TimerTest, CountsAcrossTheWrapOfTheTickCountEvenWithAnEndOnTickZero)
{
    m_Clock.Set(0xFFFFFF00u);
    CxTimer timer;
    timer.Start(0x200);
    m_Clock.Set(0x00000050u); // 0x150 ms later, after the wrap
    EXPECT_EQ(timer.GetElapsed(), 0x150u);
    EXPECT_EQ(timer.GetRemaining(), 0xB0u);
    EXPECT_FALSE(timer.HasExpired());
    m_Clock.Set(0x00000100u);
    EXPECT_TRUE(timer.HasExpired());
    m_Clock.Set(0xFFFFFC18u); // 1000 ms before the wrap
    CxTimer zero;
    zero.Start(1000);
    EXPECT_TRUE(zero.IsRunning());
    EXPECT_TRUE(zero.HasEnd());
    m_Clock.Set(0xFFFFFFF0u);
    EXPECT_FALSE(zero.HasExpired());
    m_Clock.Set(3);
    EXPECT_TRUE(zero.HasExpired());
}

TEST_F(TimerTest, TimerFiresEveryIntervalThenOnceAtItsEndOrUntilStopped)
{
    RecordingListener listener;
    CxTimerCallBack timer(&listener, 300);
    m_Clock.Set(0);
    timer.Start(1000);
    for (uint32_t t = 0; t <= 1500; t += 50)
        PassAt(t);
    EXPECT_EQ(listener.m_Ticks, (std::vector<uint32_t>{300, 600, 900, 1000}));
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(listener.m_Timers[0], &timer);
    RecordingListener endlessListener;
    CxTimerCallBack endless(&endlessListener, 100);
    m_Clock.Set(1000);
    endless.Start(0);
    for (uint32_t t = 1000; t <= 1500; t += 25)
        PassAt(t);
    EXPECT_EQ(endlessListener.m_Ticks, (std::vector<uint32_t>{1100, 1200, 1300, 1400, 1500}));
    endless.Reset();
    PassAt(2000);
    EXPECT_EQ(endlessListener.m_Ticks.size(), 5u);
}

TEST_F(TimerTest, RestartedTimerCountsFromTheNewStart)
{
    RecordingListener listener;
    CxTimerCallBack timer(&listener, 300);
    timer.Start(300);
    PassAt(1300);
    timer.Start(300); // started again from the call: the next comes at 1600
    PassAt(1500);
    timer.Start(0); // restarted while running: intervals from 1500
    PassAt(1700);
    PassAt(1799);
    PassAt(1800);
    timer.Reset();
    PassAt(3000);
    timer.Start(300); // after a reset: nothing before 3300
    PassAt(3299);
    PassAt(3300);
    EXPECT_EQ(listener.m_Ticks, (std::vector<uint32_t>{1300, 1800, 3300}));
}

TEST_F(TimerTest, IntervalZeroFiresOnEveryPassPausedAndListenerlessTimersNever)
{
    RecordingListener listener;
    CxTimerCallBack timer(&listener, 0);
    CxTimerCallBack paused(&listener, 10);
    CxTimerCallBack silent(nullptr, 10);
    for (CxTimerCallBack* t : {&timer, &paused, &silent})
        t->Start(0);
    paused.AddPause();
    PassAt(1000);
    PassAt(1000);
    PassAt(5000);
    EXPECT_EQ(listener.m_Timers, (std::vector<CxTimer*>{&timer, &timer, &timer}));
}

TEST_F(TimerTest, ResumedTimerWaitsOneFullInterval)
{
    RecordingListener listener;
    CxTimerCallBack timer(&listener, 300);
    m_Clock.Set(0);
    timer.Start(0);
    PassAt(300);
    PassAt(450);
    timer.AddPause();
    PassAt(5450);
    timer.RemovePause();
    PassAt(5500);
    PassAt(5749);
    PassAt(5750);
    EXPECT_EQ(listener.m_Ticks, (std::vector<uint32_t>{300, 5750}));
}

TEST_F(TimerTest, CallbacksKeepTheirRhythmAcrossTheWrap)
{
    RecordingListener listener;
    CxTimerCallBack timer(&listener, 100);
    m_Clock.Set(0xFFFFFF38u); // 200 ms before the wrap
    timer.Start(400);
    for (uint32_t step = 0; step <= 500; step += 50)
        PassAt(0xFFFFFF38u + step);
    // 100 ms intervals: one fire lands exactly on tick 0, which must not read as "never called".
    EXPECT_EQ(listener.m_Ticks, (std::vector<uint32_t>{0xFFFFFF9Cu, 0u, 100u, 200u}));
    EXPECT_FALSE(timer.IsRunning());
}

TEST_F(TimerTest, ManagerLivesExactlyAsLongAsCallbackTimers)
{
    EXPECT_EQ(GetTimerManager(), nullptr);
    {
        CxTimerCallBack a;
        ASSERT_NE(GetTimerManager(), nullptr);
        EXPECT_TRUE(HasMainLoopFunction(DispatchMainLoopHooks));
        {
            CxTimerCallBack b;
            EXPECT_EQ(GetTimerManager()->GetCount(), 2);
        }
        EXPECT_EQ(GetTimerManager()->GetCount(), 1);
    }
    EXPECT_EQ(GetTimerManager(), nullptr);
    EXPECT_FALSE(HasMainLoopFunction(DispatchMainLoopHooks));
}

TEST_F(TimerTest, ListenerMayDeleteItsOwnTimerOrALaterOneOfTheSamePass)
{
    RecordingListener listener;
    auto* timer = new CxTimerCallBack(&listener, 10);
    timer->Start(0);
    listener.m_bDeleteOnCall = true;
    listener.m_pToDelete = timer;
    PassAt(2000);
    EXPECT_EQ(listener.m_Ticks.size(), 1u);
    EXPECT_EQ(GetTimerManager(), nullptr);
    PassAt(3000);
    RecordingListener first;
    RecordingListener second;
    CxTimerCallBack a(&first, 10);
    auto* b = new CxTimerCallBack(&second, 10);
    a.Start(0);
    b->Start(0);
    first.m_bDeleteOnCall = true;
    first.m_pToDelete = b;
    PassAt(2000);
    EXPECT_EQ(first.m_Ticks.size(), 1u);
    EXPECT_TRUE(second.m_Ticks.empty());
}

namespace {
class CountingHook : public CxMainLoopHook
{
public:
    explicit CountingHook(std::vector<int>* log, int tag) : m_pLog(log), m_nTag(tag) {}
    void OnMainLoop() override
    {
        m_pLog->push_back(m_nTag);
        if (m_pVictim)
        {
            CxMainLoopHook* victim = m_pVictim;
            m_pVictim = nullptr;
            delete victim;
        }
    }
    std::vector<int>* m_pLog;
    int m_nTag;
    CxMainLoopHook* m_pVictim = nullptr;
};
} // namespace

TEST(MainLoopHookTest, HooksRunInOrderAndMayDeleteOthers)
{
    std::vector<int> log;
    CountingHook a(&log, 1);
    auto* b = new CountingHook(&log, 2);
    CountingHook c(&log, 3);
    RunMainLoopFunctions();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
    log.clear();
    a.m_pVictim = b;
    RunMainLoopFunctions();
    EXPECT_EQ(log, (std::vector<int>{1, 3}));
}
