// The bumper-car mission (mission kind 4).
//
// Three arenas (buildings 10, 11 and 12) are visited in an order drawn at
// the giver's "LoadMission"; at each one of four enemy trucks is placed at
// the arena's start point, roams the town's driving-node graph, and the
// player bumps it a set number of times ("IncrementBumperCarScore", issued
// by the enemy's bump sequence). Each bump lights a HUD star; the arena is
// done at the mission file's NumReqItems, and the mission is won when the
// HUD shows its last set. The level moves by the time the slowest or
// fastest arena took.
//
// The scenes read the sequence variables published here, bound to the
// fields themselves: ENEMYX, ENEMYY, ENEMYHITNUMBER (0..2 while bumping, 3
// when an arena is done), SEQNUMBER (2 bumping, 1 arena done and more to
// come, 3 won), ENEMYNAME and INTROID ("a" first visit of an arena, "b"
// later ones); and, as constants, BUILDINGID0..2, ENEMYID0..3 (the order
// drawn), BUILDINGID, BUILDINGNAME and ENEMYID of the current arena.
//
// The scenes drive it with the town lines "SetLoadEnemyFlag" (the next
// update loads and places the enemy), "StartEnemy" (roaming starts, the
// arena's stopwatch restarts), "IncrementBumperCarScore" and
// "NextBumperCarBuilding".
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/geometry.h"
#include "engine/base/linked_list.h"
#include "engine/core/timer.h"
#include "game/missions/mission.h"

#include <cstdint>
#include <vector>

class CDrivingNode;
class CTown;

constexpr int32_t BUMPER_ARENA_COUNT = 3;
constexpr int32_t BUMPER_FIRST_ARENA = 10;
constexpr int32_t BUMPER_ENEMY_COUNT = 4;
constexpr long BUMPER_HIT_DONE = 3;
constexpr long BUMPER_SEQ_NEXT = 1;
constexpr long BUMPER_SEQ_BUMPING = 2;
constexpr long BUMPER_SEQ_WON = 3;
constexpr int32_t BUMPER_VERDICT_NONE = 0;
constexpr int32_t BUMPER_VERDICT_FAST = 1;
constexpr int32_t BUMPER_VERDICT_SLOW = 2;
// The arena's character value and enter stage while it is the current one:
// its enter scene 2 is the bumping scene.
constexpr int32_t BUMPER_ARENA_STAGE = 2;
// The mission's bit of the player's played and completed flags.
constexpr uint32_t BUMPER_MISSION_BIT = 8;
// How long the roaming enemy may go without getting BUMPER_NODE_PROGRESS
// closer to its node before it heads for the next one: its turning circle
// can be wider than the arrival distance, so that it would circle the node
// for ever, and the player's truck can hold it off.
constexpr uint32_t BUMPER_NODE_PATIENCE_MS = 1500;
constexpr double BUMPER_NODE_PROGRESS = 8.0;

// The base name of enemy id's truck file (VENEMY\<name>.ini); null for ids
// outside 0..3.
const char* BumperEnemyName(int32_t id);
// Where the enemy starts at arena building; false for other buildings.
bool BumperStartPoint(int32_t building, CxPoint* point);
// The arena's bit of the player's arenas seen (1, 2, 4); 0 for other buildings.
uint32_t BumperArenaBit(int32_t building);

class CBumperCars : public IMissionKind
{
public:
    explicit CBumperCars(CTown& town);
    // Takes its variables back from the sequences.
    ~CBumperCars() override;
    CBumperCars(const CBumperCars&) = delete;
    CBumperCars& operator=(const CBumperCars&) = delete;

    // IMissionKind.
    void PrepareGiver(CMissionFramework& framework) override;
    void Start(CMissionFramework& framework) override;
    void Stop(CMissionFramework& framework) override;
    void Update(CMissionFramework& framework) override;
    // The current arena's scene reads the mission's INTROID ("a", "b"); any
    // other building's scene the town's own (its greetings' 1 or 2).
    void BuildingEntered(CMissionFramework& framework, CCharacter* building) override;
    bool Command(CMissionFramework& framework, const CxString& command,
                 const CxLinkedList<CxString>& arguments) override;

