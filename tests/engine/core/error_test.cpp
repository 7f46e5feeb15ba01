#include "engine/core/error.h"

#include "engine/core/file.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(ErrorPath, ReportsAreCountedFormattedAndHandled)
{
    ErrorCapture capture(7);
    CxError object;
    const uint32_t before = GetErrorCount();
    EXPECT_EQ(object.SetError(CX_ERR_FILE_READ, "Unable to read %d bytes from %s", 12, "x.bin"), 7);
    EXPECT_EQ(object.GetError(), CX_ERR_FILE_READ);
    EXPECT_EQ(GetErrorCount(), before + 1);
    EXPECT_EQ(GetLastErrorCode(), CX_ERR_FILE_READ);
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].text, "Unable to read 12 bytes from x.bin");

    EXPECT_EQ(object.SetError(CX_ERR_NONE, "ignored"), 0);
    EXPECT_EQ(object.GetError(), CX_ERR_NONE) << "code 0 clears the object";
    EXPECT_EQ(GetErrorCount(), before + 1) << "and is neither counted nor shown";

    ReportError(CX_ERR_UNKNOWN);
    EXPECT_EQ(capture.Errors().back().text, "") << "a null format gives an empty message";
    EXPECT_EQ(GetErrorCount(), before + 2);

    // Without a handler reports are only counted.
    CxErrorHandler previous = SetErrorHandler(nullptr);
    EXPECT_EQ(ReportError(CX_ERR_DISK, "quiet"), 0);
    EXPECT_EQ(GetErrorCount(), before + 3);
    SetErrorHandler(previous);
}

TEST(ErrorPath, ReportFromInsideTheHandlerIsNotCountedOrShown)
{
    ErrorCapture capture;
    static CxError s_Inner;
    capture.m_pOnReport = [](uint32_t code) {
        if (code == CX_ERR_CRC)
            s_Inner.SetError(CX_ERR_DISK, "nested");
    };
    const uint32_t before = GetErrorCount();
    ReportError(CX_ERR_CRC, "outer");
    EXPECT_EQ(GetErrorCount(), before + 1);
    EXPECT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(s_Inner.GetError(), CX_ERR_DISK) << "the nested report still sets its object's code";
}

namespace {
struct Collector : CxOutputListener
{
    std::string m_Text;
    void OnOutput(const char* text) override { m_Text += text; }
};

// Starts the debug settings from an option text and stops them at scope end.
struct DebugScope
{
    explicit DebugScope(const std::string& text)
    {
        m_Options.Parse(text.data(), static_cast<uint32_t>(text.size()));
        StartDebug(m_Options);
    }
    ~DebugScope() { StopDebug(); }
    CxOptions m_Options;
};
} // namespace

namespace {
// Sets (or, with null, removes) an environment variable for the life of a scope.
struct EnvScope
{
    EnvScope(const char* name, const char* value) : m_Name(name), m_bHad(getenv(name) != nullptr)
    {
        m_Old = m_bHad ? getenv(name) : "";
        value ? (void)setenv(name, value, 1) : (void)unsetenv(name);
    }
    ~EnvScope() { m_bHad ? (void)setenv(m_Name.c_str(), m_Old.c_str(), 1) : (void)unsetenv(m_Name.c_str()); }
    std::string m_Name, m_Old;
    bool m_bHad;
};
} // namespace

TEST(Log, DefaultFileLivesInTheUsersStateDirectoryOrTheWorkingDirectory)
{
    TempDir dir;
    {
        // $XDG_STATE_HOME/rumbotown/, made with the log in it.
        EnvScope state("XDG_STATE_HOME", (dir.Path() + "/state").c_str());
        DebugScope debug("[Engine.Debug]\n");
        const std::string expected = dir.Path() + "/state/rumbotown/DEBUG.LOG";
        EXPECT_EQ(std::string(GetLog()->GetFileName().c_str()), expected);
        EXPECT_TRUE(FileExists(expected.c_str())) << "the log is created with its directory";
        Output("first line\n");
        EXPECT_NE(TempDir::Read(expected).find(" first line\n"), std::string::npos);
    }
    {
        // Without it (or with a relative one): ~/.local/state/rumbotown/.
        EnvScope state("XDG_STATE_HOME", "relative/state");
        EnvScope home("HOME", (dir.Path() + "/home").c_str());
        DebugScope debug("[Engine.Debug]\n");
        const std::string expected = dir.Path() + "/home/.local/state/rumbotown/DEBUG.LOG";
        EXPECT_EQ(std::string(GetLog()->GetFileName().c_str()), expected);
        EXPECT_TRUE(FileExists(expected.c_str()));
    }
    {
        // A name in the option file is still used as given.
        EnvScope state("XDG_STATE_HOME", (dir.Path() + "/state").c_str());
        DebugScope debug("[Engine.Debug]\nLogFileName=" + dir.File("mine.log") + "\n");
        EXPECT_EQ(std::string(GetLog()->GetFileName().c_str()), dir.File("mine.log"));
    }
    // Without a state directory the working directory holds DEBUG.LOG.
    EnvScope state("XDG_STATE_HOME", nullptr);
    EnvScope home("HOME", nullptr);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    {
        DebugScope debug("[Engine.Debug]\nLogFile=0\n");
        EXPECT_EQ(std::string(GetLog()->GetFileName().c_str()), dir.Path() + "\\DEBUG.LOG");
    }
    ASSERT_EQ(chdir("/"), 0);
    {
        DebugScope debug("[Engine.Debug]\nLogFile=0\n");
        EXPECT_STREQ(GetLog()->GetFileName().c_str(), "/DEBUG.LOG") << "one separator, never two";
    }
    ASSERT_EQ(chdir(cwd), 0);
}

