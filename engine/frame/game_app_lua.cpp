// The Lua side of CxGameApp: the engine it owns and the functions through
// which scripts reach rooms, room timers, paths and sprites.
#include "engine/frame/game_app.h"

#include "engine/core/file.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/screen.h"

#include <new>

namespace {
constexpr uint32_t ROOM_TAG = CX_LUA_ROOM_TAG;

CxGameApp* GameApp(CxLuaCall& call)
{
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    if (!app)
        call.RaiseError("no game application");
    return app;
}

// The room in argument 1; a Lua error unless it is one of the application's rooms.
CxGameWindow* RoomArgument(CxLuaCall& call, CxGameApp& app)
{
    uint32_t tag = 0;
    auto* room = static_cast<CxGameWindow*>(call.ToObject(1, &tag));
    if (!room || tag != ROOM_TAG || !app.IsLiveRoom(room))
    {
        call.RaiseError("bad argument #1 (room expected)");
        return nullptr;
    }
    return room;
}

int32_t LuaPauseRoom(CxLuaCall& call)
{
    if (CxGameApp* app = GameApp(call))
        app->PauseRoom();
    return 0;
}

int32_t LuaResumeRoom(CxLuaCall& call)
{
    if (CxGameApp* app = GameApp(call))
        app->ResumeRoom();
    return 0;
}

int32_t LuaPopRoom(CxLuaCall& call)
{
    if (CxGameApp* app = GameApp(call))
        app->PopRoom();
    return 0;
}

int32_t LuaPushRoom(CxLuaCall& call)
{
    if (CxGameApp* app = GameApp(call))
        app->PushRoom(call.ToInteger(1));
    return 0;
}

int32_t LuaGotoRoom(CxLuaCall& call)
{
    if (CxGameApp* app = GameApp(call))
        app->GotoRoom(call.ToInteger(1));
    return 0;
}

int32_t LuaPeekRoom(CxLuaCall& call)
{
    CxGameApp* app = GameApp(call);
    call.PushInteger(app ? app->PeekRoom() : 0);
    return 1;
}

int32_t LuaReloadRoom(CxLuaCall& call)
{
    if (CxGameApp* app = GameApp(call))
        app->ReloadRoom();
    return 0;
}

int32_t LuaGetCurRoomID(CxLuaCall& call)
{
    CxGameApp* app = GameApp(call);
    call.PushInteger(app ? app->GetCurRoomID() : -1);
    return 1;
}

int32_t LuaBuildGamePath(CxLuaCall& call)
{
    // The text is taken literally: a "%" stays a "%".
    call.PushString(ExpandGamePath(call.ToString(1).c_str()).c_str());
    return 1;
}

// Room::SetTimer(room, id, interval [, user value]): the user value is 0
// unless exactly four arguments are given.
int32_t LuaRoomSetTimer(CxLuaCall& call)
{
    CxGameApp* app = GameApp(call);
    CxGameWindow* room = app ? RoomArgument(call, *app) : nullptr;
    if (room)
        room->SetTimer(call.ToInteger(2), static_cast<uint32_t>(call.ToInteger(3)),
                       call.GetCount() == 4 ? call.ToInteger(4) : 0);
    return 0;
}

// Room::KillTimer, Room::PauseTimer and Room::ResumeTimer: (room, timer ID).
template <void (CxGameWindow::*Operation)(long)>
int32_t LuaRoomTimerOperation(CxLuaCall& call)
{
    CxGameApp* app = GameApp(call);
    if (CxGameWindow* room = app ? RoomArgument(call, *app) : nullptr)
        (room->*Operation)(call.ToInteger(2));
    return 0;
}

// The sprite in argument 1: a room (tag 0) or a sprite (CX_LUA_SPRITE_TAG)
// that is still alive; a Lua error otherwise. The pointer is only compared
// with the live objects until it is known to be one.
CxSprite* SpriteArgument(CxLuaCall& call, CxGameApp& app)
{
    uint32_t tag = 0;
    void* object = call.ToObject(1, &tag);
    CxSprite* sprite = nullptr;
    if (object && tag == ROOM_TAG && app.IsLiveRoom(static_cast<CxGameWindow*>(object)))
        sprite = static_cast<CxGameWindow*>(object);
    else if (object && tag == CX_LUA_SPRITE_TAG &&
             CxDisplayObject::IsLiveObject(static_cast<CxDisplayObject*>(static_cast<CxSprite*>(object))))
        sprite = dynamic_cast<CxSprite*>(static_cast<CxDisplayObject*>(static_cast<CxSprite*>(object)));
    if (!sprite)
        call.RaiseError("bad argument #1 (sprite expected)");
    return sprite;
}

int32_t LuaPaintSprite(CxLuaCall& call)
{
    CxGameApp* app = GameApp(call);
    if (CxSprite* sprite = app ? SpriteArgument(call, *app) : nullptr)
        sprite->MoveTo(static_cast<int32_t>(call.ToInteger(2)), static_cast<int32_t>(call.ToInteger(3)),
                       ANCHOR_TOP_LEFT);
    return 0;
}

int32_t LuaEraseSprite(CxLuaCall& call)
{
    CxGameApp* app = GameApp(call);
    if (CxSprite* sprite = app ? SpriteArgument(call, *app) : nullptr)
        sprite->Hide();
    return 0;
}

int32_t LuaGetCurRoom(CxLuaCall& call)
{
    CxGameApp* app = GameApp(call);
    if (app && app->GetCurRoom())
        call.PushObject(app->GetCurRoom(), ROOM_TAG);
    else
        call.PushNil();
    return 1;
}
} // namespace

