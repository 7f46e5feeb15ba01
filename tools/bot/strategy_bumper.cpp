// The strategy of the bumper cars: while the help arrow names an arena,
// drive to that building (its scene places the enemy and sets it roaming);
// while the enemy can be bumped, wait where it will pass (see
// strategy_bumper.h), or else head for its next node. Never into a zone:
// any building's scene would stop the chase, and a giver's would load its
// own mission over this one.
#include "tools/bot/strategy_bumper.h"

#include "game/missions/bumper_cars.h"
#include "game/missions/mission.h"
#include "game/world/driving_node.h"
#include "game/world/moving_object.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
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
// Farther than this the truck goes along the roads.
constexpr int64_t STRAIGHT_DRIVE = 450;
// The points of a route are tried this far apart.
constexpr double ROUTE_STEP = 12.0;

CBumperCars* Bumper(CTown& town)
{
    auto* framework = dynamic_cast<CMissionFramework*>(&town.GetMission());
    return framework ? dynamic_cast<CBumperCars*>(framework->GetKind()) : nullptr;
}

std::vector<CxPoint> Zones(CTown& town)
{
    std::vector<CxPoint> zones;
    for (const auto& building : town.GetBuildings())
        if (building->CanPull())
            zones.push_back(building->GetCenter());
    return zones;
}

bool PassesZone(const CBumperPace& pace, const CxPoint& a, const CxPoint& b)
{
    for (const CxPoint& zone : pace.zones)
        if (BumperSegmentDistance(zone, a, b) < pace.zoneRadius)
            return true;
    return false;
}

// The enemy's way to its next node, then on to each link of that node it
// may take, with the chance the roaming gives it: a link drawn at random,
// the one after it when the draw is the link it came by.
std::vector<CBumperRoute> Routes(CTown& town, const CBumperCars& bumper, const CxPoint& enemy)
{
    std::vector<CBumperRoute> routes;
    const CDrivingGraph& graph = town.GetNodes();
    const CDrivingNode* next =
        bumper.GetCurrentNode() >= 0 ? graph.GetNode(static_cast<size_t>(bumper.GetCurrentNode())) : nullptr;
    if (!next)
        return routes;
    routes.push_back({{enemy, next->GetPoint()}, 1.0});
    const auto& links = next->GetLinks();
    const size_t count = links.size();
    for (size_t i = 0; i < count; ++i)
    {
        double chance = 0.0;
        if (links[i]->GetId() != bumper.GetCurrentNode() && links[i]->GetId() != bumper.GetPreviousNode())
            chance += 1.0;
        if (links[(i + count - 1) % count]->GetId() == bumper.GetPreviousNode() && count > 1)
            chance += 1.0;
        if (count == 1)
            chance = 1.0;
        if (chance > 0.0)
            routes.push_back(
                {{enemy, next->GetPoint(), links[i]->GetPoint()}, chance / static_cast<double>(count)});
    }
    return routes;
}

class CBumperStrategy : public IBotStrategy
{
public:
    CBotAim Aim(CTown& town, uint32_t now) override
    {
        const CxPoint at = town.GetTruck()->GetCentre();
        if (const CBuilding* arena =
                town.m_nHelpTarget >= 0 ? town.FindBuilding(town.m_nHelpTarget) : nullptr)
            // Within its pull radius the town pulls the truck in.
            return BotDriveTo(town, arena->GetCenter());
        CEnemy* enemy = town.GetEnemy();
        CBumperCars* bumper = Bumper(town);
        if (!bumper || !enemy || !enemy->IsShown() || !enemy->IsBumpable())
            return BotSteerToward(town, at);
        return Chase(town, now, at, *bumper, *enemy);
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
    static CBotAim Chase(CTown& town, uint32_t now, const CxPoint& at, const CBumperCars& bumper,
                         CEnemy& enemy)
    {
        CBumperPace pace;
        pace.truckSpeed = town.GetTruck()->GetMaxSpeed() * UPDATES_PER_SECOND;
        pace.enemySpeed = std::fmax(enemy.GetSpeed(), enemy.GetMaxSpeed()) * UPDATES_PER_SECOND;
        pace.delay = TRUCK_DELAY_SECONDS;
        pace.reach = TRUCK_REACH;
        pace.zones = Zones(town);
        pace.zoneRadius = town.m_nZonePullRadius + ZONE_MARGIN;
        const CxPoint centre = enemy.GetCentre();
        const std::vector<CBumperRoute> routes = Routes(town, bumper, centre);
        CxPoint target;
        const bool waiting = BumperIntercept(routes, at, pace, &target);
        if (!waiting)
            target = routes.empty() ? centre : routes.front().points.back();
        if (getenv("BUMP_TRACE"))
            fprintf(stderr, "chase %u truck %d,%d enemy %d,%d %s %d,%d\n", now, at.x, at.y, centre.x,
                    centre.y, waiting ? "wait at" : "toward", target.x, target.y);
        if (BotDistance2(at, target) < STRAIGHT_DRIVE * STRAIGHT_DRIVE && !PassesZone(pace, at, target))
            return BotSteerToward(town, target);
        return BotDriveTo(town, target);
    }
};
} // namespace

bool BumperIntercept(const std::vector<CBumperRoute>& routes, const CxPoint& truck, const CBumperPace& pace,
                     CxPoint* point)
{
    if (pace.truckSpeed <= 0.0 || pace.enemySpeed <= 0.0)
        return false;
    bool found = false;
    double bestChance = 0.0, bestTime = 0.0;
    for (const CBumperRoute& route : routes)
    {
        double along = 0.0; // the enemy's way so far
        for (size_t i = 1; i < route.points.size(); ++i)
        {
            const CxPoint& a = route.points[i - 1];
            const CxPoint& b = route.points[i];
            const double length = std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y);
            for (double s = 0.0; s <= length; s += ROUTE_STEP)
            {
                const double f = length > 0.0 ? s / length : 0.0;
                const CxPoint p(static_cast<int32_t>(std::lround(a.x + (b.x - a.x) * f)),
                                static_cast<int32_t>(std::lround(a.y + (b.y - a.y) * f)));
                const double enemyTime = (along + s) / pace.enemySpeed;
                const double gap =
                    std::hypot(static_cast<double>(p.x) - truck.x, static_cast<double>(p.y) - truck.y);
                const double truckTime = std::fmax(0.0, gap - pace.reach) / pace.truckSpeed + pace.delay;
                if (truckTime > enemyTime || PassesZone(pace, p, p) || PassesZone(pace, truck, p))
                    continue;
                if (!found || route.chance > bestChance ||
                    (route.chance == bestChance && enemyTime < bestTime))
                    found = true, bestChance = route.chance, bestTime = enemyTime, *point = p;
            }
            along += length;
        }
    }
    return found;
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
