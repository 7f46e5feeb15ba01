// CxGameWindow: a room, one full-screen scene of the game (the title, the
// town, the printing room). The application owns every room from Create to
// PreDestroy, keeps exactly one current, and switches rooms at the start of
// an idle pass through RoomLeaveBegin, RoomLeave, RoomLeaveDone of the old
// room and RoomPrepare, RoomEnter, RoomEnterDone, SetFocus of the new one.
// A paused room stays current; only its RoomUpdate stops.
//
// A room is a sprite in the display tree (usually its full-screen
// background) that takes the input focus when it becomes current. It is also
// a timer listener with its own timers and cleaner: leaving it kills its
// timers and empties the cleaner, every update empties the cleaner.
#pragma once

#include "engine/core/pause_resume.h"
#include "engine/core/room_timers.h"
#include "engine/core/timer.h"
#include "engine/graphics/sprite.h"

#include <cstdint>

class CxGameWindow : public CxSprite, public CxPauseResume, public CxTimerListener
{
public:
    CxGameWindow() = default;
    ~CxGameWindow() override = default;

    virtual void RoomPrepare();
    virtual void RoomEnter();
    virtual void RoomEnterDone();
    virtual void RoomLeaveBegin();
    // Stops the room's timers, then deletes what the room's cleaner holds.
    virtual void RoomLeave();
    virtual void RoomLeaveDone();
    // Deletes what the room's cleaner holds.
    virtual void RoomUpdate();
    virtual void RoomClose();

    long GetRoomID() const { return m_nRoomID; }
    void SetRoomID(long id) { m_nRoomID = id; }

    // Room timers call OnTimer of the room; a timer may be killed from inside
    // its own call (it is deleted on the room's next update).
    uint32_t SetTimer(long id, uint32_t interval, long userValue = 0)
    {
        return m_Timers.SetTimer(id, interval, userValue);
    }
    void KillTimer(long id) { m_Timers.KillTimer(id); }
    void KillAllTimers() { m_Timers.KillAllTimers(); }
    void PauseTimer(long id) { m_Timers.PauseTimer(id); }
    void ResumeTimer(long id) { m_Timers.ResumeTimer(id); }
    // The ID of one of this room's timers, -1 for any other.
    long GetTimerID(const CxTimer* timer) const { return m_Timers.GetTimerID(timer); }
    CxRoomTimers& GetRoomTimers() { return m_Timers; }
    // Objects whose deletion waits for the room's next update.
    CxCleaner& GetCleaner() { return m_Timers.GetCleaner(); }

    void OnTimer(CxTimer* timer) override;

protected:
    void Pause() override;
    void Resume() override;
    // Stops every timer the room started (the room's timer listener).
    virtual void StopRoomTimers();
    // Deletes every object whose deletion the room deferred.
    virtual void EmptyCleaner();

private:
    long m_nRoomID = -1;
    CxRoomTimers m_Timers{this, nullptr};
};
