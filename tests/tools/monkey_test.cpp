#include "tools/bot/monkey.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {
// The title's exit, the closing screen's exit and its link: inside, on the
// edge and just beside each; the play buttons and the dialogs' answers next
// to them keep a part that can be clicked.
TEST(Monkey, ForbiddenClicksCoverTheExitsAndTheLink)
{
    const std::vector<std::tuple<int32_t, int32_t, bool>> cases = {
        {100, 390, true},  {43, 346, true},   {163, 436, true},  {495, 398, true},
        {215, 394, true},  {42, 390, false},  {164, 338, false}, {580, 381, false},
        {352, 407, false}, {133, 334, false}, {335, 377, false}, {320, 240, false},
    };
    for (const auto& [x, y, forbidden] : cases)
        EXPECT_EQ(CMonkey::IsForbiddenClick(x, y), forbidden) << x << "," << y;
}

// Twenty game minutes in steps of 10 ms: targets change every 0.5 to 3 s,
// every event lies on the screen, no press lands in a forbidden place and
// every press is released; the same seed makes the same input.
TEST(Monkey, TargetsTimingAndPressesOverALongRun)
{
    CMonkey monkey(5), twin(5), other(6);
    uint32_t lastChange = 0, changes = 0, downs = 0, held = 0;
    uint32_t due = 0;
    bool differs = false;
    for (uint32_t now = 0; now < 20 * 60 * 1000; now += 10)
    {
        const auto event = monkey.Next(now);
        differs |= other.Next(now) != event;
        ASSERT_EQ(twin.Next(now), event);
        if (monkey.GetNextTargetTime() != due)
        {
            if (due)
            {
                // At the first pass at or after the time set.
                EXPECT_TRUE(now >= due && now < due + 10) << now << " for " << due;
                ++changes;
            }
            const uint32_t wait = monkey.GetNextTargetTime() - now;
            EXPECT_GE(wait, MONKEY_MIN_TARGET_MS);
            EXPECT_LE(wait, MONKEY_MAX_TARGET_MS);
            due = monkey.GetNextTargetTime(), lastChange = now;
        }
        if (!event)
            continue;
        ASSERT_TRUE(event->x >= 0 && event->x < REPLAY_WIDTH && event->y >= 0 && event->y < REPLAY_HEIGHT);
        if (event->kind == CxReplayKind::Down)
        {
            EXPECT_FALSE(CMonkey::IsForbiddenClick(event->x, event->y)) << event->x << "," << event->y;
            ++downs, ++held;
        }
        else if (event->kind == CxReplayKind::Up)
            --held;
        EXPECT_LE(held, 1u);
    }
    EXPECT_GT(changes, 20u * 60 / 3);
    EXPECT_GT(downs, 100u);
    EXPECT_TRUE(differs);
    EXPECT_GT(lastChange, 0u);
}
} // namespace
