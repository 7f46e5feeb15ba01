#include "engine/core/app.h"

#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/log.h"
#include "engine/core/memory.h"
#include "engine/core/random.h"
#include "engine/platform/file_system.h"

#include <atomic>
#include <ctime>
#include <mutex>

namespace {
CxApp* s_pApp = nullptr;

// The engine's build time stamp, "Mmm dd yyyy hh:mm:ss".
const char s_szEngineBuildDate[] = __DATE__ " " __TIME__;

// "$WINDOWS" names the directory of system-wide settings; on this system the
// program keeps its main option file beside its working directory.
CxString ExpandOptionFileName(const char* name, const char* startupDirectory)
{
    CxString result(name);
    const int32_t at = result.FindNoCase("$WINDOWS");
    if (at < 0)
        return result;
    CxString directory(startupDirectory);
    if (directory.IsEmpty() ||
        (directory[directory.GetLength() - 1] != '\\' && directory[directory.GetLength() - 1] != '/'))
        directory += "\\";
    CxString expanded = result.Left(at);
    expanded += directory;
    expanded += result.Mid(at + 8);
    return expanded;
}
} // namespace

CxApp* GetApp()
{
    return s_pApp;
}

bool IsMainThread()
{
    static std::once_flag once;
    static std::thread::id mainThread;
    std::call_once(once, [] { mainThread = std::this_thread::get_id(); });
    return std::this_thread::get_id() == mainThread;
}

CxApp::CxApp(const AppDescription& description)
{
    // Reports made while the application starts (a bad option file) count
    // towards the three that end the main loop.
    m_nErrorBase = ::GetErrorCount();
    s_pApp = this;
    m_bQuit = 0;
    m_bRestart = 0;
    CxCopyText(m_szBuildDate, s_szEngineBuildDate, sizeof(m_szBuildDate));
    m_MainThreadId = std::this_thread::get_id();
    CxCopyText(m_szStartupDirectory, CurrentDirectory().c_str(), sizeof(m_szStartupDirectory));
    CxCopyText(m_szAppName, description.m_pszAppName ? description.m_pszAppName : "", sizeof(m_szAppName));

    StartMemory();
    if (description.m_pszOptionFile && *description.m_pszOptionFile)
    {
        const CxString name = ExpandOptionFileName(description.m_pszOptionFile, m_szStartupDirectory);
        // The option file is not on the game disc: an unreadable one must not
        // ask for the disc, it is simply reported and the defaults apply.
        const bool blueScreen = GetBlueScreenError();
        SetBlueScreenError(false);
        Open(name.c_str());
        SetBlueScreenError(blueScreen);
        // A missing or unreadable option file leaves the defaults; it is not
        // the application's error (which would become the exit code).
        ClearError();
    }
    StartDebug(*this);
    ConfigureMemory(*this);
    long seed = 0;
    GetNumber("Engine", "RandomNumberSeed", &seed, static_cast<long>(time(nullptr)));
    SeedRandom(static_cast<uint32_t>(seed));
    SetMainOptions(this);
}

CxApp::~CxApp()
{
    if (GetMainOptions() == this)
        SetMainOptions(nullptr);
    StopDebug();
    if (s_pApp == this)
        s_pApp = nullptr;
}

int32_t CxApp::IsFirstInstance()
{
    return 1;
}

uint32_t CxApp::ProcessCommandLine(CxLinkedList<CxString*>& arguments)
{
    (void)arguments;
    return GetExitCode();
}

