#include "engine/core/file.h"

#include "engine/core/memory.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Switches the missing-disc prompt for the test and back afterwards.
struct BlueScreen
{
    explicit BlueScreen(bool on) : m_bWas(GetBlueScreenError()) { SetBlueScreenError(on); }
    ~BlueScreen() { SetBlueScreenError(m_bWas); }
    bool m_bWas;
};
} // namespace

TEST(File, OpenModesFollowTheFlags)
{
    TempDir dir;
    BlueScreen off(false);
    ErrorCapture capture;
    const std::string path = dir.File("new.bin");

    CxFile missing;
    EXPECT_EQ(missing.Open(path.c_str(), CX_FILE_DEFAULT), CX_ERR_FILE_OPEN);
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].text, "Could not open " + path);

    CxFile created;
    EXPECT_EQ(created.Open(path.c_str(), CX_FILE_CREATE | CX_FILE_READ), CX_ERR_NONE)
        << "0x20 creates a missing file";
    EXPECT_EQ(created.Write("hello", 5), 5);
    created.Close();

    CxFile readOnly;
    ASSERT_EQ(readOnly.Open(path.c_str(), CX_FILE_DEFAULT), CX_ERR_NONE);
    EXPECT_EQ(readOnly.Write("xx", 2), 0) << "a read-only file refuses writes silently";
    EXPECT_EQ(readOnly.GetError(), CX_ERR_NONE);
    EXPECT_EQ(readOnly.GetLength(), 5);
    char text[6] = {};
    EXPECT_EQ(readOnly.Read(text, 5), 5);
    EXPECT_STREQ(text, "hello");
    readOnly.Close();

    CxFile append;
    ASSERT_EQ(append.Open(path.c_str(), CX_FILE_APPEND), CX_ERR_NONE);
    append.Write(" world", 6);
    append.Close();
    CxFile truncate;
    ASSERT_EQ(truncate.Open(dir.File("NEW.BIN").c_str(), CX_FILE_TEXT), CX_ERR_NONE)
        << "names match any case";
    EXPECT_EQ(truncate.GetLength(), 11);
    truncate.Close();
    EXPECT_EQ(capture.Errors().size(), 1u);
}

TEST(File, ShortReadsReportEachPieceAndGoOn)
{
    TempDir dir;
    ErrorCapture capture;
    const std::string path = dir.Write("big.bin", std::string(3000000, 'a'));
    CxFile file;
    ASSERT_EQ(file.Open(path.c_str()), CX_ERR_NONE);
    std::string buffer(5000000, '\0');
    EXPECT_EQ(file.Read(buffer.data(), 5000000), 3000000);
    EXPECT_EQ(file.GetError(), CX_ERR_FILE_READ);
    // 5,000,000 bytes go in pieces of 2,097,151, 2,097,151 and 805,698; the
    // first report is counted, the second finds the first already in the object.
    ASSERT_GE(capture.Errors().size(), 2u);
    EXPECT_EQ(capture.Errors()[0].text, "Unable to read 2097151 bytes from " + path);
    EXPECT_EQ(capture.Errors()[1].text, "Unable to read 805698 bytes from " + path);
    EXPECT_EQ(file.Read(buffer.data(), 1), 0) << "a file with an error reads nothing more";
}

