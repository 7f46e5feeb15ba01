#include "engine/platform/open_url.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

// With PATH on a scratch directory: no opener there is a reported failure;
// then a fake xdg-open writes its arguments, one per line, beside itself.
TEST(OpenUrl, OnlyWebAndFileAddressesReachTheOpenerAsOneArgument)
{
    TempDir dir;
    const std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", dir.Path().c_str(), 1);
    std::string why;
    EXPECT_EQ(OpenWebPage("https://example.org/", &why), CX_OPEN_URL_FAILED);
    EXPECT_NE(why.find("xdg-open"), std::string::npos) << why;

    chmod(dir.Write("xdg-open",
                    "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"${0%/*}/args\"\n")
              .c_str(),
          0755);
    for (const char* url :
         {"javascript:alert(1)", "-x", "https://", "https://a\nb", "", (const char*)nullptr})
        EXPECT_EQ(OpenWebPage(url), CX_OPEN_URL_REFUSED) << (url ? url : "null");
    std::string expected;
    for (const char* url :
         {"https://example.org/a b;c $(x)", "HTTP://example.org/", "file:///tmp/about.html"})
    {
        EXPECT_EQ(OpenWebPage(url), CX_OPEN_URL_STARTED) << url;
        WaitForWebPageOpeners();
        expected += std::string(url) + "\n";
    }
    EXPECT_EQ(TempDir::Read(dir.File("args")), expected);
    setenv("PATH", path.c_str(), 1);
}