uint32_t CxApp::Run()
{
    m_bRestart = 1;
    while (m_bRestart)
    {
        m_bRestart = 0;
        m_bQuit = 0;
        // "DisplayAppError", thrown when the player quits from an error
        // dialog, ends the cycle wherever it comes from; the tear-down always
        // runs. Init and the tear-down are guarded too, so that a dialog
        // answered during them cannot end the process unannounced.
        bool thrown = false;
        try
        {
            Init();
        }
        catch (...)
        {
            thrown = true;
        }
        if (!thrown)
        {
            try
            {
                Create();
                PostCreate();
                if (GetExitCode() == CX_ERR_NONE)
                    MainLoop();
                PreDestroy();
            }
            catch (...)
            {
                thrown = true;
            }
        }
        try
        {
            Destroy();
        }
        catch (...)
        {
            thrown = true;
        }
        try
        {
            ExitInstance();
        }
        catch (...)
        {
            thrown = true;
        }
        if (thrown)
            m_bRestart = 0;
    }
    return GetExitCode();
}

void CxApp::OnClose() {}

void CxApp::CloseAndQuit()
{
    m_bQuitCancelled = 0;
    OnClose();
    if (!m_bQuitCancelled)
        m_bQuit = 1;
    m_bQuitCancelled = 0;
}

void CxApp::OnIdle() {}

void CxApp::RunIdlePass()
{
    RunMainLoopFunctions();
    OnIdle();
}

bool CxApp::PumpMessage()
{
    RunIdlePass();
    return false;
}

uint32_t CxApp::Init()
{
    // The first query gathers the machine facts for the whole process.
    GetSystemInfo(0);
    return GetError();
}

uint32_t CxApp::Create()
{
    return GetError();
}

uint32_t CxApp::PostCreate()
{
    return GetError();
}

uint32_t CxApp::MainLoop()
{
    while (!m_bQuit)
    {
        if (GetReportedErrorCount() >= CX_MAX_REPORTED_ERRORS)
            break;
        if (PumpMessage())
            break;
    }
    return GetError();
}

void CxApp::PreDestroy() {}

void CxApp::Destroy() {}

uint32_t CxApp::ExitInstance()
{
    return GetError();
}

void CxApp::ShowBanner()
{
    Output("\n");
    Output("%s (engine build %s)\n", m_szAppName, s_szEngineBuildDate);
}

void CxApp::AddMainLoopFunction(CxMainLoopFunction function)
{
    ::AddMainLoopFunction(function);
}

void CxApp::RemoveMainLoopFunction(CxMainLoopFunction function)
{
    ::RemoveMainLoopFunction(function);
}

int32_t CxApp::GetSystemInfo(int32_t index, ST_SYSTEM_VALUE* out)
{
    if (index == 0)
    {
        // None of the operating systems the kind numbers name.
        QuerySystemInfo(0, nullptr);
        if (out)
            *out = ST_SYSTEM_VALUE{0, 0};
        return 0;
    }
    return QuerySystemInfo(index, out);
}

uint32_t CxApp::GetReportedErrorCount() const
{
    return ::GetErrorCount() - m_nErrorBase;
}

void CxApp::SetBuildDate(const char* date)
{
    CxCopyText(m_szBuildDate, date ? date : "", sizeof(m_szBuildDate));
}

void CxApp::SetProgramDirectory(const char* programPath)
{
    CxString path(programPath ? programPath : "");
    int32_t last = -1;
    for (int32_t i = 0; i < path.GetLength(); ++i)
        if (path[i] == '\\' || path[i] == '/')
            last = i;
    CxCopyText(m_szProgramDirectory, path.Left(last + 1).c_str(), sizeof(m_szProgramDirectory));
}

int CxAppMain(int argc, char** argv)
{
    IsMainThread();
    CxApp* app = GetApp();
    if (!app)
        return -1;
    // A second copy ends silently, before any window exists.
    if (!app->IsFirstInstance())
        return 0;

    app->SetProgramDirectory(argc > 0 && argv[0] ? argv[0] : "");
    CxLinkedList<CxString*> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.AddTail(new CxString(argv[i] ? argv[i] : ""));
    app->ShowBanner();
    app->ProcessCommandLine(arguments);
    for (auto* node = arguments.GetHead(); node; node = node->GetNext())
        delete node->m_Value;
    arguments.RemoveAll();
    if (app->IsCommandLineRefused())
        return CX_EXIT_USAGE;
    return static_cast<int>(app->Run());
}
