// The drop mission (mission kind 3): the catching game.
//
// A character above the town (the town's fifth building, the dropper)
// hiccups and drops junk in waves; each object falls 400 px from above the
// view while its shadow grows on the ground where it will land, and the
// player drives the truck under it to catch it. A catch runs the object's
// "OnCaught.seq" (whose "Town.IncrementDropScore()" counts it); a miss
// lands with a thud and leaves a piece of ground junk (the town's object
// master 21 + the object's kind) that plays once and goes. Every third
// catch plays "positive.seq", every fifth miss "negative.seq".
//
// CDropMission plugs into the mission framework as kind 3: the giver's
// set-up is the loading (the sequence variables INTROID, ENDVOID and
// SEQNUMBER), the start prepares the masters and sequences, and the
// framework hands over the lines "StartDropping", "IncrementDropScore"
// and "StopDropMission" and calls the stop and the update. The town
// routes the falling objects' motion event 20 (landing) here.
//
// Objects are never deleted while one of their own sequences runs: stopped
// objects wait in a graveyard until the next update finds them idle.
#pragma once

#include "engine/core/event_creator.h"
#include "engine/core/timer.h"
#include "engine/graphics/animation.h"
#include "game/missions/mission.h"
#include "game/missions/sprite_touch.h"

#include <cstdint>
#include <memory>
#include <vector>

class CDropMission;
class CxEventSequenceFile;
class CxWave;

constexpr int32_t DROP_MASTER_COUNT = 8;
constexpr int32_t DROP_FALL_HEIGHT = 400;
constexpr int32_t DROP_LANDED_EVENT = 20;
constexpr int32_t DROP_SHADOW_EVENT = 21;
constexpr int32_t DROP_JUNK_MASTER = 21; // the town's object master of kind 0
constexpr int32_t DROP_CATCHES_PER_CHEER = 3;
constexpr int32_t DROP_MISSES_PER_SIGH = 5;
constexpr float DROP_SPIN_RATE = 12.0f; // frames a second while falling
constexpr int32_t DROP_SEQ_CATCHING = 2;
constexpr int32_t DROP_SEQ_WON = 3;
constexpr int32_t DROP_DROPPER_INDEX = 4;

// Objects in one wave: min + random % (max - min), at least 1.
int32_t DropWaveSize(int32_t min, int32_t max);
// A fall speed in pixels a second: min + random % (max - min), at least 1.
int32_t DropFallSpeed(int32_t min, int32_t max);
// Milliseconds to the next wave: min + random % |max - min|, at least 1.
uint32_t DropWaveInterval(int32_t min, int32_t max);
// The shadow's frame rate that shows its last frame at landing.
float DropShadowRate(int32_t frames, int32_t speed);

// One falling object: the sprite (a copy of a master), its shadow on the
// ground, the fall and the shadow's growth, and its caught sequence.
class CDropObject : public CxSprite, public CxEventCreator, public ITouchable
{
public:
    explicit CDropObject(int32_t tag);
    // Gives up the town's motion events, stops and deletes the sequence.
    ~CDropObject() override;

    // Creates no events: the caught sequence's lines go to the registry.
    CxEvent* CreateEvent(const CxString&, const CxString&, const CxLinkedList<CxString>&) override
    {
        return nullptr;
    }
    bool IsTouchStopped() const override { return m_bStopped; }

    // Sets the fall from start to end at speed (pixels a second) and the
    // shadow's growth over the same time, both reporting to town.
    void SetMotions(CTown& town, const CxPoint& start, const CxPoint& end, int32_t speed);
    void StartMotions();
    // Loads the caught sequence (its lines' creator is this object).
    uint32_t LoadCaughtSequence(const char* fileName);
    // Stops the fall, hides the object and takes it out of play.
    void StopFalling();
    // The catch: stops and runs the caught sequence unless it runs.
    virtual void Caught();
    bool IsCaughtSequenceRunning() const;
    // The motion events no longer reach the town (before the town goes).
    void ForgetTown();

    int32_t GetTag() const { return m_nTag; }
    bool IsStopped() const { return m_bStopped; }
    COwnedSprite& Shadow() { return m_Shadow; }
    CxAnimation& Fall() { return m_Fall; }
    CxAnimation& ShadowMotion() { return m_ShadowMotion; }

private:
    COwnedSprite m_Shadow;
    CxAnimation m_Fall;
    CxAnimation m_ShadowMotion;
    std::unique_ptr<CxEventSequenceFile> m_pCaught;
    uint32_t m_nRunner = 0; // the caught sequence's channel
    bool m_bStopped = false;
    int32_t m_nTag;
    CTown* m_pTown = nullptr;
};

class CDropMission : public CxEventCreator, public IMissionKind
{
public:
    // Routes the town's landing events here.
    explicit CDropMission(CTown& town);
    ~CDropMission() override;
    CDropMission(const CDropMission&) = delete;
    CDropMission& operator=(const CDropMission&) = delete;

    CxEvent* CreateEvent(const CxString&, const CxString&, const CxLinkedList<CxString>&) override
    {
        return nullptr;
    }

