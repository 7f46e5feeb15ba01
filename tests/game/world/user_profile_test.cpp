#include "game/world/user_profile.h"

#include "engine/core/file.h"
#include "engine/core/options.h"
#include "tests/game/world/profile_test_support.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <sys/resource.h>
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
            EXPECT_EQ(p.level[other] | p.title[other], other == a ? p.level[a] | p.title[a] : 0);
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
    EXPECT_EQ(items, 0xFFFFu) << "bit 14 brings bit 15";
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
enum class Contents
{
    Good,
    Garbage,
    Empty,
    Missing,
};

enum class Limit
{
    None,
    ReadOnlyFolder,
    ShortWrite, // writes past 100 bytes fail
};

// A profile file in some state, and what a load and a save of it must do.
struct FileCase
{
    const char* name;
    Contents contents;
    bool unreadable; // mode 000
    bool backup;     // a good .bak beside it
    Limit limit;
    bool loadOk;     // else reported once, the records reset, and no save over it
    bool fromBackup; // loaded the .bak
    bool saveOk;     // else reported, and the file is left as it was
};

const std::string kGarbage("\x89PNG\r\n\x1a\nnot a profile at all", 29);

// The load and the save, as a code: 0 when each did as the case says.
int LoadAndSave(const FileCase& c, const std::string& path, const UserProfile (&good)[USER_PROFILE_COUNT])
{
    ErrorCapture capture;
    CxError reporter;
    CUserProfileFile file(path.c_str());
    UserProfile loaded[USER_PROFILE_COUNT];
    memset(loaded, 0, sizeof(loaded));
    loaded[0].level[USER_FIRE] = 5;
    const uint32_t load = file.Load(loaded, &reporter);
    UserProfile blank[USER_PROFILE_COUNT] = {};
    if (load != (c.loadOk ? CX_ERR_NONE : USER_FILE_ERROR) || file.LoadedFromBackup() != c.fromBackup)
        return 10;
    if (memcmp(loaded, c.loadOk ? good : blank, sizeof(loaded)) != 0)
        return 11;
    if (capture.Errors().size() != (c.loadOk ? 0u : 1u))
        return 12;
    loaded[0].level[USER_RACE] = 9;
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    if (c.limit == Limit::ShortWrite)
    {
        signal(SIGXFSZ, SIG_IGN); // a failed write instead of the end of the process
        rlimit small = saved;
        small.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    const uint32_t save = file.Save(loaded, &reporter);
    setrlimit(RLIMIT_FSIZE, &saved);
    if (save != (c.saveOk ? CX_ERR_NONE : USER_FILE_ERROR) || file.IsWriteBlocked() != !c.loadOk)
        return 13;
    bool reported = false;
    for (const CapturedError& e : capture.Errors())
        reported = reported || (e.code == USER_FILE_ERROR && e.text == USER_FILE_ERROR_TEXT);
    return reported == !c.saveOk ? 0 : 14;
}

class ProfileFile : public testing::TestWithParam<FileCase>
{
};
} // namespace

// Damaged and unreadable files are never written over; a good .bak is used
// and the bad file goes aside to .bad at the next save; a save that cannot
// be written keeps the old file.
TEST_P(ProfileFile, LoadAndSave)
{
    const FileCase& c = GetParam();
    TempDir dir;
    chmod(dir.Path().c_str(), 0777);
    const std::string path = dir.File("rumbo.pxu");
    UserProfile good[USER_PROFILE_COUNT];
    for (int u = 0; u < USER_PROFILE_COUNT; ++u)
        FillProfile(good[u], u);
    if (c.contents == Contents::Good)
        WriteProfileFile(path, good);
    else if (c.contents != Contents::Missing)
        dir.Write("rumbo.pxu", c.contents == Contents::Garbage ? kGarbage : "");
    const std::string before = c.contents == Contents::Missing ? "" : TempDir::Read(path);
    chmod(path.c_str(), c.unreadable ? 0 : 0666);
    if (c.backup)
    {
        WriteProfileFile(path + ".bak", good);
        chmod((path + ".bak").c_str(), 0666);
    }
    const std::string backup = c.backup ? TempDir::Read(path + ".bak") : "";
    if (c.limit == Limit::ReadOnlyFolder)
        chmod(dir.Path().c_str(), 0555);

    const int result = RunUnprivileged([&] { return LoadAndSave(c, path, good); });
    chmod(dir.Path().c_str(), 0777);
    if (result == RUN_UNPRIVILEGED_SKIPPED)
        GTEST_SKIP() << "no unprivileged user to run as";
    ASSERT_EQ(result, 0);
    chmod(path.c_str(), 0644);
    chmod((path + ".bad").c_str(), 0644);
    if (!c.saveOk)
    {
        EXPECT_EQ(TempDir::Read(path), before);
        EXPECT_FALSE(FileExists((path + ".new").c_str()));
        return;
    }
    EXPECT_EQ(FileExists((path + ".bad").c_str()),
              c.contents == Contents::Garbage || c.contents == Contents::Empty);
    if (FileExists((path + ".bad").c_str()))
    {
        EXPECT_EQ(TempDir::Read(path + ".bad"), before) << "moved aside, untouched";
    }
    UserProfile loaded[USER_PROFILE_COUNT] = {};
    CUserProfileFile file(path.c_str());
    ASSERT_EQ(file.Load(loaded, nullptr), CX_ERR_NONE);
    EXPECT_EQ(loaded[0].level[USER_RACE], 9);
    EXPECT_FALSE(file.LoadedFromBackup());
    if (c.contents == Contents::Missing || c.contents == Contents::Empty)
    {
        EXPECT_EQ(TempDir::Read(path + ".bak"), backup) << "the backup stays the last good copy";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileFile,
    testing::Values(
        FileCase{"Garbage", Contents::Garbage, false, false, Limit::None, false, false, false},
        FileCase{"Unreadable", Contents::Garbage, true, false, Limit::None, false, false, false},
        FileCase{"GarbageWithBackup", Contents::Garbage, false, true, Limit::None, true, true, true},
        FileCase{"UnreadableWithBackup", Contents::Garbage, true, true, Limit::None, true, true, true},
        FileCase{"EmptyWithBackup", Contents::Empty, false, true, Limit::None, true, true, true},
        FileCase{"MissingWithBackup", Contents::Missing, false, true, Limit::None, true, true, true},
        FileCase{"ReadOnlyFolder", Contents::Good, false, false, Limit::ReadOnlyFolder, true, false, false},
        FileCase{"ShortWrite", Contents::Good, false, false, Limit::ShortWrite, true, false, false}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });
