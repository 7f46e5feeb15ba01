#include "tools/bot/strategy_fishing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
struct CastCase
{
    CxPoint tip;
    float junk[2];
    float velocity[2];
};

// The line's flight as the mission runs it (a step every line tick until
// the lure is within a step and two of the target) and the junk's drift
// every fishing tick: where the lure is when it enters the water, and
// where the junk is at the first fishing tick after that.
void Fly(const CastCase& c, const FishCast& cast, double lure[2], double junk[2])
{
    lure[0] = c.tip.x, lure[1] = c.tip.y;
    const double dx = cast.target.x - c.tip.x, dy = cast.target.y - c.tip.y, length = std::hypot(dx, dy);
    uint32_t t = 0;
    while (std::hypot(cast.target.x - lure[0], cast.target.y - lure[1]) >= FISH_DEFAULT_CAST + 2.0)
    {
        lure[0] += dx / length * FISH_DEFAULT_CAST, lure[1] += dy / length * FISH_DEFAULT_CAST;
        t += FISH_LINE_TICK;
    }
    t += FISH_LINE_TICK;
    const uint32_t ticks = (t + FISH_TICK - 1) / FISH_TICK;
    junk[0] = c.junk[0] + c.velocity[0] * ticks, junk[1] = c.junk[1] + c.velocity[1] * ticks;
}

// Still and drifting junk near and far, across the river's directions: the
// lure lands on the junk or past it along the line (so that the reel
// sweeps back over it), never short of it and never far past.
TEST(FishingStrategy, TheCastLandsOnOrJustPastTheDriftingJunk)
{
    const std::vector<CastCase> cases = {
        {{5530, 2942}, {5830, 2942}, {0, 0}},        {{5530, 2942}, {5771, 2928}, {-0.8f, 0.8f}},
        {{5530, 2942}, {5900, 3200}, {-3.5f, 3.5f}}, {{5530, 2942}, {5600, 3300}, {-2.0f, 2.0f}},
        {{100, 100}, {100, 700}, {0, -4}},           {{5530, 2942}, {5400, 3250}, {-5.0f, 5.0f}},
    };
    for (const CastCase& c : cases)
    {
        FishLead lead;
        lead.tip = c.tip;
        lead.junk[0] = c.junk[0], lead.junk[1] = c.junk[1];
        lead.velocity[0] = c.velocity[0], lead.velocity[1] = c.velocity[1];
        lead.overshoot = 40;
        const FishCast cast = FishPlanCast(lead);
        ASSERT_TRUE(cast.valid) << c.junk[0] << "," << c.junk[1];
        double lure[2], junk[2];
        Fly(c, cast, lure, junk);
        // Along the line from the tip: how far past the junk the lure is.
        const double dx = lure[0] - c.tip.x, dy = lure[1] - c.tip.y, length = std::hypot(dx, dy);
        const double past = length - ((junk[0] - c.tip.x) * dx + (junk[1] - c.tip.y) * dy) / length;
        const double aside = std::abs((junk[0] - c.tip.x) * dy - (junk[1] - c.tip.y) * dx) / length;
        EXPECT_GE(past, -6.0) << c.junk[0] << "," << c.junk[1];
        EXPECT_LE(past, 40.0 + 6.0) << c.junk[0] << "," << c.junk[1];
        EXPECT_LE(aside, 6.0) << c.junk[0] << "," << c.junk[1];
    }
}

// Junk too near the rod for a cast, or on the rod itself, gives no cast.
TEST(FishingStrategy, NoCastAtJunkWithinTheShortestCast)
{
    for (const float x : {100.0f, 110.0f, 150.0f, 200.0f})
    {
        FishLead lead;
        lead.tip = CxPoint(100, 100);
        lead.junk[0] = x, lead.junk[1] = 100;
        lead.overshoot = 40;
        lead.margin = 20;
        EXPECT_FALSE(FishPlanCast(lead).valid) << x;
    }
}
} // namespace
