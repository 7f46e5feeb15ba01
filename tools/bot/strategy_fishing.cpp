// The strategy of the fishing mission: drive to the dock, wait through the
// intro, then cast ahead of the nearest floating junk, leading it by its
// drift over the lure's flight, and wait for the line to come back before
// the next cast.
#include "tools/bot/strategy_fishing.h"

#include "game/missions/fishing.h"
#include "game/missions/mission.h"
#include "game/world/super_truck.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace {
constexpr double OVERSHOOT = 40.0;  // the target lies this far past the junk: the lure lands on or past it
constexpr double MIN_MARGIN = 20.0; // beyond the shortest cast

CFishingMission* Fishing(CTown& town)
{
    return BotMissionKind<CFishingMission>(town);
}

// Where the line leaves the rod, as the mission's cast computes it.
CxPoint RodTip(CTown& town)
{
    CxPoint corner;
    town.GetTruck()->GetAnchorPoint(corner, ANCHOR_BOTTOM_RIGHT);
    return corner - CxPoint(50, 100);
}

class CFishingStrategy : public IBotStrategy
{
public:
    bool PlaysWithoutControl(CTown& town) override
    {
        const CFishingMission* fishing = Fishing(town);
        return fishing && fishing->GetPhase() == FISH_PHASE_FISHING;
    }

    CBotAim Aim(CTown& town, uint32_t) override
    {
        CFishingMission* fishing = Fishing(town);
        if (!fishing)
            return BotSteerToward(town, town.GetTruck()->GetCentre());
        if (fishing->GetPhase() == FISH_PHASE_WAITING)
            return BotDriveTo(town, FISH_DOCK_POINT);
        if (fishing->GetPhase() != FISH_PHASE_FISHING)
            return BotSteerToward(town, town.GetTruck()->GetCentre());
        const bool ready = fishing->Line().GetLineState() == LINE_IDLE && !fishing->GetSnagged();
        const CxPoint tip = RodTip(town);
        const CxPoint origin = town.GetViewOrigin();
        FishLead lead;
        lead.tip = tip;
        lead.castSpeed = fishing->Line().GetCastSpeed();
        lead.overshoot = OVERSHOOT;
        lead.margin = MIN_MARGIN;
        bool found = false;
        FishCast best;
        int64_t bestDistance = std::numeric_limits<int64_t>::max();
        for (const auto& junk : fishing->GetFloating())
        {
            const CxPoint centre = BotMapCentre(*junk);
            lead.junk[0] = static_cast<float>(centre.x) + (junk->pos[0] - std::round(junk->pos[0]));
            lead.junk[1] = static_cast<float>(centre.y) + (junk->pos[1] - std::round(junk->pos[1]));
            lead.velocity[0] = junk->vel[0], lead.velocity[1] = junk->vel[1];
            const FishCast cast = FishPlanCast(lead);
            const CxPoint screen = BotMapToScreen(cast.target, origin);
            if (!cast.valid || BotClampToScreen(screen) != screen || town.GetHud().ContainsPoint(screen))
                continue;
            if (const int64_t distance = BotDistance2(cast.target, tip); distance < bestDistance)
                found = true, best = cast, bestDistance = distance;
        }
        CBotAim aim;
        if (!found)
        {
            // Nothing in reach yet: wait over the river, upstream of the rod.
            const CxPoint wait = BotClampToScreen(BotMapToScreen(tip + CxPoint(200, 0), origin));
            aim.x = wait.x, aim.y = wait.y;
            return aim;
        }
        const CxPoint screen = BotMapToScreen(best.target, origin);
        aim.x = screen.x, aim.y = screen.y, aim.click = ready;
        return aim;
    }

    std::string Describe(CTown& town) override
    {
        CFishingMission* fishing = Fishing(town);
        if (!fishing)
            return "no fishing mission";
        CMissionFramework* framework = BotFramework(town);
        return "phase " + std::to_string(fishing->GetPhase()) + ", caught " +
               std::to_string(framework->Mission().m_nCollected) + " of " +
               std::to_string(framework->Record().numReq) + ", " +
               std::to_string(fishing->GetFloating().size()) + " pieces floating, line state " +
               std::to_string(fishing->Line().GetLineState());
    }
};
} // namespace

std::unique_ptr<IBotStrategy> MakeFishingStrategy()
{
    return std::make_unique<CFishingStrategy>();
}