TEST(File, WriteFailuresAreNotReportedAsSuccess)
{
    if (!FileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ErrorCapture capture;
    CxFile full;
    ASSERT_EQ(full.Open("/dev/full", CX_FILE_WRITE), CX_ERR_NONE);
    std::string block(100000, 'x');
    full.Write(block.data(), static_cast<int64_t>(block.size()));
    EXPECT_EQ(full.GetError(), CX_ERR_FILE_WRITE);
    EXPECT_FALSE(capture.Errors().empty());
}

TEST(File, MissingDiscPromptRetriesUntilTheFileAppears)
{
    TempDir dir;
    BlueScreen on(true);
    ErrorCapture capture(1);
    static std::string s_Path;
    static int s_nPrompts;
    s_Path = dir.File("late.dat");
    s_nPrompts = 0;
    // The "player" inserts the disc on the second prompt.
    SetErrorHandler([](uint32_t code, const char*) -> int32_t {
        EXPECT_EQ(code, CX_ERR_CD_MISSING);
        if (++s_nPrompts == 2)
            fclose(fopen(s_Path.c_str(), "wb"));
        return 1;
    });
    const uint32_t countBefore = GetErrorCount();
    CxFile file;
    EXPECT_EQ(file.Open(s_Path.c_str()), CX_ERR_NONE);
    EXPECT_EQ(s_nPrompts, 2);
    EXPECT_EQ(GetLastErrorCode(), CX_ERR_CD_MISSING);
    EXPECT_EQ(GetErrorCount(), countBefore) << "the prompt is not a counted report";
}

TEST(File, MissingDiscPromptGivingUpFailsTheOpen)
{
    TempDir dir;
    BlueScreen on(true);
    ErrorCapture capture(0);
    CxFile file;
    EXPECT_EQ(file.Open(dir.File("never.dat").c_str()), CX_ERR_CD_MISSING);
    EXPECT_FALSE(file.IsOpen());
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].text, "Please insert the game's CD into your CD-ROM drive.");

    // Opens that write never ask for the disc.
    capture.Clear();
    CxFile writer;
    EXPECT_EQ(writer.Open(dir.File("no/dir/x").c_str(), CX_FILE_WRITE), CX_ERR_FILE_OPEN);
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].code, CX_ERR_FILE_OPEN);
}

TEST(Buffer, SameSizeKeepsTheBlockBorrowedMemoryIsNeverFreedAndFailuresStick)
{
    CxBuffer buffer;
    ASSERT_EQ(buffer.Allocate(16), CX_ERR_NONE);
    memcpy(buffer.GetData(), "0123456789abcdef", 16);
    uint8_t* first = buffer.GetData();
    EXPECT_EQ(buffer.Allocate(16), CX_ERR_NONE);
    EXPECT_EQ(buffer.GetData(), first);
    EXPECT_EQ(memcmp(buffer.GetData(), "0123456789abcdef", 16), 0);
    char outside[8] = "keep";
    {
        CxBuffer borrowed(outside, sizeof(outside), true);
        borrowed.Free();
        EXPECT_EQ(borrowed.GetData(), nullptr);
        EXPECT_TRUE(borrowed.IsBorrowed()) << "Free keeps the borrowed flag";
    }
    EXPECT_STREQ(outside, "keep");
    ErrorCapture capture;
    SetMemoryBudget(1024);
    CxBuffer starved;
    EXPECT_EQ(starved.Allocate(4096), CX_ERR_OUT_OF_MEMORY);
    SetMemoryBudget(CX_MEMORY_UNLIMITED);
    ASSERT_EQ(capture.Errors().size(), 1u);
    EXPECT_EQ(capture.Errors()[0].text, "Could not allocate 4096 bytes for a CxBuffer object");
    EXPECT_EQ(starved.Allocate(8), CX_ERR_OUT_OF_MEMORY) << "a starved with an error allocates nothing";
}

TEST(LoadFile, ReadsWholeFilesAndReportsMissingOnes)
{
    TempDir dir;
    BlueScreen off(false);
    ErrorCapture capture;
    CxFileBuffer buffer;
    const std::string path = dir.Write("Data.TXT", std::string("abc\0def", 7));
    EXPECT_EQ(LoadFile(dir.File("data.txt").c_str(), buffer), CX_ERR_NONE);
    ASSERT_EQ(buffer.GetSize(), 7u);
    EXPECT_EQ(memcmp(buffer.GetData(), "abc\0def", 7), 0);
    EXPECT_EQ(std::string(buffer.GetPath().c_str()), path);

    dir.Write("empty", "");
    EXPECT_EQ(LoadFile(dir.File("empty").c_str(), buffer), CX_ERR_NONE);
    EXPECT_EQ(buffer.GetData(), nullptr);

    CxFileBuffer missing;
    EXPECT_EQ(LoadFile(dir.File("none").c_str(), missing), CX_ERR_FILE_OPEN);
    ASSERT_EQ(capture.Errors().size(), 2u);
    EXPECT_EQ(capture.Errors()[1].text, "LoadFile() failed");
}

