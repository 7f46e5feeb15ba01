#include "engine/platform/print.h"

#include "engine/frame/print_surface.h"
#include "engine/graphics/cursor.h"
#include "engine/graphics/draw_surface.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
struct RectCase
{
    int32_t width, height;
    double pageWidth, pageHeight, scale;
    ST_PRINT_RECT expected;
};

TEST(PrintRect, WidthFromThePageLessMarginsHeightFittedWhenTooTall)
{
    const RectCase cases[] = {
        {640, 480, 595, 842, 0, {36, 36, 523, 392.25}},
        {640, 480, 595, 842, -1, {36, 36, 523, 392.25}},
        {640, 480, 595, 842, 0.5, {36, 36, 225.5, 169.125}},
        // Taller than the page: the height is fitted, the picture centred across.
        {100, 400, 595, 842, 0, {(595 - 192.5) / 2, 36, 192.5, 770}},
        {0, 480, 595, 842, 0, {36, 36, 0, 0}},
    };
    for (const RectCase& c : cases)
    {
        const ST_PRINT_RECT r = ComputePrintRect(c.width, c.height, c.pageWidth, c.pageHeight, c.scale);
        EXPECT_DOUBLE_EQ(r.x, c.expected.x) << c.width << "x" << c.height << " scale " << c.scale;
        EXPECT_DOUBLE_EQ(r.y, c.expected.y);
        EXPECT_DOUBLE_EQ(r.width, c.expected.width);
        EXPECT_DOUBLE_EQ(r.height, c.expected.height);
    }
}

// A white picture of the given size with a black frame 4 pixels wide.
void MakeFramedPicture(CxDrawSurface& surface, int32_t width, int32_t height)
{
    surface.CreateSurface(width, height, 16);
    const CxRect all = surface.GetRect(), inside(4, 4, width - 5, height - 5);
    surface.FillRect(&all, surface.MakeColor(0, 0, 0));
    surface.FillRect(&inside, surface.MakeColor(255, 255, 255));
}

ST_PRINT_IMAGE Describe(CxDrawSurface& surface)
{
    ST_PRINT_IMAGE image;
    image.bits = surface.GetBits();
    image.width = surface.GetWidth();
    image.height = surface.GetHeight();
    image.pitch = surface.GetPitch();
    return image;
}

size_t CountPages(const std::string& pdf)
{
    size_t pages = 0;
    for (size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1))
        pages += pdf.compare(at, 12, "/Type /Pages") != 0;
    return pages;
}

TEST(PrintPage, OnePagePdfOfTheGivenSizeAndUnusableImagesRefused)
{
    TempDir dir;
    CxDrawSurface picture;
    MakeFramedPicture(picture, 64, 48);
    const std::string path = dir.File("page.pdf");
    ASSERT_EQ(RenderPrintPage(Describe(picture), 595, 842, 0, path.c_str()), CX_PRINT_OK);
    const std::string pdf = TempDir::Read(path);
    EXPECT_EQ(pdf.compare(0, 5, "%PDF-"), 0);
    EXPECT_EQ(CountPages(pdf), 1u);
    EXPECT_NE(pdf.find("/MediaBox [ 0 0 595 842 ]"), std::string::npos);

    ST_PRINT_IMAGE bad = Describe(picture);
    bad.pitch = 2; // rows shorter than the width would read past them
    EXPECT_EQ(RenderPrintPage(bad, 595, 842, 0, path.c_str()), CX_PRINT_BAD_IMAGE);
    bad = Describe(picture);
    bad.bits = nullptr;
    EXPECT_EQ(PrintImage(bad, "test", 0), CX_PRINT_BAD_IMAGE);
    EXPECT_EQ(RenderPrintPage(Describe(picture), 595, 842, 0, "/nonexistent/dir/page.pdf"),
              CX_PRINT_START_PAGE_FAILED);
    EXPECT_EQ(RenderPrintPage(Describe(picture), 595, 842, 0, "/dev/full"), CX_PRINT_END_PAGE_FAILED);
}

// Restores an environment variable at scope end.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_Name(name)
    {
        if (const char* old = getenv(name))
            m_Old = old, m_bHad = true;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_bHad ? setenv(m_Name.c_str(), m_Old.c_str(), 1) : unsetenv(m_Name.c_str()); }

private:
    std::string m_Name, m_Old;
    bool m_bHad = false;
};

bool IsEmptyDir(const std::string& path)
{
    DIR* dir = opendir(path.c_str());
    int entries = 0;
    while (dirent* entry = readdir(dir))
        entries += entry->d_name[0] != '.';
    closedir(dir);
    return entries == 0;
}

class PrintSurfaceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        StartTestApp(m_App);
        SetCursorShape(0);
    }
    void TearDown() override { StopTestApp(m_App); }

    CTestApp m_App;
    TempDir m_Temp;
    ScopedEnv m_TmpDir{"TMPDIR", m_Temp.Path().c_str()};
};

