// The strategy of the bumper cars: while the help arrow names an arena,
// drive to that building (its scene places the enemy and sets it roaming);
// while the enemy can be bumped, wait where it will pass (see
// strategy_bumper.h), or else head for its next node. Never into a zone:
// any building's scene would stop the chase, and a giver's would load its
// own mission over this one.
#include "tools/bot/strategy_bumper.h"

#include "game/missions/bumper_cars.h"
#include "game/missions/mission.h"
#include "game/screens/map_dialog.h"
#include "game/world/driving_node.h"
#include "game/world/moving_object.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {
// The town moves its trucks at every update, 20 a second.
constexpr double UPDATES_PER_SECOND = 20.0;
// The truck's start and turn toward the point.
constexpr double TRUCK_DELAY_SECONDS = 0.5;
// The trucks touch when their centres are this near across the road.
constexpr double TRUCK_REACH = 30.0;
// Kept from a zone beyond its pull radius, for the truck's braking.
constexpr double ZONE_MARGIN = 40.0;
// The truck waits this much farther from a zone: it may overshoot.
constexpr double WAIT_MARGIN = 40.0;
// Farther than this the truck goes along the roads.
constexpr int64_t STRAIGHT_DRIVE = 450;
// The points of a leg are tried this far apart.
constexpr double LEG_STEP = 16.0;
// The truck is on a road when it is this near its middle.
constexpr double ROAD_HALF_WIDTH = 70.0;
// How far ahead the enemy's way is followed, in seconds, and its least chance.
constexpr double HORIZON_SECONDS = 6.0;
constexpr double LEAST_CHANCE = 0.2;

CBumperCars* Bumper(CTown& town)
{
    return BotMissionKind<CBumperCars>(town);
}

std::vector<CxPoint> Zones(CTown& town)
{
    std::vector<CxPoint> zones;
    for (const auto& building : town.GetBuildings())
        if (building->CanPull())
            zones.push_back(building->GetCenter());
    return zones;
}

