// The fishing strategy's cast: where to click so that the lure meets a
// floating piece of junk. The lure flies from the rod tip toward the
// click, castSpeed pixels every line tick, and stops short of it (by less
// than a step) once a step would pass it; from then on it is in the water
// and is reeled straight back to the tip, snagging what it touches at the
// fishing ticks. The junk drifts its velocity every fishing tick.
//
// So the click is led by the junk's drift over the lure's flight and put
// a little past the junk along the line: the lure lands on or beyond the
// piece and the reel sweeps back over it.
#pragma once

#include "engine/base/geometry.h"
#include "game/missions/fishing.h"

#include <cmath>
#include <cstdint>

struct FishLead
{
    CxPoint tip;                // the rod tip (map)
    float junk[2] = {0, 0};     // the junk's middle now (map)
    float velocity[2] = {0, 0}; // its drift every fishing tick
    float castSpeed = FISH_DEFAULT_CAST;
    double overshoot = 0; // how far past the junk the click goes
    double margin = 0;    // how far beyond the shortest cast it must be
};

struct FishCast
{
    CxPoint target;      // the click (map)
    uint32_t flight = 0; // ms from the click until the lure is in the water and checked
    bool valid = false;  // long enough to be a cast
};

inline FishCast FishPlanCast(const FishLead& lead)
{
    FishCast cast;
    double x = lead.junk[0], y = lead.junk[1];
    // A few rounds: the flight depends on the distance, the distance on
    // where the junk will be.
    for (int round = 0; round < 4; ++round)
    {
        const double dx = x - lead.tip.x, dy = y - lead.tip.y;
        const double distance = std::hypot(dx, dy);
        if (distance < 1.0)
            return FishCast();
        const double reach = distance + lead.overshoot;
        const double stop = lead.castSpeed + 2.0; // the lure stops this near the target
        const double moves = reach >= stop ? std::floor((reach - stop) / lead.castSpeed) + 1.0 : 0.0;
        // The step that finds it near, then on average half a fishing tick.
        const double flight = (moves + 1.0) * FISH_LINE_TICK + FISH_TICK / 2.0;
        cast.flight = static_cast<uint32_t>(flight);
        x = lead.junk[0] + lead.velocity[0] * flight / FISH_TICK;
        y = lead.junk[1] + lead.velocity[1] * flight / FISH_TICK;
        cast.target = CxPoint(static_cast<int32_t>(std::lround(x + dx / distance * lead.overshoot)),
                              static_cast<int32_t>(std::lround(y + dy / distance * lead.overshoot)));
    }
    const double length = std::hypot(static_cast<double>(cast.target.x - lead.tip.x),
                                     static_cast<double>(cast.target.y - lead.tip.y));
    cast.valid = length > FISH_MIN_CAST + lead.margin;
    return cast;
}
