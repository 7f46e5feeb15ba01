// CBaseWindow: the base of every full-screen room of the game.
//
// Around the engine's room switch it gives all rooms the same behaviour:
// - a private event channel, created when the room is entered and destroyed
//   (its events flushed) when it is left; the room listens to it meanwhile,
//   and PlaySequence posts scripted scenes to it. The room also listens to
//   the private channel of each sequence it plays until that sequence ends,
//   so it hears the "Notify" lines inside the scene;
// - a fade movie when a room is entered and when it is left. The first room
//   the program enters gets no fade in, and a room left while the program
//   quits gets no fade out;
// - an idle timer: when the player does nothing for the idle interval the
//   idle level rises (1, 2, 3) and OnIdlePrompt lets the room give a hint.
//   Input restarts the countdown but does not lower the level;
// - the one confirmation dialog the room may show (AskYesNo), during which
//   the room is paused.
//
// Pausing the room (the pause counter) stops its update, and with it the
// idle prompts, and also holds its idle timer, its room timers and its
// channel, so nothing of the room advances while a fade or a question runs.
#pragma once

#include "engine/core/event.h"
#include "engine/core/timer.h"
#include "engine/frame/game_window.h"
#include "game/world/yes_no_hook.h"

#include <cstdint>
#include <utility>
#include <vector>

constexpr uint32_t BASE_WINDOW_IDLE_INTERVAL = 20000; // ms without input before a prompt
constexpr int32_t BASE_WINDOW_MAX_IDLE_LEVEL = 3;
extern const char* const BASE_WINDOW_FADE_IN;  // played when a room is entered
extern const char* const BASE_WINDOW_FADE_OUT; // played when a room is left

class CBaseWindow;

// The room's ear on its channel; it consumes nothing, so the other listeners
// hear every notice too.
class CBaseWindowListener : public CxEventListener
{
public:
    explicit CBaseWindowListener(CBaseWindow* room) : m_pRoom(room) {}
    int32_t OnEvent(uint32_t channel, CxEvent* event) override;

private:
    CBaseWindow* m_pRoom;
};

// Plays one fade movie to its end, blocking; returns its error code.
using PFN_PLAY_FADE = uint32_t (*)(const char* fileName);

class CBaseWindow : public CxGameWindow
{
public:
    CBaseWindow();
    ~CBaseWindow() override;

    void RoomEnter() override;
    void RoomEnterDone() override;
    void RoomLeaveBegin() override;
    void RoomLeave() override;
    void RoomUpdate() override;

    // A hint for idle level 1, 2 or 3; nothing in the base.
    virtual void OnIdlePrompt(int32_t level);
    // Called for every notice of the room's channel and of the sequences it
    // plays ("Notify" lines are CInfoEvents); nothing in the base.
    virtual void OnRoomEvent(uint32_t channel, CxEvent* event);
    // What the listener hears: ends listening to a finished sequence's channel, then OnRoomEvent.
    void HearEvent(uint32_t channel, CxEvent* event);

    // Loads the sequence file (through the path roots, with the game's
    // interpolator) and posts it, deleted when done, to the channel or, for
    // channel 0, to the room's own. Returns 0, or the error of posting (16
    // when the room is not current) or 1 when out of memory.
    uint32_t PlaySequence(const char* fileName, uint32_t channel = 0);
    // Level 0 and a fresh countdown of the idle interval.
    void StartIdlePrompts();
    // The answer of the confirmation dialog of that type; the room is paused meanwhile.
    // shown: as CYesNoHook::Ask.
    int32_t AskYesNo(int32_t type, bool* shown = nullptr);
    // Takes effect at the next start of the idle timer.
    void SetIdleInterval(uint32_t milliseconds) { m_nIdleInterval = milliseconds; }
    // A fresh countdown when the idle timer runs and is not paused.
    void RestartIdleTimer();

    uint32_t GetChannel() const { return m_nChannel; }
    int32_t GetIdleLevel() const { return m_nIdleLevel; }
    uint32_t GetIdleInterval() const { return m_nIdleInterval; }
    const CxTimer& GetIdleTimer() const { return m_IdleTimer; }
    CYesNoHook& GetYesNoHook() { return m_YesNoHook; }
    CBaseWindowListener& GetListener() { return m_Listener; }

    // Set at start: the next room entry plays no fade in (then it is cleared).
    static void SetSkipFade(bool skip);
    static bool GetSkipFade();
    // Replaces the fade player (null: the movie player); returns the previous one.
    static PFN_PLAY_FADE SetFadePlayer(PFN_PLAY_FADE player);

    // Input restarts the idle countdown, then goes on as usual.
    void OnKeyDown(uint32_t key, uint32_t flags) override;
    void OnKeyUp(uint32_t key, uint32_t flags) override;
    void OnMouseMove(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonDown(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonUp(uint32_t buttons, const CxPoint& point) override;
    void OnLButtonDblClk(uint32_t buttons, const CxPoint& point) override;
    void OnRButtonDown(uint32_t buttons, const CxPoint& point) override;
    void OnRButtonUp(uint32_t buttons, const CxPoint& point) override;
    void OnMouseWheel(uint32_t buttons, const CxPoint& point, int32_t extra) override;
    // The room's own buttons handle the mouse themselves; what they report
    // up the tree is the player's input too.
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;

protected:
    // Stops whatever still runs on the room's channel and destroys it; a room
    // whose scenes use objects it frees on leaving calls this first.
    void EndRoomChannel();
    void Pause() override;
    void Resume() override;
    // Pauses the room, plays the movie (a name with path roots) and resumes.
    virtual void Fade(const char* movie);

private:
    // Brings the pause counter back to 0, resuming what a pause held.
    void ClearPauses();
    // Stops listening to the private channels of the sequences played.
    void ForgetSequences();

    CBaseWindowListener m_Listener;
    CYesNoHook m_YesNoHook;
    uint32_t m_nChannel = 0;
    CxTimer m_IdleTimer;
    int32_t m_nIdleLevel = 0;
    uint32_t m_nIdleInterval = BASE_WINDOW_IDLE_INTERVAL;
    // Sequences playing for the room, with their private channels.
    std::vector<std::pair<const CxEvent*, uint32_t>> m_Sequences;
};