double Gap(const CxPoint& a, const CxPoint& b)
{
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

// Whether a-b passes a zone, leaving out the zone at except (if any).
bool PassesZoneExcept(const CBumperRoads& roads, const CxPoint& a, const CxPoint& b, const CxPoint* except)
{
    for (const CxPoint& zone : roads.zones)
        if ((!except || Gap(zone, *except) >= roads.zoneRadius) &&
            BumperSegmentDistance(zone, a, b) < roads.zoneRadius)
            return true;
    return false;
}

CBumperRoads Roads(CTown& town)
{
    CBumperRoads roads;
    const CDrivingGraph& graph = town.GetNodes();
    for (size_t i = 0; i < graph.GetCount(); ++i)
    {
        const CDrivingNode* node = graph.GetNode(i);
        roads.nodes.push_back(node ? node->GetPoint() : CxPoint());
        roads.links.emplace_back();
        if (node)
            for (const CDrivingNode* link : node->GetLinks())
                roads.links.back().push_back(link->GetId());
    }
    roads.zones = Zones(town);
    roads.zoneRadius = town.m_nZonePullRadius + ZONE_MARGIN;
    return roads;
}

CBotAim Stay(CTown& town)
{
    return BotSteerToward(town, town.GetTruck()->GetCentre());
}

class CBumperStrategy : public IBotStrategy
{
public:
    CBotAim Aim(CTown& town, uint32_t now) override
    {
        const CxPoint at = town.GetTruck()->GetCentre();
        const CBumperRoads roads = Roads(town);
        const CBumperPace pace = Pace(town);
        if (const CBuilding* arena =
                town.m_nHelpTarget >= 0 ? town.FindBuilding(town.m_nHelpTarget) : nullptr)
        {
            // By the map when it shows the arena: the roads between may all
            // pass zones.
            const int32_t id = town.m_nHelpTarget;
            if (id < MAP_BUILDING_COUNT && town.GetMapButton())
                return BotClick(*town.GetMapButton(), Stay(town));
            // Within its pull radius the town pulls the truck in.
            int32_t allowed = -1;
            for (size_t i = 0; i < roads.nodes.size(); ++i)
                if (Gap(roads.nodes[i], arena->GetCenter()) < roads.zoneRadius)
                    allowed = static_cast<int32_t>(i);
            const CBumperReach reach = BumperReach(roads, at, allowed);
            return BotSteerToward(town, BumperNextStep(roads, reach, at, arena->GetCenter(), pace));
        }
        CEnemy* enemy = town.GetEnemy();
        CBumperCars* bumper = Bumper(town);
        if (!bumper || !enemy || !enemy->IsShown() || !enemy->IsBumpable())
            return BotSteerToward(town, at);
        const CxPoint centre = enemy->GetCentre();
        const double enemySpeed = std::fmax(enemy->GetSpeed(), enemy->GetMaxSpeed()) * UPDATES_PER_SECOND;
        const std::vector<CBumperLeg> legs =
            BumperLegs(roads, centre, bumper->GetCurrentNode(), bumper->GetPreviousNode(),
                       enemySpeed * HORIZON_SECONDS, LEAST_CHANCE);
        CBumperPace chase = pace;
        chase.enemySpeed = enemySpeed;
        const CBumperReach reach = BumperReach(roads, at, -1);
        CxPoint target;
        const bool waiting = BumperIntercept(roads, reach, legs, at, chase, &target);
        // Else toward the enemy's next node, or the enemy, when not in a zone.
        if (!waiting)
            target = !legs.empty() && !PassesZoneExcept(roads, legs.front().b, legs.front().b, nullptr)
                         ? legs.front().b
                     : PassesZoneExcept(roads, centre, centre, nullptr) ? at
                                                                        : centre;
        if (getenv("BOT_TRACE"))
            fprintf(stderr, "chase %u truck %d,%d enemy %d,%d %s %d,%d\n", now, at.x, at.y, centre.x,
                    centre.y, waiting ? "wait at" : "toward", target.x, target.y);
        return BotSteerToward(town, BumperNextStep(roads, reach, at, target, chase));
    }

    // The map goes to the next arena when the help arrow points at one.
    CBotAim AimOnMap(CTown& town, CMapDialog& map) override
    {
        const int32_t id = town.m_nHelpTarget;
        if (id < 0 || id >= MAP_BUILDING_COUNT || !town.FindBuilding(id))
            return IBotStrategy::AimOnMap(town, map);
        return map.GetChosen() == id ? BotClick(map.GetGoButton(), Stay(town))
                                     : BotClick(map.GetBuildingButton(id), Stay(town));
    }

    std::string Describe(CTown& town) override
    {
        CBumperCars* bumper = Bumper(town);
        if (!bumper)
            return "no bumper cars";
        CEnemy* enemy = town.GetEnemy();
        return "arena " + std::to_string(bumper->GetArenaCounter()) + " of " +
               std::to_string(BUMPER_ARENA_COUNT) + ", " + std::to_string(bumper->GetHudCounter()) +
               " bumps there; help arrow to " + std::to_string(town.m_nHelpTarget) + "; enemy " +
               (enemy && enemy->IsShown() ? (enemy->IsBumpable() ? "bumpable" : "not bumpable") : "away") +
               (bumper->IsRoaming() ? ", roaming" : "");
    }

private:
    static CBumperPace Pace(CTown& town)
    {
        CBumperPace pace;
        pace.truckSpeed = town.GetTruck()->GetMaxSpeed() * UPDATES_PER_SECOND;
        pace.delay = TRUCK_DELAY_SECONDS;
        pace.reach = TRUCK_REACH;
        pace.straight = STRAIGHT_DRIVE;
        return pace;
    }
};
} // namespace

