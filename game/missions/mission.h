// The mission framework: the town's current mission.
//
// CMission holds the mission's objects (the visible ones it placed or was
// given, and the ones hidden in buildings), its open mission file and its
// counts. CMissionFramework is what the town talks to through its mission
// seam: it loads mission files ("LoadMission"), starts and stops them,
// scores collected items, adjusts the player's level and records wins in the
// profile. Collection (kind 0) and delivery (kind 1) are built in; the other
// kinds plug in as IMissionKind objects that the framework calls at their
// giver's set-up, start, stop and every update.
//
// Objects are never deleted while a sequence may be running one of their
// lines: objects taken off the mission (by a win, a stop or their own
// "SelfDestruct") are hidden and leave the collisions at once, and are
// deleted at the next town update. Bump sequences given to buildings are
// cleared the same way, once they are no longer running.
#pragma once

#include "engine/base/linked_list.h"
#include "game/missions/interp_option.h"
#include "game/missions/mission_data.h"
#include "game/missions/mission_phase.h"
#include "game/world/town_seams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CBuilding;
class CCharacter;
class CCollisionSprite;
class CMapObject;
class CMissionFramework;
class CTown;

// A mission kind beyond collection and delivery (moving, drop, bumper cars,
// fire, fishing, race). Each call does nothing by default.
class IMissionKind
{
public:
    virtual ~IMissionKind() = default;
    // "LoadMission" from this kind's giver, before the file is read.
    virtual void PrepareGiver(CMissionFramework&) {}
    virtual void Start(CMissionFramework&) {}
    virtual void Stop(CMissionFramework&) {}
    virtual void Update(CMissionFramework&) {}
    // The truck entered a building, before its scene is loaded.
    virtual void BuildingEntered(CMissionFramework&, CCharacter*) {}
    // A left click on the map, in map coordinates, while the kind runs.
    virtual void MapClicked(CMissionFramework&, const CxPoint&) {}
    // A town line the framework does not know; true when taken.
    virtual bool Command(CMissionFramework&, const CxString&, const CxLinkedList<CxString>&) { return false; }
    // The points the enemy drives through on "PlayEnemyWayPoints".
    virtual std::vector<CxPoint> EnemyWayPoints() const { return {}; }
    // A phase step placed an object in the town; an object (placed by a
    // phase or by the world) is about to be destroyed by the mission.
    virtual void ObjectAdded(CMissionFramework&, CMapObject*) {}
    virtual void ObjectRemoving(CMissionFramework&, CMapObject*) {}
    // A file of another kind was loaded over this kind's mission without a
    // stop: what the kind changed in the town goes back.
    virtual void Unloaded(CMissionFramework&) {}
};

class CMission
{
public:
    CMission();
    ~CMission();
    CMission(const CMission&) = delete;
    CMission& operator=(const CMission&) = delete;

    // Visible objects (placed by the mission, owned, or given by the town,
    // not owned) and objects hidden in buildings (owned).
    CxLinkedList<CMapObject*> m_Objects;
    CxLinkedList<CMapObject*> m_Hidden;
    // The mission file, open from load to stop.
    CInterpOption m_File;
    bool m_bFileOpen = false;
    int32_t m_nCollected = 0;
    long m_nRemaining = 0; // published as "SAMVOID"
    CBuilding* m_pGiver = nullptr;

    // The master the placed objects share their states with.
    void SetMaster(std::unique_ptr<CMapObject> master);
    CMapObject* GetMaster() const { return m_pMaster.get(); }
    // Takes ownership of an object the mission made.
    void Own(CMapObject* object);
    bool Owns(const CMapObject* object) const;
    // Hides the object and, when owned, keeps it for deletion at Flush.
    void Bury(CMapObject* object);
    // Takes the object out of both lists (buried when owned).
    void Remove(CMapObject* object);
    // Buries every object, the hidden ones and the master.
    void BuryAll();
    // Deletes what was buried (copies before masters).
    void Flush();
    bool HasBuried() const { return !m_Graveyard.empty(); }

private:
    std::unique_ptr<CMapObject> m_pMaster;
    std::vector<std::unique_ptr<CMapObject>> m_Owned;
    std::vector<std::unique_ptr<CMapObject>> m_Graveyard;
};

