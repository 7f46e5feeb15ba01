// CTruck: a super truck that drives.
//
// The town (or a test) updates a truck every 50 ms: Steer, Move, Pace. The
// truck turns one direction per update toward its target point, speeds up
// and brakes by the acceleration of its mode, bounces off solid sprites,
// loses control for a while after a crash, runs in turbo for a while, talks
// through per-direction mouths and plays engine sounds by its mode.
//
// Modes are the state number in every direction: 0 driving, 1 super
// (turbo), 2 bump. Sequences address a truck by its event type name
// (the truck file's "EventTypeName"; player trucks use "Truck"): the
// events "DriveTo", "DriveThru"/"DriveThrough", "RotateTo", "Talk", "Talk2"
// and "RandomTalk" (truck_events.h); any other line becomes a command for
// HandleCommand.
#pragma once

#include "engine/core/command_handler.h"
#include "engine/core/pause_resume.h"
#include "engine/core/timer.h"
#include "engine/graphics/animation.h"
#include "game/world/super_truck.h"

#include <cstdint>

class CLipSynch;
class CxSound;
class CxEventSequenceFile;
class ITruckView;

enum ETruckMode : int32_t
{
    TRUCK_MODE_DRIVING = 0,
    TRUCK_MODE_SUPER = 1,
    TRUCK_MODE_BUMP = 2,
};

enum ETruckSound : int32_t
{
    TRUCK_SOUND_DRIVING = 0,
    TRUCK_SOUND_SUPER,
    TRUCK_SOUND_BUMP,
    TRUCK_SOUND_IDLE,
    TRUCK_SOUND_CRASH,
    TRUCK_SOUND_HORN,
    TRUCK_SOUND_COUNT
};

constexpr int32_t TRUCK_TYRES = 4;
constexpr int32_t TRUCK_TALK_SETS = 2;
constexpr int32_t TRUCK_LOOP_COUNT = 99999;
constexpr int32_t TRUCK_DEFAULT_LOSE_CONTROL_MS = 400;
constexpr float TRUCK_BRAKE_DISTANCE = 60.0f;
constexpr float TRUCK_BRAKE_FACTOR = 0.04f;
constexpr int32_t TRUCK_SMASHABLE_ID = 20;

enum ETruckButton : int32_t
{
    TRUCK_BUTTON_LEFT = 0,
    TRUCK_BUTTON_RIGHT = 1,
    TRUCK_BUTTON_MIDDLE = 2,
};

// Everything the truck file and the commands set: copied whole by CopyFrom.
struct ST_TRUCK_SETTINGS
{
    float fMaxDrivingSpeed = 1.0f;
    float fDrivingAcceleration = 0.0f;
    float fMaxSuperSpeed = 1.0f;
    float fSuperAcceleration = 0.0f;
    float fMaxFrameRate = 10.0f;
    int32_t nMapScrollRadius = 0;
    int32_t nDefaultLoseControlTime = TRUCK_DEFAULT_LOSE_CONTROL_MS;
    int32_t nTurboTime = 4000;
    int32_t nShootInterval = 4000;
    int32_t nTargetThreshold = 20;
    bool bForceAngle = true;
    bool bDistanceAcceleration = true;
    bool bLoseControlOnCollisions = true;
    CxPoint ptTyres[TRUCK_TYRES][TRUCK_MAX_DIRECTIONS];
    CxString strLips[TRUCK_TALK_SETS][TRUCK_MAX_DIRECTIONS];
    CxPoint ptLips[TRUCK_TALK_SETS][TRUCK_MAX_DIRECTIONS];
    CxString strSounds[TRUCK_SOUND_COUNT];
    CxString strInterpTag;
    int32_t nEnemyID = 0;
    int32_t nHomeBuildingID = 0;
    CxPoint ptStartLocation;
    CxRect rcPerimeter;
    CxString strOnEnterPerimeter;
    CxString strOnShoot;
    CxPoint ptShotMovieOffsets[TRUCK_MAX_DIRECTIONS];
    CxPoint ptSpawnedShotOffsets[TRUCK_MAX_DIRECTIONS];
};

// Whether a mouse button honks: the middle one always, the right one unless
// the application style has APP_RIGHT_BUTTON_IS_LEFT (style 7 does).
bool IsHornButton(int32_t button, uint32_t appStyle);
// The scroll box of a truck on a view of size with scroll radius radius
// (kept within 0..min(w, h)): the screen rectangle the truck's centre stays in.
CxRect TruckScrollBox(const CxSize& size, int32_t radius);

