// Collection and delivery missions: hiding places, placing the objects, the
// targets' bump sequences, and taking all of it off the town again.
#include "game/missions/mission.h"

#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/random.h"
#include "game/world/map_object.h"
#include "game/world/town.h"
#include "game/world/truck.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

namespace {
const char* const METER_SEQUENCE = "$GAMEPATH\\mission\\SpawnTokens\\OnBumpMeter1.seq";
const char* const MAIL_SEQUENCE = "$GAMEPATH\\mission\\SpawnMail\\OnBumpMail1.seq";

double Distance(const CxPoint& a, const CxPoint& b)
{
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}
} // namespace

void CMissionFramework::StartCollection()
{
    ChooseHidingPlaces();
    PlaceObjects();
    ShowObjects();
}

void CMissionFramework::ChooseHidingPlaces()
{
    m_Record.hidingPlaces.clear();
    if (m_Record.numHidden <= 0)
        return;
    // Only buildings with a file to name the sequence after can hide
    // objects; the picks stop when none are left.
    std::vector<int32_t> candidates;
    const auto& buildings = m_Town.GetBuildings();
    for (size_t i = 0; i < buildings.size(); ++i)
        if (strncasecmp(buildings[i]->GetName().c_str(), "Invisible", 9) != 0 &&
            !buildings[i]->GetFileName().IsEmpty())
            candidates.push_back(static_cast<int32_t>(i));
    for (int32_t n = 0; n < m_Record.numHidden && !candidates.empty(); ++n)
    {
        const size_t pick = static_cast<size_t>(Random()) % candidates.size();
        const int32_t index = candidates[pick];
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(pick));
        m_Record.hidingPlaces.push_back(index);
        CBuilding& building = *buildings[static_cast<size_t>(index)];
        GiveOneShotBumpSequence(&building, HiddenSequenceName(building.GetFileName().c_str()));
    }
}

void CMissionFramework::PlaceObjects()
{
    // A start without a stop since the last one: the earlier objects go
    // before their master is replaced, as they share its states.
    if (m_Mission.GetMaster())
    {
        for (auto* node = m_Mission.m_Objects.GetHead(); node; node = node->GetNext())
            TakeOffDisplay(node->m_Value);
        m_Mission.BuryAll();
    }
    m_Mission.m_nCollected = 0;
    m_Record.state = MISSION_STATE_RUNNING;
    auto master = std::make_unique<CMapObject>();
    const CxString item = InterpolateGameText(m_Record.itemName.c_str());
    if (item.IsEmpty() || master->LoadFromFile(BuildGamePath("%s", item.c_str()).c_str()) != CX_ERR_NONE)
    {
        ReportError(CX_ERR_UNKNOWN, "Could not load object 0.");
        return;
    }
    CMapObject& shared = *master;
    m_Mission.SetMaster(std::move(master));
    CRumboTileMap& map = m_Town.GetMap();
    const int32_t locations = static_cast<int32_t>(m_Record.locations.size());
    const int32_t visible = m_Record.numTotal - m_Record.numHidden;
    if (locations == 0 && visible > 0)
        ReportError(CX_ERR_UNKNOWN, "Could not place %d objects: the mission has no locations.", visible);
    int32_t r = locations > 0 ? Random() % locations : 0;
    for (int32_t i = 0; locations > 0 && i < visible; ++i)
    {
        CMapObject* copy = CMapObject::CopyOf(shared, &map, m_Record.locations[static_cast<size_t>(r)]);
        copy->Hide();
        copy->SetTag(i == 0 ? 0 : 100);
        copy->UpdateDepth();
        m_Mission.Own(copy);
        m_Mission.m_Objects.AddTail(copy);
        r = (r + 1) % locations;
    }
    const auto& buildings = m_Town.GetBuildings();
    for (size_t j = 0; j < m_Record.hidingPlaces.size(); ++j)
    {
        const CBuilding& place = *buildings[static_cast<size_t>(m_Record.hidingPlaces[j])];
        CMapObject* copy = CMapObject::CopyOf(shared, &map, place.GetPosition());
        // Hidden in state 0 and out of the collisions until the building shows it.
        copy->SetState(0);
        copy->Hide();
        copy->SetTag(static_cast<int32_t>(j));
        copy->SetCollisionFlag(COLLISION_SOLID | COLLISION_BUMPABLE, false);
        copy->UpdateDepth();
        m_Mission.Own(copy);
        m_Mission.m_Hidden.AddTail(copy);
    }
}

void CMissionFramework::ShowObjects()
{
    auto& collisions = m_Town.GetCollisionSprites();
    for (auto* node = m_Mission.m_Objects.GetHead(); node; node = node->GetNext())
    {
        CMapObject* object = node->m_Value;
        object->Redraw();
        if (std::find(collisions.begin(), collisions.end(), object) == collisions.end())
            collisions.push_back(object);
    }
}