TEST(Log, AFullLogBecomesTheOldOneAndANewOneStarts)
{
    TempDir dir;
    const std::string path = dir.File("size.log");
    const std::string old = path + ".old";
    const std::string line(100, 'x');
    {
        DebugScope debug("[Engine.Debug]\nMaxLogSize=1\nLogFileName=" + path + "\n");
        // Lines of about 125 bytes: eight fit below 1 KB, the ninth starts a new file.
        for (int i = 0; i < 8; ++i)
            Output("%d %s\n", i, line.c_str());
        EXPECT_FALSE(FileExists(old.c_str()));
        Output("8 %s\n", line.c_str());
        ASSERT_TRUE(FileExists(old.c_str()));
        EXPECT_NE(TempDir::Read(old).find(" 7 x"), std::string::npos);
        EXPECT_EQ(TempDir::Read(path).find(" 7 x"), std::string::npos);
        EXPECT_NE(TempDir::Read(path).find(" 8 x"), std::string::npos);
        // Many more lines: the log and its old copy stay below the limit, and
        // the old one is replaced each time.
        for (int i = 9; i < 60; ++i)
            Output("%d %s\n", i, line.c_str());
        EXPECT_LE(TempDir::Read(path).size(), 1024u);
        EXPECT_LE(TempDir::Read(old).size(), 1024u);
        EXPECT_EQ(TempDir::Read(old).find(" 7 x"), std::string::npos);
        EXPECT_NE(TempDir::Read(path).find(" 59 x"), std::string::npos);
    }
    {
        // 0 means no limit.
        DebugScope debug("[Engine.Debug]\nMaxLogSize=0\nLogFileName=" + dir.File("free.log") + "\n");
        for (int i = 0; i < 20; ++i)
            Output("%d %s\n", i, line.c_str());
        EXPECT_FALSE(FileExists((dir.File("free.log") + ".old").c_str()));
        EXPECT_GT(TempDir::Read(dir.File("free.log")).size(), 2000u);
    }
}

TEST(Log, OutputAndErrorsBecomeStampedLinesFilteredByLevelAndSwitch)
{
    TempDir dir;
    const std::string path = dir.Write("run.log", "old line\n");
    ErrorCapture capture;
    Collector console;
    CxOutputListener* previous = SetOutputListener(&console);
    {
        DebugScope debug("[Engine.Debug]\nClearLogFile=1\nLogFileName=" + path + "\n");
        Output("Hello %s\n", "town");
        ReportError(CX_ERR_FILE_NOT_FOUND, "LoadFile() failed");
    }
    SetOutputListener(previous);
    EXPECT_EQ(console.m_Text, "Hello town\n");
    const std::string log = TempDir::Read(path);
    EXPECT_EQ(log.find("old line"), std::string::npos) << "ClearLogFile starts a fresh log";
    EXPECT_NE(log.find(" Hello town\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" Error: Could not find file: LoadFile() failed\n"), std::string::npos) << log;
    EXPECT_EQ(log[4], '-') << "lines start with a date";
    const std::string quiet = dir.File("quiet.log");
    {
        DebugScope debug("[Engine.Debug]\nDebugLevel=1\nLogWindow=0\nLogFileName=" + quiet + "\n");
        EXPECT_EQ(GetLog()->GetMode(), 0x10000u | CX_LOG_TO_FILE);
        Output("not logged\n");
        LogEntry(CX_LOG_WARNING, "not logged either");
        LogEntry(CX_LOG_FATAL, "kept");
    }
    EXPECT_EQ(GetLog(), nullptr);
    EXPECT_EQ(GetDebugSettings(), nullptr);
    EXPECT_NE(TempDir::Read(quiet).find("Fatal Error: kept"), std::string::npos);
    EXPECT_EQ(TempDir::Read(quiet).find("not logged"), std::string::npos);
    {
        DebugScope debug("[Engine.Debug]\nLogFile=0\nLogFileName=" + dir.File("off.log") + "\n");
        Output("nothing\n");
    }
    EXPECT_FALSE(FileExists(dir.File("off.log").c_str()));
}
