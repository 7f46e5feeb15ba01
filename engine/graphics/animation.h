// CxAnimation: drives a display object through a list of actions.
//
// An action may place the object, move it to a target at a speed, give it a
// depth, step its frames at a rate through a range, and last a duration; it
// runs a number of times before the next one starts, and the whole list
// repeats. Running animations are updated by one program-wide tick, a
// main-loop function that runs at most 100 times a second and is registered
// only while any animation runs.
//
// Repeats: SetRepeat(n) runs the list n times; 0 (or any value below 1)
// repeats it for as long as the animation runs.
#pragma once

#include "engine/base/linked_list.h"
#include "engine/base/object.h"
#include "engine/core/error.h"
#include "engine/core/pause_resume.h"
#include "engine/core/timer.h"

#include <cstdint>

class CxDisplayObject;
class CxSprite;
class CxAnimation;

// Action flags.
constexpr uint32_t ANIM_POSITION = 0x0001;
constexpr uint32_t ANIM_MOVE = 0x0002;
constexpr uint32_t ANIM_ANCHOR = 0x0004;
constexpr uint32_t ANIM_DEPTH = 0x0008;
constexpr uint32_t ANIM_SPEED = 0x0010;
constexpr uint32_t ANIM_RUNS = 0x0020;
constexpr uint32_t ANIM_DURATION = 0x0040;
constexpr uint32_t ANIM_FRAME_RATE = 0x0080;
constexpr uint32_t ANIM_FIRST_FRAME = 0x0100;
constexpr uint32_t ANIM_LAST_FRAME = 0x0200;
constexpr uint32_t ANIM_FRAME_FROM_START = 0x20000000;
constexpr uint32_t ANIM_NOTIFY_MOVE = 0x40000000;
constexpr uint32_t ANIM_STOP_AFTER = 0x80000000;

// Animation flags.
constexpr uint32_t ANIMATION_RUNNING = 0x01;
constexpr uint32_t ANIMATION_RELATIVE = 0x02;
constexpr uint32_t ANIMATION_IGNORE_POSITIONS = 0x04;

// The animation tick's rate.
constexpr uint32_t ANIMATION_TICKS_PER_SECOND = 100;

// One action: 14 words.
struct ST_ANIM_ACTION
{
    uint32_t nFlags = 0;
    int32_t nX = 0;
    int32_t nY = 0;
    int32_t nTargetX = 0;
    int32_t nTargetY = 0;
    int32_t nAnchor = 0;
    int32_t nDepth = 0;
    float fSpeed = 1.0f; // pixels per second
    int32_t nRuns = 1;
    int32_t nDuration = 0;   // milliseconds
    float fFrameRate = 0.0f; // frames per second
    int32_t nFirstFrame = 0;
    int32_t nLastFrame = 0;
    int32_t nReserved = 0;
};
static_assert(sizeof(ST_ANIM_ACTION) == 56, "an action is 14 words");

class CxAnimationListener
{
public:
    virtual ~CxAnimationListener() = default;
    // An action of the animation has ended.
    virtual void OnAnimationActionDone(CxAnimation* animation) = 0;
    // The object moved one step (actions with ANIM_NOTIFY_MOVE).
    virtual void OnAnimationMove(CxAnimation* animation) { (void)animation; }
};

class CxAnimation : public CxObject, public CxError, public CxPauseResume
{
public:
    CxAnimation();
    ~CxAnimation() override;

    virtual void Start(int32_t action = 0);
    virtual void Stop();
    // Records are copied.
    virtual void AddActions(const ST_ANIM_ACTION* actions, int32_t count);
    virtual void InsertActions(int32_t index, const ST_ANIM_ACTION* actions, int32_t count);
    virtual void RemoveAction(int32_t index);
    virtual void RemoveAllActions();
    // -1 is the current action; null when out of range.
    virtual ST_ANIM_ACTION* GetAction(int32_t index);
    virtual int32_t GetActionCount() const;
    virtual int32_t GetCurAction() const;
    virtual uint32_t SetCurAction(int32_t index, bool restart);
    virtual void SetRepeat(int32_t count);
    virtual void SetDisplayObject(CxDisplayObject* object);
    virtual void SetListener(CxAnimationListener* listener);
    // One step (called by the tick).
    virtual void Update();

    CxDisplayObject* GetDisplayObject() const { return m_pObject; }
    bool IsRunning() const { return (m_nFlags & ANIMATION_RUNNING) != 0; }
    void SetFlags(uint32_t bits, bool on) { m_nFlags = on ? (m_nFlags | bits) : (m_nFlags & ~bits); }
    uint32_t GetFlags() const { return m_nFlags; }
    int32_t GetRunsLeft() const { return m_nRunsLeft; }
    int32_t GetRepeatsLeft() const { return m_nRepeatsLeft; }

    // The program-wide tick: updates every running animation when 10 ms have
    // passed since the last update pass.
    static void Tick();
    static int32_t CountRunning();

protected:
    void Pause() override;
    void Resume() override;
    void NextAction();
    void StepFrames(const ST_ANIM_ACTION& action);

    CxLinkedList<ST_ANIM_ACTION*> m_Actions;
    CxTimer m_MoveTimer;
    CxTimer m_FrameTimer;
    CxTimer m_DurationTimer;
    CxAnimationListener* m_pListener = nullptr;
    CxDisplayObject* m_pObject = nullptr;
    CxSprite* m_pSprite = nullptr;
    double m_fX = 0.0;
    double m_fY = 0.0;
    int32_t m_nCurAction = 0;
    int32_t m_nRunsLeft = 1;
    int32_t m_nRepeat = 1;
    int32_t m_nRepeatsLeft = 1;
    uint32_t m_nFrameInterval = 0;
    uint32_t m_nFlags = 0;
};
