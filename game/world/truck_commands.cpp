// The truck's event creator and its commands.
#include "game/world/truck.h"

#include "engine/core/event_creator.h"
#include "engine/core/log.h"
#include "engine/frame/system_events.h"
#include "game/world/truck_events.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {
// The arguments of a command as numbers; a missing or non-numeric one
// rejects the line.
class CArguments
{
public:
    CArguments(const CxString& command, const CxLinkedList<CxString>& arguments)
        : m_Command(command), m_Arguments(arguments)
    {
    }
    uint32_t Count() const { return m_Arguments.GetCount(); }
    bool Float(uint32_t index, float* value) const
    {
        if (index >= Count())
            return Fail();
        const char* text = m_Arguments.GetAt(index)->m_Value.c_str();
        char* end = nullptr;
        const double read = strtod(text, &end);
        if (end == text || !std::isfinite(read) || std::fabs(read) > 1e9)
            return Fail();
        *value = static_cast<float>(read);
        return true;
    }
    bool Int(uint32_t index, int32_t* value) const
    {
        if (index >= Count())
            return Fail();
        const char* text = m_Arguments.GetAt(index)->m_Value.c_str();
        char* end = nullptr;
        errno = 0;
        const long read = strtol(text, &end, 10);
        if (end == text || errno != 0 || read < -0x7FFFFFFFL || read > 0x7FFFFFFFL)
            return Fail();
        *value = static_cast<int32_t>(read);
        return true;
    }

private:
    bool Fail() const
    {
        CxString line = m_Command;
        for (auto* node = m_Arguments.GetHead(); node; node = node->GetNext())
        {
            line += " ";
            line += node->m_Value;
        }
        LogEntry(CX_LOG_WARNING, "Truck: the command \"%s\" lacks a number; ignored", line.c_str());
        return false;
    }
    const CxString& m_Command;
    const CxLinkedList<CxString>& m_Arguments;
};
} // namespace

CxEvent* CTruck::CreateEvent(const CxString& category, const CxString& command,
                             const CxLinkedList<CxString>& arguments)
{
    if (!IsOwnCategory(category))
        return nullptr;
    bool handled = false;
    CxEvent* event = CreateTruckEvent(this, command, arguments, &handled);
    if (handled)
        return event;
    return new (std::nothrow) CCommandEvent(this, command, arguments);
}

void CTruck::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    if (HandleDrivingCommand(command, arguments) || HandleControlCommand(command, arguments))
        return;
    LogEntry(CX_LOG_WARNING, "Truck: unknown command %s", command.c_str());
}

bool CTruck::HandleDrivingCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    const CArguments args(command, arguments);
    float f = 0.0f;
    int32_t n = 0;
    if (command.EqualsNoCase("SetForceAngle"))
    {
        if (args.Int(0, &n))
            m_Set.bForceAngle = n != 0;
    }
    else if (command.EqualsNoCase("SetMaxSpeed"))
    {
        if (args.Float(0, &f))
            m_fMaxSpeed = f < 0.0f ? 0.0f : f;
    }
    else if (command.EqualsNoCase("SetMaxFrameRate"))
    {
        if (args.Float(0, &f))
            m_Set.fMaxFrameRate = f < 0.0f ? 0.0f : f;
    }
    else if (command.EqualsNoCase("SetCurSpeed"))
    {
        if (args.Float(0, &f))
            m_fSpeed = f;
    }
    else if (command.EqualsNoCase("SetAcceleration"))
    {
        if (args.Float(0, &f))
            m_fAcceleration = f;
    }
    else if (command.EqualsNoCase("SetTargetThreshold"))
    {
        if (args.Int(0, &n))
            m_Set.nTargetThreshold = n < 0 ? 0 : (n > 0xFFFF ? 0xFFFF : n);
    }
    else if (command.EqualsNoCase("SetTargetDirection"))
    {
        if (args.Int(0, &n))
            m_nTargetDirection = n < 0 ? -1 : WrapDirection(n, GetNumDirections());
    }
    else if (command.EqualsNoCase("SetDirection"))
    {
        if (args.Int(0, &n))
            SelectDirection(n);
    }
    else if (command.EqualsNoCase("ResetTargetPosition"))
        m_ptTarget = CxPoint(-1, -1);
    else if (command.EqualsNoCase("SetMode"))
    {
        if (args.Int(0, &n))
            SetMode(n);
    }
    else if (command.EqualsNoCase("SetPosition"))
    {
        int32_t y = 0;
        // A truck put somewhere stands there: a target and speed from before
        // would drive it off again (back to where a scene parked it, say).
        if (args.Int(0, &n) && args.Int(1, &y))
        {
            PlaceAt(CxPoint(n, y));
            StopTruckMotion();
        }
    }
    else if (command.EqualsNoCase("DecrementSpeed"))
        m_fSpeed -= 1.0f;
    else
        return false;
    return true;
}

bool CTruck::HandleControlCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    const CArguments args(command, arguments);
    int32_t n = 0;
    if (command.EqualsNoCase("SetTurboTime"))
    {
        if (args.Int(0, &n))
            m_Set.nTurboTime = n < 0 ? 0 : n;
    }
    else if (command.EqualsNoCase("TurboBoost"))
    {
        SetMode(TRUCK_MODE_SUPER);
        m_Turbo.Start(static_cast<uint32_t>(m_Set.nTurboTime > 0 ? m_Set.nTurboTime : 1));
    }
    else if (command.EqualsNoCase("Stop"))
        StopTruck();
    else if (command.EqualsNoCase("Hide"))
        Hide();
    else if (command.EqualsNoCase("ResetShootTimer"))
    {
        if (args.Count() == 0)
            n = m_Set.nShootInterval;
        else if (!args.Int(0, &n))
            return true;
        m_Shoot.SetInterval(static_cast<uint32_t>(n < 1 ? 1 : n));
        m_Shoot.Start(0);
    }
    else if (command.EqualsNoCase("SetLoseControlOnCollisions"))
    {
        if (args.Int(0, &n))
            m_Set.bLoseControlOnCollisions = n != 0;
    }
    else if (command.EqualsNoCase("SetDefaultLoseControlTime"))
    {
        if (args.Count() == 0)
            m_Set.nDefaultLoseControlTime = TRUCK_DEFAULT_LOSE_CONTROL_MS;
        else if (args.Int(0, &n))
            m_Set.nDefaultLoseControlTime = n < 0 ? 0 : n;
    }
    else if (command.EqualsNoCase("LoseControl"))
    {
        if (args.Int(0, &n) && n > 0)
            m_LoseControl.Start(static_cast<uint32_t>(n));
    }
    else if (command.EqualsNoCase("RegainControl"))
        m_LoseControl.Reset();
    else if (command.EqualsNoCase("StopDriving"))
        StopDriving();
    else
        return false;
    return true;
}
