#include "game/world/user_profile.h"

#include "engine/core/file.h"
#include "engine/core/options.h"
#include "tests/game/world/profile_test_support.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {
UserProfile Blank()
{
    UserProfile p;
    memset(&p, 0, sizeof(p));
    return p;
}

struct LevelCase
{
    int32_t level, title; // stored before
    int32_t newLevel;
    int32_t wantLevel, wantTitle;
};

class ActivityLevel : public testing::TestWithParam<LevelCase>
{
};
} // namespace

TEST_P(ActivityLevel, HigherLevelsRaiseTheTitleUpToTwo)
{
    const LevelCase& c = GetParam();
    for (int a = 0; a < USER_ACTIVITY_COUNT; ++a)
    {
        UserProfile p = Blank();
        p.level[a] = c.level;
        p.title[a] = c.title;
        SetActivityLevel(p, static_cast<UserActivity>(a), c.newLevel);
        EXPECT_EQ(p.level[a], c.wantLevel) << "activity " << a;
        EXPECT_EQ(p.title[a], c.wantTitle) << "activity " << a;
        for (int other = 0; other < USER_ACTIVITY_COUNT; ++other)
            if (other != a)
            {
                EXPECT_EQ(p.level[other] | p.title[other], 0);
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, ActivityLevel,
                         testing::Values(LevelCase{1, 0, 2, 2, 1},   // first raise
                                         LevelCase{2, 1, 3, 3, 2},   // second raise
                                         LevelCase{3, 2, 4, 4, 2},   // title stays at 2
                                         LevelCase{3, 1, 1, 1, 1},   // lower level keeps the title
                                         LevelCase{2, 1, 2, 2, 1})); // same level: nothing

TEST(UserProfileRules, AllBuildingsBitComesWithTheLastBuildingThenOnlyOr)
{
    struct
    {
        uint32_t before, mask, after;
    } cases[] = {
        {0, 0x0FF, 0x0FF},     // eight of nine
        {0x0FF, 0x100, 0x3FF}, // the ninth sets bit 9 in the same call
        {0, 0x1FF, 0x3FF},     // all at once
        {0x3FF, 0x400, 0x7FF}, // bit 9 set: OR only
        {0x200, 0x001, 0x201}, // bit 9 alone stays as it is
    };
    for (const auto& c : cases)
    {
        uint32_t flags = c.before;
        AddBuildingFlags(flags, c.mask);
        EXPECT_EQ(flags, c.after) << std::hex << c.before << " | " << c.mask;
    }
    uint32_t items = 0x3FFF;
    AddItemFlags(items, 0x0001);
    EXPECT_EQ(items, 0x3FFFu) << "bit 14 still missing";
    AddItemFlags(items, 0x4000);
    EXPECT_EQ(items, 0xFFFFu);
}

TEST(UserProfileRules, ResetKeepsTheMissionIdsOnly)
{
    UserProfile p;
    memset(&p, 0x5A, sizeof(p));
    for (int b = 0; b < USER_BUILDING_COUNT; ++b)
        p.buildingMission[b] = 100 + b;
    ResetUserProfile(p);
    UserProfile want = Blank();
    for (int b = 0; b < USER_BUILDING_COUNT; ++b)
        want.buildingMission[b] = 100 + b;
    EXPECT_EQ(memcmp(&p, &want, sizeof(p)), 0);
    EXPECT_STREQ(GetVehicleFile(3), "$GAMEPATH\\VPLAYER\\zorbin.ini");
    EXPECT_STREQ(GetVehicleFile(4), GetVehicleFile(0));
    EXPECT_STREQ(GetVehicleFile(-1), GetVehicleFile(0));
}

TEST(UserProfileFile, FirstSaveWritesSixSectionsOfZerosAndEveryFieldRoundTrips)
{
    TempDir dir;
    ErrorCapture capture;
    CUserProfileFile file(dir.File("rumbo.pxu").c_str());
    // Without a file every record is reset (the mission ids are kept).
    UserProfile profiles[USER_PROFILE_COUNT];
    for (int u = 0; u < USER_PROFILE_COUNT; ++u)
    {
        FillProfile(profiles[u], u);
        memset(profiles[u].buildingMission, 0, sizeof(profiles[u].buildingMission));
    }
    ASSERT_EQ(file.Load(profiles, nullptr), CX_ERR_NONE);
    ASSERT_EQ(file.Save(profiles, nullptr), CX_ERR_NONE);
    ExpectBlankProfileFile(dir.File("rumbo.pxu"));

    // Every field with its own value, through a save and a load.
    UserProfile saved[USER_PROFILE_COUNT];
    for (int u = 0; u < USER_PROFILE_COUNT; ++u)
        FillProfile(saved[u], u);
    ASSERT_EQ(file.Save(saved, nullptr), CX_ERR_NONE);
    UserProfile loaded[USER_PROFILE_COUNT] = {};
    CUserProfileFile again(dir.File("rumbo.pxu").c_str());
    ASSERT_EQ(again.Load(loaded, nullptr), CX_ERR_NONE);
    EXPECT_EQ(memcmp(saved, loaded, sizeof(saved)), 0);
    EXPECT_FALSE(again.LoadedFromBackup());
    EXPECT_TRUE(capture.Errors().empty());
}

TEST(UserProfileFile, LongNamesAreCutAndBadVehiclesBecomeZero)
{
    const char text[] = "[User0]\r\nUserName=Alexandra\r\nVehicleID=7\r\nFishLevel=3\r\n"
                        "[User1]\r\nVehicleID=-2\r\n[User2]\r\nVehicleID=3\r\nUserName=Bo;b\r\n";
    UserProfile p[USER_PROFILE_COUNT] = {};
    ASSERT_TRUE(CUserProfileFile::Parse(text, sizeof(text) - 1, p));
    EXPECT_STREQ(p[0].name, "Alexa");
    EXPECT_EQ(p[0].vehicle, 0);
    EXPECT_EQ(p[0].level[USER_FISH], 3);
    EXPECT_EQ(p[1].vehicle, 0);
    EXPECT_EQ(p[2].vehicle, 3);
    EXPECT_STREQ(p[2].name, "Bo") << "';' starts a comment";
    EXPECT_STREQ(p[3].name, "");
    // Not a profile: text without any of the six sections; empty text is one.
    const char other[] = "[Engine]\r\nUseDirectDraw=1\r\n";
    EXPECT_FALSE(CUserProfileFile::Parse(other, sizeof(other) - 1, p));
    EXPECT_TRUE(CUserProfileFile::Parse("", 0, p));
}

namespace {
struct BadFileCase
{
    const char* name;
    bool unreadable; // mode 000, else garbage bytes
    bool backup;     // a good .bak beside it
};

class BadProfileFile : public testing::TestWithParam<BadFileCase>
{
};
} // namespace

// Garbage and unreadable files are never written over; a good .bak is used
// and the bad file goes aside to .bad at the next save.
TEST_P(BadProfileFile, IsNeverOverwritten)
{
    const BadFileCase& c = GetParam();
    TempDir dir;
    chmod(dir.Path().c_str(), 0777);
    const std::string path = dir.File("rumbo.pxu");
    const std::string garbage("\x89PNG\r\n\x1a\nnot a profile at all", 29);
    dir.Write("rumbo.pxu", garbage);
    if (c.unreadable)
        chmod(path.c_str(), 0);
    UserProfile good[USER_PROFILE_COUNT];
    for (int u = 0; u < USER_PROFILE_COUNT; ++u)
        FillProfile(good[u], u);
    if (c.backup)
    {
        WriteProfileFile(path + ".bak", good);
        chmod((path + ".bak").c_str(), 0666);
    }

    const int result = RunUnprivileged([&]() -> int {
        ErrorCapture capture;
        CUserProfileFile file(path.c_str());
        UserProfile loaded[USER_PROFILE_COUNT];
        memset(loaded, 0x33, sizeof(loaded));
        if (c.backup)
        {
            if (file.Load(loaded, nullptr) != CX_ERR_NONE || !file.LoadedFromBackup() ||
                memcmp(loaded, good, sizeof(good)) != 0)
                return 10;
            loaded[0].level[USER_RACE] = 9;
            if (file.Save(loaded, nullptr) != CX_ERR_NONE)
                return 11;
            return 0;
        }
        CxError reporter;
        CUserProfileFile second(path.c_str());
        memset(loaded, 0, sizeof(loaded));
        loaded[0].level[USER_FIRE] = 5;
        if (second.Load(loaded, &reporter) != USER_FILE_ERROR || reporter.GetError() != USER_FILE_ERROR)
            return 20;
        if (capture.Errors().size() != 1 || capture.Errors()[0].text != USER_FILE_ERROR_TEXT)
            return 21;
        UserProfile blank[USER_PROFILE_COUNT] = {};
        if (memcmp(loaded, blank, sizeof(blank)) != 0)
            return 22; // played on with reset records
        if (second.Save(loaded, &reporter) != USER_FILE_ERROR || !second.IsWriteBlocked())
            return 23;
        return 0;
    });
    if (result == RUN_UNPRIVILEGED_SKIPPED)
        GTEST_SKIP() << "no unprivileged user to run as";
    ASSERT_EQ(result, 0);

    chmod(path.c_str(), 0644);
    chmod((path + ".bad").c_str(), 0644);
    if (c.backup)
    {
        EXPECT_EQ(TempDir::Read(path + ".bad"), garbage) << "moved aside, untouched";
        UserProfile loaded[USER_PROFILE_COUNT] = {};
        CUserProfileFile file(path.c_str());
        ASSERT_EQ(file.Load(loaded, nullptr), CX_ERR_NONE);
        EXPECT_EQ(loaded[0].level[USER_RACE], 9);
        EXPECT_FALSE(file.LoadedFromBackup());
    }
    else
        EXPECT_EQ(TempDir::Read(path), garbage);
}

INSTANTIATE_TEST_SUITE_P(Files, BadProfileFile,
                         testing::Values(BadFileCase{"Garbage", false, false},
                                         BadFileCase{"Unreadable", true, false},
                                         BadFileCase{"GarbageWithBackup", false, true},
                                         BadFileCase{"UnreadableWithBackup", true, true}),
                         [](const testing::TestParamInfo<BadFileCase>& info) {
                             return std::string(info.param.name);
                         });

// A missing or empty file falls back to the backup, which stays the last good copy.
TEST(UserProfileFile, AMissingOrEmptyFileFallsBackToTheBackup)
{
    for (bool emptyFile : {false, true})
    {
        TempDir dir;
        const std::string path = dir.File("rumbo.pxu");
        UserProfile good[USER_PROFILE_COUNT];
        for (int u = 0; u < USER_PROFILE_COUNT; ++u)
            FillProfile(good[u], u);
        WriteProfileFile(path + ".bak", good);
        if (emptyFile)
            dir.Write("rumbo.pxu", "");
        UserProfile loaded[USER_PROFILE_COUNT] = {};
        CUserProfileFile file(path.c_str());
        ASSERT_EQ(file.Load(loaded, nullptr), CX_ERR_NONE);
        EXPECT_TRUE(file.LoadedFromBackup());
        EXPECT_EQ(memcmp(loaded, good, sizeof(good)), 0);
        ASSERT_EQ(file.Save(loaded, nullptr), CX_ERR_NONE);
        EXPECT_EQ(FileExists((path + ".bad").c_str()), emptyFile);
        EXPECT_EQ(TempDir::Read(path + ".bak"), TempDir::Read(path)) << "empty file: " << emptyFile;
    }
}
