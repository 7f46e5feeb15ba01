// The town update: driving, tread marks, scrolling, the enter zones and the
// perimeters, collisions, the help arrow.
#include "game/world/rumbo_town_app.h"
#include "game/world/town.h"

#include "engine/core/log.h"
#include "engine/frame/game_app.h"
#include "engine/media/wave.h"
#include "game/world/direction_table.h"
#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/truck.h"

#include <cmath>

namespace {
// Tile kinds the tyres leave marks on: dirt, mud and sand.
bool IsSoftGround(uint32_t kind)
{
    return kind == 46 || kind == 114 || kind == 116;
}

float Distance(const CxPoint& a, const CxPoint& b)
{
    // In 64 bits: points read from the world files may lie anywhere.
    return static_cast<float>(std::hypot(static_cast<double>(static_cast<int64_t>(a.x) - b.x),
                                         static_cast<double>(static_cast<int64_t>(a.y) - b.y)));
}

} // namespace

void CTown::UpdateTown()
{
    if (!m_pTruck)
        return;
    if (m_bUserControl)
    {
        const CxPoint target = ScreenToMap(m_ptMouse);
        m_pTruck->Steer(&target);
    }
    else
        m_pTruck->Steer();
    const bool moved = m_pTruck->Move();
    m_pTruck->Pace();
    m_pMission->Update();
    if (m_pEnemy && m_pEnemy->GetNumDirections() > 0)
        m_pEnemyBehaviour->Update(*m_pEnemy);
    LeaveTreadMarks(moved);
    m_SkidMarks.RemoveExpired();
    if (!m_bMapLocked && m_bTruckScrollsMap)
        m_pTruck->ScrollMapAfter(*this);
    CheckZones();
    // The truck answers each hit (bounce, smash), and the sprite it met runs
    // its own collide and bumped sequences: that is how buildings, items and
    // targets hear the truck. Only the sequences: another truck hit does not
    // bounce here.
    for (CCollisionSprite* sprite : m_CollisionSprites)
    {
        if (sprite == m_pTruck.get())
            continue;
        if (!m_pTruck->CollidesWith(*sprite))
        {
            sprite->EndContact();
            continue;
        }
        m_pTruck->HandleCollision(sprite);
        sprite->Touch(m_pTruck.get());
    }
    RearmLastLeft();
    AimHelpArrow();
}

void CTown::LeaveTreadMarks(bool moved)
{
    if (!moved || m_nSkidInterval == 0 || !m_SkidTimer.IsRunning() || m_SkidTimer.IsPaused() ||
        !m_SkidTimer.HasExpired())
        return;
    const CxPoint topLeft = m_pTruck->GetPosition();
    const int32_t direction = m_pTruck->GetDirection();
    for (int32_t tyre = 0; tyre < TRUCK_TYRES; ++tyre)
    {
        const CxPoint& offset = m_pTruck->Settings().ptTyres[tyre][direction];
        const CxPoint point = topLeft + offset;
        const CxDrawSurface* tile = m_Map.GetTileAt(point);
        if (tile && IsSoftGround(tile->GetUserFlags()))
            AddSkidMark(point);
    }
    m_SkidTimer.Start(static_cast<uint32_t>(m_nSkidInterval));
}

void CTown::AddSkidMark(const CxPoint& mapPoint)
{
    if (m_SkidImage.GetImage())
        m_SkidMarks.Add(m_SkidImage, &m_Map, mapPoint);
}

void CTown::CheckZones()
{
    const CxPoint truck = TruckPoint();
    const CxRect collision = m_pTruck->GetMapCollisionRect();
    const CxRect truckRect(collision.left - TOWN_PERIMETER_MARGIN, collision.top - TOWN_PERIMETER_MARGIN,
                           collision.right + TOWN_PERIMETER_MARGIN, collision.bottom + TOWN_PERIMETER_MARGIN);
    for (const auto& building : m_Buildings)
    {
        if (building->CanPull() && Distance(building->GetCenter(), truck) <= m_nZonePullRadius)
        {
            EnterBuilding(building.get());
            return;
        }
        if (building->IsPerimeterActive() && building->HasPerimeter() &&
            building->GetMapPerimeter().Overlaps(truckRect))
        {
            SetBuildingVariables(*building, false);
            building->SetPerimeterActive(false);
            const CxString sequence = TownDataPath(building->GetOnEnterPerimeter().c_str());
            if (!building->GetOnEnterPerimeter().IsEmpty() && TownDataExists(sequence))
                PlaySequence(sequence.c_str());
        }
    }
}

void CTown::SetBuildingVariables(const CBuilding& building, bool withTalkState)
{
    CxInterpolator* interpolator = GetGameInterpolator();
    if (!interpolator)
        return;
    interpolator->AddConstant("BUILDING", building.GetInterpTag().c_str());
    interpolator->AddConstant("BUILDINGNAME", building.GetName().c_str());
    const struct
    {
        const char* x;
        const char* y;
        CxPoint point;
    } points[] = {{"LOCKX", "LOCKY", building.GetLockPosition()},
                  {"CARLOCKX", "CARLOCKY", building.GetTruckLockPosition()},
                  {"DRIVETHRUX", "DRIVETHRUY", building.GetDriveThruPosition()}};
    for (const auto& p : points)
    {
        interpolator->AddFormattedConstant(p.x, p.point.x);
        interpolator->AddFormattedConstant(p.y, p.point.y);
    }
    if (withTalkState)
        interpolator->AddFormattedConstant("TRUCKTALKSTATE", building.GetTruckTalkState());
}

