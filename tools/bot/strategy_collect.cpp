// The strategies of the collection and delivery missions: drive to the
// nearest thing that counts, a visible item or a building or box the
// mission gave a bump scene to (the hiding places of a collection, the
// chosen targets of a delivery), and into it.
#include "game/missions/mission.h"
#include "game/world/map_object.h"
#include "game/world/super_truck.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

#include <limits>
#include <string>
#include <vector>

namespace {
// The mission's visible items, in map pixels.
std::vector<CxPoint> VisibleItems(CTown& town)
{
    std::vector<CxPoint> items;
    if (CMissionFramework* framework = BotFramework(town))
        for (auto* node = framework->Mission().m_Objects.GetHead(); node; node = node->GetNext())
            if (node->m_Value && node->m_Value->IsShown())
                items.push_back(BotMapCentre(*node->m_Value));
    return items;
}

// Buildings whose bump scene the mission gave and the truck has not run yet.
bool Pending(const CBuilding& building)
{
    return building.GetBumpedSequence() && !building.IsBumpedSpent();
}

// The pending buildings the mission names: the hiding places (collection)
// or the buildings of the target's name (delivery), in map pixels.
std::vector<CxPoint> PendingBuildings(CTown& town, bool delivery)
{
    std::vector<CxPoint> points;
    CMissionFramework* framework = BotFramework(town);
    if (!framework)
        return points;
    const auto& buildings = town.GetBuildings();
    if (delivery)
    {
        const CxString name(framework->Record().objectName.c_str());
        for (const auto& building : buildings)
            if (building->GetName() == name && Pending(*building))
                points.push_back(BotMapCentre(*building));
        return points;
    }
    for (int32_t index : framework->Record().hidingPlaces)
        if (index >= 0 && static_cast<size_t>(index) < buildings.size() && Pending(*buildings[index]))
            points.push_back(BotMapCentre(*buildings[index]));
    return points;
}

CxPoint Nearest(const std::vector<CxPoint>& points, const CxPoint& from)
{
    CxPoint best = from;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (const CxPoint& point : points)
        if (const int64_t distance = BotDistance2(point, from); distance < bestDistance)
            best = point, bestDistance = distance;
    return best;
}

class CCollectStrategy : public IBotStrategy
{
public:
    explicit CCollectStrategy(bool delivery) : m_bDelivery(delivery) {}

    CBotAim Aim(CTown& town, uint32_t) override
    {
        const CxPoint truck = town.GetTruck()->GetCentre();
        std::vector<CxPoint> targets = VisibleItems(town);
        if (targets.empty() || m_bDelivery)
        {
            const std::vector<CxPoint> buildings = PendingBuildings(town, m_bDelivery);
            targets.insert(targets.end(), buildings.begin(), buildings.end());
        }
        if (targets.empty())
            return BotSteerToward(town, truck);
        return BotDriveTo(town, Nearest(targets, truck));
    }

    std::string Describe(CTown& town) override
    {
        CMissionFramework* framework = BotFramework(town);
        if (!framework)
            return "no mission";
        return "collected " + std::to_string(framework->Mission().m_nCollected) + " of " +
               std::to_string(framework->Record().numReq) + "; " + std::to_string(VisibleItems(town).size()) +
               " items in sight, " + std::to_string(PendingBuildings(town, m_bDelivery).size()) +
               (m_bDelivery ? " targets" : " hiding places") + " left";
    }

private:
    bool m_bDelivery;
};
} // namespace

std::unique_ptr<IBotStrategy> MakeCollectStrategy()
{
    return std::make_unique<CCollectStrategy>(false);
}

std::unique_ptr<IBotStrategy> MakeDeliveryStrategy()
{
    return std::make_unique<CCollectStrategy>(true);
}
