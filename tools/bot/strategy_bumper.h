// The bumper-car strategy's interception of the enemy, apart from the town
// so that it can be tested on its own.
//
// The enemy drives at more than twice the truck's speed, so the truck
// cannot catch it from behind: it waits where the enemy will pass. The
// enemy's way is known to its next node and, by chance, one node further
// (it picks a link of that node at random, never the one it came by).
#pragma once

#include "engine/base/geometry.h"

#include <vector>

// A way the enemy may go: the points from where it is, and the chance of it.
struct CBumperRoute
{
    std::vector<CxPoint> points;
    double chance = 1.0;
};

// How the truck and the enemy move, and where the truck must not go.
struct CBumperPace
{
    double truckSpeed = 0.0; // pixels a second
    double enemySpeed = 0.0; // pixels a second
    double delay = 0.0;      // seconds the truck needs to start and turn
    double reach = 0.0;      // how near the enemy's way the truck's centre must be
    std::vector<CxPoint> zones;
    double zoneRadius = 0.0; // no point within this of a zone, no way through one
};

// The point of a route where the truck gets (on a straight line, not
// through a zone) before the enemy does: of the likeliest routes, the one
// the enemy passes soonest. False when there is none.
bool BumperIntercept(const std::vector<CBumperRoute>& routes, const CxPoint& truck, const CBumperPace& pace,
                     CxPoint* point);

// The distance of point p from the segment a-b.
double BumperSegmentDistance(const CxPoint& p, const CxPoint& a, const CxPoint& b);
