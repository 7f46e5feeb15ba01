// The fishing mission (mission kind 6): junk floats down the river in five
// lanes; a click on the water casts a line from the truck's rod; the lure
// flies out, lands and is reeled back; a piece of junk that touches the
// lure in the water is snagged and pulled out at the bank. Vodu, a river
// creature, idles on the bank (level 0) or drifts down the river like the
// junk (higher levels) and answers when the lure or a snagged piece hits it.
//
// CFishingMission plugs into the mission framework as kind 6: its start
// loads the eight junk masters ("$GAMEPATH\TARGETS\t3_junk%d.ini"), sets the
// lanes and spawns the first junk; the town's update measures the truck's
// way to the dock until the intro scene runs, whose "Town.StartFishing()"
// starts the 100 ms fishing tick. Clicks on the map cast; every catch lights
// a HUD icon and speeds up the lanes; the last one plays the end scene.
//
// Mission keys, section [Mission]: CastSpeed (40.0), ReelSpeed (10.0),
// PlusChannelSpeed (0.5), BaseChannelSpeed (1.0), FastRecasting (0),
// VoduIdlePos "x,y" (5750,3365). Speeds that are not positive numbers take
// their defaults: a line that never arrives or never comes back, or junk
// that never leaves the river, would hang the mission.
//
// Output lines: "fishing: started", "fishing: cast from X,Y to X,Y" (map
// points of the rod tip and the click), "fishing: caught N of REQ".
//
// Everything ticks inside the town's update (the line every 30 ms, the
// fishing every 100 ms, caught up by the elapsed time), so nothing is ever
// deleted under a line of a sequence or a timer of its own.
#pragma once

#include "engine/core/timer.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/sprite.h"
#include "game/missions/mission.h"
#include "game/world/super_sprite.h"
#include "game/world/talking_sprite.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CxDrawSurface;
class CxOptions;

constexpr int32_t FISH_LANES = 5;
constexpr int32_t FISH_MASTERS = 8;
constexpr int32_t FISH_START_PIECES = 4;
constexpr uint32_t FISH_TICK = 100;        // ms between fishing ticks
constexpr uint32_t FISH_LINE_TICK = 30;    // ms between line steps
constexpr uint32_t FISH_KNOCK_TIME = 1500; // ms a knocked piece spins
constexpr int32_t FISH_INTRO_RADIUS = 250; // truck to the dock point
constexpr int32_t FISH_MIN_CAST = 150;     // a shorter cast is no cast
constexpr float FISH_REELED_IN = 130.0f;   // lure distance of a reeled-in line
constexpr int32_t FISH_LEFT_EDGE = 5200;   // junk left of it is gone
constexpr int32_t FISH_BOTTOM_EDGE = 3600; // junk below it is gone
constexpr uint32_t FISH_COMPLETED_BIT = 0x10;
constexpr float FISH_DEFAULT_CAST = 40.0f;
constexpr float FISH_DEFAULT_REEL = 10.0f;
constexpr float FISH_DEFAULT_PLUS = 0.5f;
constexpr float FISH_DEFAULT_BASE = 1.0f;
constexpr float FISH_MIN_LANE_SPEED = 0.1f;

// Fishing phases and line and junk states.
enum : int32_t
{
    FISH_PHASE_WAITING = 0,
    FISH_PHASE_INTRO = 1,
    FISH_PHASE_FISHING = 2,
    FISH_PHASE_DONE = 3
};
enum : int32_t
{
    LINE_IDLE = 0,
    LINE_CASTING = 1,
    LINE_IN_WATER = 2,
    LINE_REELING = 3,
    LINE_REELED_IN = 4
};
enum : int32_t
{
    JUNK_FLOATING = 0,
    JUNK_KNOCKED = 2,
    JUNK_PULLED = 3
};

// The lanes' start points, where junk enters the river.
extern const CxPoint FISH_LANE_STARTS[FISH_LANES];
// The dock point the truck drives to for the intro.
extern const CxPoint FISH_DOCK_POINT;

