#include "engine/platform/lua_vm.h"

#include <lua.hpp>

#include <exception>

namespace {
// Userdata made by PushObject carry this metatable, so ToObject can tell
// them from userdata of any other origin (io's file handles, say).
const char* const OBJECT_META = "CxObjectRef";

struct ObjectRef
{
    void* m_pObject;
    uint32_t m_nTag;
};

CxLuaVm* VmOf(lua_State* state)
{
    return *static_cast<CxLuaVm**>(lua_getextraspace(state));
}

// The text an exception carries: the engine throws plain texts ("DisplayAppError").
void DescribeException(const std::exception_ptr& pending, char* out, size_t size)
{
    try
    {
        std::rethrow_exception(pending);
    }
    catch (const char* text)
    {
        CxCopyText(out, text ? text : "", size);
    }
    catch (const std::exception& e)
    {
        CxCopyText(out, e.what(), size);
    }
    catch (...)
    {
        CxCopyText(out, "C++ exception", size);
    }
}

// Lua's C frames cannot carry a C++ exception (liblua unwinds with longjmp),
// so nothing may leave a native function by throwing: the trampoline catches
// everything, keeps the exception in the VM and unwinds Lua with a Lua error
// carrying its text. Run hands the exception back once Lua has returned.
// No C++ object with a destructor is alive in this frame when luaL_error jumps.
int Trampoline(lua_State* state)
{
    CxLuaVm* vm = VmOf(state);
    auto function = reinterpret_cast<CxLuaFunction>(lua_touserdata(state, lua_upvalueindex(1)));
    int results = 0;
    char message[512];
    bool failed = false;
    if (vm && vm->HasPendingException())
    {
        // A script that caught the error with pcall gets no further native
        // calls: the program is on its way out.
        CxCopyText(message, "the script is being ended", sizeof(message));
        failed = true;
    }
    else
    {
        try
        {
            CxLuaCall call(state);
            results = function(call);
            failed = call.HasError();
            if (failed)
                CxCopyText(message, call.GetErrorMessage().c_str(), sizeof(message));
        }
        catch (...)
        {
            const std::exception_ptr pending = std::current_exception();
            DescribeException(pending, message, sizeof(message));
            if (vm)
                vm->SetPendingException(pending);
            failed = true;
        }
    }
    if (failed)
        return luaL_error(state, "%s", message);
    return results;
}
} // namespace

int32_t CxLuaCall::GetCount() const
{
    return lua_gettop(m_pState);
}

bool CxLuaCall::IsNil(int32_t index) const
{
    return lua_isnoneornil(m_pState, index);
}

bool CxLuaCall::IsNumber(int32_t index) const
{
    return lua_isnumber(m_pState, index) != 0;
}

bool CxLuaCall::IsString(int32_t index) const
{
    return lua_isstring(m_pState, index) != 0;
}

long CxLuaCall::ToInteger(int32_t index) const
{
    // Whole numbers by truncation; values beyond the range of long saturate.
    const lua_Number n = lua_tonumber(m_pState, index);
    if (n != n)
        return 0;
    if (n >= 9.2e18)
        return INT64_MAX;
    if (n <= -9.2e18)
        return INT64_MIN;
    return static_cast<long>(n);
}

CxString CxLuaCall::ToString(int32_t index) const
{
    size_t length = 0;
    const char* text = lua_tolstring(m_pState, index, &length);
    return text ? CxString(text, static_cast<int32_t>(length > CX_STRING_MAX ? CX_STRING_MAX : length))
                : CxString();
}

void* CxLuaCall::ToObject(int32_t index, uint32_t* tag) const
{
    auto* ref = static_cast<ObjectRef*>(luaL_testudata(m_pState, index, OBJECT_META));
    if (!ref)
        return nullptr;
    if (tag)
        *tag = ref->m_nTag;
    return ref->m_pObject;
}

bool CxLuaCall::CallToString(int32_t index, CxString& out) const
{
    lua_getglobal(m_pState, "tostring");
    lua_pushvalue(m_pState, index);
    if (lua_pcall(m_pState, 1, 1, 0) != LUA_OK || !lua_isstring(m_pState, -1))
    {
        lua_pop(m_pState, 1);
        return false;
    }
    out = ToString(-1);
    lua_pop(m_pState, 1);
    return true;
}

void CxLuaCall::PushNil()
{
    lua_pushnil(m_pState);
}

