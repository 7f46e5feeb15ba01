// CxLuaVm: the Lua interpreter behind a small interface, so that no engine
// code outside this folder includes Lua's headers.
//
// Native functions are plain C++ functions that see their call through a
// CxLuaCall. They never raise a Lua error themselves: Lua errors unwind with
// longjmp, which would skip C++ destructors. Instead a function calls
// RaiseError() and returns; the trampoline raises the error after the C++
// frame is gone.
//
// Nor may a C++ exception cross liblua's C frames. The trampoline catches
// whatever a native function throws (the error dialog's "Quit" among them),
// keeps it as the VM's pending exception and unwinds the script with a Lua
// error carrying its text; further native calls of that script fail at once.
// Once Run has returned, the caller takes the exception and throws it again
// (CxLuaEngine does).
#pragma once

#include "engine/base/cx_string.h"

#include <cstdint>
#include <exception>

struct lua_State;
class CxLuaCall;

// Returns the number of results it pushed.
typedef int32_t (*CxLuaFunction)(CxLuaCall& call);

class CxLuaCall
{
public:
    explicit CxLuaCall(lua_State* state) : m_pState(state) {}

    int32_t GetCount() const;
    bool IsNil(int32_t index) const;
    bool IsNumber(int32_t index) const;
    bool IsString(int32_t index) const;
    // Arguments count from 1, as in Lua.
    long ToInteger(int32_t index) const;
    CxString ToString(int32_t index) const;
    // The object and tag of a userdata made by PushObject; null for anything else.
    void* ToObject(int32_t index, uint32_t* tag = nullptr) const;
    // Converts a value with the global "tostring"; false when the result is not a string.
    bool CallToString(int32_t index, CxString& out) const;

    void PushNil();
    void PushInteger(long value);
    void PushString(const char* text);
    // A userdata holding object and tag.
    void PushObject(void* object, uint32_t tag);

    void RaiseError(const char* message);
    bool HasError() const { return m_bError; }
    const CxString& GetErrorMessage() const { return m_strError; }

private:
    lua_State* m_pState;
    bool m_bError = false;
    CxString m_strError;
};

class CxLuaVm
{
public:
    // Receives the message of a chunk that failed to load or run.
    typedef void (*ErrorSink)(CxLuaVm& vm, const char* message, void* context);

    CxLuaVm() = default;
    CxLuaVm(const CxLuaVm&) = delete;
    CxLuaVm& operator=(const CxLuaVm&) = delete;
    ~CxLuaVm() { Close(); }

    // Opens a state with room for stackSize values and the base, io, string,
    // math, table and debug libraries. False when no state could be made.
    bool Open(int32_t stackSize);
    void Close();
    bool IsOpen() const { return m_pState != nullptr; }

    void Register(const char* name, CxLuaFunction function);
    // Loads and runs text as a chunk named name. A syntax or run-time error
    // goes to the global "_ERRORMESSAGE" when it is a function (its own
    // errors are dropped), else to the error sink. False on any error.
    bool Run(const char* text, uint32_t length, const char* name);
    // The text of a global string, or empty.
    CxString GetGlobalString(const char* name);
    void SetGlobalInteger(const char* name, long value);

    // The exception a native function threw during the last Run, if any;
    // taking it clears it.
    bool HasPendingException() const { return static_cast<bool>(m_Pending); }
    void SetPendingException(std::exception_ptr pending) { m_Pending = pending; }
    std::exception_ptr TakePendingException();

    void SetErrorSink(ErrorSink sink, void* context)
    {
        m_pErrorSink = sink;
        m_pErrorContext = context;
    }

private:
    void ReportError(const char* message);

    lua_State* m_pState = nullptr;
    std::exception_ptr m_Pending;
    ErrorSink m_pErrorSink = nullptr;
    void* m_pErrorContext = nullptr;
};
