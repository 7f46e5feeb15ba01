#include "engine/platform/open_url.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {
// PATH with only a scratch directory, optionally holding a fake xdg-open
// that writes its arguments, one per line, beside itself.
class OpenUrlTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const char* path = getenv("PATH");
        m_strPath = path ? path : "";
        setenv("PATH", m_Dir.Path().c_str(), 1);
    }
    void TearDown() override { setenv("PATH", m_strPath.c_str(), 1); }
    void InstallFake()
    {
        const std::string script = m_Dir.Write(
            "xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"${0%/*}/args\"\n");
        chmod(script.c_str(), 0755);
    }

    TempDir m_Dir;
    std::string m_strPath;
};

TEST_F(OpenUrlTest, OnlyWebAndFileAddressesReachTheOpenerAsOneArgument)
{
    InstallFake();
    const struct
    {
        const char* url;
        int32_t result;
    } cases[] = {{"https://example.org/a b;c $(x)", CX_OPEN_URL_STARTED},
                 {"HTTP://example.org/", CX_OPEN_URL_STARTED},
                 {"file:///tmp/about.html", CX_OPEN_URL_STARTED},
                 {"javascript:alert(1)", CX_OPEN_URL_REFUSED},
                 {"-x", CX_OPEN_URL_REFUSED},
                 {"https://", CX_OPEN_URL_REFUSED},
                 {"https://a\nb", CX_OPEN_URL_REFUSED},
                 {"", CX_OPEN_URL_REFUSED},
                 {nullptr, CX_OPEN_URL_REFUSED}};
    std::string expected;
    for (const auto& c : cases)
    {
        EXPECT_EQ(OpenWebPage(c.url), c.result) << (c.url ? c.url : "null");
        if (c.result == CX_OPEN_URL_STARTED)
        {
            WaitForWebPageOpeners();
            expected += std::string(c.url) + "\n";
        }
    }
    WaitForWebPageOpeners();
    EXPECT_EQ(TempDir::Read(m_Dir.File("args")), expected);
}

TEST_F(OpenUrlTest, WithoutAnOpenerTheFailureIsReported)
{
    std::string why;
    EXPECT_EQ(OpenWebPage("https://example.org/", &why), CX_OPEN_URL_FAILED);
    EXPECT_NE(why.find("xdg-open"), std::string::npos) << why;
}
} // namespace