    // IMissionKind: the giver's set-up loads, the start prepares.
    void PrepareGiver(CMissionFramework&) override { Load(false); }
    void Start(CMissionFramework& framework) override { Prepare(framework); }
    void Stop(CMissionFramework& framework) override;
    void Update(CMissionFramework& framework) override;
    bool Command(CMissionFramework& framework, const CxString& command,
                 const CxLinkedList<CxString>& arguments) override;

    // The town's room entry: the loading and the preparing at once.
    void RoomEntered(CMissionFramework& framework);
    // The sequence variables and the dropper's mission value; roomEntry
    // keeps the intro to variants 1 and 2.
    void Load(bool roomEntry);
    // Releases an earlier preparing, then loads the masters, the master
    // shadow and the two sequences.
    void Prepare(CMissionFramework& framework);
    void StartDropping(CMissionFramework& framework);
    void IncrementScore(CMissionFramework& framework);
    // "StopDropMission": everything stopped, destroyed and reset.
    void StopDropping(CMissionFramework& framework);
    // A wave of DropWaveSize objects (none without masters).
    void StartWave(CMissionFramework& framework);
    void ScheduleNextWave();
    // At most one catch a frame; true when one was caught.
    bool CatchTest();
    // A falling object's fall ended (motion event 20).
    void Landed(CxAnimation* fall);
    void PlayPositive() { PlayCheer(m_pPositive.get()); }
    void PlayNegative() { PlayCheer(m_pNegative.get()); }

    // The full-screen player of the outro movie (null: the blocking movie
    // player); returns the previous one.
    using OutroPlayer = uint32_t (*)(const char* fileName);
    static OutroPlayer SetOutroPlayer(OutroPlayer player);

    size_t GetMasterCount() const { return m_Masters.size(); }
    const std::vector<std::unique_ptr<CDropObject>>& GetObjects() const { return m_Objects; }
    const std::vector<std::unique_ptr<CMapObject>>& GetGroundJunk() const { return m_GroundJunk; }
    CxSprite& GetJunkSprite() { return m_JunkSprite; }
    CxTimer& GetWaveTimer() { return m_WaveTimer; }
    CxEventSequenceFile* GetPositive() const { return m_pPositive.get(); }
    CxEventSequenceFile* GetNegative() const { return m_pNegative.get(); }
    bool IsCheerRunning() const;
    int32_t GetCaught() const { return m_nCaught; }
    int32_t GetMissed() const { return m_nMissed; }
    bool IsDropping() const { return m_bDropping; }
    bool IsDropperBusy() const { return m_bDropperBusy; }
    uint32_t GetInterval() const { return m_nInterval; }
    long GetSeqNumber() const { return m_nSeqNumber; }

    int32_t m_nIntervalMin = 3000, m_nIntervalMax = 4000;
    int32_t m_nItemMin = 1, m_nItemMax = 2;

private:
    struct Master
    {
        std::unique_ptr<CxSprite> sprite;
        int32_t tag;
        CxString path;
    };
    void BindVariables();
    void ReleasePrepared();
    void StopAllObjects();
    void ReleaseRunner();
    void BuryObjects();
    void FlushGraveyard(bool all);
    void ClearGroundJunk();
    void ResetFields(CMissionFramework& framework);
    CDropObject* MakeObject(CMissionFramework& framework, const Master& master);
    void StepDropper(CMissionFramework& framework, bool collecting);
    void UpdateAlways();
    void PlayCheer(CxEventSequenceFile* sequence);
    void PlaySound(const char* name);
    bool Collecting(CMissionFramework& framework);
    CCharacter* Dropper() const;
    bool IsDropperOccupied(CCharacter& dropper) const;
    void EndSequence(CMissionFramework& framework);

    CTown& m_Town;
    std::unique_ptr<CxEventSequenceFile> m_pPositive;
    std::unique_ptr<CxEventSequenceFile> m_pNegative;
    uint32_t m_nRunner = 0;
    std::vector<Master> m_Masters;
    std::vector<std::unique_ptr<CDropObject>> m_Objects;
    std::vector<std::unique_ptr<CDropObject>> m_Graveyard;
    std::unique_ptr<CxSprite> m_pMasterShadow;
    CxString m_strShadowPath;
    int32_t m_nCaught = 0;
    int32_t m_nMissed = 0;
    CxSprite m_JunkSprite;
    CxTimer m_WaveTimer;
    uint32_t m_nInterval = 0;
    bool m_bDropping = false;
    bool m_bDropperBusy = false;
    std::vector<std::unique_ptr<CMapObject>> m_GroundJunk;
    std::vector<std::unique_ptr<CxWave>> m_Sounds; // kept while they may play
    long m_nIntroId = 1, m_nEndVoId = 1, m_nSeqNumber = DROP_SEQ_CATCHING;
};

// Plugs a drop mission into the framework as kind 3 (the caller keeps both).
void InstallDropMission(CMissionFramework& framework, CDropMission& drop);