CBumperReach BumperReach(const CBumperRoads& roads, const CxPoint& truck, int32_t allowed)
{
    const size_t count = roads.nodes.size();
    const CxPoint* except =
        allowed >= 0 && static_cast<size_t>(allowed) < count ? &roads.nodes[allowed] : nullptr;
    std::vector<bool> blocked(count);
    for (size_t i = 0; i < count; ++i)
        blocked[i] = static_cast<int32_t>(i) != allowed &&
                     PassesZoneExcept(roads, roads.nodes[i], roads.nodes[i], except);
    CBumperReach reach;
    reach.distance.assign(count, -1.0);
    reach.first.assign(count, -1);
    std::vector<double> best(count, std::numeric_limits<double>::infinity());
    // The start: the ends of the roads the truck is on, else the nearest nodes.
    for (size_t i = 0; i < count; ++i)
        for (int32_t j : roads.links[i])
            if (j >= 0 && static_cast<size_t>(j) < count &&
                BumperSegmentDistance(truck, roads.nodes[i], roads.nodes[j]) <= ROAD_HALF_WIDTH)
                for (size_t end : {i, static_cast<size_t>(j)})
                    if (!blocked[end] && !PassesZoneExcept(roads, truck, roads.nodes[end], except))
                        best[end] = Gap(truck, roads.nodes[end]),
                        reach.first[end] = static_cast<int32_t>(end);
    if (std::none_of(best.begin(), best.end(), [](double d) { return std::isfinite(d); }))
        for (size_t i = 0; i < count; ++i)
            if (!blocked[i] && Gap(truck, roads.nodes[i]) < 2 * STRAIGHT_DRIVE &&
                !PassesZoneExcept(roads, truck, roads.nodes[i], except))
                best[i] = Gap(truck, roads.nodes[i]), reach.first[i] = static_cast<int32_t>(i);
    std::vector<bool> done(count);
    for (;;)
    {
        size_t u = count;
        for (size_t i = 0; i < count; ++i)
            if (!done[i] && std::isfinite(best[i]) && (u == count || best[i] < best[u]))
                u = i;
        if (u == count)
            break;
        done[u] = true;
        reach.distance[u] = best[u];
        if (static_cast<int32_t>(u) == allowed)
            continue; // a building: the way ends there
        for (int32_t v : roads.links[u])
        {
            if (v < 0 || static_cast<size_t>(v) >= count || blocked[v] || done[v] ||
                PassesZoneExcept(roads, roads.nodes[u], roads.nodes[v], except))
                continue;
            const double d = best[u] + Gap(roads.nodes[u], roads.nodes[v]);
            if (d < best[v])
                best[v] = d, reach.first[v] = reach.first[u];
        }
    }
    return reach;
}

std::vector<CBumperLeg> BumperLegs(const CBumperRoads& roads, const CxPoint& enemy, int32_t next,
                                   int32_t previous, double length, double minChance)
{
    std::vector<CBumperLeg> legs;
    const int32_t count = static_cast<int32_t>(roads.nodes.size());
    if (next < 0 || next >= count)
        return legs;
    legs.push_back({enemy, roads.nodes[next], -1, next, 0.0, 1.0});
    // Breadth first over the legs found so far: each one's end node draws the next.
    for (size_t k = 0; k < legs.size(); ++k)
    {
        const CBumperLeg leg = legs[k];
        const double along = leg.along + Gap(leg.a, leg.b);
        if (along >= length)
            continue;
        const int32_t from = k == 0 ? previous : leg.nodeA;
        const std::vector<int32_t>& links = roads.links[leg.nodeB];
        const size_t n = links.size();
        for (size_t i = 0; i < n; ++i)
        {
            // The draw picks i, or the one before it when that is the way back.
            double share =
                (links[i] != from ? 1.0 : 0.0) + (n > 1 && links[(i + n - 1) % n] == from ? 1.0 : 0.0);
            if (n == 1)
                share = 1.0;
            const double chance = leg.chance * share / static_cast<double>(n);
            if (chance >= minChance && links[i] >= 0 && links[i] < count)
                legs.push_back(
                    {roads.nodes[leg.nodeB], roads.nodes[links[i]], leg.nodeB, links[i], along, chance});
        }
    }
    return legs;
}

namespace {
// The truck's way to p in pixels: straight when near, else by a node of the leg.
double TruckWay(const CBumperRoads& roads, const CBumperReach& reach, const CxPoint& truck, const CxPoint& p,
                const CBumperPace& pace, int32_t nodeA, int32_t nodeB)
{
    double way = std::numeric_limits<double>::infinity();
    if (Gap(truck, p) <= pace.straight && !PassesZoneExcept(roads, truck, p, nullptr))
        way = Gap(truck, p);
    for (int32_t node : {nodeA, nodeB})
        if (node >= 0 && static_cast<size_t>(node) < reach.distance.size() && reach.distance[node] >= 0.0)
            way = std::fmin(way, reach.distance[node] + Gap(roads.nodes[node], p));
    return way;
}
} // namespace

