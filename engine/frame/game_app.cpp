#include "engine/frame/game_app.h"

#include "engine/core/file.h"
#include "engine/core/log.h"
#include "engine/media/movie_driver.h"
#include "engine/media/sound.h"
#include "engine/platform/window.h"

#include <cstdio>
#include <string>
#include <vector>

CxGameApp::CxGameApp(const AppDescription& description) : CxDisplayApp(description)
{
    // A second copy of the program finds the lock taken.
    m_bFirstInstance = m_InstanceLock.Acquire(m_szAppName) ? 1 : 0;
}

CxGameApp::~CxGameApp()
{
    if (FindEventCreator("system") == this)
        UnregisterEventCreator("system");
    if (&GetGamePath() == &m_GamePath)
        SetGamePath(nullptr);
    DeleteRooms();
    DeleteConsoleAndLua();
    m_InstanceLock.Release();
}

uint32_t CxGameApp::ProcessCommandLine(CxLinkedList<CxString*>& arguments)
{
    std::vector<std::string> words;
    for (auto* node = arguments.GetHead(); node; node = node->GetNext())
        if (node != arguments.GetHead())
            words.emplace_back(node->m_Value->c_str());
    CxRunOptions options;
    std::string why;
    if (!ParseRunOptions(words, &options, &why))
    {
        fprintf(stderr, "%s\n%s", why.c_str(), RUN_OPTIONS_USAGE);
        m_bCommandLineRefused = true;
        return GetExitCode();
    }
    if (!options.Any())
        return GetExitCode();
    options.inputFromProgram = m_bInputFromProgram;
    m_pReplayRun = std::make_unique<CxReplayRun>();
    if (!m_pReplayRun->Load(options, &why))
    {
        fprintf(stderr, "%s\n", why.c_str());
        m_pReplayRun.reset();
        m_bCommandLineRefused = true;
        return GetExitCode();
    }
    m_pReplayRun->Install(*this);
    return GetExitCode();
}

int32_t CxGameApp::IsFirstInstance()
{
    return m_bFirstInstance;
}

void CxGameApp::Pause() {}

void CxGameApp::Resume() {}

uint32_t CxGameApp::Init()
{
    CxDisplayApp::Init();
    m_bScreenSaverWasActive = IsScreenSaverEnabled();
    SetScreenSaverEnabled(false);

    // The two roots, and (when they differ) the list of files under the
    // install path, so that "$GAMEPATH" prefers the installed copies.
    if (m_GamePath.Configure(*this, m_szStartupDirectory) != CX_ERR_NONE)
        SetErrorCode(m_GamePath.GetError());
    SetGamePath(&m_GamePath);
    return GetError();
}

uint32_t CxGameApp::Create()
{
    long blueScreen = 1;
    GetNumber("Engine.Game", "UseBlueScreenError", &blueScreen, 1);
    SetBlueScreenError(blueScreen != 0);

    CxDisplayApp::Create();
    CreateLuaEngine();
    CreateConsole();
    ST_EVENT_DEF system = {0, "system", this};
    RegisterEventCreator("system", system);
    // Movies (".SMK") for CxMovie and for sprites whose file is a movie.
    RegisterMovieDrivers();
    // The sound layer ("Engine.Sound" keys). Without an audio device the game
    // runs silent: waves then finish at once, so scenes still go on.
    if (InitSoundSystem(this) != CX_ERR_NONE)
        LogEntry(CX_LOG_WARNING, "sound: no audio device could be opened; the game runs silent");
    // The command console starts here once it exists.

    long stackSize = CX_DEFAULT_ROOM_STACK_SIZE;
    GetNumber("Engine.Game", "RoomStackSize", &stackSize, CX_DEFAULT_ROOM_STACK_SIZE);
    if (stackSize < 0)
        stackSize = 0;
    if (stackSize > 0xFFFF)
        stackSize = 0xFFFF;
    m_RoomStack.Allocate(static_cast<uint16_t>(stackSize));

    long maxRooms = CX_MAX_ROOMS;
    GetNumber("Engine.Game", "MaxRooms", &maxRooms, CX_MAX_ROOMS);
    if (maxRooms > CX_MAX_ROOMS)
        maxRooms = CX_MAX_ROOMS;
    // Rooms left from a cycle that ended without PreDestroy go first.
    DeleteRooms();
    for (long id = 0; id < maxRooms; ++id)
        if (CxGameWindow* room = CreateRoom(id))
        {
            m_pRooms[id] = room;
            room->SetRoomID(id);
        }
    return GetError();
}

