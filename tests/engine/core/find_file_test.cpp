#include "engine/core/find_file.h"

#include "tests/support/test_support.h"

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
        std::filesystem::create_directories(m_Dir + "/Data/Deep");
        for (const char* name :
             {"b.tga", "A.TGA", "c.bmp", "README", ".hidden", "Data/b.tga", "Data/Deep/z.wav"})
            m_Temp.Write(name, "12345");
        chmod((m_Dir + "/c.bmp").c_str(), 0444);
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

    TempDir m_Temp;
    const std::string m_Dir = m_Temp.Path();
};
} // namespace

TEST(WildcardTest, MasksIgnoreCaseAndTakeLists)
{
    const struct
    {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"tread.TGA", "*.tga", true},
        {"helparrow07.tga", "helparrow??.tga", true},
        {"helparrow7.tga", "helparrow??.tga", false},
        {"a.b.c", "*.c", true},
        {"abc", "*.c", false},
        {"aaab", "*a*b", true},
        {"x.bmp", "*.tga; *.bmp", true},
        {"x.tga", "*.tga;*.bmp", true},
        {"x.pcx", "*.tga;*.bmp;", false},
        {"x.pcx", "", false},
        {"README", "*.*", true},
        {"README", "*.", true}, // a trailing dot: no extension
        {"x.tga", "*.", false},
        {"README", "readme.", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CxMatchWildcard(c.name, c.mask), c.match) << c.name << " against " << c.mask;
    // Long hostile masks finish.
    EXPECT_FALSE(CxMatchWildcard(std::string(5000, 'a').c_str(), (std::string(2000, '*') + "b").c_str()));
}

TEST_F(FindFileTest, MasksSelectSortedNamesWhateverTheCaseOfTheDirectories)
{
    const struct
    {
        const char* mask;
        std::vector<std::string> names;
    } cases[] = {
        {"\\*.*", {".hidden", "A.TGA", "b.tga", "c.bmp", "Data", "README"}},
        {"\\*.TGA", {"A.TGA", "b.tga"}},
        {"\\DATA\\deep\\*.wav", {"z.wav"}},
        {"/*", {"Data", "README"}}, // no dot: names without extension
        {"/nowhere/*.*", {}},
    };
    for (const auto& c : cases)
    {
        CxFindFile find;
        find.Find((m_Dir + c.mask).c_str());
        EXPECT_EQ(Names(find), c.names) << c.mask;
    }
}

TEST_F(FindFileTest, AttributesAreMappedAndTheMaskKeepsEntriesWhoseFlagsAreAllInIt)
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
    CxFindFile masked;
    masked.Find((m_Dir + "/*.*").c_str(), CX_FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Names(masked), (std::vector<std::string>{"A.TGA", "b.tga", "Data", "README"}))
        << "hidden and read-only entries have flags outside the mask";
}

TEST_F(FindFileTest, RecursiveSearchFindsEveryLevelKeepsEqualNamesAndEndsDespiteLinksBackUp)
{
    CxFindFile find;
    find.SetUpperCase(true);
    find.Find((m_Dir + "\\*.tga").c_str(), 0, true);
    std::vector<std::string> full;
    for (const CxFileEntry* entry = find.GetFirst(); entry; entry = find.GetNext())
        full.emplace_back(entry->GetFullPath().c_str());
    EXPECT_EQ(full,
              (std::vector<std::string>{m_Dir + "\\A.TGA", m_Dir + "\\B.TGA", m_Dir + "\\Data\\B.TGA"}));
    ASSERT_EQ(symlink(m_Dir.c_str(), (m_Dir + "/Data/up").c_str()), 0);
    CxFindFile linked;
    linked.Find((m_Dir + "\\*.wav").c_str(), 0, true);
    EXPECT_EQ(Names(linked), (std::vector<std::string>{"z.wav"}));
}
