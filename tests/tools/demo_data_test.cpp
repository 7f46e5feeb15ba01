#include "tools/data/demo_data.h"

#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/image_filter.h"
#include "engine/media/movie_driver.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {
// Which groups a run made (true) or found up to date (false).
std::map<std::string, bool> RunGroups(const DemoDataPaths& paths)
{
    std::vector<DemoGroupResult> results;
    EXPECT_TRUE(RunDemoData(paths, &results, nullptr));
    std::map<std::string, bool> made;
    for (const DemoGroupResult& r : results)
        made[r.name] = r.made;
    return made;
}

// Every group, in any order: one name a line, so that new groups merge cleanly.
// clang-format off
const char* const GROUPS[] = {
    "text",
    "cursors",
    "fades",
    "icon",
    "voices",
    "trucks",
    "town",
    "music",
    "missions",
    "printing",
    "drop",
    "screens",
    "hud",
    "bumper",
    "fishing",
    "fire",
    "race",
};
// clang-format on
std::map<std::string, bool> Every(bool made)
{
    std::map<std::string, bool> all;
    for (const char* group : GROUPS)
        all[group] = made;
    return all;
}
const std::map<std::string, bool> ALL_MADE = Every(true);
const std::map<std::string, bool> NONE_MADE = Every(false);
} // namespace

TEST(DemoData, OnlyGroupsWhoseInputsOrOutputsChangedAreMadeAgain)
{
    TempDir source, output;
    mkdir(source.File("SEQ").c_str(), 0755);
    source.Write("game.ini", "[Options]\r\nStopOnHud=1\r\n");
    source.Write("SEQ/intro.seq", "wait 10\r\n");
    DemoDataPaths paths;
    paths.source = source.Path();
    paths.output = output.Path();
    paths.town = RUMBO_TOWN_SOURCE;

    EXPECT_EQ(RunGroups(paths), ALL_MADE);
    EXPECT_EQ(TempDir::Read(output.File("SEQ/intro.seq")), "wait 10\r\n");
    EXPECT_EQ(RunGroups(paths), NONE_MADE) << "a second run makes nothing";

    source.Write("SEQ/intro.seq", "wait 20\r\n");
    auto expected = NONE_MADE;
    expected["text"] = true;
    EXPECT_EQ(RunGroups(paths), expected) << "a changed text file remakes the text group only";
    EXPECT_EQ(TempDir::Read(output.File("SEQ/intro.seq")), "wait 20\r\n");

    remove(output.File("COMMON/targcur.tga").c_str());
    expected = NONE_MADE;
    expected["cursors"] = true;
    EXPECT_EQ(RunGroups(paths), expected) << "a missing output remakes its group";
    EXPECT_EQ(RunGroups(paths), NONE_MADE);
}

TEST(DemoData, OutputsLoadWithTheEnginesLoadersAndCursorsAreKeyed)
{
    TempDir source, output;
    source.Write("a.ini", "[A]\r\n");
    DemoDataPaths paths;
    paths.source = source.Path();
    paths.output = output.Path();
    paths.town = RUMBO_TOWN_SOURCE;
    ASSERT_EQ(RunGroups(paths), ALL_MADE);

    RegisterStandardImageFilters();
    struct
    {
        const char* file;
        int32_t width, height;
        CxPoint inside; // the hot spot: a drawn pixel
    } cursors[] = {{"COMMON/arrwcur.tga", 32, 32, {0, 1}}, {"COMMON/targcur.tga", 49, 32, {24, 7}}};
    for (const auto& c : cursors)
    {
        CxDrawSurface image;
        ASSERT_EQ(image.Load(output.File(c.file).c_str()), CX_ERR_NONE) << c.file;
        EXPECT_EQ(image.GetWidth(), c.width);
        EXPECT_EQ(image.GetHeight(), c.height);
        const uint32_t magenta = image.MakeColor(255, 0, 255);
        EXPECT_EQ(image.GetPixel(c.width - 1, c.height - 1), magenta)
            << c.file << ": the key around the shape";
        EXPECT_NE(image.GetPixel(c.inside.x, c.inside.y), magenta) << c.file << ": the hot spot is drawn";
    }
    // The put-away panel is lifted by 159 pixels: it must not be taller.
    const struct
    {
        const char* file;
        int32_t width, height;
    } pictures[] = {
        {"HUD/hud_fram.tga", 160, 145}, {"HUD/hud_canc.tga", 140, 28}, {"HUD/hud_help.tga", 140, 28}};
    for (const auto& p : pictures)
    {
        CxDrawSurface image;
        ASSERT_EQ(image.Load(output.File(p.file).c_str()), CX_ERR_NONE) << p.file;
        EXPECT_EQ(CxPoint(image.GetWidth(), image.GetHeight()), CxPoint(p.width, p.height)) << p.file;
    }
    // The race's smoke: a keyed cloud that swells over more than 12 frames.
    {
        std::unique_ptr<CxMovieDriver> smoke(CreateSmackerDriver(output.File("VENEMY/smoke.smk").c_str(), 0));
        ASSERT_NE(smoke, nullptr);
        EXPECT_GE(smoke->GetFrameCount(), 12);
    }
    for (const char* movie : {"COMMON/FADE0.SMK", "COMMON/FADE1.SMK"})
    {
        std::unique_ptr<CxMovieDriver> driver(CreateSmackerDriver(output.File(movie).c_str(), 0));
        ASSERT_NE(driver, nullptr) << movie;
        EXPECT_EQ(driver->GetWidth(), 640);
        EXPECT_EQ(driver->GetHeight(), 480);
        EXPECT_EQ(driver->GetFrameCount(), 8);
    }
    const std::string png = TempDir::Read(output.File("icon/rumbotown.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // Width and height of the header, big-endian.
    EXPECT_EQ(static_cast<unsigned char>(png[18]) << 8 | static_cast<unsigned char>(png[19]), 256);
    EXPECT_EQ(static_cast<unsigned char>(png[22]) << 8 | static_cast<unsigned char>(png[23]), 256);
    // The certificates' font: a glyph strip the bitmap font loader takes, one glyph per character code.
    std::unique_ptr<CxFont> font(LoadBitmapFontFile(output.File("printing/font1.pcx").c_str(), 0));
    ASSERT_NE(font, nullptr);
    EXPECT_GT(font->GetTextWidth("Ada", 0), font->GetTextWidth("A", 0));
}
