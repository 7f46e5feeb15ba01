#include "engine/core/error.h"

#include "engine/core/cx_string.h"
#include "engine/core/log.h"
#include "engine/platform/message_box.h"

#include <cstdarg>
#include <cstdio>

namespace
{
const char* const s_ErrorTexts[CX_ERR_COUNT] = {
    "No Error",           "Out of memory",        "Error opening file",  "Error closing file",
    "Error creating file", "Error reading file",  "Error writing file",  "Error seeking file",
    "Error deleting file", "Could not find file", "Invalid file type",   "Invalid Path",
    "Disk error",          "Unknown Error",       "CRC failure",         "Not enough disk space",
    "Invalid arguement",   "Assertion Failure",   "CD is missing",
};

bool s_bReporting = false;
uint32_t s_nLastError = CX_ERR_NONE;
uint32_t s_nErrorCount = 0;
CxErrorHandler s_pHandler = ShowErrorBox;
} // namespace

const char* GetErrorText(uint32_t code)
{
    return code < CX_ERR_COUNT ? s_ErrorTexts[code] : s_ErrorTexts[CX_ERR_UNKNOWN];
}

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

int32_t ShowErrorBox(uint32_t code, const char* text)
{
    if (code == CX_ERR_CD_MISSING)
    {
        static const char* const buttons[] = {"Retry", "Cancel"};
        return ShowMessageBox(GetErrorText(code), text, buttons, 2, 1, CX_MB_ICON_ERROR) == 0 ? 1 : 0;
    }
    static const char* const buttons[] = {"OK"};
    ShowMessageBox(GetErrorText(code), text, buttons, 1, 0, CX_MB_ICON_ERROR);
    return 1;
}
