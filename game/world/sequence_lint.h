// Checks the sequence files of a data folder without running them: every
// "Event" line's category and command against the game's command table and
// the engine's "system" commands, argument counts and numbers, and the
// files that "Sequence" lines name. Variables ("$LOCKX") are not expanded
// and pass as any argument.
#pragma once

#include <string>
#include <vector>

struct ST_LINT_FINDING
{
    std::string file; // relative to the folder checked
    unsigned line = 0;
    std::string message;
};

// The findings over every ".seq" file under folder (any letter case), in
// file and line order. Known categories: "system", "Town", "Building",
// "Enemy", "this", "Printing", "YesNo" and every "EventTypeName" of the option files under the
// folder (a truck's when the file has "NumDirections", else a sprite's).
std::vector<ST_LINT_FINDING> LintSequenceFolder(const std::string& folder);
