#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_pointer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace {
// The steering pointer: a target on the screen is itself; one beyond keeps
// its direction from the truck and lands on the screen's edge; a truck off
// the screen steers from the nearest point on it.
TEST(BotGeometry, SteerPointKeepsTheDirectionOnTheScreen)
{
    const std::vector<std::tuple<CxPoint, CxPoint, CxPoint>> cases = {
        {{320, 240}, {100, 50}, {100, 50}},    {{320, 240}, {639, 479}, {639, 479}},
        {{320, 240}, {1320, 240}, {639, 240}}, {{320, 240}, {320, -760}, {320, 0}},
        {{320, 240}, {-680, 1240}, {81, 479}}, {{320, 240}, {1920, 1040}, {639, 400}},
        {{-50, 240}, {-1000, 240}, {0, 240}},  {{700, 500}, {2000, 2000}, {639, 479}},
        {{100, 100}, {100, 100}, {100, 100}},
    };
    for (const auto& [from, to, expected] : cases)
    {
        const CxPoint point = BotSteerPoint(from, to);
        EXPECT_EQ(point.x, expected.x) << from.x << "," << from.y << " -> " << to.x << "," << to.y;
        EXPECT_EQ(point.y, expected.y) << from.x << "," << from.y << " -> " << to.x << "," << to.y;
    }
}

// A leg straight through a zone goes round it on the side away from its
// building, every leg clear of it; points inside a zone (but the ends) are
// left out; a way that passes no zone stays as it is.
TEST(BotGeometry, AvoidZonesGoesRoundOnTheFarSide)
{
    const double radius = 112;
    const std::vector<CBotZone> zones = {{{1000, 500}, {1000, 300}}}; // building to the north
    const std::vector<CxPoint> way = BotAvoidZones({{600, 500}, {1000, 500}, {1400, 500}}, zones, radius);
    ASSERT_EQ(way.size(), 4u);
    EXPECT_EQ(way.front(), CxPoint(600, 500));
    EXPECT_EQ(way.back(), CxPoint(1400, 500));
    for (size_t i = 1; i + 1 < way.size(); ++i)
        EXPECT_GT(way[i].y, 500 + radius) << "the detour passes south of the road, away from the building";
    for (size_t i = 0; i + 1 < way.size(); ++i)
        EXPECT_GE(BotSegmentDistance2(zones[0].centre, way[i], way[i + 1]), radius * radius) << "leg " << i;

    const std::vector<CxPoint> clear = {{600, 900}, {1400, 900}};
    EXPECT_EQ(BotAvoidZones(clear, zones, radius), clear);
    // The end of the way may lie in a zone: the truck is meant to go there.
    EXPECT_EQ(BotAvoidZones({{1000, 900}, {1000, 520}}, zones, radius).back(), CxPoint(1000, 520));
}

// The pointer glides to the aim and clicks there: every event lies on the
// screen and at least BOT_EVENT_GAP_MS after the one before; it presses only
// where it has arrived and releases where it pressed, no more often than
// BOT_CLICK_EVERY_MS; without a click asked for it stays still.
TEST(BotPointer, GlidesThenClicksAtTheAim)
{
    CBotPointer pointer;
    const std::vector<CBotAim> aims = {{600, 20, true}, {-40, 900, false}, {200, 300, true}};
    uint32_t now = 0, last = 0;
    bool any = false;
    for (const CBotAim& aim : aims)
    {
        int32_t presses = 0, moves = 0;
        uint32_t lastPress = 0;
        for (const uint32_t end = now + 3000; now < end; now += 10)
        {
            const auto event = pointer.Next(now, aim);
            if (!event)
                continue;
            if (any)
            {
                EXPECT_GE(event->time - last, BOT_EVENT_GAP_MS);
            }
            any = true, last = event->time;
            EXPECT_TRUE(event->x >= 0 && event->x < 640 && event->y >= 0 && event->y < 480);
            if (event->kind == CxReplayKind::Move)
                ++moves;
            if (event->kind == CxReplayKind::Down)
            {
                EXPECT_TRUE(aim.click);
                EXPECT_EQ(CxPoint(event->x, event->y), BotClampToScreen(CxPoint(aim.x, aim.y)));
                if (presses++ > 0)
                {
                    EXPECT_GE(event->time - lastPress, BOT_CLICK_EVERY_MS);
                }
                lastPress = event->time;
            }
        }
        // A press still held is released next, where it was made.
        if (pointer.IsDown())
        {
            now += BOT_EVENT_GAP_MS;
            const auto up = pointer.Next(now, aim);
            ASSERT_TRUE(up && up->kind == CxReplayKind::Up);
            last = up->time;
        }
        EXPECT_EQ(CxPoint(pointer.GetX(), pointer.GetY()), BotClampToScreen(CxPoint(aim.x, aim.y)));
        // A glide of several moves, not a jump; clicks only when asked.
        EXPECT_GT(moves, 3);
        EXPECT_EQ(presses > 0, aim.click);
    }
}
} // namespace
