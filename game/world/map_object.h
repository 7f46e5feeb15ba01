// An object on the town map (oil, junk, scenery, collectibles, blockers):
// a super sprite with a number, a tag and an invisible flag. The town loads
// one master per object file and places copies that share its states.
#pragma once

#include "game/world/super_sprite.h"

#include <cstdint>

class CMapObject : public CSuperSprite
{
public:
    explicit CMapObject(int32_t id = 0) : m_nId(id) {}

    // A copy of master (which must outlive it) at a map position in parent:
    // same number, flags and states, shown unless the master is invisible.
    static CMapObject* CopyOf(CMapObject& master, CxDisplayObject* parent, const CxPoint& position);

    int32_t GetId() const { return m_nId; }
    void SetId(int32_t id) { m_nId = id; }
    // An invisible object is never drawn; it still collides (a blocker).
    bool IsInvisible() const { return m_bInvisible; }
    void SetInvisible(bool invisible) { m_bInvisible = invisible; }
    int32_t GetTag() const { return m_nTag; }
    void SetTag(int32_t tag) { m_nTag = tag; }

private:
    int32_t m_nId;
    int32_t m_nTag = 0;
    bool m_bInvisible = false;
};