void CxGameApp::PreDestroy()
{
    LeaveCurrentRoom();
    m_pCurRoom = nullptr;
    m_pPendingRoom = nullptr;
    DeleteRooms();
    CxDisplayApp::PreDestroy();
}

void CxGameApp::Destroy()
{
    // A cycle ended by "DisplayAppError" skipped PreDestroy; its rooms go now.
    m_pCurRoom = nullptr;
    m_pPendingRoom = nullptr;
    DeleteRooms();
    DeleteConsoleAndLua();
    // After the rooms, which own most of the sounds.
    ShutdownSoundSystem();
    UnregisterEventCreator("system");
    m_GamePath.DeleteInstalledFileTable();
    SetGamePath(nullptr);
    CxDisplayApp::Destroy();
    if (m_bScreenSaverWasActive)
        SetScreenSaverEnabled(true);
}

void CxGameApp::OnKeyDown(uint32_t key, uint32_t repeat)
{
    // "`" and "~" toggle the command console, when there is one, and go no further.
    if (m_pConsole && (key == '`' || key == '~'))
    {
        m_pConsole->Toggle();
        return;
    }
    CxDisplayApp::OnKeyDown(key, repeat);
}

void CxGameApp::OnClose()
{
    if (m_pCurRoom)
        m_pCurRoom->RoomClose();
}

void CxGameApp::OnIdle()
{
    if (m_pPendingRoom)
    {
        CxGameWindow* room = m_pPendingRoom;
        m_pPendingRoom = nullptr;
        if (room != m_pCurRoom)
        {
            if (m_pCurRoom)
                m_nPreviousRoomID = m_pCurRoom->GetRoomID();
            LeaveCurrentRoom();
            m_pCurRoom = room;
            room->RoomPrepare();
            room->RoomEnter();
            room->RoomEnterDone();
            room->SetFocus();
        }
    }
    if (m_pCurRoom && m_pCurRoom->GetPauseCount() < 1)
        m_pCurRoom->RoomUpdate();
    CxDisplayApp::OnIdle();
}

void CxGameApp::LeaveCurrentRoom()
{
    if (!m_pCurRoom)
        return;
    m_pCurRoom->RoomLeaveBegin();
    m_pCurRoom->RoomLeave();
    m_pCurRoom->RoomLeaveDone();
}

void CxGameApp::DeleteRooms()
{
    for (CxGameWindow*& room : m_pRooms)
    {
        delete room;
        room = nullptr;
    }
}

void CxGameApp::SetInstallPath(const CxString& path)
{
    m_GamePath.SetInstallPath(path.c_str());
}

CxString CxGameApp::GetInstallPath()
{
    return m_GamePath.GetInstallPath();
}

void CxGameApp::SetCDPath(const CxString& path)
{
    m_GamePath.SetCDPath(path.c_str());
}

CxString CxGameApp::GetCDPath()
{
    return m_GamePath.GetCDPath();
}

CxGameWindow* CxGameApp::CreateRoom(long id)
{
    (void)id;
    return nullptr;
}

CxGameWindow* CxGameApp::GetRoom(long id) const
{
    return id >= 0 && id < CX_MAX_ROOMS ? m_pRooms[id] : nullptr;
}

void CxGameApp::SetPendingRoom(long id)
{
    m_pPendingRoom = GetRoom(id);
}

void CxGameApp::PushRoom(long id)
{
    // A full stack drops the entry but the room still changes.
    m_RoomStack.Push(id);
    SetPendingRoom(id);
}

long CxGameApp::PopRoom()
{
    long id = 0;
    if (m_RoomStack.GetCount() > 1)
    {
        long dropped = 0;
        m_RoomStack.Pop(dropped);
        m_RoomStack.Peek(id);
    }
    SetPendingRoom(id);
    return id;
}

void CxGameApp::GotoRoom(long id)
{
    if (m_RoomStack.GetCount() > 1)
    {
        long dropped = 0;
        m_RoomStack.Pop(dropped);
    }
    PushRoom(id);
}

long CxGameApp::PeekRoom() const
{
    long id = 0;
    return m_RoomStack.Peek(id) ? id : 0;
}

long CxGameApp::GetCurRoomID() const
{
    return m_pCurRoom ? m_pCurRoom->GetRoomID() : -1;
}

void CxGameApp::PauseRoom()
{
    if (m_pCurRoom)
        m_pCurRoom->AddPause();
}

void CxGameApp::ResumeRoom()
{
    if (m_pCurRoom)
        m_pCurRoom->RemovePause();
}

void CxGameApp::ReloadRoom()
{
    if (!m_pCurRoom)
        return;
    m_pCurRoom->RoomLeave();
    m_pCurRoom->RoomEnter();
}
