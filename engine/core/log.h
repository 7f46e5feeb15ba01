// The text output, the debug settings of "Engine.Debug" and the log file.
//
// Output() is the path for text meant for the developer: it goes to the one
// registered output listener (the command console) and to standard output.
// When "LogFile" is on, every output line and every reported error is also
// appended to the log file, one line each:
//   2026-12-06 19:54:06.123 Error: Could not find file: LoadFile() failed
// A line is written only when its severity is inside the level mask of the
// mode word ("DebugLevel"): level 1 keeps fatal errors, 2 adds errors,
// 3 warnings, 4 everything.
//
// Without "LogFileName" the log is DEBUG.LOG in the user's state directory,
// $XDG_STATE_HOME/rumbotown/ (~/.local/state/rumbotown/ by default), made at
// start; only when no such directory can be named or made does it go to the
// working directory. The file is kept below "MaxLogSize" KB (default 1024;
// 0 means no limit): a line that would pass the limit first renames the file
// to DEBUG.LOG.old, replacing the previous one, and starts a new one.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/object.h"
#include "engine/core/error.h"

#include <cstdint>

class CxOptions;

enum CxLogSeverity
{
    CX_LOG_FATAL = 0,
    CX_LOG_ERROR = 1,
    CX_LOG_WARNING = 2,
    CX_LOG_INFO = 3
};

constexpr uint32_t CX_LOG_LEVEL_MASK = 0xF0000;
constexpr uint32_t CX_LOG_TO_WINDOW = 0x200000;
constexpr uint32_t CX_LOG_TO_FILE = 0x400000;
constexpr uint32_t CX_OUTPUT_MAX = 255;

// "Fatal Error: ", "Error: ", "Warning: " or "" for severities 0 to 3.
const char* GetLogPrefix(int32_t severity);

class CxOutputListener
{
public:
    virtual ~CxOutputListener() = default;
    virtual void OnOutput(const char* text) = 0;
};

class CxLogListener
{
public:
    virtual ~CxLogListener() = default;
    virtual void OnLog(const char* text) = 0;
};

struct ST_DEBUG_SETTINGS
{
    long m_nDebugLevel = 4;
    bool m_bAbortsOn = true;
    bool m_bMessageBoxOn = true;
    bool m_bShowIO = false;
    bool m_bMessageSpy = false;
    bool m_bUseDebugBreak = true;
    bool m_bLogFile = true;
    bool m_bLogWindow = true;
    CxString m_strLogFileName;
    bool m_bClearLogFile = false;
    long m_nMaxLogSize = 1024; // KB
};

// The folder under the user's state directory that holds the log.
constexpr const char* CX_LOG_STATE_FOLDER = "rumbotown";
constexpr long CX_LOG_DEFAULT_MAX_KB = 1024;

class CxLog : public CxObject
{
public:
    CxLog(const char* fileName, uint32_t mode);
    ~CxLog() override;

    const CxString& GetFileName() const { return m_strFileName; }
    uint32_t GetMode() const { return m_nMode; }
    // Appends one stamped line when the mode word lets this severity through.
    void Write(int32_t severity, const char* text);
    // The size the file is kept below (0: no limit).
    void SetMaxSize(uint64_t bytes) { m_nMaxSize = bytes; }
    uint64_t GetMaxSize() const { return m_nMaxSize; }
    // The name the full file is renamed to.
    CxString GetOldFileName() const;

    static uint32_t LevelMask(long level);

private:
    CxString m_strFileName;
    uint32_t m_nMode;
    uint64_t m_nMaxSize = 0;
};

// Reads the debug settings, forms the log file name, clears the log when
// asked and creates the log object. StopDebug undoes it.
void StartDebug(CxOptions& options);
void StopDebug();
const ST_DEBUG_SETTINGS* GetDebugSettings();
CxLog* GetLog();

void Output(const char* format, ...) CX_PRINTF(1, 2);
CxOutputListener* SetOutputListener(CxOutputListener* listener);
CxLogListener* SetLogListener(CxLogListener* listener);
// Writes an entry to the log file (and the log listener) if logging is on.
void LogEntry(int32_t severity, const char* format, ...) CX_PRINTF(2, 3);