bool CxGameApp::IsLiveRoom(const CxGameWindow* room) const
{
    if (!room)
        return false;
    for (const CxGameWindow* candidate : m_pRooms)
        if (candidate == room)
            return true;
    return false;
}

void CxGameApp::RegisterLuaFunctions(CxLuaEngine& engine)
{
    engine.RegisterFunction("PauseRoom", LuaPauseRoom);
    engine.RegisterFunction("ResumeRoom", LuaResumeRoom);
    engine.RegisterFunction("PopRoom", LuaPopRoom);
    engine.RegisterFunction("PushRoom", LuaPushRoom);
    engine.RegisterFunction("GotoRoom", LuaGotoRoom);
    engine.RegisterFunction("PeekRoom", LuaPeekRoom);
    engine.RegisterFunction("ReloadRoom", LuaReloadRoom);
    engine.RegisterFunction("GetCurRoomID", LuaGetCurRoomID);
    engine.RegisterFunction("GetCurRoom", LuaGetCurRoom);
    engine.RegisterFunction("BuildGamePath", LuaBuildGamePath);
    engine.RegisterFunction("Room::SetTimer", LuaRoomSetTimer);
    engine.RegisterFunction("Room::KillTimer", LuaRoomTimerOperation<&CxGameWindow::KillTimer>);
    engine.RegisterFunction("Room::PauseTimer", LuaRoomTimerOperation<&CxGameWindow::PauseTimer>);
    engine.RegisterFunction("Room::ResumeTimer", LuaRoomTimerOperation<&CxGameWindow::ResumeTimer>);
    engine.RegisterFunction("PaintSprite", LuaPaintSprite);
    engine.RegisterFunction("EraseSprite", LuaEraseSprite);
}

void CxGameApp::CreateLuaEngine()
{
    DeleteConsoleAndLua();
    m_pLuaEngine.reset(new (std::nothrow) CxLuaEngine);
    if (!m_pLuaEngine)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate Lua Script Engine");
        return;
    }
    long stackSize = CX_LUA_DEFAULT_STACK;
    GetNumber("Engine.Game", "LuaStackSize", &stackSize, CX_LUA_DEFAULT_STACK);
    if (m_pLuaEngine->Create(static_cast<int32_t>(stackSize)) != CX_ERR_NONE)
        return;
    RegisterLuaFunctions(*m_pLuaEngine);
    const CxString script = BuildGamePath("$GAMEPATH\\startup.lua");
    if (FileExists(script.c_str()))
        m_pLuaEngine->RunFile(script.c_str());
}

void CxGameApp::CreateConsole()
{
    m_pConsole.reset();
    long allow = 0;
    GetNumber("Engine.Game", "AllowCommandConsole", &allow, 0);
    if (!allow)
        return;
    m_pConsole.reset(new (std::nothrow) CxGameConsole);
    if (!m_pConsole)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not create the Command Console");
        return;
    }
    long height = CX_CONSOLE_DEFAULT_HEIGHT;
    GetNumber("Engine.Game", "CommandConsoleHeight", &height, CX_CONSOLE_DEFAULT_HEIGHT);
    const int32_t width = GetClientWidth() > 0 ? GetClientWidth() : 640;
    if (height < 1 || height > 4096)
        height = CX_CONSOLE_DEFAULT_HEIGHT;
    const int32_t depth = GetScreen() ? GetScreen()->GetDrawSurface()->GetDepth() : 16;
    m_pConsole->CreateConsole(width, static_cast<int32_t>(height), depth, m_pLuaEngine.get());
}

void CxGameApp::DeleteConsoleAndLua()
{
    m_pConsole.reset();
    m_pLuaEngine.reset();
}