// A lane speed at the start: base + 4 × ((random % 10000) × 0.00010001).
float FishLaneSpeed(float base);
// A mission speed read from a file: value when it is a positive finite
// number, else fallback.
float FishSpeedOrDefault(float value, float fallback);

// The mission file's fishing keys, defaults and fallbacks applied: the
// speeds are positive finite numbers, the speed-up a finite one.
struct FishingKeys
{
    float castSpeed = FISH_DEFAULT_CAST;
    float reelSpeed = FISH_DEFAULT_REEL;
    float plusSpeed = FISH_DEFAULT_PLUS;
    float baseSpeed = FISH_DEFAULT_BASE;
    long fastRecasting = 0;
    CxPoint voduIdle{5750, 3365};
};
FishingKeys ReadFishingKeys(CxOptions& file);

// Something that floats on the river: float position and velocity.
struct CFloater
{
    float pos[3] = {0, 0, 0};
    float vel[3] = {0, 0, 0};
    void Place(const CxPoint& start, float speed);
    void Drift();
    bool IsOut() const { return pos[0] < FISH_LEFT_EDGE || pos[1] > FISH_BOTTOM_EDGE; }
    CxPoint Point() const;
};

// One piece of junk; masters are loaded from file and never shown, copies
// share their master's states (a master outlives its copies).
class CJunk : public CSuperSprite, public CFloater
{
public:
    int32_t m_nLane = 0;
    bool m_bMaster = false;
    CxTimer m_Timer; // one shot: the knock and the pull
    // Whether the pull-out animation has ended; a piece without a pull-out
    // state is done at once.
    bool IsPullFinished() const;
};

// Vodu: a talking figure with two sequences of its own, "OnHit" and
// "OnClick", named in [QexSprite] of its file.
class CVodu : public CCharacter, public CFloater
{
public:
    ~CVodu() override;
    uint32_t LoadSpriteKeys(CxOptions& file, const char* section) override;
    bool IsBusy() const;
    bool PlayOnHit() { return StartOwnSequence(m_pOnHit); }
    bool PlayOnClick() { return StartOwnSequence(m_pOnClick); }
    bool HasOnHit() const { return m_pOnHit != nullptr; }
    bool HasOnClick() const { return m_pOnClick != nullptr; }

private:
    CxEventSequenceFile* m_pOnHit = nullptr;
    CxEventSequenceFile* m_pOnClick = nullptr;
    CxString m_strOnHit, m_strOnClick;
};

// The line: a display object on the map that draws a 2 px dark line from
// the rod tip to the lure, and the lure sprite (a bobber) at the lure.
class CFishingLine : public CxDisplayObject
{
public:
    CFishingLine();
    ~CFishingLine() override;

    // Attaches the line and the lure (from its image, may be missing) to map.
    void Attach(CxDisplayObject* map, const char* lureFile);
    // Hides the line and takes it and the lure off the map.
    void TakeOffMap();
    void SetSpeeds(float cast, float reel);
    // Starts a cast from origin towards target (when further than 150 px).
    bool Cast(const CxPoint& origin, const CxPoint& target, int32_t depth);
    // One line tick.
    void Step();
    // The line steps due since the last call (caught up, at most a few).
    void Poll();
    // Idle and hidden, its timer reset.
    void SetIdle();
    void Paint(CxDrawSurface* surface, const CxRect& rect) override;

    int32_t GetLineState() const { return m_nState; }
    void SetLineState(int32_t state) { m_nState = state; }
    bool IsInWater() const { return m_nState == LINE_IN_WATER || m_nState == LINE_REELING; }
    const float* GetLure() const { return m_Lure; }
    CxPoint GetLurePoint() const;
    const CxPoint& GetOrigin() const { return m_ptOrigin; }
    const CxPoint& GetTarget() const { return m_ptTarget; }
    float GetCastSpeed() const { return m_fCastSpeed; }
    float GetReelSpeed() const { return m_fReelSpeed; }
    CxSprite& Lure() { return m_LureSprite; }
    CxTimer& Timer() { return m_Timer; }

private:
    void Refresh();