void CTown::EnterBuilding(CBuilding* building)
{
    if (!building)
        return;
    SetBuildingVariables(*building, true);
    // The building left before still gets its zone back once the truck is
    // away from it, though another was entered first.
    std::erase(m_EarlierLeft, building);
    if (m_pLastLeft && m_pLastLeft != building)
        m_EarlierLeft.push_back(m_pLastLeft);
    m_pCurrentBuilding = m_pLastLeft = building;
    building->HideZone();
    const bool endMission = m_nMissionMode == 2;
    const CxString& sequence =
        building->GetZoneSequence(endMission, endMission ? building->m_nEndStage : building->m_nEnterStage);
    Output("town: enter %d %s %s\n", building->GetId(), building->GetInterpTag().c_str(),
           sequence.IsEmpty() ? "-" : sequence.c_str());
    m_pMission->BuildingEntered(building);
    const CxString path = TownDataPath(sequence.c_str());
    if (!sequence.IsEmpty() && TownDataExists(path))
        PlaySequence(path.c_str());
}

void CTown::RearmLastLeft()
{
    std::erase_if(m_EarlierLeft, [this](CBuilding* left) {
        if (Distance(left->GetCenter(), TruckPoint()) <= m_nZoneSafeRadius)
            return false;
        left->ShowZone();
        return true;
    });
    if (!m_pLastLeft)
        return;
    if (Distance(m_pLastLeft->GetCenter(), TruckPoint()) > m_nZoneSafeRadius)
    {
        m_pLastLeft->ShowZone();
        m_pLastLeft = nullptr;
    }
}

void CTown::AimHelpArrow()
{
    if (m_nHelpTarget < 0)
        return;
    if (const CBuilding* target = FindBuilding(m_nHelpTarget))
        PointArrowAt(target->GetCenter());
}

void CTown::PointArrowAt(const CxPoint& mapPoint)
{
    if (!m_pTruck || (m_ArrowThrottle.IsRunning() && !m_ArrowThrottle.HasExpired()))
        return;
    m_ArrowThrottle.Start(TOWN_ARROW_THROTTLE);
    const CxPoint truck = TruckPoint();
    const std::vector<CxPoint> path = m_Nodes.FindPath(truck, mapPoint);
    CxPoint toward = mapPoint;
    if (path.size() < 3)
    {
        if (Distance(mapPoint, truck) <= m_nMinHelpDistance)
        {
            HideArrow();
            return;
        }
    }
    else
        toward = path[1];
    const float angle = AngleOfVector(static_cast<float>(static_cast<int64_t>(toward.x) - truck.x),
                                      static_cast<float>(static_cast<int64_t>(toward.y) - truck.y));
    ShowArrow(NearestDirection(angle, TOWN_ARROWS));
}

void CTown::ShowArrow(int32_t index)
{
    if (index == m_nArrowShown)
        return;
    HideArrow();
    CxSprite& arrow = m_Arrows[index];
    arrow.AttachTo(&m_Map);
    arrow.SetDepth(COLLISION_DEPTH_BASE * 2);
    arrow.SetPosition(TruckPoint(), ANCHOR_CENTER);
    arrow.Redraw();
    m_nArrowShown = index;
}

void CTown::HideArrow()
{
    if (m_nArrowShown >= 0)
    {
        m_Arrows[m_nArrowShown].Hide();
        m_Arrows[m_nArrowShown].Detach();
    }
    m_nArrowShown = -1;
}

CBuilding* CTown::FindBuilding(int32_t id) const
{
    for (const auto& building : m_Buildings)
        if (building->GetId() == id)
            return building.get();
    return nullptr;
}

void CTown::SetZoneActive(CBuilding* building, bool active)
{
    if (building)
        building->SetZoneActive(active);
}

void CTown::ShowAllZones(bool show)
{
    for (const auto& building : m_Buildings)
        show ? building->ShowZone() : building->HideZone();
}

void CTown::SetBuildingPerimetersActive(bool active)
{
    for (const auto& building : m_Buildings)
        building->SetPerimeterActive(active);
}

void CTown::RefreshTown()
{
    for (const auto& building : m_Buildings)
        if (building->IsZoneActive())
            building->ShowZone();
    Redraw();
}

void CTown::NotifyFirstCharacter(int32_t code)
{
    CBuilding* first = m_Buildings.empty() ? nullptr : m_Buildings.front().get();
    CLipSynch* lips = first ? first->GetLipSprite(first->GetState()) : nullptr;
    if (first && code == 1 && !(lips && lips->IsActive()))
        first->PlayOnce(1);
    else if (first && code == 2)
        first->m_nEndStage = 1;
    m_pMission->FirstCharacterNotified(code);
}
