#include "engine/core/game_path.h"

#include "engine/core/file.h"
#include "engine/core/options.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {
class GamePathTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_Install + "/Sub");
        std::filesystem::create_directories(m_CD + "/sub");
        for (const char* name :
             {"install/Sub/File.TGA", "install/top.ini", "cd/sub/file.tga", "cd/sub/only_cd.wav"})
            m_Temp.Write(name, "x");
    }
    void TearDown() override { SetGamePath(nullptr); }

    TempDir m_Temp;
    const std::string m_Install = m_Temp.File("install");
    const std::string m_CD = m_Temp.File("cd");
};
} // namespace

TEST_F(GamePathTest, RootVariablesAreSubstitutedAndTheResultIsBounded)
{
    CxGamePath paths;
    paths.SetInstallPath("/inst");
    paths.SetCDPath("/cd");
    EXPECT_EQ(std::string(paths.GetInstallPath().c_str()), "/inst\\") << "roots get a trailing separator";
    const struct
    {
        const char* text;
        const char* expected;
    } cases[] = {
        {"$INSTALLPATH\\rumbo.pxu", "/inst\\rumbo.pxu"},
        {"$CDPATH\\a\\\\b", "/cd\\a\\b"},
        {"$GAMEPATH\\x;$CDPATH\\y", "/cd\\x;$CDPATH\\y"}, // with $GAMEPATH the rest is left alone
        {"\\\\server\\\\share", "\\\\server\\share"},     // a leading double backslash is kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(paths.Build(c.text).c_str()), c.expected) << c.text;
    SetGamePath(&paths);
    EXPECT_EQ(std::string(ExpandGamePath("$CDPATH\\100%s").c_str()), "/cd\\100%s");
    EXPECT_EQ(std::string(BuildGamePath("$CDPATH\\%02d", 7).c_str()), "/cd\\07");
    paths.SetCDPath(std::string(200, 'c').c_str());
    EXPECT_EQ(paths.Build("$GAMEPATH\\%s", std::string(300, 'f').c_str()).GetLength(), CX_GAME_PATH_MAX);
    EXPECT_EQ(paths.Build(nullptr).GetLength(), 0);
}

TEST_F(GamePathTest, InstalledFilesResolveUnderTheInstallPathOthersUnderTheCDPath)
{
    CxGamePath paths;
    paths.SetInstallPath(m_Install.c_str());
    paths.SetCDPath(m_CD.c_str());
    ASSERT_EQ(paths.BuildInstalledFileTable(), 0u);
    const CxString path = paths.Build("$GAMEPATH\\SUB\\%s", "file.tga");
    EXPECT_EQ(std::string(path.c_str()), m_Install + "\\SUB\\file.tga");
    EXPECT_TRUE(FileExists(path.c_str())) << "the path layer finds Sub/File.TGA";
    const CxString cdPath = paths.Build("$GAMEPATH\\sub\\ONLY_CD.WAV");
    EXPECT_EQ(std::string(cdPath.c_str()), m_CD + "\\sub\\ONLY_CD.WAV");
    EXPECT_TRUE(FileExists(cdPath.c_str()));
}

TEST_F(GamePathTest, EqualRootsHaveNoTableAndResolveUnderThatPath)
{
    CxGamePath paths;
    paths.SetInstallPath(m_CD.c_str());
    paths.SetCDPath(m_CD.c_str());
    paths.BuildInstalledFileTable();
    EXPECT_EQ(paths.GetInstalledFiles(), nullptr);
    EXPECT_FALSE(paths.IsInstalledFile((m_CD + "\\sub\\file.tga").c_str()));
    EXPECT_EQ(std::string(paths.Build("$GAMEPATH\\sub\\file.tga").c_str()), m_CD + "\\sub\\file.tga");
}

TEST_F(GamePathTest, TableHoldsEveryInstalledFileAndTheGlobalFunctionsUseIt)
{
    CxGamePath paths;
    paths.SetInstallPath(m_Install.c_str());
    paths.SetCDPath(m_CD.c_str());
    paths.BuildInstalledFileTable();
    ASSERT_NE(paths.GetInstalledFiles(), nullptr);
    EXPECT_EQ(paths.GetInstalledFiles()->GetCount(), 2u) << "directories are not listed";
    EXPECT_TRUE(paths.IsInstalledFile((m_Install + "/sub/file.tga").c_str()));
    EXPECT_TRUE(paths.IsInstalledFile((m_Install + "\\TOP.INI").c_str()));
    EXPECT_FALSE(paths.IsInstalledFile((m_Install + "\\sub\\only_cd.wav").c_str()));
    SetGamePath(&paths);
    EXPECT_TRUE(IsInstalledFile((m_Install + "\\top.ini").c_str()));
    EXPECT_EQ(std::string(BuildGamePath("$GAMEPATH\\top.ini").c_str()), m_Install + "\\top.ini");
    SetGamePath(nullptr);
    EXPECT_FALSE(IsInstalledFile((m_Install + "\\top.ini").c_str()));
}

TEST_F(GamePathTest, ConfigureReadsTheStartupOptionsInUpperCase)
{
    CxOptions options;
    const std::string text = "[Startup]\nInstallPath=" + m_Install + "\nCDPath=" + m_CD + "/\n";
    options.Parse(text.c_str(), static_cast<uint32_t>(text.size()));
    CxGamePath paths;
    EXPECT_EQ(paths.Configure(options, "/unused"), 0u);
    std::string upper = m_Install;
    for (char& c : upper)
        c = CxToUpper(c);
    EXPECT_EQ(std::string(paths.GetInstallPath().c_str()), upper + "\\");
    const CxString path = paths.Build("$GAMEPATH\\sub\\file.tga");
    EXPECT_EQ(std::string(path.c_str()), upper + "\\sub\\file.tga");
    EXPECT_TRUE(FileExists(path.c_str())) << "upper-cased roots still reach the files";

    CxOptions empty;
    CxGamePath defaults;
    defaults.Configure(empty, m_CD.c_str());
    EXPECT_EQ(defaults.GetInstallPath(), defaults.GetCDPath());
    EXPECT_EQ(defaults.GetInstalledFiles(), nullptr);
}