class CMissionFramework : public ITownMission
{
public:
    explicit CMissionFramework(CTown& town);
    ~CMissionFramework() override;
    CMissionFramework(const CMissionFramework&) = delete;
    CMissionFramework& operator=(const CMissionFramework&) = delete;

    // ITownMission.
    uint32_t LoadFile(const char* fileName) override;
    void Start() override;
    void Stop() override;
    void Update() override;
    bool Command(const CxString& command, const CxLinkedList<CxString>& arguments) override;
    void AddObject(CMapObject* object) override;
    void MapClicked(const CxPoint& mapPoint) override;
    // Targets whose bump scene still ran at the stop were kept to be cleared
    // when it ends, and the phases' objects to be removed at the stop; with
    // the town's world going, both are forgotten.
    void WorldUnloading() override
    {
        m_BumpSequences.clear();
        m_Phase.Forget();
    }
    void BuildingEntered(CCharacter* building) override;
    int32_t GetState() const override { return m_Record.state; }
    std::vector<CxPoint> GetEnemyWayPoints() const override;

    // "LoadMission" file1 [file2 ...]: the giver's set-up, then one file at random.
    void LoadMission(const CxLinkedList<CxString>& files);
    // One collected item of a kind 0..2 mission (ignored otherwise).
    void IncrementCollectionScore();
    // Takes the collection's objects and bump sequences off the town; safe to repeat.
    void CollectionStop();
    // "PlayHiddenObjAnim": the hidden object of the hiding place nearest the truck.
    void PlayHiddenObject();

    // The level of the loaded kind (cached); setting it sets the profile's.
    int32_t GetLevel();
    void SetLevel(int32_t level);
    // Plugs a kind in (not owned; null removes it).
    void SetKind(int32_t kind, IMissionKind* handler);
    // Whether the loaded mission is running and of one of the kinds first..last.
    bool IsRunningKind(int32_t first, int32_t last) const;

    MissionRecord& Record() { return m_Record; }
    CMissionData& Data() { return m_Data; }
    CMission& Mission() { return m_Mission; }
    CTown& Town() { return m_Town; }
    // The phase step of the loaded mission file ("NextPhase").
    CMissionPhase& Phase() { return m_Phase; }
    // The handler of the loaded kind, or null.
    IMissionKind* GetKind() const { return Kind(); }
    int32_t GetGiverResult() const { return m_nGiverResult; }
    void SetGiverResult(int32_t result) { m_nGiverResult = result; }
    // Gives a sprite a bump sequence that runs once: it is cleared after its run.
    void GiveOneShotBumpSequence(CCollisionSprite* sprite, const std::string& fileName);

private:
    struct BumpEntry
    {
        CCollisionSprite* sprite;
        bool started;
        bool clear; // clear as soon as it is not running
    };
    IMissionKind* Kind() const;
    void PublishMissionName();
    void SetGiverStage(bool running);
    void StartCollection();
    void StartDelivery();
    void ChooseHidingPlaces();
    void PlaceObjects();
    void ShowObjects();
    void TakeOffDisplay(CMapObject* object);
    void ProcessPendingRemovals();
    void UpdateBumpSequences();
    void ClearBumpSequences();
    void Win();

    CTown& m_Town;
    MissionRecord m_Record;
    CMissionData m_Data;
    CMission m_Mission;
    CMissionPhase m_Phase{*this};
    IMissionKind* m_Kinds[MISSION_KIND_COUNT] = {};
    int32_t m_nGiverResult = -1;
    std::vector<BumpEntry> m_BumpSequences;
    bool m_bGiverStageSet = false;
    int32_t m_nSavedEnterStage = 0;
    int32_t m_nSavedCharacterValue = 0;
};
