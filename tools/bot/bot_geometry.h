// Geometry the bot's strategies share: the town's map and the 640 x 480
// screen. The map point at the screen's top-left is the view origin (the
// town's scroll); the truck steers toward the map point under the pointer,
// so steering toward a map point means putting the pointer on the screen
// in that point's direction from the truck.
#pragma once

#include "engine/base/geometry.h"

#include <cstdint>
#include <vector>

constexpr int32_t BOT_SCREEN_WIDTH = 640;
constexpr int32_t BOT_SCREEN_HEIGHT = 480;

inline CxPoint BotMapToScreen(const CxPoint& map, const CxPoint& origin)
{
    return CxPoint(map.x - origin.x, map.y - origin.y);
}

inline CxPoint BotScreenToMap(const CxPoint& screen, const CxPoint& origin)
{
    return CxPoint(screen.x + origin.x, screen.y + origin.y);
}

// A point kept on the screen (0-639 x 0-479).
CxPoint BotClampToScreen(const CxPoint& point);

// The pointer that steers a truck at screen point from toward screen point
// to: to itself when it is on the screen, else the farthest point of the
// ray from from toward to that still is, so the direction is kept (from is
// brought onto the screen first).
CxPoint BotSteerPoint(const CxPoint& from, const CxPoint& to);

// The squared distance of two points, in 64 bits (map points may be far apart).
int64_t BotDistance2(const CxPoint& a, const CxPoint& b);

// The squared distance of point p from the segment a-b.
double BotSegmentDistance2(const CxPoint& p, const CxPoint& a, const CxPoint& b);

// A zone that pulls the truck into its building: its centre and the
// building's middle (on one side of the road the zone lies on).
struct CBotZone
{
    CxPoint centre;
    CxPoint building;
};

// The way through the points (the first where the truck is, the last where
// it goes) kept out of the zones: the points inside one (but the first and
// the last) are left out, and a leg that passes nearer than radius to a
// zone's centre goes round it on the side away from its building, through
// two points beside it, radius + BOT_DETOUR_MARGIN from the centre each way.
constexpr int32_t BOT_DETOUR_MARGIN = 60;
std::vector<CxPoint> BotAvoidZones(const std::vector<CxPoint>& points, const std::vector<CBotZone>& zones,
                                   double radius);
