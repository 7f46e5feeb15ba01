// CxGameApp: the top layer of the engine's application chain, from which the
// game derives its application. It holds the rooms (a table of 60 indexed by
// room ID), the room stack, the install and CD paths and the single-instance
// lock, and switches rooms at the start of every idle pass.
//
// Room stack rules: PushRoom records the ID unless the stack is full and
// always makes the room pending; PopRoom goes back one entry (or to room 0
// when one entry or none is left, keeping the stack as it is); GotoRoom
// replaces the top entry (adds one on a stack of zero or one entries). The
// pending room becomes current at the start of the next idle pass; the last
// request of a pass wins, and switching to the current room does nothing.
#pragma once

#include "engine/base/array.h"
#include "engine/base/cx_string.h"
#include "engine/core/command_handler.h"
#include "engine/core/event_creator.h"
#include "engine/core/game_path.h"
#include "engine/core/interpolator.h"
#include "engine/core/lua_engine.h"
#include "engine/core/pause_resume.h"
#include "engine/frame/display_app.h"
#include "engine/frame/game_window.h"
#include "engine/frame/replay_run.h"
#include "engine/platform/instance_lock.h"
#include "engine/ui/game_console.h"

#include <cstdint>
#include <memory>

constexpr long CX_MAX_ROOMS = 60;
// Tags of the userdata scripts receive: rooms, and any other sprite.
constexpr uint32_t CX_LUA_ROOM_TAG = 0;
constexpr uint32_t CX_LUA_SPRITE_TAG = 1;
constexpr long CX_DEFAULT_ROOM_STACK_SIZE = 10;

// For tools that check sequence files: whether the "system" category has
// the command, and (countFits, when given) whether count arguments fit it.
bool IsSystemCommand(const char* name, uint16_t count, bool* countFits);

class CxGameApp : public CxDisplayApp, public CxPauseResume, public CxEventCreator, public CCommandHandler
{
public:
    explicit CxGameApp(const AppDescription& description);
    ~CxGameApp() override;

    int32_t IsFirstInstance() override;
    // The driven-run options of engine/frame/replay_run.h; anything else,
    // or a bad replay file, is refused with the reason and the usage on
    // standard error (exit code 2).
    uint32_t ProcessCommandLine(CxLinkedList<CxString*>& arguments) override;
    void OnClose() override;
    void OnIdle() override;
    uint32_t Init() override;
    uint32_t Create() override;
    void PreDestroy() override;
    void Destroy() override;
    void OnKeyDown(uint32_t key, uint32_t repeat) override;

    virtual void SetInstallPath(const CxString& path);
    virtual CxString GetInstallPath();
    virtual void SetCDPath(const CxString& path);
    virtual CxString GetCDPath();
    // Makes the room with that ID, or none; the game builds its rooms here.
    virtual CxGameWindow* CreateRoom(long id);

    void PushRoom(long id);
    long PopRoom();
    void GotoRoom(long id);
    long PeekRoom() const;
    long GetCurRoomID() const;
    // The ID of the room the last switch left (-1 before any room was left);
    // already set when the new room's RoomEnter runs.
    long GetPreviousRoomID() const { return m_nPreviousRoomID; }
    void PauseRoom();
    void ResumeRoom();
    void ReloadRoom();

    CxGameWindow* GetRoom(long id) const;
    CxGameWindow* GetCurRoom() const { return m_pCurRoom; }
    CxGameWindow* GetPendingRoom() const { return m_pPendingRoom; }
    const CxStack<long>& GetRoomStack() const { return m_RoomStack; }
    CxGamePath& GetGamePaths() { return m_GamePath; }
    // True when room is one of this application's rooms (scripts hand rooms
    // back as userdata, which must not be trusted blindly).
    bool IsLiveRoom(const CxGameWindow* room) const;

    // The built-in "system" sequence commands (registered from Create to
    // Destroy): sounds, sleeps, nested sequences, room changes, notices,
    // scripts and movies; any other command becomes a command event for
    // HandleCommand.
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;
    // Commands addressed to the application; the engine knows none.
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;
    // The interpolator that expands the game's sequence text.
    CxInterpolator& GetInterpolator() { return m_Interpolator; }

    // The Lua engine, or none before Create, after Destroy, or when it could not be made.
    CxLuaEngine* GetLuaEngine() const { return m_pLuaEngine.get(); }
    // The command console, or none unless "Engine.Game"/"AllowCommandConsole" is set.
    CxGameConsole* GetConsole() const { return m_pConsole.get(); }
    // Registers the application's functions in the Lua state (rooms, timers, paths, sprites).
    virtual void RegisterLuaFunctions(CxLuaEngine& engine);

protected:
    // For a program that makes its own input (a test player): a driven run
    // then ignores the devices and never waits for real time. Set before
    // ProcessCommandLine.
    void SetInputFromProgram(bool on) { m_bInputFromProgram = on; }
    void Pause() override;
    void Resume() override;

private:
    void SetPendingRoom(long id);
    void LeaveCurrentRoom();
    void DeleteRooms();
    void CreateLuaEngine();
    void CreateConsole();
    // The console holds the Lua engine, so it goes first.
    void DeleteConsoleAndLua();

    CxGamePath m_GamePath;
    CxInterpolator m_Interpolator;
    CxInstanceLock m_InstanceLock;
    CxGameWindow* m_pRooms[CX_MAX_ROOMS] = {};
    CxStack<long> m_RoomStack;
    CxGameWindow* m_pCurRoom = nullptr;
    CxGameWindow* m_pPendingRoom = nullptr;
    long m_nPreviousRoomID = -1;
    std::unique_ptr<CxLuaEngine> m_pLuaEngine;
    std::unique_ptr<CxGameConsole> m_pConsole;
    bool m_bScreenSaverWasActive = false;
    int32_t m_bFirstInstance = 1;
    std::unique_ptr<CxReplayRun> m_pReplayRun;
    bool m_bInputFromProgram = false;
};
