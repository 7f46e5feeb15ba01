// The strategy of the fire mission: drive into the burning house the help
// arrow points at; once its scene has parked the fire engine there, point
// the hose at the fire nearest to it and click, one volley at a time (a
// new shot takes the balls of the last out of the air, so the bot waits
// until none flies); then on to the next house.
#include "game/missions/fire_mission.h"
#include "game/missions/mission.h"
#include "game/screens/map_dialog.h"
#include "game/world/map_object.h"
#include "game/world/super_truck.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

#include <limits>
#include <string>

namespace {
CFireMission* Fire(CTown& town)
{
    return BotMissionKind<CFireMission>(town);
}

// A point of the object's box, on the screen and off the HUD (where a
// click is the HUD's), the nearest to its middle; false when none is.
bool ClickablePoint(CTown& town, const CxDisplayObject& object, CxPoint* screen)
{
    const CxPoint corner = BotMapToScreen(object.GetPosition(), town.GetViewOrigin());
    const CxPoint middle(corner.x + object.GetWidth() / 2, corner.y + object.GetHeight() / 2);
    bool found = false;
    int64_t best = 0;
    for (int32_t y = 0; y < object.GetHeight(); y += 4)
        for (int32_t x = 0; x < object.GetWidth(); x += 4)
        {
            const CxPoint at(corner.x + x, corner.y + y);
            const int64_t distance = BotDistance2(at, middle);
            if ((!found || distance < best) && BotClampToScreen(at) == at && !town.GetHud().ContainsPoint(at))
                found = true, best = distance, *screen = at;
        }
    return found;
}

// The shown fire nearest to point that a click can reach, and where to click it.
const CMapObject* NearestFire(CTown& town, const CxPoint& point, CxPoint* screen)
{
    const CMapObject* nearest = nullptr;
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const auto& object : town.GetPlacedObjects())
    {
        CxPoint at;
        if (!object->IsShown() || !IsFireType(object->GetId()))
            continue;
        if (const int64_t distance = BotDistance2(BotMapCentre(*object), point);
            distance < best && ClickablePoint(town, *object, &at))
            nearest = object.get(), best = distance, *screen = at;
    }
    return nearest;
}

// The pointer on a map point, clicking there when click.
CBotAim AimAt(CTown& town, const CxPoint& mapPoint, bool click)
{
    const CxPoint screen = BotClampToScreen(BotMapToScreen(mapPoint, town.GetViewOrigin()));
    CBotAim aim;
    aim.x = screen.x, aim.y = screen.y, aim.click = click;
    return aim;
}

int32_t CountFires(CTown& town)
{
    int32_t count = 0;
    for (const auto& object : town.GetPlacedObjects())
        count += object->IsShown() && IsFireType(object->GetId());
    return count;
}

// Whether the truck goes to the house by the map: the map shows it, and the
// truck is not already at its zone.
bool ByMap(CTown& town, const CBuilding& house)
{
    const int64_t near = static_cast<int64_t>(town.m_nZonePullRadius) + 40;
    return house.GetId() >= 0 && house.GetId() < MAP_BUILDING_COUNT && town.GetMapButton() &&
           BotDistance2(town.GetTruck()->GetCentre(), house.GetCenter()) > near * near;
}

class CFireStrategy : public IBotStrategy
{
public:
    bool PlaysWithoutControl(CTown& town) override
    {
        const CFireMission* fire = Fire(town);
        return fire && fire->IsPlayingFire() && fire->GetHose();
    }

    CBotAim Aim(CTown& town, uint32_t) override
    {
        CFireMission* fire = Fire(town);
        if (!fire)
            return BotSteerToward(town, town.GetTruck()->GetCentre());
        if (!fire->IsPlayingFire() || !fire->GetHose())
        {
            // By the map when it shows the house (the roads may pass other
            // buildings' zones, whose scenes would take over), else along them.
            const CBuilding* house = town.FindBuilding(fire->GetBuilding(fire->GetBuildingIndex()));
            if (!house)
                return BotSteerToward(town, town.GetTruck()->GetCentre());
            if (ByMap(town, *house))
                return BotClick(*town.GetMapButton(), BotSteerToward(town, town.GetTruck()->GetCentre()));
            return BotDriveTo(town, house->GetCenter());
        }
        const CFireHose& hose = *fire->GetHose();
        CxPoint screen;
        if (!NearestFire(town, hose.GetPivot(), &screen))
            return AimAt(town, hose.GetPivot() - CxPoint(0, 100), false);
        // Water ends its arc where the pointer is: on the fire.
        CBotAim aim;
        aim.x = screen.x, aim.y = screen.y;
        aim.click = !fire->IsShooting() && !hose.IsShootRunning();
        return aim;
    }

    CBotAim AimOnMap(CTown& town, CMapDialog& map) override
    {
        const CFireMission* fire = Fire(town);
        const CBuilding* house = fire && !fire->IsPlayingFire()
                                     ? town.FindBuilding(fire->GetBuilding(fire->GetBuildingIndex()))
                                     : nullptr;
        if (!house || !ByMap(town, *house))
            return IBotStrategy::AimOnMap(town, map);
        return map.GetChosen() == house->GetId() ? BotClick(map.GetGoButton(), CBotAim())
                                                 : BotClick(map.GetBuildingButton(house->GetId()), CBotAim());
    }

    std::string Describe(CTown& town) override
    {
        const CFireMission* fire = Fire(town);
        if (!fire)
            return "no fire mission";
        return "house " + std::to_string(fire->GetBuildingIndex() + 1) + " of 3 (building " +
               std::to_string(fire->GetBuilding(fire->GetBuildingIndex())) + "), " +
               (fire->IsPlayingFire() ? "hosing" : "driving") + ", " + std::to_string(CountFires(town)) +
               " fires burning";
    }
};
} // namespace

std::unique_ptr<IBotStrategy> MakeFireStrategy()
{
    return std::make_unique<CFireStrategy>();
}
