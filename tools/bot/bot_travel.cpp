#include "tools/bot/bot_travel.h"

#include "engine/core/buffer.h"
#include "engine/core/file.h"
#include "game/missions/mission_data.h"
#include "game/world/driving_node.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/super_truck.h"
#include "game/world/town.h"
#include "game/world/truck.h"
#include "tools/bot/bot_geometry.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <queue>
#include <string>
#include <strings.h>

namespace {
// Within this many pixels of a node the truck makes for the next.
constexpr int64_t NODE_REACHED = 56;
// How far a point of a ray is pulled back toward the truck, step by step,
// while it lies on the HUD.
constexpr int32_t HUD_STEPS = 10;

std::string ReadText(const CxString& path)
{
    CxFileBuffer buffer;
    if (LoadFile(path.c_str(), buffer) != CX_ERR_NONE || !buffer.GetData())
        return {};
    return std::string(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The "MissionType" of a mission file, or -1.
int32_t MissionTypeOf(const std::string& file)
{
    const std::string text = ReadText(GameDataPath(file.c_str()));
    size_t at = 0;
    while ((at = text.find("MissionType", at)) != std::string::npos)
    {
        const size_t equals = text.find('=', at);
        if (equals != std::string::npos && Trim(text.substr(at + 11, equals - at - 11)).empty())
            return atoi(text.c_str() + equals + 1);
        at += 11;
    }
    return -1;
}

} // namespace

CxPoint BotTruckOnScreen(CTown& town)
{
    return town.GetTruck() ? BotMapToScreen(town.GetTruck()->GetCentre(), town.GetViewOrigin())
                           : CxPoint(BOT_SCREEN_WIDTH / 2, BOT_SCREEN_HEIGHT / 2);
}

CBotAim BotSteerToward(CTown& town, const CxPoint& mapPoint)
{
    const CxPoint truck = BotTruckOnScreen(town);
    const CxPoint end = BotSteerPoint(truck, BotMapToScreen(mapPoint, town.GetViewOrigin()));
    CxPoint point = end;
    for (int32_t step = HUD_STEPS - 1; step > 0 && town.GetHud().ContainsPoint(point); --step)
        point = BotClampToScreen(CxPoint(truck.x + (end.x - truck.x) * step / HUD_STEPS,
                                         truck.y + (end.y - truck.y) * step / HUD_STEPS));
    CBotAim aim;
    aim.x = point.x, aim.y = point.y;
    return aim;
}

namespace {
// A leg that passes a zone costs this much more: the truck goes round it
// off the road, so a way without zones is better when it is not much longer.
constexpr double ZONE_COST = 1500.0;

// Dijkstra over the links, on the bot's own tables (the graph's search
// fields belong to the game): the nodes from the one nearest from to the
// one nearest to.
std::vector<CxPoint> SearchNodes(CDrivingGraph& nodes, const CxPoint& from, const CxPoint& to,
                                 const std::vector<CBotZone>& zones, double radius)
{
    auto passes = [&](const CxPoint& a, const CxPoint& b) {
        return std::any_of(zones.begin(), zones.end(), [&](const CBotZone& zone) {
            return BotSegmentDistance2(zone.centre, a, b) < radius * radius;
        });
    };
    std::vector<CDrivingNode*> all;
    for (size_t i = 0; i < nodes.GetCount(); ++i)
        all.push_back(nodes.GetNode(i));
    auto index = [&](const CDrivingNode* node) {
        return static_cast<size_t>(std::find(all.begin(), all.end(), node) - all.begin());
    };
    auto nearest = [&](const CxPoint& point) {
        size_t best = all.size();
        for (size_t i = 0; i < all.size(); ++i)
            if (best == all.size() ||
                BotDistance2(all[i]->GetPoint(), point) < BotDistance2(all[best]->GetPoint(), point))
                best = i;
        return best;
    };
    const size_t start = nearest(from), goal = nearest(to);
    if (start == all.size())
        return {};
    constexpr double NONE = std::numeric_limits<double>::infinity();
    std::vector<double> cost(all.size(), NONE);
    std::vector<size_t> previous(all.size(), all.size());
    using Entry = std::pair<double, size_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    cost[start] = 0, open.push({0.0, start});
    while (!open.empty())
    {
        const auto [c, i] = open.top();
        open.pop();
        if (c > cost[i])
            continue;
        for (CDrivingNode* link : all[i]->GetLinks())
        {
            const size_t j = index(link);
            if (j == all.size())
                continue;
            const double next = c + all[i]->DistanceTo(*link) +
                                (passes(all[i]->GetPoint(), link->GetPoint()) ? ZONE_COST : 0.0);
            if (next < cost[j])
                cost[j] = next, previous[j] = i, open.push({next, j});
        }
    }
    std::vector<CxPoint> path;
    for (size_t i = goal; i < all.size() && cost[i] < NONE; i = previous[i])
        path.insert(path.begin(), all[i]->GetPoint());
    return path;
}
} // namespace

std::vector<CxPoint> BotFindPath(CTown& town, const CxPoint& from, const CxPoint& to)
{
    // The zones that would pull the truck in, but one at the end.
    const double radius = town.m_nZonePullRadius + 12.0;
    std::vector<CBotZone> zones;
    for (const auto& building : town.GetBuildings())
        if (building->CanPull() &&
            static_cast<double>(BotDistance2(building->GetCenter(), to)) > radius * radius)
            zones.push_back({building->GetCenter(), BotMapCentre(*building)});
    std::vector<CxPoint> path = SearchNodes(town.GetNodes(), from, to, zones, radius);
    path.insert(path.begin(), from);
    path.push_back(to);
    path = BotAvoidZones(path, zones, radius);
    path.erase(path.begin());
    return path;
}

CBotAim BotDriveTo(CTown& town, const CxPoint& mapPoint)
{
    const CxPoint truck = town.GetTruck() ? town.GetTruck()->GetCentre() : CxPoint();
    std::vector<CxPoint> path = BotFindPath(town, truck, mapPoint);
    // The nodes already passed: the truck is nearer the next than they are.
    while (path.size() > 1 && (BotDistance2(truck, path[0]) < NODE_REACHED * NODE_REACHED ||
                               BotDistance2(truck, path[1]) < BotDistance2(path[0], path[1])))
        path.erase(path.begin());
    return BotSteerToward(town, path.front());
}

std::vector<int32_t> BotKindsGivenBy(const CBuilding& building, int32_t stage)
{
    std::vector<int32_t> kinds;
    const CxString& sequence = building.GetZoneSequence(false, stage);
    if (sequence.IsEmpty())
        return kinds;
    const std::string text = ReadText(TownDataPath(sequence.c_str()));
    const size_t at = text.find("LoadMission(");
    const size_t end = at == std::string::npos ? at : text.find(')', at);
    if (end == std::string::npos)
        return kinds;
    const std::string list = text.substr(at + 12, end - at - 12);
    for (size_t first = 0; first <= list.size();)
    {
        const size_t comma = std::min(list.find(',', first), list.size());
        kinds.push_back(MissionTypeOf(Trim(list.substr(first, comma - first))));
        first = comma + 1;
    }
    return kinds;
}

CBuilding* BotFindGiver(CTown& town, int32_t kind)
{
    CBuilding* giver = nullptr;
    for (const auto& building : town.GetBuildings())
    {
        const std::vector<int32_t> kinds = BotKindsGivenBy(*building, building->m_nEnterStage);
        if (kinds.empty() || std::any_of(kinds.begin(), kinds.end(), [&](int32_t k) { return k != kind; }))
            continue;
        if (!giver || building->GetId() < giver->GetId())
            giver = building.get();
    }
    return giver;
}

bool BotClickPoint(CxDisplayObject& target, CxPoint* point)
{
    CxDisplayObject* root = CxDisplayObject::GetRoot();
    if (!root || !target.IsShown())
        return false;
    const CxPoint corner = target.LocalToScreen(CxPoint(0, 0));
    const int32_t width = target.GetWidth(), height = target.GetHeight();
    auto reaches = [&](const CxPoint& at) {
        for (CxDisplayObject* hit = root->HitTest(at); hit; hit = hit->GetParent())
            if (hit == &target)
                return true;
        return false;
    };
    const CxPoint middle(corner.x + width / 2, corner.y + height / 2);
    if (reaches(BotClampToScreen(middle)))
    {
        *point = BotClampToScreen(middle);
        return true;
    }
    bool found = false;
    int64_t best = 0;
    for (int32_t y = 0; y < height; y += 4)
        for (int32_t x = 0; x < width; x += 4)
        {
            const CxPoint at = BotClampToScreen(CxPoint(corner.x + x, corner.y + y));
            const int64_t distance = BotDistance2(at, middle);
            if ((!found || distance < best) && reaches(at))
                found = true, best = distance, *point = at;
        }
    return found;
}

CBotAim BotClick(CxDisplayObject& target, const CBotAim& otherwise)
{
    CxPoint point;
    if (!BotClickPoint(target, &point))
        return otherwise;
    CBotAim aim;
    aim.x = point.x, aim.y = point.y, aim.click = true;
    return aim;
}

CxPoint BotMapCentre(const CxDisplayObject& object)
{
    const CxPoint corner = object.GetPosition();
    return CxPoint(corner.x + object.GetWidth() / 2, corner.y + object.GetHeight() / 2);
}
