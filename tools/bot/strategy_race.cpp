// The strategy of the race: follow the course a little way ahead of the
// truck in a lane inside it (cutting the corners the enemy drives round),
// and from the last waypoint on, make for the finish-line object. On the
// way, go round the oil slicks the phases put down (a skid costs control
// for a moment) and round the enemy truck (a bump costs control too). The
// enemy's top speed drops below the truck's whenever it is not far behind,
// so a truck that keeps its speed stays ahead.
#include "game/missions/mission.h"
#include "game/missions/mission_phase.h"
#include "game/missions/race.h"
#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/super_truck.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/race_line.h"
#include "tools/bot/strategies.h"

#include <cmath>
#include <string>
#include <vector>

namespace {
// How far along the course ahead of the truck it heads: enough to round a
// corner early, short of cutting across the infield.
constexpr double LOOK_AHEAD = 140.0;
// How far inside the course the truck drives: the enemy drives on the
// course itself and the oil lies on it, so the inside lane keeps clear of
// both (and is the shorter way round).
constexpr double LANE = 80.0;
// Room kept between the truck and what it goes round, beyond touching.
constexpr int32_t CLEARANCE = 14;
// The nearest the aim comes to the truck: nearer, the truck brakes.
constexpr double MIN_REACH = 90.0;

CRaceMission* Race(CTown& town)
{
    CMissionFramework* framework = BotFramework(town);
    return framework ? dynamic_cast<CRaceMission*>(framework->GetKind()) : nullptr;
}

CxPoint Centre(const CxRect& rect)
{
    return CxPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// rect grown by the truck's half size and the clearance: the truck's centre
// outside it keeps the truck off rect.
CxRect Grown(const CxRect& rect, const CxRect& truck)
{
    const int32_t dx = truck.Width() / 2 + CLEARANCE, dy = truck.Height() / 2 + CLEARANCE;
    return CxRect(rect.left - dx, rect.top - dy, rect.right + dx, rect.bottom + dy);
}

// What the truck goes round: the oil the phases put down that is still
// there, and the enemy.
std::vector<CxRect> Blocks(CTown& town, const CxRect& truck)
{
    std::vector<CxRect> blocks;
    if (CMissionFramework* framework = BotFramework(town))
        for (const CMapObject* object : framework->Phase().GetObjects())
            if (object && object->GetId() == RACE_OIL_TYPE && object->IsShown())
                blocks.push_back(Grown(object->GetMapCollisionRect(), truck));
    const CEnemy* enemy = town.GetEnemy();
    if (enemy && enemy->GetNumDirections() > 0 && enemy->IsShown())
        blocks.push_back(Grown(enemy->GetMapCollisionRect(), truck));
    return blocks;
}

// The course in the inside lane and, after it, the middle of the finish line.
std::vector<CxPoint> Line(CTown& town, const CRaceMission& race)
{
    std::vector<CxPoint> points = RaceInsideLane(race.Course().Points(), LANE);
    const auto& objects = town.GetPlacedObjects();
    const size_t finish = static_cast<size_t>(race.GetFinishIndex());
    if (!points.empty() && finish < objects.size() && objects[finish])
        points.push_back(Centre(objects[finish]->GetMapCollisionRect()));
    return points;
}

// The point from from through to, at least MIN_REACH away.
CxPoint Reach(const CxPoint& from, const CxPoint& to)
{
    const double dx = to.x - from.x, dy = to.y - from.y, length = std::hypot(dx, dy);
    if (length >= MIN_REACH || length <= 0.0)
        return to;
    const double scale = MIN_REACH / length;
    return CxPoint(from.x + static_cast<int32_t>(std::lround(dx * scale)),
                   from.y + static_cast<int32_t>(std::lround(dy * scale)));
}

class CRaceStrategy : public IBotStrategy
{
public:
    CBotAim Aim(CTown& town, uint32_t) override
    {
        const CTruck& truck = *town.GetTruck();
        const CxPoint centre = truck.GetCentre();
        const CRaceMission* race = Race(town);
        if (!race || !race->Course().IsUsable())
            return BotSteerToward(town, centre);
        const std::vector<CxPoint> line = Line(town, *race);
        const CxPoint ahead = RaceLookAhead(line, race->GetTruckIndex(), centre, LOOK_AHEAD);
        const CxPoint way = RaceDetour(centre, ahead, Blocks(town, truck.GetMapCollisionRect()));
        return BotSteerToward(town, Reach(centre, way));
    }

    std::string Describe(CTown& town) override
    {
        const CRaceMission* race = Race(town);
        if (!race)
            return "no race";
        return std::string(race->IsRunning() ? "racing" : "not racing") + ", the truck at waypoint " +
               std::to_string(race->GetTruckIndex()) + " and the enemy at " +
               std::to_string(race->GetEnemyIndex()) + " of " + std::to_string(race->Course().Count());
    }
};
} // namespace

std::unique_ptr<IBotStrategy> MakeRaceStrategy()
{
    return std::make_unique<CRaceStrategy>();
}
