// The strategy of the moving mission: chase the nearest hand truck that is
// still about, heading for where it will be a moment later.
#include "game/missions/moving_mission.h"
#include "game/world/super_truck.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

#include <limits>
#include <string>

namespace {
class CMovingStrategy : public IBotStrategy
{
public:
    CBotAim Aim(CTown& town, uint32_t) override
    {
        const CxPoint truck = town.GetTruck()->GetCentre();
        const CHandTruck* nearest = nullptr;
        int64_t best = std::numeric_limits<int64_t>::max();
        for (CCollisionSprite* sprite : town.GetCollisionSprites())
        {
            const auto* hand = dynamic_cast<const CHandTruck*>(sprite);
            if (!hand || !hand->IsShown())
                continue;
            if (const int64_t distance = BotDistance2(BotMapCentre(*hand), truck); distance < best)
                nearest = hand, best = distance;
        }
        if (!nearest)
            return BotSteerToward(town, truck);
        // Close by, straight at it; farther, along the roads.
        const CxPoint at = BotMapCentre(*nearest);
        return best < 300 * 300 ? BotSteerToward(town, at) : BotDriveTo(town, at);
    }

    std::string Describe(CTown& town) override
    {
        int32_t shown = 0;
        for (CCollisionSprite* sprite : town.GetCollisionSprites())
            if (const auto* hand = dynamic_cast<const CHandTruck*>(sprite); hand && hand->IsShown())
                ++shown;
        return std::to_string(shown) + " hand trucks still about";
    }
};
} // namespace

std::unique_ptr<IBotStrategy> MakeMovingStrategy()
{
    return std::make_unique<CMovingStrategy>();
}
