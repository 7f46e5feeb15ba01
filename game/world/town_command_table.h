// The lines sequences may address to the town's categories: every event and
// command with the least number of arguments it needs. The "Town",
// "Building" and "Enemy" creators drop a line with too few arguments when it
// is made, the town's handler checks lines made later again, and the
// sequence linter reads the same table.
#pragma once

#include <cstdint>

struct ST_TOWN_COMMAND
{
    // "Town", "Building", "Truck" (any truck), "Sprite" (any super sprite),
    // "Printing" or "YesNo".
    const char* category;
    const char* name;
    int32_t minArguments;
    // What the arguments are, one letter each: "n" a whole number, "f" a
    // number, "w" a word or file name; arguments past the letters are not checked.
    const char* kinds;
};

// Null when the category has no such line (names compare without regard to case).
const ST_TOWN_COMMAND* FindTownCommand(const char* category, const char* name);
// Every entry, in table order; count receives the number.
const ST_TOWN_COMMAND* GetTownCommands(uint32_t* count);