class CTruck : public CSuperTruck,
               public CxTimerListener,
               public CxPauseResume,
               public CCommandHandler,
               public CxAnimationListener
{
public:
    CTruck();
    ~CTruck() override;

    uint32_t LoadFromFile(const char* fileName) override;
    // Deletes lips, sounds and movies, stops the timers, target (-1, -1).
    void UnloadTruck() override;
    // Loads master's file again (own movies; the cache shares the bytes)
    // and takes every setting and the driving state of master.
    uint32_t CopyFrom(const CTruck& master);

    // One update: steer (toward point when given), move, pace.
    void Steer(const CxPoint* point = nullptr);
    // Returns true when the sprite moved to another whole pixel.
    bool Move();
    void Pace();
    // Keeps the truck's centre in the scroll box of view.
    void ScrollMapAfter(ITruckView& view);
    void SetView(ITruckView* view) { m_pView = view; }

    void HandleCollision(CCollisionSprite* other) override;
    void SetMode(int32_t mode);
    // Plays the "HornSound".
    void Honk();
    // Plays one of the truck's sounds from its start (crash, horn).
    virtual void PlayEffect(int32_t which);
    void Shoot();
    // Talks with talk set (0 or 1) in the current direction; error 16 and
    // nothing played without lips there.
    uint32_t Talk(int32_t set, const CxLinkedList<CxString>& sounds);
    void StopTalking();
    // Stops: turbo timer, lips, speed and acceleration 0, target = centre.
    void StopTruck();
    // Speed and acceleration 0, target = centre.
    void StopTruckMotion();
    // Stops the sequence that drives the truck; only trucks driven by
    // sequences have one (moving_object.h).
    virtual void StopDriving() {}
    // Starts the "OnEnterPerimeter" sequence (the town calls it when the
    // player's truck enters the perimeter).
    void EnterPerimeter() { StartTruckSequence(&m_pPerimeterSequence, m_Set.strOnEnterPerimeter); }

    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;
    void OnTimer(CxTimer* timer) override;
    void OnAnimationActionDone(CxAnimation*) override {}

    // Centres the truck (float position too).
    void PlaceAt(const CxPoint& centre);
    void SetTarget(const CxPoint& target) { m_ptTarget = target; }
    const CxPoint& GetTarget() const { return m_ptTarget; }
    void SetTargetDirection(int32_t direction) { m_nTargetDirection = direction; }
    int32_t GetTargetDirection() const { return m_nTargetDirection; }
    int32_t GetMode() const { return m_nMode; }
    float GetSpeed() const { return m_fSpeed; }
    float GetMaxSpeed() const { return m_fMaxSpeed; }
    // As "SetMaxSpeed": never below 0.
    void SetMaxSpeed(float speed) { m_fMaxSpeed = speed < 0.0f ? 0.0f : speed; }
    float GetAcceleration() const { return m_fAcceleration; }
    const float* GetFloatPosition() const { return m_fPosition; }
    const float* GetDirectionVector() const { return m_fVector; }
    void SetDirectionVector(float x, float y)
    {
        m_fVector[0] = x;
        m_fVector[1] = y;
    }
    float GetFrameRate() const;
    ST_TRUCK_SETTINGS& Settings() { return m_Set; }
    const ST_TRUCK_SETTINGS& Settings() const { return m_Set; }
    bool IsOutOfControl() const { return m_LoseControl.IsRunning(); }
    bool IsTurboRunning() const { return m_Turbo.IsRunning(); }
    bool IsShootTimerRunning() const { return m_Shoot.IsRunning(); }
    CxSound* GetSound(int32_t which) const
    {
        return which >= 0 && which < TRUCK_SOUND_COUNT ? m_pSounds[which] : nullptr;
    }
    CxSound* GetLoopSound() const { return m_pLoopSound; }
    CLipSynch* GetLips(int32_t set, int32_t direction) const;
    CxEventSequenceFile* GetShootSequence() const { return m_pShootSequence; }
    // The sequence that drives the truck (the channel of its events), 0 none.
    void SetDrivingChannel(uint32_t channel) { m_nDrivingChannel = channel; }
    uint32_t GetDrivingChannel() const { return m_nDrivingChannel; }

protected:
    uint32_t LoadTruckKeys(CxOptions& file, const char* fileName) override;
    void LoadDirectionKeys(CxOptions& file);
    void LoadSoundKeys(CxOptions& file);
    void LoadNumberKeys(CxOptions& file);
    void LoadShotKeys(CxOptions& file);
    void OpenSounds();
    void OpenLips();
    void DeleteSoundsAndLips();
    void PlayLoop(CxSound* sound);
    // Starts a sequence of the truck (made afresh so its text is expanded now).
    void StartTruckSequence(CxEventSequenceFile** sequence, const CxString& name);
    bool HandleDrivingCommand(const CxString& command, const CxLinkedList<CxString>& arguments);
    bool HandleControlCommand(const CxString& command, const CxLinkedList<CxString>& arguments);
    void Pause() override;
    void Resume() override;

    ST_TRUCK_SETTINGS m_Set;
    float m_fPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_fVector[3] = {0.0f, 0.0f, 0.0f};
    CxPoint m_ptTarget{-1, -1};
    int32_t m_nTargetDirection = -1;
    float m_fMaxSpeed = 1.0f;
    float m_fSpeed = 0.0f;
    float m_fAcceleration = 0.0f;
    int32_t m_nMode = TRUCK_MODE_DRIVING;
    CxSound* m_pSounds[TRUCK_SOUND_COUNT] = {};
    CxSound* m_pLoopSound = nullptr;
    CLipSynch* m_pLips[TRUCK_TALK_SETS][TRUCK_MAX_DIRECTIONS] = {};
    CxTimerCallBack m_LoseControl;
    CxTimerCallBack m_Turbo;
    CxTimerCallBack m_Shoot;
    CxTimer m_FrameTimer;
    ITruckView* m_pView = nullptr;
    CxEventSequenceFile* m_pShootSequence = nullptr;
    CxEventSequenceFile* m_pPerimeterSequence = nullptr;
    uint32_t m_nDrivingChannel = 0;
    int32_t m_nPausedDirection = 0;
};
