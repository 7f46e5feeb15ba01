// Super sprites: the game's multi-state animated objects.
//
// A CSuperSprite shows one of several numbered states; each state
// (CSuperState) is an image cut into frames with a list of frame records,
// played through the sprite's CxAnimation. All states come from one sprite
// file in the option-file format:
//
//   [QexSprite]  Name, EventTypeName, SolidObject, EnemyImmune, ZOffset,
//                OnBumped, OnCollide, NumStates, CollisionRect "l, t, r, b"
//   [State000]   FileName, NumFrames, NumUniqueFrames, StartFrame,
//                FrameRate, XYPerFrame, Frame%03d "x, y, frame"
//
// A state either plays its image frames StartFrame..last at FrameRate, or
// (XYPerFrame 1) shows one record per frame: an image frame at an offset
// from the sprite's home position for 1000 / FrameRate milliseconds.
//
// Sequences address a sprite by its event type name (or as "this" in its
// own sequences): "PlayOnce", "PlayOnceAndContinue" and "PlayInfinite" make
// play events (super_sprite_events.h); any other line becomes a command for
// HandleCommand: "Erase", "Paint" [x y], "SetState" s, "SetBumpable" 0/1.
//
// Pauses nest: the sprite pauses its animation and its sequence channel on
// the first pause and resumes them on the last resume.
#pragma once

#include "engine/base/array.h"
#include "engine/base/cx_string.h"
#include "engine/core/command_handler.h"
#include "engine/core/pause_resume.h"
#include "engine/graphics/animation.h"
#include "game/world/collision_sprite.h"

#include <cstdint>

class CxOptions;

constexpr int32_t SUPER_SPRITE_FOREVER = 999999999;
constexpr float SUPER_SPRITE_DEFAULT_RATE = 12.0f;
constexpr uint32_t SUPER_SPRITE_TEXT_SIZE = 256;

// Loads a game image into a sprite, cut into frameCount frames, and gives it
// the game's colour key.
uint32_t LoadGameSpriteImage(CxSprite* sprite, const char* fileName, int32_t frameCount);
// Expands the game's variables in a text of a sprite file.
CxString InterpolateGameText(const char* text);

// One frame record of a state.
struct ST_STATE_FRAME
{
    int32_t nX = 0;
    int32_t nY = 0;
    int32_t nFrame = 0;
    int32_t nDuration = 0; // milliseconds
};

class CSuperState : public CxSprite
{
public:
    // Records: either one per frame, or one range played at a rate.
    void SetRange(int32_t first, int32_t last, float rate);
    bool AddFrame(const ST_STATE_FRAME& frame);
    bool IsPerFrame() const { return m_bPerFrame; }
    uint32_t GetRecordCount() const { return m_bPerFrame ? m_Frames.GetCount() : 1; }
    const ST_STATE_FRAME& GetFrameRecord(uint32_t index) const { return m_Frames[index]; }
    int32_t GetFirstFrame() const { return m_nFirst; }
    int32_t GetLastFrame() const { return m_nLast; }
    float GetRate() const { return m_fRate; }
    // Whether any record moves the sprite away from its home position.
    bool HasOffsets() const;
    // The animation actions that play the records; offsets from home.
    void AddActions(CxAnimation& animation, const CxPoint& home) const;

private:
    CxArray<ST_STATE_FRAME> m_Frames;
    int32_t m_nFirst = 0;
    int32_t m_nLast = 0;
    float m_fRate = SUPER_SPRITE_DEFAULT_RATE;
    bool m_bPerFrame = false;
};

class CSuperSprite : public CCollisionSprite, public CxPauseResume, public CCommandHandler
{
public:
    CSuperSprite();
    // Stops the animation, gives up the event type name and deletes the
    // states unless they are shared. A sprite that shares another's states
    // must be deleted before that one.
    ~CSuperSprite() override;

    // Loads the sprite file; sections, when given, name the state sections
    // in order instead of "State000", "State001", ... Returns an error code.
    virtual uint32_t LoadFromFile(const char* fileName, const CxLinkedList<CxString>* sections = nullptr);
    // Stops, deletes the states (unless shared) and the sequences.
    virtual void UnloadStates();
    // Puts a state into its entry, deleting the one there unless shared.
    virtual void SetStateObject(int32_t index, CSuperState* state);
    // Loads the state of one section into entry index. Returns an error code.
    virtual uint32_t LoadState(CxOptions& file, const char* section, int32_t index);
    virtual void DeleteState(int32_t index);
    // Play a state once, or 999999999 times; -1 keeps the current state.
    virtual void PlayOnce(int32_t state);
    virtual void PlayForever(int32_t state);
    // Stops, selects the state (unless -1) and starts it from its first record.
    virtual void SelectAndStart(int32_t state);
    virtual void StopAnimation();
    // Hands a listener to the animation.
    virtual void SetAnimationListener(CxAnimationListener* listener);
    virtual bool IsAnimationFinished() const;
    // Shows the state's first frame without playing it (numbers out of range are ignored).
    virtual void SetState(int32_t state);
    virtual int32_t GetState() const { return m_nState; }
    virtual int32_t GetNumStates() const { return m_nNumStates; }
    // Hooks of subclasses: keys of [QexSprite] read after the sprite's own,
    // and keys of a state section read after the state was loaded.
    virtual uint32_t LoadSpriteKeys(CxOptions& file, const char* section);
    virtual uint32_t LoadStateKeys(CxOptions& file, const char* section, int32_t index);

    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;

    bool IsValidState(int32_t state) const { return state >= 0 && state < m_nNumStates; }
    CSuperState* GetStateObject(int32_t index) const;
    // Uses the states of master (not owned); master must outlive this sprite.
    void ShareStatesOf(CSuperSprite* master);
    bool HasSharedStates() const { return m_bSharedStates; }
    const CxString& GetName() const { return m_strName; }
    CxAnimation& GetAnimation() { return m_Animation; }
    // Where per-frame offsets count from; "Paint x y" sets it too.
    void SetHomePosition(const CxPoint& home);

protected:
    void Pause() override;
    void Resume() override;
    // Shows the state's image (borrowed) in place; an empty entry shows nothing.
    void SelectState(int32_t state);
    bool AllocateStates(int32_t count);
    void ReadSpriteKeys(CxOptions& file, const char* fileName);

    CxString m_strName;
    CxArray<CSuperState*> m_States;
    int32_t m_nNumStates = 0;
    int32_t m_nState = 0;
    CxAnimation m_Animation;
    CxPoint m_ptHome;
    bool m_bHomeSet = false;
    bool m_bSharedStates = false;
};