void CxLuaCall::PushInteger(long value)
{
    lua_pushinteger(m_pState, value);
}

void CxLuaCall::PushString(const char* text)
{
    lua_pushstring(m_pState, text ? text : "");
}

void CxLuaCall::PushObject(void* object, uint32_t tag)
{
    auto* ref = static_cast<ObjectRef*>(lua_newuserdatauv(m_pState, sizeof(ObjectRef), 0));
    ref->m_pObject = object;
    ref->m_nTag = tag;
    luaL_setmetatable(m_pState, OBJECT_META);
}

void CxLuaCall::RaiseError(const char* message)
{
    m_bError = true;
    m_strError = message ? message : "";
}

bool CxLuaVm::Open(int32_t stackSize)
{
    Close();
    m_pState = luaL_newstate();
    if (!m_pState)
        return false;
    if (stackSize > 0 && !lua_checkstack(m_pState, stackSize > 100000 ? 100000 : stackSize))
    {
        Close();
        return false;
    }
    const luaL_Reg libraries[] = {{LUA_GNAME, luaopen_base},        {LUA_IOLIBNAME, luaopen_io},
                                  {LUA_STRLIBNAME, luaopen_string}, {LUA_MATHLIBNAME, luaopen_math},
                                  {LUA_TABLIBNAME, luaopen_table},  {LUA_DBLIBNAME, luaopen_debug}};
    for (const luaL_Reg& library : libraries)
    {
        luaL_requiref(m_pState, library.name, library.func, 1);
        lua_pop(m_pState, 1);
    }
    luaL_newmetatable(m_pState, OBJECT_META);
    lua_pop(m_pState, 1);
    // Native functions find their VM here (threads copy it from the main one).
    *static_cast<CxLuaVm**>(lua_getextraspace(m_pState)) = this;
    m_Pending = nullptr;
    return true;
}

void CxLuaVm::Close()
{
    if (m_pState)
        lua_close(m_pState);
    m_pState = nullptr;
    m_Pending = nullptr;
}

std::exception_ptr CxLuaVm::TakePendingException()
{
    std::exception_ptr pending = m_Pending;
    m_Pending = nullptr;
    return pending;
}

void CxLuaVm::Register(const char* name, CxLuaFunction function)
{
    if (!m_pState || !name || !function)
        return;
    lua_pushlightuserdata(m_pState, reinterpret_cast<void*>(function));
    lua_pushcclosure(m_pState, Trampoline, 1);
    lua_setglobal(m_pState, name);
}

void CxLuaVm::ReportError(const char* message)
{
    lua_getglobal(m_pState, "_ERRORMESSAGE");
    if (lua_isfunction(m_pState, -1))
    {
        lua_pushstring(m_pState, message);
        if (lua_pcall(m_pState, 1, 0, 0) != LUA_OK)
            lua_pop(m_pState, 1); // an error inside the error handler is dropped
        return;
    }
    lua_pop(m_pState, 1);
    if (m_pErrorSink)
        m_pErrorSink(*this, message, m_pErrorContext);
}

bool CxLuaVm::Run(const char* text, uint32_t length, const char* name)
{
    if (!m_pState || !text)
        return false;
    const int top = lua_gettop(m_pState);
    // "t": source text only; precompiled chunks are refused.
    int status = luaL_loadbufferx(m_pState, text, length, name ? name : "=(string)", "t");
    if (status == LUA_OK)
        status = lua_pcall(m_pState, 0, 0, 0);
    // A chunk ended by a C++ exception is not a script error: the caller
    // takes the exception (TakePendingException) and goes on with it.
    if (status != LUA_OK && !m_Pending)
    {
        const char* message = lua_tostring(m_pState, -1);
        CxString copy(message ? message : "(null message)");
        lua_settop(m_pState, top);
        ReportError(copy.c_str());
    }
    lua_settop(m_pState, top);
    return status == LUA_OK;
}

CxString CxLuaVm::GetGlobalString(const char* name)
{
    if (!m_pState)
        return CxString();
    lua_getglobal(m_pState, name);
    CxString value;
    if (lua_type(m_pState, -1) == LUA_TSTRING)
        value = lua_tostring(m_pState, -1);
    lua_pop(m_pState, 1);
    return value;
}

void CxLuaVm::SetGlobalInteger(const char* name, long value)
{
    if (!m_pState)
        return;
    lua_pushinteger(m_pState, value);
    lua_setglobal(m_pState, name);
}
