#include "engine/frame/system_events.h"

#include "engine/core/file.h"
#include "engine/frame/game_app.h"

void CTimerEvent::Start()
{
    m_bStarted = true;
    m_Timer.Start(m_nDuration);
}

void CTimerEvent::Stop()
{
    m_Timer.Reset();
}

bool CTimerEvent::IsFinished()
{
    // A timer without end (duration 0) has nothing left to wait for.
    return m_bStarted && m_Timer.GetRemaining() < 1;
}

void CTimerEvent::Release()
{
    m_Timer.Reset();
    while (m_Timer.IsPaused())
        m_Timer.RemovePause();
    m_bStarted = false;
}

void CInfoEvent::Release()
{
    m_bStarted = false;
    m_bPaused = false;
}

void CRoomEvent::Start()
{
    m_bStarted = true;
    if (m_pApp)
        m_pApp->GotoRoom(static_cast<long>(static_cast<int32_t>(GetData())));
}

void CPushRoomEvent::Start()
{
    m_bStarted = true;
    if (m_pApp)
        m_pApp->PushRoom(static_cast<long>(static_cast<int32_t>(GetData())));
}

void CPopRoomEvent::Start()
{
    m_bStarted = true;
    if (m_pApp)
        m_pApp->PopRoom();
}

CCommandEvent::CCommandEvent(CCommandHandler* handler, const CxString& command,
                             const CxLinkedList<CxString>& arguments)
    : m_pHandler(handler), m_strCommand(command)
{
    for (auto* node = arguments.GetHead(); node; node = node->GetNext())
        m_Arguments.AddTail(node->m_Value);
}

void CCommandEvent::Start()
{
    m_bStarted = true;
    if (m_pHandler)
        m_pHandler->HandleCommand(m_strCommand, m_Arguments);
}

CScriptEvent::CScriptEvent(CxGameApp* app, const char* fileName) : m_pApp(app)
{
    LoadFile(BuildGamePath("%s", fileName).c_str(), m_Script);
}

void CScriptEvent::Start()
{
    m_bStarted = true;
    CxLuaEngine* lua = m_pApp ? m_pApp->GetLuaEngine() : nullptr;
    if (lua && m_Script.GetData())
        lua->RunBuffer(reinterpret_cast<const char*>(m_Script.GetData()), m_Script.GetSize(),
                       m_Script.GetPath().c_str());
}
