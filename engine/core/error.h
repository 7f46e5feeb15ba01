// Error codes, the CxError base and the program-wide error path.
//
// Operations report failure by code, never by exception. An object that can
// fail derives from CxError and keeps the code of its last failure; every
// report also passes through one program-wide path that counts it and hands
// it to the installed handler (at start a system message box).
#pragma once

#include <cstdint>

constexpr uint32_t CX_ERR_NONE = 0;
constexpr uint32_t CX_ERR_OUT_OF_MEMORY = 1;
constexpr uint32_t CX_ERR_FILE_OPEN = 2;
constexpr uint32_t CX_ERR_FILE_CLOSE = 3;
constexpr uint32_t CX_ERR_FILE_CREATE = 4;
constexpr uint32_t CX_ERR_FILE_READ = 5;
constexpr uint32_t CX_ERR_FILE_WRITE = 6;
constexpr uint32_t CX_ERR_FILE_SEEK = 7;
constexpr uint32_t CX_ERR_FILE_DELETE = 8;
constexpr uint32_t CX_ERR_FILE_NOT_FOUND = 9;
constexpr uint32_t CX_ERR_INVALID_FILE_TYPE = 10;
constexpr uint32_t CX_ERR_INVALID_PATH = 11;
constexpr uint32_t CX_ERR_DISK = 12;
constexpr uint32_t CX_ERR_UNKNOWN = 13;
constexpr uint32_t CX_ERR_CRC = 14;
constexpr uint32_t CX_ERR_DISK_SPACE = 15;
constexpr uint32_t CX_ERR_INVALID_ARGUMENT = 16;
constexpr uint32_t CX_ERR_ASSERTION = 17;
constexpr uint32_t CX_ERR_CD_MISSING = 18;
constexpr uint32_t CX_ERR_COUNT = 19;

#define CX_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// The title text of an error code; codes outside the table give "Unknown Error".
const char* GetErrorText(uint32_t code);

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

// The start-up handler: a system message box titled with the code's text.
// Answers 1 ("OK", or "Retry" for the missing-disc code) or 0 ("Cancel").
int32_t ShowErrorBox(uint32_t code, const char* text);