TEST(FileFunctions, ExistsDeleteDirectoryFullPathAndTempDirectory)
{
    TempDir dir;
    dir.Write("a", "1");
    EXPECT_TRUE(FileExists(dir.File("A").c_str()));
    EXPECT_FALSE(FileExists(dir.File("b").c_str()));
    EXPECT_TRUE(IsDirectory(dir.Path().c_str()));
    EXPECT_FALSE(IsDirectory(dir.File("a").c_str()));
    EXPECT_EQ(DeleteFile(dir.File("a").c_str()), CX_ERR_NONE);
    EXPECT_EQ(DeleteFile(dir.File("a").c_str()), CX_ERR_FILE_DELETE);

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    CxString full;
    GetFullPath(full, "sub\\name.txt");
    EXPECT_EQ(std::string(full.c_str()), dir.Path() + "/sub/name.txt");
    ASSERT_EQ(chdir(cwd), 0);
    TempDir temp;
    const char* names[] = {"TEMP", "TMP", "TMPDIR"};
    std::string saved[3];
    for (int i = 0; i < 3; ++i)
    {
        saved[i] = getenv(names[i]) ? getenv(names[i]) : "";
        unsetenv(names[i]);
    }
    CxString out;
    EXPECT_EQ(GetTempDirectory(nullptr), CX_ERR_INVALID_ARGUMENT);
    GetTempDirectory(&out);
    EXPECT_STREQ(out.c_str(), ".\\");
    setenv("TMP", (temp.Path() + "\\").c_str(), 1);
    GetTempDirectory(&out);
    EXPECT_EQ(std::string(out.c_str()), temp.Path() + "\\");
    setenv("TEMP", "/no/such/temp", 1);
    GetTempDirectory(&out);
    EXPECT_STREQ(out.c_str(), ".\\") << "a variable naming no directory falls back to the current one";
    for (int i = 0; i < 3; ++i)
        saved[i].empty() ? (void)unsetenv(names[i]) : (void)setenv(names[i], saved[i].c_str(), 1);
}

namespace {
CxSaveStep s_StopAt = CX_SAVE_STEP_COUNT;
bool StopAtStep(CxSaveStep step, const char*)
{
    return step == s_StopAt;
}
} // namespace

// A save stopped after any of its steps, as by a crash, leaves a complete
// copy (old or new) under the name or as the backup.
TEST(SaveFileAtomic, EveryStopLeavesACompleteCopy)
{
    const std::string oldText = "old contents\n", newText = "new contents, longer\n";
    for (int step = CX_SAVE_WRITTEN; step < CX_SAVE_STEP_COUNT; ++step)
    {
        TempDir dir;
        const std::string path = dir.Write("f.txt", oldText);
        s_StopAt = static_cast<CxSaveStep>(step);
        CxSaveStepHook previous = SetSaveStepHook(StopAtStep);
        const uint32_t code =
            SaveFileAtomic(path.c_str(), newText.data(), static_cast<uint32_t>(newText.size()), nullptr,
                           CX_SAVE_KEEP_BACKUP);
        SetSaveStepHook(previous);
        EXPECT_EQ(code, CX_ERR_FILE_WRITE) << "step " << step;
        const std::string now = TempDir::Read(path);
        const std::string bak = FileExists((path + ".bak").c_str()) ? TempDir::Read(path + ".bak") : "";
        EXPECT_TRUE(now == oldText || now == newText) << "step " << step << ": " << now;
        EXPECT_TRUE(now == oldText || bak == oldText) << "step " << step << ": the old copy is kept";
        if (step >= CX_SAVE_BACKED_UP)
        {
            EXPECT_EQ(bak, oldText) << "step " << step;
        }
        if (step == CX_SAVE_RENAMED)
        {
            EXPECT_EQ(now, newText);
        }
    }
    // Without the hook the whole save runs and cleans up after itself.
    TempDir dir;
    const std::string path = dir.Write("f.txt", oldText);
    ASSERT_EQ(SaveFileAtomic(path.c_str(), newText.data(), static_cast<uint32_t>(newText.size()), nullptr,
                             CX_SAVE_KEEP_BACKUP),
              CX_ERR_NONE);
    EXPECT_EQ(TempDir::Read(path), newText);
    EXPECT_EQ(TempDir::Read(path + ".bak"), oldText);
    EXPECT_FALSE(FileExists((path + ".new").c_str()));
}
