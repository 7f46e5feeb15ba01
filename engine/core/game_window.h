// CxGameWindow: a room, one full-screen scene of the game (the title, the
// town, the printing room). The application owns every room from Create to
// PreDestroy, keeps exactly one current, and switches rooms at the start of
// an idle pass through RoomLeaveBegin, RoomLeave, RoomLeaveDone of the old
// room and RoomPrepare, RoomEnter, RoomEnterDone, SetFocus of the new one.
// A paused room stays current; only its RoomUpdate stops.
//
// A room is also a display object (a sprite with the input focus) and a
// timer listener with its own cleaner; those bases join from the display and
// event code. Until then the room's timers and cleaner are reached through
// the two hooks StopRoomTimers and EmptyCleaner, which do nothing here.
#pragma once

#include "engine/core/object.h"
#include "engine/core/pause_resume.h"

#include <cstdint>

class CxGameWindow : public CxObject, public CxPauseResume
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
    // Takes the input focus from its previous holder.
    virtual void SetFocus();

    long GetRoomID() const { return m_nRoomID; }
    void SetRoomID(long id) { m_nRoomID = id; }

protected:
    void Pause() override;
    void Resume() override;
    // Stops every timer the room started (the room's timer listener).
    virtual void StopRoomTimers();
    // Deletes every object whose deletion the room deferred.
    virtual void EmptyCleaner();

private:
    long m_nRoomID = -1;
};
