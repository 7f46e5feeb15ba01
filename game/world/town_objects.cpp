// Town objects that missions add and take away at run time.
#include "game/world/map_object.h"
#include "game/world/town.h"

#include <algorithm>

CMapObject* CTown::AddTownObject(int32_t type, const CxPoint& point)
{
    if (type < 0 || static_cast<size_t>(type) >= m_MasterObjects.size())
        return nullptr;
    CMapObject* copy = CMapObject::CopyOf(*m_MasterObjects[static_cast<size_t>(type)], &m_Map, point);
    m_CollisionSprites.push_back(copy);
    m_PlacedObjects.emplace_back(copy);
    return copy;
}

CMapObject* CTown::FindTownObject(int32_t type, const CxPoint& point) const
{
    for (const auto& object : m_PlacedObjects)
        if (object->GetId() == type && object->GetPosition() == point)
            return object.get();
    return nullptr;
}

bool CTown::HoldsTownObject(const CMapObject* object) const
{
    return object && std::any_of(m_PlacedObjects.begin(), m_PlacedObjects.end(),
                                 [object](const auto& placed) { return placed.get() == object; });
}

bool CTown::DestroyTownObject(CMapObject* object)
{
    auto placed = std::find_if(m_PlacedObjects.begin(), m_PlacedObjects.end(),
                               [object](const auto& entry) { return entry.get() == object; });
    if (!object || placed == m_PlacedObjects.end())
        return false;
    m_CollisionSprites.erase(std::remove(m_CollisionSprites.begin(), m_CollisionSprites.end(), object),
                             m_CollisionSprites.end());
    m_PendingRemovals.Remove(object);
    m_PlacedObjects.erase(placed);
    return true;
}