bool BumperIntercept(const CBumperRoads& roads, const CBumperReach& reach,
                     const std::vector<CBumperLeg>& legs, const CxPoint& truck, const CBumperPace& pace,
                     CxPoint* point)
{
    if (pace.truckSpeed <= 0.0 || pace.enemySpeed <= 0.0)
        return false;
    bool found = false;
    double bestChance = 0.0, bestTime = 0.0;
    for (size_t k = 0; k < legs.size(); ++k)
    {
        const CBumperLeg& leg = legs[k];
        const double length = Gap(leg.a, leg.b);
        const int32_t nodeA = leg.nodeA;
        for (double s = 0.0; s <= length; s += LEG_STEP)
        {
            const double f = length > 0.0 ? s / length : 0.0;
            const CxPoint p(static_cast<int32_t>(std::lround(leg.a.x + (leg.b.x - leg.a.x) * f)),
                            static_cast<int32_t>(std::lround(leg.a.y + (leg.b.y - leg.a.y) * f)));
            const double enemyTime = (leg.along + s) / pace.enemySpeed;
            if (found && (leg.chance < bestChance || (leg.chance == bestChance && enemyTime >= bestTime)))
                continue;
            if (std::any_of(roads.zones.begin(), roads.zones.end(), [&](const CxPoint& zone) {
                    return Gap(zone, p) < roads.zoneRadius + WAIT_MARGIN;
                }))
                continue;
            const double way = TruckWay(roads, reach, truck, p, pace, nodeA, leg.nodeB);
            const double truckTime = std::fmax(0.0, way - pace.reach) / pace.truckSpeed + pace.delay;
            if (truckTime > enemyTime)
                continue;
            found = true, bestChance = leg.chance, bestTime = enemyTime, *point = p;
        }
    }
    return found;
}

CxPoint BumperNextStep(const CBumperRoads& roads, const CBumperReach& reach, const CxPoint& truck,
                       const CxPoint& target, const CBumperPace& pace)
{
    if (Gap(truck, target) <= pace.straight && !BumperPassesZone(roads, truck, target))
        return target;
    // The node from which the target is in sight, nearest by the roads.
    double best = std::numeric_limits<double>::infinity();
    int32_t via = -1;
    for (size_t i = 0; i < reach.distance.size(); ++i)
        if (reach.distance[i] >= 0.0 && Gap(roads.nodes[i], target) <= pace.straight &&
            !BumperPassesZone(roads, roads.nodes[i], target) &&
            reach.distance[i] + Gap(roads.nodes[i], target) < best)
            best = reach.distance[i] + Gap(roads.nodes[i], target), via = static_cast<int32_t>(i);
    if (via >= 0 && reach.first[via] >= 0)
        return roads.nodes[reach.first[via]];
    // No way that keeps off the zones: away from the nearest, else stay.
    for (const CxPoint& zone : roads.zones)
    {
        const double gap = Gap(zone, truck);
        if (gap < roads.zoneRadius + WAIT_MARGIN && gap > 0.0)
            return CxPoint(static_cast<int32_t>(std::lround(truck.x + (truck.x - zone.x) * 100.0 / gap)),
                           static_cast<int32_t>(std::lround(truck.y + (truck.y - zone.y) * 100.0 / gap)));
    }
    return truck;
}

bool BumperPassesZone(const CBumperRoads& roads, const CxPoint& a, const CxPoint& b)
{
    return PassesZoneExcept(roads, a, b, &b);
}

double BumperSegmentDistance(const CxPoint& p, const CxPoint& a, const CxPoint& b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0
                   ? ((static_cast<double>(p.x) - a.x) * dx + (static_cast<double>(p.y) - a.y) * dy) / length2
                   : 0.0;
    t = t < 0.0 ? 0.0 : t > 1.0 ? 1.0 : t;
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

std::unique_ptr<IBotStrategy> MakeBumperStrategy()
{
    return std::make_unique<CBumperStrategy>();
}
