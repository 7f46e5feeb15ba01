// The events of a truck, made by its event creator:
//   "DriveTo" x y [flag]        CTruckDriveEvent: done when the centre is within
//                               the target threshold; then the truck stops unless
//                               flag is given and not 0
//   "DriveThru"/"DriveThrough"  the same without stopping
//   "RotateTo" d                CTruckRotateEvent: done when the direction is d
//   "Talk"/"Talk2" files...     CTruckTalkEvent with talk set 1 or 2
//   "RandomTalk" files...       one file picked at random, talk set 1
// The events count as paused while the truck's pause count is above 0;
// pausing an event pauses the truck.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/geometry.h"
#include "engine/base/linked_list.h"
#include "engine/core/event.h"

#include <cstdint>

class CTruck;

class CTruckEvent : public CxEvent
{
public:
    explicit CTruckEvent(CTruck* truck) : m_pTruck(truck) {}

    void Start() override;
    void Pause() override;
    void Resume() override;
    bool IsBlocked() override;
    CTruck* GetTruck() const { return m_pTruck; }

protected:
    CTruck* m_pTruck;
    int32_t m_nPauses = 0;
};

class CTruckDriveEvent : public CTruckEvent
{
public:
    CTruckDriveEvent(CTruck* truck, const CxPoint& target, bool stopAtEnd)
        : CTruckEvent(truck), m_ptTarget(target), m_bStopAtEnd(stopAtEnd)
    {
    }
    void Start() override;
    void Stop() override;
    bool IsFinished() override;
    const CxPoint& GetTarget() const { return m_ptTarget; }
    bool StopsAtEnd() const { return m_bStopAtEnd; }

private:
    CxPoint m_ptTarget;
    bool m_bStopAtEnd;
    bool m_bDone = false;
};

class CTruckRotateEvent : public CTruckEvent
{
public:
    CTruckRotateEvent(CTruck* truck, int32_t direction) : CTruckEvent(truck), m_nDirection(direction) {}
    void Start() override;
    void Stop() override;
    bool IsFinished() override;
    int32_t GetDirection() const { return m_nDirection; }

private:
    int32_t m_nDirection;
    bool m_bDone = false;
};

class CTruckTalkEvent : public CTruckEvent
{
public:
    CTruckTalkEvent(CTruck* truck, int32_t set, const CxLinkedList<CxString>& sounds);
    void Start() override;
    void Stop() override;
    bool IsFinished() override;
    int32_t GetSet() const { return m_nSet; }
    const CxLinkedList<CxString>& GetSounds() const { return m_Sounds; }

private:
    int32_t m_nSet;
    int32_t m_nDirection = 0;
    CxLinkedList<CxString> m_Sounds;
    bool m_bDone = false;
};

// The truck event of a line, or null when the command is none of them (or,
// after DropEventQuietly and a log entry, when its arguments do not fit).
CxEvent* CreateTruckEvent(CTruck* truck, const CxString& command, const CxLinkedList<CxString>& arguments,
                          bool* handled);
