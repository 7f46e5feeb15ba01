// Part of the demo data for a mission's demo test: the text and town groups
// and the mission's own group, made into the test's folder without the
// welcome (it speaks, and the voices are not made), and a player truck of
// the test's own (16 directions, with extra keys).
#pragma once

#include "tests/game/world/truck_test_util.h"
#include "tests/support/test_support.h"
#include "tools/data/demo_data.h"

#include <cstdio>
#include <memory>
#include <string>

inline bool MakePartialDemo(const TempDir& dir, std::unique_ptr<CDemoGroup> mission,
                            const std::string& truckKeys = "")
{
    DemoDataPaths paths{RUMBO_DEMO_SOURCE, dir.Path(), "", RUMBO_TOWN_SOURCE};
    if (!MakeTextGroup()->Make(paths) || !MakeTownGroup()->Make(paths) || !mission->Make(paths))
        return false;
    remove(dir.File("welcome.seq").c_str());
    dir.Write("VPLAYER/brund.ini", truck_test::TruckText(16, truckKeys));
    return true;
}
