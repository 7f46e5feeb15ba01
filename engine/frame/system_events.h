// The events of the built-in "system" sequence commands: timed pauses,
// notices to a channel's listeners, room changes, Lua scripts and commands
// handed to a command handler.
//
// Each is owned by the sequence that listed it and is released, not
// deleted, when done, so a sequence that runs again restarts it.
#pragma once

#include "engine/core/buffer.h"
#include "engine/core/command_handler.h"
#include "engine/core/event.h"
#include "engine/core/timer.h"

#include <cstdint>

// "Sleep" and "SleepRandomRange": finished when the time has run out
// (a duration of 0 is run out at the first test); blocked while paused.
class CTimerEvent : public CxEvent
{
public:
    explicit CTimerEvent(uint32_t duration) : m_nDuration(duration) {}

    void Start() override;
    void Stop() override;
    bool IsFinished() override;
    void Pause() override { m_Timer.AddPause(); }
    void Resume() override { m_Timer.RemovePause(); }
    bool IsBlocked() override { return m_Timer.IsPaused(); }
    void Release() override;

    uint32_t GetDuration() const { return m_nDuration; }
    const CxTimer& GetTimer() const { return m_Timer; }

private:
    CxTimer m_Timer;
    uint32_t m_nDuration;
};

// "Notify": a number (in the data word) for the listeners of the channel;
// finished as soon as it started, blocked while paused.
class CInfoEvent : public CxEvent
{
public:
    explicit CInfoEvent(uint32_t number = 0) { SetData(number); }

    void Start() override { m_bStarted = true; }
    void Stop() override {}
    bool IsFinished() override { return m_bStarted; }
    void Pause() override { m_bPaused = true; }
    void Resume() override { m_bPaused = false; }
    bool IsBlocked() override { return m_bPaused; }
    void Release() override;

protected:
    bool m_bPaused = false;
};

class CxGameApp;

// "GotoRoom": asks the application for the room in the data word; the switch
// happens at the start of the next idle pass.
class CRoomEvent : public CInfoEvent
{
public:
    CRoomEvent(CxGameApp* app, long room) : CInfoEvent(static_cast<uint32_t>(room)), m_pApp(app) {}
    void Start() override;

protected:
    CxGameApp* m_pApp;
};

// "PushRoom".
class CPushRoomEvent : public CRoomEvent
{
public:
    using CRoomEvent::CRoomEvent;
    void Start() override;
};

// "PopRoom".
class CPopRoomEvent : public CRoomEvent
{
public:
    explicit CPopRoomEvent(CxGameApp* app) : CRoomEvent(app, 0) {}
    void Start() override;
};

// Any command the creator does not know: hands the name and a copy of the
// arguments to the command handler when started.
class CCommandEvent : public CInfoEvent
{
public:
    CCommandEvent(CCommandHandler* handler, const CxString& command, const CxLinkedList<CxString>& arguments);
    void Start() override;

    const CxString& GetCommand() const { return m_strCommand; }
    const CxLinkedList<CxString>& GetArguments() const { return m_Arguments; }

private:
    CCommandHandler* m_pHandler;
    CxString m_strCommand;
    CxLinkedList<CxString> m_Arguments;
};

// "RunScript": the script's text is read when the event is made and run by
// the application's Lua engine when it starts; finished at once.
class CScriptEvent : public CxEvent
{
public:
    CScriptEvent(CxGameApp* app, const char* fileName);

    void Start() override;
    void Stop() override {}
    bool IsFinished() override { return m_bStarted; }
    void Pause() override {}
    void Resume() override {}
    bool IsBlocked() override { return false; }

    const CxFileBuffer& GetScript() const { return m_Script; }

private:
    CxGameApp* m_pApp;
    CxFileBuffer m_Script;
};
