// Error codes, the CxError base and the program-wide error path.
//
// Operations report failure by code, never by exception. An object that can
// fail derives from CxError and keeps the code of its last failure; every
// report also passes through one program-wide path that counts it and hands
// it to the installed handler (none at start: the report is only logged;
// the display application installs the system message box).
#pragma once

#include "engine/base/error_codes.h"

#include <cstdint>

// The handler receives every counted report. Its result is returned by the
// reporting call; for the missing-disc prompt a non-zero result means "try
// again" and zero means "give up".
typedef int32_t (*CxErrorHandler)(uint32_t code, const char* text);

class CxError
{
public:
    CxError() = default;
    CxError(const CxError&) = default;
    CxError& operator=(const CxError&) = default;
    virtual ~CxError() = default;

    uint32_t GetError() const { return m_nError; }
    // Stores the code; a non-zero code is also reported (counted and shown)
    // unless another report is being handled right now.
    int32_t SetError(uint32_t code, const char* format = nullptr, ...) CX_PRINTF(3, 4);
    // Stores the code without reporting it (used where a failure was shown already).
    void SetErrorCode(uint32_t code) { m_nError = code; }
    void ClearError() { m_nError = CX_ERR_NONE; }

protected:
    uint32_t m_nError = CX_ERR_NONE;
};

// Reports an error that belongs to no object.
int32_t ReportError(uint32_t code, const char* format = nullptr, ...) CX_PRINTF(2, 3);
int32_t ReportErrorV(uint32_t code, const char* format, __builtin_va_list args);

// Number of reports counted since program start; never reset.
uint32_t GetErrorCount();
// Code of the most recent counted report, or of the missing-disc prompt.
uint32_t GetLastErrorCode();
void SetLastErrorCode(uint32_t code);
// True while a report is being handled (re-entrant reports are not counted).
bool IsReportingError();

CxErrorHandler SetErrorHandler(CxErrorHandler handler);
CxErrorHandler GetErrorHandler();
