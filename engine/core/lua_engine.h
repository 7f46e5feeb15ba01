// CxLuaEngine: the application's Lua interpreter. Scripts switch and pause
// rooms, drive room timers, show sprites, build file paths, print to the
// console and quit or restart the application.
//
// Errors inside a chunk (syntax errors included) go to the script-visible
// function "_ERRORMESSAGE", which writes them to the text output; they do not
// set the engine's error code, and the game goes on. A C++ exception thrown
// by a native function (the error dialog's "Quit") ends the chunk and is
// thrown again by RunString/RunFile/RunBuffer once Lua has returned.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/object.h"
#include "engine/core/error.h"
#include "engine/platform/lua_vm.h"

#include <cstdint>

constexpr int32_t CX_LUA_DEFAULT_STACK = 1024;

class CxLuaEngine : public CxObject, public CxError
{
public:
    CxLuaEngine() = default;
    ~CxLuaEngine() override;

    // Opens a fresh state and registers the engine functions ("_ERRORMESSAGE",
    // "print", "exit", "Quit", "Restart", "GetBuildDate", "Help").
    virtual uint32_t Create(int32_t stackSize);
    virtual void Close();
    // Runs the whole file as a chunk; a file that cannot be read stays unrun.
    virtual uint32_t RunFile(const char* path);
    virtual uint32_t RunString(const char* text);
    // Runs length bytes of text as a chunk named after name (a file's path).
    uint32_t RunBuffer(const char* text, uint32_t length, const char* name);

    uint32_t RegisterFunction(const char* name, CxLuaFunction function);
    bool IsCreated() const { return m_Vm.IsOpen(); }
    // The number of chunks that ended in an error since Create.
    uint32_t GetScriptErrorCount() const { return m_nScriptErrors; }
    CxLuaVm& GetVm() { return m_Vm; }

private:
    uint32_t Run(const char* text, uint32_t length, const char* name);

    CxLuaVm m_Vm;
    uint32_t m_nScriptErrors = 0;
};