    int32_t m_nState = LINE_IDLE;
    CxPoint m_ptOrigin, m_ptTarget;
    float m_Lure[2] = {0, 0};
    float m_Step[2] = {0, 0};
    float m_fCastSpeed = FISH_DEFAULT_CAST;
    float m_fReelSpeed = FISH_DEFAULT_REEL;
    CxTimer m_Timer;
    uint32_t m_nSteps = 0;
    CxSprite m_LureSprite;
};

class CFishingMission : public IMissionKind
{
public:
    explicit CFishingMission(CTown& town);
    ~CFishingMission() override;
    CFishingMission(const CFishingMission&) = delete;
    CFishingMission& operator=(const CFishingMission&) = delete;

    void Start(CMissionFramework& framework) override;
    void Stop(CMissionFramework& framework) override;
    void Update(CMissionFramework& framework) override;
    void MapClicked(CMissionFramework& framework, const CxPoint& mapPoint) override;
    bool Command(CMissionFramework& framework, const CxString& command,
                 const CxLinkedList<CxString>& arguments) override;

    // "StartFishing": phase 2, the tick and the stopwatch started.
    void StartFishing(CMissionFramework& framework);
    // One fishing tick (the update runs those due).
    void Tick(CMissionFramework& framework);
    // One piece on the next lane (none without a loaded master).
    CJunk* Spawn();

    int32_t GetPhase() const { return m_nPhase; }
    bool IsSpawning() const { return m_bSpawning; }
    int32_t GetLaneCounter() const { return m_nLaneCounter; }
    float GetLaneSpeed(int32_t lane) const { return m_LaneSpeeds[static_cast<size_t>(lane)]; }
    size_t GetMasterCount() const;
    const std::vector<std::unique_ptr<CJunk>>& GetFloating() const { return m_Floating; }
    CJunk* GetSnagged() const { return m_pSnagged.get(); }
    CVodu* GetVodu() const { return m_pVodu.get(); }
    CFishingLine& Line() { return m_Line; }
    CxTimer& TickTimer() { return m_TickTimer; }
    bool IsFastRecasting() const { return m_nFastRecasting != 0; }
    float GetPlusSpeed() const { return m_fPlusSpeed; }
    const CxPoint& GetVoduIdlePos() const { return m_ptVoduIdle; }

private:
    void ReadKeys(CMissionFramework& framework);
    void LoadMasters();
    void CreateVodu(CMissionFramework& framework);
    int32_t NextLane();
    void Snag();
    void ReeledIn(CMissionFramework& framework);
    void Catch(CMissionFramework& framework);
    void Win(CMissionFramework& framework);
    void DragSnagged();
    void Drift();
    void Recover();
    void DestroyAll();
    void PlayScene(const char* name);

    CTown& m_Town;
    int32_t m_nPhase = FISH_PHASE_DONE;
    bool m_bSpawning = false;
    bool m_bStarted = false;
    int32_t m_nLaneCounter = 0;
    std::array<float, FISH_LANES> m_LaneSpeeds{};
    std::array<std::unique_ptr<CJunk>, FISH_MASTERS> m_Masters;
    std::vector<std::unique_ptr<CJunk>> m_Floating;
    std::unique_ptr<CJunk> m_pSnagged;
    std::unique_ptr<CVodu> m_pVodu;
    bool m_bVoduDrifts = false;
    CFishingLine m_Line;
    CxTimer m_TickTimer;
    uint32_t m_nTicks = 0;
    float m_fPlusSpeed = FISH_DEFAULT_PLUS;
    float m_fBaseSpeed = FISH_DEFAULT_BASE;
    long m_nFastRecasting = 0;
    CxPoint m_ptVoduIdle{5750, 3365};
};
