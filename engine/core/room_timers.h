// CxRoomTimers: the timers and the cleaner of one room.
//
// A room owns one of these and forwards its timer operations to it; the
// room itself is the listener that every timer calls. Killed timers go to
// the cleaner rather than being deleted, so a timer may be killed from its
// own OnTimer; the room empties the cleaner on every update and when it is
// left.
#pragma once

#include "engine/base/linked_list.h"
#include "engine/core/cleaner.h"
#include "engine/core/error.h"
#include "engine/core/timer.h"

#include <cstdint>

class CxRoomTimers
{
public:
    // listener receives OnTimer of every timer; errors are set on owner (may be null).
    CxRoomTimers(CxTimerListener* listener, CxError* owner);
    CxRoomTimers(const CxRoomTimers&) = delete;
    CxRoomTimers& operator=(const CxRoomTimers&) = delete;
    // Kills every timer and empties the cleaner.
    ~CxRoomTimers();

    // Replaces any timer with this id by a new one without end that calls
    // the listener every interval ms. Returns 0, or 1 when out of memory.
    uint32_t SetTimer(long id, uint32_t interval, long userValue);
    // Takes the timer out of the list and hands it to the cleaner.
    void KillTimer(long id);
    void KillAllTimers();
    // The pause-counter protocol on that timer.
    void PauseTimer(long id);
    void ResumeTimer(long id);

    CxTimerCallBack* FindTimer(long id) const;
    // The id of one of these timers, or -1 when timer is not one of them.
    long GetTimerID(const CxTimer* timer) const;
    const CxLinkedList<CxTimerCallBack*>& GetTimers() const { return m_Timers; }

    CxCleaner& GetCleaner() { return m_Cleaner; }
    // Deletes what was handed to the cleaner (the room's update does this).
    void EmptyCleaner() { m_Cleaner.Empty(); }
    // What leaving a room does: stop all timers, then empty the cleaner.
    void Leave();

private:
    CxTimerListener* m_pListener;
    CxError* m_pOwner;
    CxLinkedList<CxTimerCallBack*> m_Timers;
    CxCleaner m_Cleaner;
};
