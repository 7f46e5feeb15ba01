// What the town asks of the parts of the game that come on top of it: the
// current mission, the heads-up display and the enemy truck's behaviour.
// Each interface does nothing by default, so the town runs on its own; a
// mission, the HUD or a behaviour replaces the default it needs.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/geometry.h"

#include <cstdint>
#include <vector>

#include "engine/base/linked_list.h"

class CCharacter;
class CEnemy;
class CMapObject;
class CxSprite;
struct CMissionSetData;

class ITownMission
{
public:
    virtual ~ITownMission() = default;
    // Loads a mission file (without starting it); an error code.
    virtual uint32_t LoadFile(const char*) { return 0; }
    virtual void Start() {}
    virtual void Stop() {}
    // Called by every town update after the truck has moved.
    virtual void Update() {}
    virtual void BuildingEntered(CCharacter*) {}
    virtual void MovieEnded(int32_t) {}
    // A motion event no handler of the town took.
    virtual void MotionEvent(int32_t, CxSprite*) {}
    // A "Town" command the town itself does not carry out; true when the mission took it.
    virtual bool Command(const CxString&, const CxLinkedList<CxString>&) { return false; }
    // An object the town placed for the mission ("AddMissionObject").
    virtual void AddObject(CMapObject*) {}
    // The points the enemy drives through on "PlayEnemyWayPoints" (a race's
    // course); none by default.
    virtual std::vector<CxPoint> GetEnemyWayPoints() const { return {}; }
    // The town's first character was told code (1 play, 2 mission ended).
    virtual void FirstCharacterNotified(int32_t) {}
    // 0 none loaded, 1 loaded or stopped, 2 running.
    virtual int32_t GetState() const { return 0; }
    // A left click on the map (map coordinates) that the HUD did not take.
    virtual void MapClicked(const CxPoint&) {}
    // The town's buildings, objects and truck are about to be freed: the
    // mission lets go of every pointer it still holds to them.
    virtual void WorldUnloading() {}
};

class ITownHud
{
public:
    virtual ~ITownHud() = default;
    virtual uint32_t Load() { return 0; }
    virtual void Open() {}
    virtual void Close() {}
    virtual void NextSet() {}
    virtual void FlashOn(int32_t) {}
    virtual void FlashOff(int32_t) {}
    virtual void HelpButtonOn() {}
    virtual void HelpButtonOff() {}
    virtual void SetHelpFile(const char*) {}
    // The HUD sets of the mission just loaded (missionType -1: none loaded),
    // copied; they take effect at the next Load.
    virtual void SetMissionSets(const std::vector<CMissionSetData>&, int32_t) {}
    // Whether the point (screen coordinates) is on the HUD.
    virtual bool ContainsPoint(const CxPoint&) const { return false; }
    // Shows frame of right icon index (1 lit) when both exist.
    virtual void LightIcon(int32_t /*index*/, int32_t /*frame*/) {}
    // Whether the current HUD set is the mission's last one.
    virtual bool IsLastHudSet() const { return true; }
};

class ITownEnemy
{
public:
    virtual ~ITownEnemy() = default;
    // The enemy's part of a town update; by default it steers toward its own
    // target, moves and paces like any truck.
    virtual void Update(CEnemy& enemy);
    // The player's truck met the enemy's perimeter.
    virtual void PerimeterEntered(CEnemy&) {}
};
