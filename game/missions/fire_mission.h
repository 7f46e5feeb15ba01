// The fire mission (mission kind 5): putting out burning houses.
//
// The fire station's giver chooses the three burning houses (buildings 5,
// 6 and 7 in random order) and publishes them to the scenes; the mission
// file's first phase sets the houses on fire (town objects of types 35 to
// 38 whose state is the fire's size, 0 the smallest). At each house the
// scene turns play-fire on: the player's truck makes way for a parked fire
// engine with a hose on top, the hose follows the mouse, and a click runs
// the hose's "OnShoot" sequence, whose "Town.ShootHoseWater()" throws a
// volley of water balls in an arc toward the pointer. A ball that meets a
// fire makes it one size smaller, or puts it out when it is at its
// smallest ("SplashFire.seq", whose "Town.IncrementFireScore()" counts it);
// a ball that meets nothing splashes where its arc ends ("Splash.seq").
// Fires left alone grow one size every few seconds on their own timers.
// The houses' extra sprites (their smoke) show from the start; a house's
// scene may hide its own once its fires are out, and the stop hides all.
// When a house's fires are all out the HUD goes on to the next house, and
// after the last house the mission is won.
//
// The house now gets enter stage 2 (its others keep theirs), so that
// driving into it plays its fire scene, and the help arrow points at it
// until play-fire starts there. When its last fire is out the house's
// scene plays once more: with SEQNUMBER at 3 (next house) or 1 (won) the
// scene's data picks what follows.
//
// Sequence variables (bound at the giver's set-up): BUILDINGID0..2 (the
// houses in order), LEVELID, BUILDINGID and OLDBUILDINGID (the house now
// and the one before), OLDBUILDINGNAME, INTROID ("a" at a first visit of a
// house, "b" after), SEQNUMBER (2 putting out, 3 next house, 1 won),
// SPLASH_X and SPLASH_Y (where the last splash shows). The buildings'
// greetings pick their variant by a number in INTROID: while the mission is
// loaded, entering any building but the house now gives INTROID such a
// number, and the stop leaves one there.
#pragma once

#include "engine/core/timer.h"
#include "game/missions/mission.h"
#include "game/missions/water_ball.h"
#include "game/world/super_sprite.h"

#include <cstdint>
#include <memory>
#include <vector>

class CxEventSequenceFile;

constexpr int32_t FIRE_FIRST_TYPE = 35, FIRE_LAST_TYPE = 38;
constexpr int32_t FIRE_HOSE_STATES = 17;
constexpr long FIRE_TIMER_ID_BASE = 5000;
constexpr int32_t FIRE_PACING = 1000, FIRE_PACING_OFF = 9000;
constexpr int32_t FIRE_SEQ_WON = 1, FIRE_SEQ_PUTTING_OUT = 2, FIRE_SEQ_NEXT_HOUSE = 3;
constexpr int32_t FIRE_FIRST_HOUSE = 5, FIRE_HOUSES = 3;
constexpr int32_t FIRE_TRUCK_LAYER = 50, FIRE_HOSE_LAYER = 40;
constexpr int32_t FIRE_HOSE_LEFT_SHIFT = 22; // the hose sits this far left of the engine's middle
constexpr int32_t FIRE_SPLASH_DROP = 28;     // a fire's splash shows this far below its foot
constexpr int32_t FIRE_BALL_FRAMES = 8;
constexpr uint32_t FIRE_COMPLETED_BIT = 4;
constexpr int32_t FIRE_MAX_LEVEL = 2;
constexpr int32_t FIRE_HOUSE_STAGE = 2; // the enter stage of the house now: its fire scene

// Where the water leaves the hose, from the hose's top-left, for an aiming
// state (clamped to 0..16).
CxPoint FireNozzleOffset(int32_t state);
// The hose state that aims from the hose's pivot toward the pointer (map
// coordinates): 0 left, 8 up, 16 right; a pointer below the pivot aims at
// the nearer end.
int32_t FireAimState(const CxPoint& pivot, const CxPoint& pointer);
// A fire's time to its next growth: min + random % |max - min| (1 when
// they are equal), at least 1 ms.
uint32_t FireGrowthInterval(int32_t min, int32_t max);
inline bool IsFireType(int32_t type)
{
    return type >= FIRE_FIRST_TYPE && type <= FIRE_LAST_TYPE;
}

// The hose on the parked fire engine: a super sprite whose state is its
// aiming direction, with an "OnShoot" sequence of its [QexSprite].
class CFireHose : public CSuperSprite
{
public:
    ~CFireHose() override;
    uint32_t LoadSpriteKeys(CxOptions& file, const char* section) override;
    // Runs the shoot sequence unless it is running; false without one.
    bool Shoot();
    bool HasShootSequence() const { return m_pShoot != nullptr; }
    bool IsShootRunning() const { return IsSequenceRunning(m_pShoot); }
    // The map point the water leaves from (top-left + nozzle offset).
    CxPoint GetNozzle() const;
    // The point the hose turns around (its middle).
    CxPoint GetPivot() const;

private:
    CxEventSequenceFile* m_pShoot = nullptr;
    CxString m_strShoot;
};

