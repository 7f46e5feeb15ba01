#include "game/world/truck_events.h"

#include "engine/core/event_creator.h"
#include "engine/core/log.h"
#include "engine/core/random.h"
#include "game/world/direction_table.h"
#include "game/world/lip_synch.h"
#include "game/world/truck.h"

#include <cerrno>
#include <cstdlib>
#include <new>

namespace {
// A whole number of an argument; false when the text is none.
bool ParseLong(const CxString& text, long* value)
{
    char* end = nullptr;
    errno = 0;
    *value = strtol(text.c_str(), &end, 10);
    return end != text.c_str() && errno == 0;
}

CxEvent* Reject(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    CxString line = command;
    for (auto* node = arguments.GetHead(); node; node = node->GetNext())
    {
        line += " ";
        line += node->m_Value;
    }
    LogEntry(CX_LOG_WARNING, "Truck: the line \"%s\" lacks arguments", line.c_str());
    DropEventQuietly();
    return nullptr;
}
} // namespace

void CTruckEvent::Start()
{
    m_bStarted = true;
}

void CTruckEvent::Pause()
{
    if (!m_pTruck)
        return;
    ++m_nPauses;
    m_pTruck->AddPause();
}

void CTruckEvent::Resume()
{
    if (!m_pTruck || m_nPauses == 0)
        return;
    --m_nPauses;
    m_pTruck->RemovePause();
}

bool CTruckEvent::IsBlocked()
{
    return m_pTruck && m_pTruck->IsPaused();
}

void CTruckDriveEvent::Start()
{
    CTruckEvent::Start();
    m_bDone = !m_pTruck;
    if (m_pTruck)
    {
        m_pTruck->SetTarget(m_ptTarget);
        m_pTruck->Steer();
    }
}

void CTruckDriveEvent::Stop()
{
    if (m_pTruck && !m_bDone)
        m_pTruck->StopTruck();
    m_bDone = true;
}

bool CTruckDriveEvent::IsFinished()
{
    if (!m_bStarted)
        return false;
    if (m_bDone)
        return true;
    const CxPoint centre = m_pTruck->GetCentre();
    const int64_t dx = static_cast<int64_t>(centre.x) - m_ptTarget.x;
    const int64_t dy = static_cast<int64_t>(centre.y) - m_ptTarget.y;
    const int64_t threshold = m_pTruck->Settings().nTargetThreshold;
    if (dx * dx + dy * dy >= threshold * threshold)
        return false;
    m_bDone = true;
    if (m_bStopAtEnd)
    {
        // Stops where it is; turbo and mouths are left alone.
        m_pTruck->StopTruckMotion();
    }
    return true;
}

void CTruckRotateEvent::Start()
{
    CTruckEvent::Start();
    m_bDone = !m_pTruck;
    if (m_pTruck)
    {
        // A direction outside the truck's range is taken modulo its count.
        m_nDirection = WrapDirection(m_nDirection, m_pTruck->GetNumDirections());
        m_pTruck->SetTargetDirection(m_nDirection);
    }
}

void CTruckRotateEvent::Stop()
{
    if (m_pTruck)
        m_pTruck->SetTargetDirection(-1);
    m_bDone = true;
}

bool CTruckRotateEvent::IsFinished()
{
    if (!m_bStarted)
        return false;
    if (m_bDone)
        return true;
    if (m_pTruck->GetDirection() != m_nDirection)
        return false;
    m_pTruck->SetTargetDirection(-1);
    m_bDone = true;
    return true;
}

CTruckTalkEvent::CTruckTalkEvent(CTruck* truck, int32_t set, const CxLinkedList<CxString>& sounds)
    : CTruckEvent(truck), m_nSet(set)
{
    for (auto* node = sounds.GetHead(); node; node = node->GetNext())
        m_Sounds.AddTail(node->m_Value);
}

void CTruckTalkEvent::Start()
{
    CTruckEvent::Start();
    m_nDirection = m_pTruck ? m_pTruck->GetDirection() : 0;
    // Without lips, or with nothing that can be said, there is nothing to wait for.
    m_bDone = !m_pTruck || m_pTruck->Talk(m_nSet, m_Sounds) != CX_ERR_NONE;
}

void CTruckTalkEvent::Stop()
{
    if (m_pTruck)
        m_pTruck->StopTalking();
    m_bDone = true;
}

bool CTruckTalkEvent::IsFinished()
{
    if (!m_bStarted)
        return false;
    if (m_bDone)
        return true;
    CLipSynch* lips = m_pTruck->GetLips(m_nSet, m_nDirection);
    return !lips || !lips->IsActive();
}

CxEvent* CreateTruckEvent(CTruck* truck, const CxString& command, const CxLinkedList<CxString>& arguments,
                          bool* handled)
{
    *handled = true;
    const bool driveTo = command.EqualsNoCase("DriveTo");
    if (driveTo || command.EqualsNoCase("DriveThru") || command.EqualsNoCase("DriveThrough"))
    {
        long x = 0, y = 0, flag = 0;
        if (arguments.GetCount() < 2 || !ParseLong(arguments.GetAt(0)->m_Value, &x) ||
            !ParseLong(arguments.GetAt(1)->m_Value, &y))
            return Reject(command, arguments);
        if (driveTo && arguments.GetCount() >= 3)
            ParseLong(arguments.GetAt(2)->m_Value, &flag);
        const bool stop = driveTo && flag == 0;
        return new (std::nothrow)
            CTruckDriveEvent(truck, CxPoint(static_cast<int32_t>(x), static_cast<int32_t>(y)), stop);
    }
    if (command.EqualsNoCase("RotateTo"))
    {
        long direction = 0;
        if (arguments.IsEmpty() || !ParseLong(arguments.GetAt(0)->m_Value, &direction))
            return Reject(command, arguments);
        return new (std::nothrow) CTruckRotateEvent(
            truck, WrapDirection(direction, truck->GetNumDirections() > 0 ? truck->GetNumDirections() : 1));
    }
    const bool talk = command.EqualsNoCase("Talk");
    const bool talk2 = command.EqualsNoCase("Talk2");
    if (talk || talk2 || command.EqualsNoCase("RandomTalk"))
    {
        if (arguments.IsEmpty())
            return Reject(command, arguments);
        if (talk || talk2)
            return new (std::nothrow) CTruckTalkEvent(truck, talk2 ? 1 : 0, arguments);
        CxLinkedList<CxString> one;
        one.AddTail(
            arguments.GetAt(static_cast<uint32_t>(RandomChoice(static_cast<int32_t>(arguments.GetCount()))))
                ->m_Value);
        return new (std::nothrow) CTruckTalkEvent(truck, 0, one);
    }
    *handled = false;
    return nullptr;
}
