// CxApp: the root of the application chain (CxApp <- CxWindowApp <-
// CxDisplayApp <- CxGameApp). It is the main option file, starts the memory
// layer, the debug settings and the random numbers when it is constructed,
// and runs the run cycle: Init, Create, PostCreate, MainLoop, PreDestroy,
// Destroy, ExitInstance, again from Init while a restart is requested.
//
// The program makes one application object; its constructor registers it as
// the global application (GetApp) and the entry point (CxAppMain) drives it.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/main_loop.h"
#include "engine/core/options.h"
#include "engine/platform/system_info.h"

#include <cstdint>
#include <thread>

// The constant record that describes an application to its constructor.
struct AppDescription
{
    const char* m_pszAppName;    // also the window title and the single-instance lock name
    const char* m_pszOptionFile; // may contain "$WINDOWS"
    int32_t m_nLeft;
    int32_t m_nTop;
    int32_t m_nWidth;
    int32_t m_nHeight;
    uint32_t m_nBitsPerPixel;
    uint32_t m_nStyle; // APP_* flags of window_app.h
};

constexpr uint32_t CX_APP_NAME_SIZE = 256;
constexpr uint32_t CX_BUILD_DATE_SIZE = 64;
constexpr uint32_t CX_APP_PATH_SIZE = 256;
// The main loop ends by itself once this many errors were reported.
constexpr uint32_t CX_MAX_REPORTED_ERRORS = 3;

// The exit code of a program whose command line was refused.
constexpr int CX_EXIT_USAGE = 2;

class CxApp : public CxOptions
{
public:
    explicit CxApp(const AppDescription& description);
    CxApp(const CxApp&) = delete;
    CxApp& operator=(const CxApp&) = delete;
    ~CxApp() override;

    virtual int32_t IsFirstInstance();
    // Receives every program argument, the program path first. Returns the exit code.
    virtual uint32_t ProcessCommandLine(CxLinkedList<CxString*>& arguments);
    // Set when the command line was refused: the program then ends with
    // CX_EXIT_USAGE before any window is made.
    bool IsCommandLineRefused() const { return m_bCommandLineRefused; }
    // The run cycle; returns the exit code.
    virtual uint32_t Run();
    virtual void OnClose();
    virtual void OnIdle();
    // One pass of the main loop; true when the loop must end.
    virtual bool PumpMessage();
    virtual uint32_t Init();
    virtual uint32_t Create();
    virtual uint32_t PostCreate();
    virtual uint32_t MainLoop();
    virtual void PreDestroy();
    virtual void Destroy();
    virtual uint32_t ExitInstance();
    virtual void ShowBanner();

    // Main-loop functions run on every idle pass (see main_loop.h).
    void AddMainLoopFunction(CxMainLoopFunction function);
    void RemoveMainLoopFunction(CxMainLoopFunction function);
    // Runs the main-loop functions and OnIdle.
    void RunIdlePass();

    // Machine facts (see system_info.h); index 0 is the operating-system kind.
    int32_t GetSystemInfo(int32_t index, ST_SYSTEM_VALUE* out = nullptr);

    // Ends the main loop after the current pass.
    void Quit() { m_bQuit = 1; }
    // Ends the main loop and builds the application again from Init.
    void Restart()
    {
        m_bRestart = 1;
        m_bQuit = 1;
    }
    bool IsQuitting() const { return m_bQuit != 0; }
    // The close operation followed by the quit flag (window close, Alt+Q,
    // Alt+F4, the scripts' "Quit"), unless OnClose called CancelQuit.
    void CloseAndQuit();
    // Called from OnClose: the close that is running does not quit.
    void CancelQuit() { m_bQuitCancelled = 1; }
    bool IsRestarting() const { return m_bRestart != 0; }
    // The exit code of the process is the application's error code.
    uint32_t GetExitCode() const { return GetError(); }
    // Reports counted since the application started (the main loop stops at three).
    uint32_t GetReportedErrorCount() const;

    const char* GetAppName() const { return m_szAppName; }
    const char* GetBuildDate() const { return m_szBuildDate; }
    void SetBuildDate(const char* date);
    const char* GetProgramDirectory() const { return m_szProgramDirectory; }
    void SetProgramDirectory(const char* programPath);
    const char* GetStartupDirectory() const { return m_szStartupDirectory; }
    std::thread::id GetMainThreadId() const { return m_MainThreadId; }

protected:
    char m_szAppName[CX_APP_NAME_SIZE] = "";
    char m_szBuildDate[CX_BUILD_DATE_SIZE] = "";
    char m_szProgramDirectory[CX_APP_PATH_SIZE] = "";
    char m_szStartupDirectory[CX_APP_PATH_SIZE] = "";
    std::thread::id m_MainThreadId;
    int32_t m_bQuit = 0;
    int32_t m_bRestart = 0;
    int32_t m_bQuitCancelled = 0;
    bool m_bCommandLineRefused = false;

private:
    uint32_t m_nErrorBase = 0;
};

// The application, or null before one is constructed and after it is gone.
CxApp* GetApp();

// True on the program's main thread: the first thread that asks.
bool IsMainThread();

// The entry point: ends a second copy at once (exit code 0), then runs the
// application and returns its exit code (-1 without an application).
int CxAppMain(int argc, char** argv);
