#include "engine/core/log.h"

#include "engine/core/file.h"
#include "engine/core/options.h"
#include "engine/platform/file_system.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/time.h>

namespace {
ST_DEBUG_SETTINGS* s_pSettings = nullptr;
CxLog* s_pLog = nullptr;
CxOutputListener* s_pOutputListener = nullptr;
CxLogListener* s_pLogListener = nullptr;

void ReadFlag(CxOptions& options, const char* key, bool& flag, long defaultValue)
{
    long value = defaultValue;
    options.GetNumber("Engine.Debug", key, &value, defaultValue);
    flag = value != 0;
}
} // namespace

const char* GetLogPrefix(int32_t severity)
{
    switch (severity)
    {
    case CX_LOG_FATAL:
        return "Fatal Error: ";
    case CX_LOG_ERROR:
        return "Error: ";
    case CX_LOG_WARNING:
        return "Warning: ";
    default:
        return "";
    }
}

uint32_t CxLog::LevelMask(long level)
{
    switch (level)
    {
    case 0:
        return 0;
    case 1:
        return 0x10000;
    case 2:
        return 0x30000;
    case 3:
        return 0x70000;
    default:
        return 0xF0000;
    }
}

CxLog::CxLog(const char* fileName, uint32_t mode) : m_strFileName(fileName), m_nMode(mode) {}

CxLog::~CxLog() = default;

void CxLog::Write(int32_t severity, const char* text)
{
    if (severity < CX_LOG_FATAL || severity > CX_LOG_INFO)
        severity = CX_LOG_INFO;
    if (!(m_nMode & (0x10000u << severity)))
        return;

    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm local;
    localtime_r(&now.tv_sec, &local);
    char stamp[32];
    strftime(stamp, sizeof(stamp), "%Y-%m-%d %H:%M:%S", &local);

    if ((m_nMode & CX_LOG_TO_WINDOW) && s_pLogListener)
        s_pLogListener->OnLog(text);
    if (!(m_nMode & CX_LOG_TO_FILE))
        return;
    char line[64];
    const int head = snprintf(line, sizeof(line), "%s.%03ld %s", stamp, static_cast<long>(now.tv_usec / 1000),
                              GetLogPrefix(severity));
    const uint64_t length = static_cast<uint64_t>(head > 0 ? head : 0) + strlen(text) + 1;
    // Opened per line, so the log survives a crash and never holds the file.
    const CxString path = ResolvePath(m_strFileName.c_str());
    FILE* f = fopen(path.c_str(), "ab");
    if (!f)
        return;
    if (m_nMaxSize > 0 && fseek(f, 0, SEEK_END) == 0)
    {
        const long size = ftell(f);
        // A full log becomes the old one (replacing it) and a new one starts.
        if (size > 0 && static_cast<uint64_t>(size) + length > m_nMaxSize)
        {
            fclose(f);
            rename(path.c_str(), ResolvePath(GetOldFileName().c_str()).c_str());
            f = fopen(path.c_str(), "ab");
            if (!f)
                return;
        }
    }
    fprintf(f, "%s%s\n", line, text);
    fclose(f);
}

CxString CxLog::GetOldFileName() const
{
    CxString name(m_strFileName);
    name += ".old";
    return name;
}

void StartDebug(CxOptions& options)
{
    StopDebug();
    s_pSettings = new ST_DEBUG_SETTINGS;
    ST_DEBUG_SETTINGS& s = *s_pSettings;
    options.GetNumber("Engine.Debug", "DebugLevel", &s.m_nDebugLevel, 4);
    ReadFlag(options, "AbortsOn", s.m_bAbortsOn, 1);
    ReadFlag(options, "MessageBoxOn", s.m_bMessageBoxOn, 1);
    ReadFlag(options, "ShowIO", s.m_bShowIO, 0);
    ReadFlag(options, "MessageSpy", s.m_bMessageSpy, 0);
    ReadFlag(options, "UseDebugBreak", s.m_bUseDebugBreak, 1);
    ReadFlag(options, "LogFile", s.m_bLogFile, 1);
    ReadFlag(options, "LogWindow", s.m_bLogWindow, 1);
    char name[CX_MAX_PATH];
    options.GetString("Engine.Debug", "LogFileName", name, "", sizeof(name));
    s.m_strLogFileName = name;
    ReadFlag(options, "ClearLogFile", s.m_bClearLogFile, 0);
    options.GetNumber("Engine.Debug", "MaxLogSize", &s.m_nMaxLogSize, CX_LOG_DEFAULT_MAX_KB);

    if (s.m_strLogFileName.IsEmpty())
    {
        // The user's state directory, made now; it keeps the log out of the
        // working directory (often the game's own, or one the player cannot write).
        const CxString state = UserStateDirectory(CX_LOG_STATE_FOLDER);
        if (!state.IsEmpty() && (!s.m_bLogFile || MakeDirectories(state.c_str())))
        {
            s.m_strLogFileName = state;
            s.m_strLogFileName += "/DEBUG.LOG";
        }
    }
    if (s.m_strLogFileName.IsEmpty())
    {
        s.m_strLogFileName = CurrentDirectory();
        const char last = s.m_strLogFileName[s.m_strLogFileName.GetLength() - 1];
        if (last != '\\' && last != '/')
            s.m_strLogFileName += "\\";
        s.m_strLogFileName += "DEBUG.LOG";
    }
    if (s.m_bClearLogFile)
        DeleteFile(s.m_strLogFileName.c_str());

    uint32_t mode = CxLog::LevelMask(s.m_nDebugLevel);
    if (s.m_bLogFile)
        mode |= CX_LOG_TO_FILE;
    if (s.m_bLogWindow)
        mode |= CX_LOG_TO_WINDOW;
    s_pLog = new CxLog(s.m_strLogFileName.c_str(), mode);
    s_pLog->SetMaxSize(s.m_nMaxLogSize > 0 ? static_cast<uint64_t>(s.m_nMaxLogSize) * 1024 : 0);
    if (s.m_bLogFile)
    {
        // The log exists from the start, beside the directory made for it.
        if (FILE* f = fopen(ResolvePath(s.m_strLogFileName.c_str()).c_str(), "ab"))
            fclose(f);
    }
}

void StopDebug()
{
    delete s_pLog;
    s_pLog = nullptr;
    delete s_pSettings;
    s_pSettings = nullptr;
}

const ST_DEBUG_SETTINGS* GetDebugSettings()
{
    return s_pSettings;
}

CxLog* GetLog()
{
    return s_pLog;
}

CxOutputListener* SetOutputListener(CxOutputListener* listener)
{
    CxOutputListener* previous = s_pOutputListener;
    s_pOutputListener = listener;
    return previous;
}

CxLogListener* SetLogListener(CxLogListener* listener)
{
    CxLogListener* previous = s_pLogListener;
    s_pLogListener = listener;
    return previous;
}

void Output(const char* format, ...)
{
    char text[CX_OUTPUT_MAX + 1];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format ? format : "", args);
    va_end(args);
    if (s_pOutputListener)
        s_pOutputListener->OnOutput(text);
    fputs(text, stdout);
    fflush(stdout);
    if (s_pLog)
    {
        // One log line per output line; the trailing line feed is the log's own.
        CxString line(text);
        line.TrimRight("\r\n");
        s_pLog->Write(CX_LOG_INFO, line.c_str());
    }
}

void LogEntry(int32_t severity, const char* format, ...)
{
    if (!s_pLog)
        return;
    CxString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    s_pLog->Write(severity, text.c_str());
}
