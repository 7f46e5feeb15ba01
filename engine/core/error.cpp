#include "engine/core/error.h"

#include "engine/base/cx_string.h"
#include "engine/core/log.h"

#include <cstdarg>
#include <cstdio>

namespace {
bool s_bReporting = false;
uint32_t s_nLastError = CX_ERR_NONE;
uint32_t s_nErrorCount = 0;
// No handler until the application installs one: reports are logged and counted.
CxErrorHandler s_pHandler = nullptr;
} // namespace

int32_t ReportErrorV(uint32_t code, const char* format, va_list args)
{
    if (code == CX_ERR_NONE || s_bReporting)
        return 0;
    s_bReporting = true;
    s_nLastError = code;
    ++s_nErrorCount;
    CxString message;
    if (format)
        message.FormatV(format, args);
    LogEntry(CX_LOG_ERROR, "%s: %s", GetErrorText(code), message.c_str());
    // The handler may leave by throwing "DisplayAppError"; the report is
    // over either way, so the flag must not stay set.
    struct ReportingGuard
    {
        ~ReportingGuard() { s_bReporting = false; }
    } guard;
    return s_pHandler ? s_pHandler(code, message.c_str()) : 0;
}

int32_t ReportError(uint32_t code, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int32_t result = ReportErrorV(code, format, args);
    va_end(args);
    return result;
}

int32_t CxError::SetError(uint32_t code, const char* format, ...)
{
    m_nError = code;
    va_list args;
    va_start(args, format);
    const int32_t result = ReportErrorV(code, format, args);
    va_end(args);
    return result;
}

uint32_t GetErrorCount()
{
    return s_nErrorCount;
}

uint32_t GetLastErrorCode()
{
    return s_nLastError;
}

void SetLastErrorCode(uint32_t code)
{
    s_nLastError = code;
}

bool IsReportingError()
{
    return s_bReporting;
}

CxErrorHandler SetErrorHandler(CxErrorHandler handler)
{
    CxErrorHandler previous = s_pHandler;
    s_pHandler = handler;
    return previous;
}

CxErrorHandler GetErrorHandler()
{
    return s_pHandler;
}
