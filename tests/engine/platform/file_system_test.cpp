#include "engine/platform/file_system.h"

#include "engine/platform/clock.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(ResolvePath, MatchesEachComponentWithoutCase)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("vplayer").c_str(), 0700), 0);
    dir.Write("vplayer/Tread.tga", "t");
    EXPECT_EQ(std::string(ResolvePath((dir.Path() + "\\VPLAYER\\tread.TGA").c_str()).c_str()),
              dir.File("vplayer/Tread.tga"));
    EXPECT_EQ(std::string(ResolvePath((dir.Path() + "\\Vplayer\\new.txt").c_str()).c_str()),
              dir.File("vplayer/new.txt"))
        << "a missing last component keeps its spelling";
    EXPECT_EQ(std::string(ResolvePath((dir.Path() + "/NoDir/Sub/X").c_str()).c_str()),
              dir.Path() + "/NoDir/Sub/X");
    EXPECT_TRUE(PathIsDirectory((dir.Path() + "\\VPLAYER\\").c_str()));

    // A file created after the directory was listed is still found.
    dir.Write("vplayer/Later.BMP", "b");
    EXPECT_EQ(std::string(ResolvePath((dir.Path() + "/VPLAYER/later.bmp").c_str()).c_str()),
              dir.File("vplayer/Later.BMP"));
}

TEST(Clock, ManualClockReplacesTheSystemClockAndWraps)
{
    CxManualClock manual(0xFFFFFFF0u);
    CxClock* previous = SetClock(&manual);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    manual.Advance(0x20);
    EXPECT_EQ(GetTickCount(), 0x10u);
    SetClock(previous);
    const uint32_t a = GetTickCount();
    EXPECT_GE(GetTickCount() - a, 0u);
}
