// The bumper-car strategy's planning, apart from the town so that it can
// be tested on its own: the roads as a graph whose nodes and links near a
// building's zone the truck must not use (the zone would pull it into the
// building), and where to wait for the enemy.
//
// The enemy drives at more than twice the truck's speed, so the truck
// cannot catch it from behind: it waits where the enemy will pass. The
// enemy's way is known to its next node; from there it takes a link at
// random, never the one it came by, so along a road without crossings its
// way is known further, and at a crossing each way has its chance.
#pragma once

#include "engine/base/geometry.h"

#include <cstdint>
#include <vector>

struct CBumperRoads
{
    std::vector<CxPoint> nodes;
    std::vector<std::vector<int32_t>> links; // by node, in the town's order
    std::vector<CxPoint> zones;
    double zoneRadius = 0.0;
};

// How far the truck is, along the roads and not near a zone (allowed: a
// node the truck may enter, -1 none), from every node (-1 unreachable);
// first: the node to head for first on the way to each.
struct CBumperReach
{
    std::vector<double> distance;
    std::vector<int32_t> first;
};
CBumperReach BumperReach(const CBumperRoads& roads, const CxPoint& truck, int32_t allowed);

// A stretch of road the enemy may drive: from a (node nodeA, -1 for where
// the enemy is now) to node nodeB, starting after along pixels of its way,
// with the chance that it drives it.
struct CBumperLeg
{
    CxPoint a, b;
    int32_t nodeA = -1, nodeB = -1;
    double along = 0.0;
    double chance = 1.0;
};
// The enemy's legs from where it is, heading for node next from node
// previous (-1 none), up to length pixels, each at least minChance likely.
std::vector<CBumperLeg> BumperLegs(const CBumperRoads& roads, const CxPoint& enemy, int32_t next,
                                   int32_t previous, double length, double minChance);

struct CBumperPace
{
    double truckSpeed = 0.0; // pixels a second
    double enemySpeed = 0.0; // pixels a second
    double delay = 0.0;      // seconds the truck needs to start and turn
    double reach = 0.0;      // how near the enemy's way the truck's centre must be
    double straight = 0.0;   // farther than this, the truck goes by the roads
};

// The point of a route that the truck reaches before the enemy does (and
// not near a zone): of the likeliest routes, the one the enemy passes
// soonest. False when there is none.
bool BumperIntercept(const CBumperRoads& roads, const CBumperReach& reach,
                     const std::vector<CBumperLeg>& legs, const CxPoint& truck, const CBumperPace& pace,
                     CxPoint* point);

// Where to steer for target: straight at it when it is near and nothing
// in between is a zone, else the first node of the way there (reach made
// with the target's node allowed when the target is in a zone).
CxPoint BumperNextStep(const CBumperRoads& roads, const CBumperReach& reach, const CxPoint& truck,
                       const CxPoint& target, const CBumperPace& pace);

// Whether the segment a-b passes within the zone radius of a zone (but a
// zone that b is in: the destination's).
bool BumperPassesZone(const CBumperRoads& roads, const CxPoint& a, const CxPoint& b);
// The distance of point p from the segment a-b.
double BumperSegmentDistance(const CxPoint& p, const CxPoint& a, const CxPoint& b);