TEST_F(PrintSurfaceTest, WithoutAServerTheNoPrinterBoxShowsQuicklyAndNothingIsLeft)
{
    ScopedEnv server("CUPS_SERVER", (m_Temp.Path() + "/dead.sock").c_str());
    ScopedEnv file("RUMBO_PRINT_FILE", nullptr);
    CxDrawSurface picture;
    MakeFramedPicture(picture, 64, 48);
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(PrintSurface(&picture, 0, 0), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[No Printer Found] Sorry."), std::string::npos);
    EXPECT_EQ(GetCursorShape(), 0);
    EXPECT_TRUE(IsEmptyDir(m_Temp.Path()));
    EXPECT_EQ(PrintSurface(nullptr, 0, 0), 1u);
    EXPECT_EQ(GetCursorShape(), 0);
}

TEST_F(PrintSurfaceTest, ThePrintFileTakesThePageAndDepthsOtherThan16AreConverted)
{
    CxDrawSurface picture;
    MakeFramedPicture(picture, 64, 48);
    picture.ConvertDepth(24);
    const std::string path = m_Temp.File("out.pdf");
    ScopedEnv file("RUMBO_PRINT_FILE", path.c_str());
    ErrorCapture errors;
    EXPECT_EQ(PrintSurface(&picture, 0, 0), 0u);
    EXPECT_EQ(CountPages(TempDir::Read(path)), 1u);
    EXPECT_TRUE(errors.Errors().empty());
}

// A print server of the test's own on a socket in a scratch directory, with
// one printer "test" that writes every job to out.pdf.
class PrivatePrintServer
{
public:
    PrivatePrintServer()
    {
        chmod(m_Dir.Path().c_str(), 0777);
        for (const char* sub : {"spool", "cache", "state", "log", "tmp"})
        {
            mkdir(m_Dir.File(sub).c_str(), 0777);
            chmod(m_Dir.File(sub).c_str(), 0777);
        }
        const std::string d = m_Dir.Path();
        m_Dir.Write("cupsd.conf",
                    "Listen " + d +
                        "/cups.sock\nBrowsing No\nWebInterface No\nLogLevel warn\n"
                        "DefaultAuthType None\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n");
        // cupsd runs no filter as root.
        const std::string user = getuid() == 0 ? "User lp\nGroup lp\n" : "";
        m_Dir.Write("cups-files.conf", "FileDevice Yes\n" + user + "ServerRoot " + d + "\nRequestRoot " + d +
                                           "/spool\nCacheDir " + d + "/cache\nStateDir " + d +
                                           "/state\nTempDir " + d + "/tmp\nErrorLog " + d +
                                           "/log/error_log\nAccessLog " + d + "/log/access_log\nPageLog " +
                                           d + "/log/page_log\n");
        m_Pid = fork();
        if (m_Pid == 0)
        {
            execl(CUPSD, CUPSD, "-f", "-c", m_Dir.File("cupsd.conf").c_str(), "-s",
                  m_Dir.File("cups-files.conf").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        setenv("CUPS_SERVER", Socket().c_str(), 1);
        for (int i = 0; i < 100 && access(Socket().c_str(), F_OK) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string add =
            "lpadmin -p test -E -v file://" + Output() +
            " -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null && lpadmin -d test";
        m_bReady = access(Socket().c_str(), F_OK) == 0 && system(add.c_str()) == 0;
    }
    ~PrivatePrintServer()
    {
        unsetenv("CUPS_SERVER");
        if (m_Pid > 0)
        {
            kill(m_Pid, SIGTERM);
            waitpid(m_Pid, nullptr, 0);
        }
    }
    std::string Socket() const { return m_Dir.File("cups.sock"); }
    std::string Output() const { return m_Dir.File("out.pdf"); }
    bool IsReady() const { return m_bReady; }
    // The output of a tool run on out.pdf once the job has written it (empty after 10 s).
    std::string WaitForPdf(const std::string& tool) const
    {
        for (int i = 0; i < 200; ++i)
        {
            std::string text;
            if (FILE* pipe = popen((tool + " " + Output() + " 2>/dev/null").c_str(), "r"))
            {
                char buffer[4096];
                size_t n = 0;
                while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
                    text.append(buffer, n);
                if (pclose(pipe) == 0 && !text.empty())
                    return text;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return std::string();
    }

    static constexpr const char* CUPSD = "/usr/sbin/cupsd";

private:
    TempDir m_Dir;
    pid_t m_Pid = -1;
    bool m_bReady = false;
};

TEST(PrintServer, TheJobReachesThePrinterAsOnePageWithHalfInchMargins)
{
    if (access(PrivatePrintServer::CUPSD, X_OK) != 0)
        GTEST_SKIP() << "cupsd is not installed";
    PrivatePrintServer server;
    ASSERT_TRUE(server.IsReady()) << "the private print server did not start";
    int32_t preselected = -1;
    const std::vector<ST_PRINTER> printers = ListPrinters("", &preselected);
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, "test");
    EXPECT_EQ(preselected, 0);
    double width = 0, height = 0;
    GetPrinterPageSize("test", &width, &height);
    EXPECT_GT(width, 500);

    CxDrawSurface picture;
    MakeFramedPicture(picture, 640, 480);
    int32_t job = 0;
    ASSERT_EQ(PrintImage(Describe(picture), "test", 0, &job), CX_PRINT_OK);
    EXPECT_GT(job, 0);
    // The page's geometry on paper is the whole-game printing test's to check.
    EXPECT_NE(server.WaitForPdf("pdfinfo").find("Pages:           1"), std::string::npos);
    EXPECT_EQ(PrintImage(Describe(picture), "no-such-printer", 0), CX_PRINT_NO_PRINTER);
}
} // namespace
