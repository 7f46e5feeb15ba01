// A building's extra sprite: only a file that loads gives one; it waits
// hidden and plays in front of the building while shown.
#include "game/world/town.h"
#include "tests/game/world/sprite_world_test.h"
#include "tests/support/test_support.h"

#include <string>
#include <tuple>

namespace {
using BuildingExtraTest = SpriteWorldTest;

TEST_F(BuildingExtraTest, OnlyAFileThatLoadsGivesOneHiddenUntilShown)
{
    ErrorCapture errors;
    WriteImage("house.bmp", 40, 30);
    WriteImage("smoke.bmp", 48, 16);
    m_Dir.Write("smoke.ini",
                "[QexSprite]\nNumStates=1\n[State000]\nFileName=$GAMEPATH\\smoke.bmp\nNumFrames=3\n");
    m_Dir.Write("bad.ini", "[QexSprite]\nNumStates=0\n");
    // Keys, whether they give a sprite, errors reported.
    static const std::tuple<const char*, bool, size_t> CASES[] = {
        {"", false, 0},
        {"ExtraSprite=gone.ini\n", false, 0},
        {"ExtraSprite=bad.ini\n", false, 1},
        {"ExtraSprite=smoke.ini\nExtraSpriteOffset=10, -20\n", true, 1}};
    CxDisplayObject map;
    CBuilding house;
    for (const auto& [keys, loads, reports] : CASES)
    {
        m_Dir.Write("house.ini", std::string("[QexSprite]\nNumStates=1\nPosition=200, 300\n") + keys +
                                     "[State000]\nFileName=$GAMEPATH\\house.bmp\n");
        EXPECT_EQ(house.LoadBuilding("$GAMEPATH\\house.ini", &map), 0u);
        EXPECT_TRUE((house.GetExtraSprite() != nullptr) == loads && errors.Errors().size() == reports)
            << keys;
        EXPECT_FALSE(house.GetExtraSprite() && house.GetExtraSprite()->IsShown()); // hidden until shown
        house.HandleCommand(CxString("ShowExtraSprite"), Args({}));                // nothing without one
    }
    CSuperSprite* smoke = house.GetExtraSprite();
    ASSERT_TRUE(smoke && smoke->GetParent() == &map && smoke->GetPosition() == CxPoint(210, 280));
    EXPECT_TRUE(smoke->IsShown() && !smoke->IsAnimationFinished() &&
                smoke->GetDepth() < house.ComputeDepth());
    house.HandleCommand(CxString("HideExtraSprite"), Args({}));
    EXPECT_TRUE(!smoke->IsShown() && smoke->IsAnimationFinished());
}
} // namespace