// A fire's growth timer.
struct FireTimer
{
    std::unique_ptr<CxTimerCallBack> timer;
    CMapObject* fire; // looked up in the town before any use
};

class CFireMission : public IMissionKind, public CxTimerListener
{
public:
    explicit CFireMission(CTown& town);
    ~CFireMission() override;
    CFireMission(const CFireMission&) = delete;
    CFireMission& operator=(const CFireMission&) = delete;

    // IMissionKind.
    void PrepareGiver(CMissionFramework& framework) override;
    void Start(CMissionFramework& framework) override;
    void Stop(CMissionFramework& framework) override;
    void Update(CMissionFramework& framework) override;
    void MapClicked(CMissionFramework& framework, const CxPoint& point) override;
    bool Command(CMissionFramework& framework, const CxString& command,
                 const CxLinkedList<CxString>& arguments) override;
    void ObjectAdded(CMissionFramework& framework, CMapObject* object) override;
    void ObjectRemoving(CMissionFramework& framework, CMapObject* object) override;
    // Everything the stop does but give the sequence variables back (they
    // may be another kind's by now).
    void Unloaded(CMissionFramework& framework) override;
    // INTROID holds the visit text when the house now is entered, and a
    // greeting number (1 or 2) when any other building is.
    void BuildingEntered(CMissionFramework& framework, CCharacter* building) override;
    // A fire's timer: it grows while the mission runs and the fire is there.
    void OnTimer(CxTimer* timer) override;

    // Back to the state after construction: lists emptied, the engine and
    // the hose destroyed, the counters reset.
    void Reset();
    void NextBuilding(CMissionFramework& framework);
    void SetPlayFire(int32_t on);
    void ShootWater();
    void IncrementScore(CMissionFramework& framework);
    // Moves the balls; returns whether any still flies.
    bool MoveWater(CMissionFramework& framework);
    // The fire a ball hits, and what the hit does.
    CMapObject* FindHitFire(const CxSprite& ball) const;
    void HitFire(CMissionFramework& framework, CMapObject* fire);
    // The growth timer of a fire (created and started; null on failure).
    CxTimerCallBack* AddFireTimer(CMapObject* fire);
    void RemoveFireTimer(const CMapObject* fire);
    CxTimerCallBack* FindFireTimer(const CMapObject* fire) const;

    int32_t GetMode() const { return m_nMode; }
    bool IsPlayingFire() const { return m_bPlayFire; }
    bool IsShooting() const { return m_bShooting; }
    int32_t GetBuildingIndex() const { return m_nBuildingIndex; }
    int32_t GetBuilding(int32_t index) const;
    int32_t GetVerdict() const { return m_nVerdict; }
    long GetSeqNumber() const { return m_nSeqNumber; }
    const CxString& GetIntroId() const { return m_strIntroId; }
    CxSprite* GetStaticTruck() const { return m_pStaticTruck.get(); }
    CFireHose* GetHose() const { return m_pHose.get(); }
    CWaterStream& Water() { return m_Water; }
    const std::vector<FireTimer>& GetFireTimers() const { return m_FireTimers; }

private:
    void BindVariables();
    void PublishBuilding(int32_t id, bool previous);
    void PlaceEngine();
    void Aim();
    void Splash(const CxPoint& point, const char* sequence);
    void DestroyEngine();
    uint32_t NextGrowth() const;
    // The houses' own enter stages, kept while the mission gives the house now stage 2.
    void SaveHouseStages();
    void RestoreHouseStages();
    // The houses' extra sprites (their smoke): shown while they burn,
    // hidden and stopped at the stop.
    void ShowHouseSmoke(bool show);

    CTown& m_Town;
    CMissionFramework* m_pFramework = nullptr; // the one that runs it (set at every call)
    CxString m_strText;
    int32_t m_nMode = 2;
    bool m_bPlayFire = false;
    bool m_bShooting = false;
    std::unique_ptr<CxSprite> m_pStaticTruck;
    std::unique_ptr<CFireHose> m_pHose;
    std::vector<FireTimer> m_FireTimers;
    long m_nTimersMade = 0;
    int32_t m_nBuildingIndex = -1;
    int32_t m_nVerdict = 0;
    int32_t m_nUpdateMin = 3000, m_nUpdateMax = 4000;
    int32_t m_nSavedStages[FIRE_HOUSES] = {0, 0, 0};
    bool m_bStagesSaved = false;
    CWaterStream m_Water;
    // The sequence variables.
    long m_nBuildings[FIRE_HOUSES] = {0, 0, 0};
    long m_nLevelId = 0, m_nBuildingId = 0, m_nOldBuildingId = 0;
    CxString m_strOldBuildingName, m_strIntroId;
    long m_nSeqNumber = FIRE_SEQ_PUTTING_OUT;
    long m_nSplashX = 0, m_nSplashY = 0;
};

// Plugs a fire mission into the framework as kind 5 (the caller keeps both).
void InstallFireMission(CMissionFramework& framework, CFireMission& fire);
