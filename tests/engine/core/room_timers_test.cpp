#include "engine/core/room_timers.h"

#include "engine/core/main_loop.h"
#include "engine/platform/clock.h"
#include "tests/support/scoped_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// A stand-in room: the listener of its timers, as a room is.
class FakeRoom : public CxTimerListener, public CxError
{
public:
    FakeRoom() : m_Timers(this, this) {}

    void OnTimer(CxTimer* timer) override
    {
        const long id = m_Timers.GetTimerID(timer);
        m_Calls.push_back(id);
        if (id == m_nKillOnCall)
            m_Timers.KillTimer(id);
    }

    CxRoomTimers m_Timers;
    std::vector<long> m_Calls;
    long m_nKillOnCall = -1;
};

class RoomTimersTest : public testing::Test
{
protected:
    void PassAt(uint32_t tick)
    {
        m_Clock.Set(tick);
        RunMainLoopFunctions();
    }

    ScopedManualClock m_Clock{0};
};
} // namespace

TEST_F(RoomTimersTest, TimersCallTheRoomWithTheirIds)
{
    FakeRoom room;
    ASSERT_EQ(room.m_Timers.SetTimer(7, 100, 42), 0u);
    ASSERT_EQ(room.m_Timers.SetTimer(9, 250, 0), 0u);
    for (uint32_t t = 0; t <= 500; t += 50)
        PassAt(t);
    EXPECT_EQ(room.m_Calls, (std::vector<long>{7, 7, 9, 7, 7, 7, 9}));
    EXPECT_EQ(room.m_Timers.FindTimer(7)->GetUserValue(), 42);
    // Setting an id again replaces the timer; the old one waits in the cleaner.
    room.m_Timers.SetTimer(7, 300, 5);
    EXPECT_EQ(room.m_Timers.GetTimers().GetCount(), 2);
    EXPECT_EQ(room.m_Timers.FindTimer(7)->GetInterval(), 300u);
    EXPECT_EQ(room.m_Timers.GetCleaner().GetCount(), 1);
}

TEST_F(RoomTimersTest, KilledTimerStopsAtOnceAndIsDeletedByTheCleaner)
{
    FakeRoom room;
    room.m_Timers.SetTimer(3, 100, 0);
    room.m_nKillOnCall = 3;
    PassAt(100);
    PassAt(200);
    PassAt(300);
    EXPECT_EQ(room.m_Calls, (std::vector<long>{3}));
    EXPECT_EQ(room.m_Timers.FindTimer(3), nullptr);
    EXPECT_EQ(room.m_Timers.GetCleaner().GetCount(), 1);
    room.m_Timers.EmptyCleaner();
    EXPECT_EQ(GetTimerManager(), nullptr) << "the deleted timer was the last one";
    FakeRoom paused;
    paused.m_Timers.SetTimer(4, 100, 0);
    paused.m_Timers.PauseTimer(4);
    paused.m_Timers.PauseTimer(99); // no such timer: nothing happens
    PassAt(1000);
    EXPECT_TRUE(paused.m_Calls.empty());
    paused.m_Timers.ResumeTimer(4);
    PassAt(1050);
    PassAt(1100);
    EXPECT_EQ(paused.m_Calls, (std::vector<long>{4}));
}

TEST_F(RoomTimersTest, LeavingKillsEverythingAndEmptiesTheCleaner)
{
    FakeRoom room;
    room.m_Timers.SetTimer(1, 10, 0);
    room.m_Timers.SetTimer(2, 10, 0);
    room.m_Timers.Leave();
    EXPECT_TRUE(room.m_Timers.GetTimers().IsEmpty());
    EXPECT_TRUE(room.m_Timers.GetCleaner().IsEmpty());
    EXPECT_EQ(GetTimerManager(), nullptr);
    PassAt(1000);
    EXPECT_TRUE(room.m_Calls.empty());
}
