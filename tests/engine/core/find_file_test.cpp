#include "engine/core/find_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
class FindFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/rumbo-find-XXXXXX";
        m_Dir = mkdtemp(pattern);
        std::filesystem::create_directories(m_Dir + "/Data/Deep");
        Touch("b.tga");
        Touch("A.TGA");
        Touch("c.bmp");
        Touch("README");
        Touch(".hidden");
        Touch("Data/b.tga");
        Touch("Data/Deep/z.wav");
        chmod((m_Dir + "/c.bmp").c_str(), 0444);
    }
    void TearDown() override { std::filesystem::remove_all(m_Dir); }

    void Touch(const std::string& name)
    {
        FILE* f = fopen((m_Dir + "/" + name).c_str(), "wb");
        fputs("12345", f);
        fclose(f);
    }

    std::vector<std::string> Names(CxFindFile& find)
    {
        std::vector<std::string> names;
        for (const CxFileEntry* entry = find.GetFirst(); entry; entry = find.GetNext())
            names.emplace_back(entry->m_strName.c_str());
        return names;
    }

    const CxFileEntry* Entry(CxFindFile& find, const char* name)
    {
        for (const CxFileEntry* entry = find.GetFirst(); entry; entry = find.GetNext())
            if (entry->m_strName == name)
                return entry;
        return nullptr;
    }

    std::string m_Dir;
};
} // namespace

// ---- wildcard masks ----

TEST(WildcardTest, StarAndQuestionMarkIgnoringCase)
{
    EXPECT_TRUE(CxMatchWildcard("tread.TGA", "*.tga"));
    EXPECT_TRUE(CxMatchWildcard("helparrow07.tga", "helparrow??.tga"));
    EXPECT_FALSE(CxMatchWildcard("helparrow7.tga", "helparrow??.tga"));
    EXPECT_TRUE(CxMatchWildcard("a.b.c", "*.c"));
    EXPECT_FALSE(CxMatchWildcard("abc", "*.c"));
    EXPECT_TRUE(CxMatchWildcard("aaab", "*a*b"));
}

TEST(WildcardTest, ListsSeparatedBySemicolons)
{
    EXPECT_TRUE(CxMatchWildcard("x.bmp", "*.tga; *.bmp"));
    EXPECT_TRUE(CxMatchWildcard("x.tga", "*.tga;*.bmp"));
    EXPECT_FALSE(CxMatchWildcard("x.pcx", "*.tga;*.bmp;"));
    EXPECT_FALSE(CxMatchWildcard("x.pcx", ""));
}

TEST(WildcardTest, StarDotStarMatchesEverythingAndTrailingDotMeansNoExtension)
{
    EXPECT_TRUE(CxMatchWildcard("README", "*.*"));
    EXPECT_TRUE(CxMatchWildcard("README", "*."));
    EXPECT_FALSE(CxMatchWildcard("x.tga", "*."));
    EXPECT_TRUE(CxMatchWildcard("README", "readme."));
}

TEST(WildcardTest, LongHostileMasksFinish)
{
    const std::string name(5000, 'a');
    const std::string mask = std::string(2000, '*') + "b";
    EXPECT_FALSE(CxMatchWildcard(name.c_str(), mask.c_str()));
}

// ---- directory search ----

TEST_F(FindFileTest, ResultsComeSortedByName)
{
    CxFindFile find;
    find.Find((m_Dir + "\\*.*").c_str());
    EXPECT_EQ(Names(find),
              (std::vector<std::string>{".hidden", "A.TGA", "b.tga", "c.bmp", "Data", "README"}));
}

TEST_F(FindFileTest, MaskSelectsAndCaseIsIgnoredOnTheWay)
{
    CxFindFile find;
    std::string upper = m_Dir;
    find.Find((upper + "\\*.TGA").c_str());
    EXPECT_EQ(Names(find), (std::vector<std::string>{"A.TGA", "b.tga"}));
    find.Find((m_Dir + "\\DATA\\deep\\*.wav").c_str());
    EXPECT_EQ(Names(find), (std::vector<std::string>{"z.wav"}))
        << "directories resolve without regard to case";
}

TEST_F(FindFileTest, MaskWithoutDotListsNamesWithoutExtension)
{
    CxFindFile find;
    find.Find((m_Dir + "/*").c_str());
    EXPECT_EQ(Names(find), (std::vector<std::string>{"Data", "README"}));
}

TEST_F(FindFileTest, AttributesAreMapped)
{
    CxFindFile find;
    find.Find((m_Dir + "/*.*").c_str());
    const CxFileEntry* data = Entry(find, "Data");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->m_nAttributes, CX_FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Entry(find, ".hidden")->m_nAttributes, CX_FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Entry(find, "c.bmp")->m_nAttributes, CX_FILE_ATTRIBUTE_READONLY);
    const CxFileEntry* plain = Entry(find, "b.tga");
    EXPECT_EQ(plain->m_nAttributes, 0u);
    EXPECT_EQ(plain->m_nFileSizeLow, 5u);
    EXPECT_EQ(std::string(plain->GetFullPath().c_str()), m_Dir + "/b.tga");
}

TEST_F(FindFileTest, AttributeMaskKeepsEntriesWhoseFlagsAreAllInIt)
{
    CxFindFile find;
    find.Find((m_Dir + "/*.*").c_str(), CX_FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Names(find), (std::vector<std::string>{"A.TGA", "b.tga", "Data", "README"}))
        << "hidden and read-only entries have flags outside the mask";
}

TEST_F(FindFileTest, RecursiveSearchFindsEveryLevelAndKeepsEqualNames)
{
    CxFindFile find;
    find.SetUpperCase(true);
    find.Find((m_Dir + "\\*.tga").c_str(), 0, true);
    std::vector<std::string> full;
    for (const CxFileEntry* entry = find.GetFirst(); entry; entry = find.GetNext())
        full.emplace_back(entry->GetFullPath().c_str());
    EXPECT_EQ(full,
              (std::vector<std::string>{m_Dir + "\\A.TGA", m_Dir + "\\B.TGA", m_Dir + "\\Data\\B.TGA"}));
}

TEST_F(FindFileTest, LinksBackUpDoNotMakeTheSearchEndless)
{
    ASSERT_EQ(symlink(m_Dir.c_str(), (m_Dir + "/Data/up").c_str()), 0);
    CxFindFile find;
    find.Find((m_Dir + "\\*.wav").c_str(), 0, true);
    EXPECT_EQ(Names(find), (std::vector<std::string>{"z.wav"}));
}

TEST_F(FindFileTest, MissingDirectoryFindsNothing)
{
    CxFindFile find;
    find.Find((m_Dir + "/nowhere/*.*").c_str());
    EXPECT_EQ(find.GetFirst(), nullptr);
    EXPECT_EQ(find.GetNext(), nullptr);
}