    // Back to a fresh mission: fields, lists, the arenas' stages; the
    // enemy's roaming stops. The stop also gives INTROID and SEQNUMBER
    // back the values they had before the giver's set-up.
    void Reset();
    // The next arena of the drawn order; false (and logged) after the last.
    bool NextArena();
    // One bump of the current arena's enemy.
    void IncrementScore(CMissionFramework& framework);
    // The enemy's roaming starts at its nearest node; the stopwatch
    // restarts. Before a pending placing, it waits for it.
    void StartEnemy(CMissionFramework& framework);
    // Loads the current enemy and puts it, standing, on the start point.
    void PlaceEnemy();
    // Moves on to the next node of the graph; false when the enemy stays
    // (no nodes, or a node without neighbours).
    bool ChooseNextNode();

    long GetEnemyX() const { return m_nEnemyX; }
    long GetEnemyY() const { return m_nEnemyY; }
    long GetHitNumber() const { return m_nHitNumber; }
    long GetSeqNumber() const { return m_nSeqNumber; }
    const CxString& GetEnemyName() const { return m_strEnemyName; }
    const CxString& GetIntroId() const { return m_strIntroId; }
    int32_t GetArenaCounter() const { return m_nArenaCounter; }
    int32_t GetVerdict() const { return m_nVerdict; }
    int32_t GetHudCounter() const { return m_nHudCounter; }
    const CxLinkedList<int32_t>& GetArenas() const { return m_Arenas; }
    const CxLinkedList<int32_t>& GetEnemies() const { return m_Enemies; }
    const CxLinkedList<int32_t>& GetSpare() const { return m_Spare; }
    bool IsRoaming() const { return m_bRoaming; }
    // The enemy's current and previous node: indexes of the town's graph
    // (kept as indexes, so that a world loaded again leaves none dangling),
    // -1 none.
    int32_t GetCurrentNode() const { return m_nCurrentNode; }
    int32_t GetPreviousNode() const { return m_nPreviousNode; }
    void SetNodes(int32_t current, int32_t previous)
    {
        m_nCurrentNode = current;
        m_nPreviousNode = previous;
    }

private:
    struct SavedStage
    {
        int32_t building;
        int32_t enterStage;
        int32_t characterValue;
    };
    void BindVariables();
    void SaveSharedVariables();
    void RestoreSharedVariables();
    void Draw(CxLinkedList<int32_t>& list, int32_t first, int32_t count, const char* name);
    void MarkArena(int32_t building);
    void RestoreArenas();
    void Roam();
    void HeadingAfresh();
    void ArenaDone(CMissionFramework& framework);

    CTown& m_Town;
    long m_nEnemyX = 0, m_nEnemyY = 0;
    long m_nHitNumber = 0;
    long m_nSeqNumber = BUMPER_SEQ_BUMPING;
    CxString m_strEnemyName, m_strIntroId;
    int32_t m_nArenaCounter = 0;
    int32_t m_nVerdict = BUMPER_VERDICT_NONE;
    int32_t m_nHudCounter = 0; // bumps at the current arena
    CxLinkedList<int32_t> m_Arenas, m_Enemies;
    CxLinkedList<int32_t> m_Spare; // only ever emptied
    bool m_bRoaming = false;
    bool m_bStartPending = false; // "StartEnemy" before the placing
    int32_t m_nCurrentNode = -1;
    int32_t m_nPreviousNode = -1;
    double m_fBestDistance = 0.0; // the nearest the enemy came to its node
    CxTimer m_Progress;           // since it last came nearer
    std::vector<SavedStage> m_SavedStages;
    // INTROID and SEQNUMBER as they were before the giver's set-up.
    bool m_bShared = false;
    bool m_bSharedExisted[2] = {};
    CxString m_SharedValues[2];
};
