// The strategy of the drop mission: keep the truck under the shadow of the
// falling object that lands soonest of those it can still reach in time.
// A catch needs the truck to touch both the shadow on the ground and the
// object coming down over it, so the truck waits on the shadow.
#include "tools/bot/strategy_drop.h"
#include "game/missions/drop_mission.h"
#include "game/missions/mission.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {
// The town moves its trucks at every update, 20 a second.
constexpr double UPDATES_PER_SECOND = 20.0;
// The truck's start, turns and braking on top of the straight run.
constexpr double TRUCK_DELAY_SECONDS = 0.6;

CDropMission* Drop(CTown& town)
{
    return BotMissionKind<CDropMission>(town);
}

// The objects still falling: where each lands and in how many seconds.
std::vector<CDropFall> Falling(CDropMission& drop)
{
    std::vector<CDropFall> falls;
    for (const auto& object : drop.GetObjects())
    {
        if (object->IsStopped() || !object->IsShown())
            continue;
        const ST_ANIM_ACTION* fall = object->Fall().GetAction(0);
        if (!fall || fall->fSpeed <= 0.0f)
            continue;
        const double left = static_cast<double>(fall->nTargetY - object->GetPosition().y) / fall->fSpeed;
        falls.push_back({BotMapCentre(object->Shadow()), left < 0.0 ? 0.0 : left});
    }
    return falls;
}

class CDropStrategy : public IBotStrategy
{
public:
    CBotAim Aim(CTown& town, uint32_t) override
    {
        CTruck* truck = town.GetTruck();
        CDropMission* drop = Drop(town);
        const CxPoint at = truck->GetCentre();
        if (!drop)
            return BotSteerToward(town, at);
        const double speed = truck->GetMaxSpeed() * UPDATES_PER_SECOND;
        const std::vector<CDropFall> falls = Falling(*drop);
        const int32_t chosen = DropChooseFall(falls, at, speed, TRUCK_DELAY_SECONDS);
        return BotSteerToward(town, chosen < 0 ? at : falls[static_cast<size_t>(chosen)].land);
    }

    std::string Describe(CTown& town) override
    {
        CMissionFramework* framework = BotFramework(town);
        CDropMission* drop = Drop(town);
        if (!framework || !drop)
            return "no drop mission";
        return "caught " + std::to_string(framework->Mission().m_nCollected) + " of " +
               std::to_string(framework->Record().numReq) + "; " + std::to_string(Falling(*drop).size()) +
               " falling";
    }
};
} // namespace

int32_t DropChooseFall(const std::vector<CDropFall>& falls, const CxPoint& truck, double speed, double delay)
{
    int32_t soonest = -1, leastLate = -1;
    double soonestLeft = std::numeric_limits<double>::max();
    double leastLateness = std::numeric_limits<double>::max();
    for (size_t i = 0; i < falls.size(); ++i)
    {
        const double distance = std::sqrt(static_cast<double>(BotDistance2(falls[i].land, truck)));
        const double reach = speed > 0.0 ? distance / speed + delay : std::numeric_limits<double>::max();
        const double lateness = reach - falls[i].secondsLeft;
        if (lateness <= 0.0 && falls[i].secondsLeft < soonestLeft)
            soonest = static_cast<int32_t>(i), soonestLeft = falls[i].secondsLeft;
        if (lateness < leastLateness)
            leastLate = static_cast<int32_t>(i), leastLateness = lateness;
    }
    return soonest >= 0 ? soonest : leastLate;
}

std::unique_ptr<IBotStrategy> MakeDropStrategy()
{
    return std::make_unique<CDropStrategy>();
}
