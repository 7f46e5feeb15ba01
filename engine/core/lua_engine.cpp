#include "engine/core/lua_engine.h"

#include "engine/core/app.h"
#include "engine/core/buffer.h"
#include "engine/core/file.h"
#include "engine/core/log.h"

#include <cstring>
#include <exception>

namespace {
int32_t LuaErrorMessage(CxLuaCall& call)
{
    if (call.GetCount() >= 1 && call.IsString(1))
        Output("%s\n", call.ToString(1).c_str());
    else
        Output("(null message)\n");
    return 0;
}

int32_t LuaPrint(CxLuaCall& call)
{
    // Long lines are written whole, past the 255 characters of one Output call.
    CxString line;
    for (int32_t i = 1; i <= call.GetCount(); ++i)
    {
        CxString text;
        if (!call.CallToString(i, text))
        {
            call.RaiseError("`tostring' must return a string to `print'");
            return 0;
        }
        if (i > 1)
            line += "    ";
        line += text;
    }
    line += "\n";
    for (int32_t start = 0; start < line.GetLength(); start += CX_OUTPUT_MAX)
        Output("%s", line.Mid(start, CX_OUTPUT_MAX).c_str());
    return 0;
}

int32_t LuaQuit(CxLuaCall&)
{
    if (CxApp* app = GetApp())
        app->CloseAndQuit();
    return 0;
}

int32_t LuaRestart(CxLuaCall&)
{
    if (CxApp* app = GetApp())
    {
        app->OnClose();
        app->Restart();
    }
    return 0;
}

int32_t LuaGetBuildDate(CxLuaCall&)
{
    if (CxApp* app = GetApp())
        Output("%s\n", app->GetBuildDate());
    return 0;
}

int32_t LuaHelp(CxLuaCall&)
{
    return 0;
}

// Without "_ERRORMESSAGE" (a script may remove it) the message still reaches the output.
void FallbackErrorSink(CxLuaVm&, const char* message, void*)
{
    Output("%s\n", message);
}
} // namespace

CxLuaEngine::~CxLuaEngine()
{
    Close();
}

uint32_t CxLuaEngine::Create(int32_t stackSize)
{
    Close();
    if (!m_Vm.Open(stackSize))
    {
        SetError(CX_ERR_UNKNOWN, "Could not create Lua Engine");
        return m_nError;
    }
    m_Vm.SetErrorSink(FallbackErrorSink, nullptr);
    m_nScriptErrors = 0;
    RegisterFunction("_ERRORMESSAGE", LuaErrorMessage);
    RegisterFunction("print", LuaPrint);
    RegisterFunction("exit", LuaQuit);
    RegisterFunction("Quit", LuaQuit);
    RegisterFunction("Restart", LuaRestart);
    RegisterFunction("GetBuildDate", LuaGetBuildDate);
    RegisterFunction("Help", LuaHelp);
    return m_nError;
}

void CxLuaEngine::Close()
{
    m_Vm.Close();
}

uint32_t CxLuaEngine::RegisterFunction(const char* name, CxLuaFunction function)
{
    if (!name || !function)
        return SetError(CX_ERR_INVALID_ARGUMENT, "RegisterFunction() needs a name and a function"), m_nError;
    m_Vm.Register(name, function);
    return m_nError;
}

uint32_t CxLuaEngine::Run(const char* text, uint32_t length, const char* name)
{
    if (!m_Vm.IsOpen() || !text || length == 0)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Lua VM not yet created");
        return m_nError;
    }
    const bool ran = m_Vm.Run(text, length, name);
    // Back in C++ with Lua's frames gone: an exception a native function
    // threw (the error dialog's "Quit") goes on from here.
    if (std::exception_ptr pending = m_Vm.TakePendingException())
        std::rethrow_exception(pending);
    if (!ran)
        ++m_nScriptErrors;
    return m_nError;
}

uint32_t CxLuaEngine::RunBuffer(const char* text, uint32_t length, const char* name)
{
    CxString chunk;
    chunk.Format("@%s", name ? name : "?");
    return Run(text, length, chunk.c_str());
}

uint32_t CxLuaEngine::RunString(const char* text)
{
    return Run(text, text ? static_cast<uint32_t>(strlen(text)) : 0, "=(string)");
}

uint32_t CxLuaEngine::RunFile(const char* path)
{
    if (!m_Vm.IsOpen() || !path || !*path)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Lua VM not yet created");
        return m_nError;
    }
    CxFileBuffer buffer;
    if (LoadFile(path, buffer) != CX_ERR_NONE || !buffer.GetData())
        return buffer.GetError();
    return RunBuffer(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize(), path);
}