void CMissionFramework::StartDelivery()
{
    std::vector<CBuilding*> candidates;
    for (const auto& building : m_Town.GetBuildings())
        if (building->GetName() == CxString(m_Record.objectName.c_str()) && !m_Record.objectName.empty())
            candidates.push_back(building.get());
    for (int32_t n = 0; n < m_Record.numReq && !candidates.empty(); ++n)
    {
        const size_t pick = static_cast<size_t>(Random()) % candidates.size();
        CBuilding* target = candidates[pick];
        candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(pick));
        GiveOneShotBumpSequence(target, target->GetName() == CxString("Parking Meter") ? METER_SEQUENCE
                                                                                       : MAIL_SEQUENCE);
    }
}

void CMissionFramework::GiveOneShotBumpSequence(CCollisionSprite* sprite, const std::string& fileName)
{
    if (!sprite)
        return;
    // A sequence still running from an earlier mission keeps its file until it ends.
    if (sprite->IsBumpedRunning())
    {
        LogEntry(CX_LOG_WARNING, "mission: %s is still running; not given", fileName.c_str());
        return;
    }
    std::erase_if(m_BumpSequences, [&](const BumpEntry& entry) { return entry.sprite == sprite; });
    const CxString path = fileName.size() && fileName[0] == '$' ? BuildGamePath("%s", fileName.c_str())
                                                                : CxString(fileName.c_str());
    sprite->SetBumpedSequence(path.c_str());
    sprite->SetBumpedOnce(true);
    m_BumpSequences.push_back(BumpEntry{sprite, false, false});
}

void CMissionFramework::UpdateBumpSequences()
{
    const auto& buildings = m_Town.GetBuildings();
    std::erase_if(m_BumpSequences, [&](BumpEntry& entry) {
        // Entries of a town that was unloaded meanwhile are forgotten.
        const bool alive = std::any_of(buildings.begin(), buildings.end(),
                                       [&](const auto& building) { return building.get() == entry.sprite; });
        if (!alive)
            return true;
        entry.started = entry.started || entry.sprite->IsBumpedSpent();
        if (!entry.clear || entry.sprite->IsBumpedRunning())
            return false;
        entry.sprite->SetBumpedSequence("");
        entry.sprite->SetBumpedOnce(false);
        return true;
    });
}

void CMissionFramework::ClearBumpSequences()
{
    for (BumpEntry& entry : m_BumpSequences)
    {
        entry.sprite->DisableBumped();
        entry.clear = true;
    }
    UpdateBumpSequences();
}

void CMissionFramework::TakeOffDisplay(CMapObject* object)
{
    if (!object)
        return;
    object->Hide();
    std::erase(m_Town.GetCollisionSprites(), static_cast<CCollisionSprite*>(object));
}

void CMissionFramework::ProcessPendingRemovals()
{
    while (!m_Town.m_PendingRemovals.IsEmpty())
    {
        CMapObject* object = m_Town.m_PendingRemovals.RemoveHead();
        TakeOffDisplay(object);
        m_Mission.Remove(object);
    }
}

void CMissionFramework::CollectionStop()
{
    m_Town.m_nCurrentTarget = 0;
    ClearBumpSequences();
    for (auto* node = m_Mission.m_Objects.GetHead(); node; node = node->GetNext())
        TakeOffDisplay(node->m_Value);
    m_Record.hidingPlaces.clear();
    m_Town.m_MissionSprites.clear();
    for (CxLinkedList<CMapObject*>* list : {&m_Mission.m_Objects, &m_Mission.m_Hidden})
        for (auto* node = list->GetHead(); node; node = node->GetNext())
        {
            node->m_Value->Hide();
            node->m_Value->StopAnimation();
        }
}

void CMissionFramework::PlayHiddenObject()
{
    CTruck* truck = m_Town.GetTruck();
    if (!truck || m_Record.hidingPlaces.empty())
        return;
    const auto& buildings = m_Town.GetBuildings();
    const CxPoint at = truck->GetCentre();
    size_t nearest = 0;
    double best = -1.0;
    for (size_t j = 0; j < m_Record.hidingPlaces.size(); ++j)
    {
        const CBuilding& place = *buildings[static_cast<size_t>(m_Record.hidingPlaces[j])];
        const double d = Distance(place.GetCenter(), at);
        if (best < 0.0 || d < best)
        {
            best = d;
            nearest = j;
        }
    }
    CBuilding& place = *buildings[static_cast<size_t>(m_Record.hidingPlaces[nearest])];
    place.DisableBumped();
    for (auto* node = m_Mission.m_Hidden.GetHead(); node; node = node->GetNext())
        if (node->m_Value->GetTag() == static_cast<int32_t>(nearest))
        {
            node->m_Value->Redraw();
            node->m_Value->PlayOnce(1);
        }
}
