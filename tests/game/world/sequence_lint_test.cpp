#include "game/world/sequence_lint.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
TEST(SequenceLint, ReportsEachKindOfFaultWithFileAndLine)
{
    TempDir dir;
    mkdir(dir.File("SUB").c_str(), 0755);
    dir.Write("SUB/other.seq", "Event system.Sleep(10)\n");
    dir.Write("cart.ini", "[QexSprite]\nEventTypeName=Cart\nNumDirections=1\n");
    dir.Write("duck.ini", "[QexSprite]\nEventTypeName=Duck\nNumStates=1\n");
    // Lines that are fine: variables stand for any argument, type names of
    // the option files are categories, "Sequence" finds files in any case.
    dir.Write("good.seq", "# comment\r\n"
                          "Event Town.LockScreen($LOCKX, $LOCKY)\r\n"
                          "Dynamic Event Building.Talk(hello.wav)\r\n"
                          "continue Event Cart.DriveTo(10, 20)\r\n"
                          "Event Duck.PlayOnce(1)\r\n"
                          "Event this.SetState(0)\r\n"
                          "Event Enemy.SetMaxSpeed(2.5)\r\n"
                          "Event System.Sleep(100)\r\n"
                          "Sequence \"$GAMEPATH\\sub\\OTHER.SEQ\"\r\n"
                          "  Event Nobody.Skipped()\r\n");
    dir.Write("bad.seq", "Event Nobody.Do()\n"
                         "Event Town.Fly(1)\n"
                         "Event Town.PaintOverlay(1, 2)\n"
                         "Event Town.LockScreen(a, 2)\n"
                         "Event Cart.SetMaxSpeed(fast)\n"
                         "Event Duck.DriveTo(1, 2)\n"
                         "Event system.GotoRoom()\n"
                         "Sequence $GAMEPATH\\missing.seq\n"
                         "Event Town.StopMission(\n");
    const std::vector<ST_LINT_FINDING> findings = LintSequenceFolder(dir.Path());
    std::vector<std::string> lines;
    for (const ST_LINT_FINDING& f : findings)
        lines.push_back(f.file + ":" + std::to_string(f.line) + ": " + f.message);
    const std::vector<std::string> expected = {
        "bad.seq:1: unknown category Nobody",
        "bad.seq:2: unknown command Town.Fly",
        "bad.seq:3: Town.PaintOverlay needs 3 arguments",
        "bad.seq:4: argument 1 of Town.LockScreen is not a number: \"a\"",
        "bad.seq:5: argument 1 of Cart.SetMaxSpeed is not a number: \"fast\"",
        "bad.seq:6: unknown command Duck.DriveTo",
        "bad.seq:7: system.GotoRoom has the wrong number of arguments",
        "bad.seq:8: \"Sequence\" names a missing file: $GAMEPATH\\missing.seq",
        "bad.seq:0: an \"Event\" line has no closing \")\"",
    };
    EXPECT_EQ(lines, expected);
}
} // namespace
