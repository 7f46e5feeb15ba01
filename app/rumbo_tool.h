// What the commands of rumbo-tool share: the command table entry, the
// usage text made from the tables, and the check for an input file.
#pragma once

#include <cstddef>

// One command: its name, its function (the whole command line, argv[1]
// being the command; returns the exit code: 0 done, 1 failure with the
// message on standard error, 2 usage) and its usage lines.
struct ST_TOOL_COMMAND
{
    const char* pName;
    int (*pfnRun)(int argc, char** argv);
    const char* pUsage;
};

// The town's data commands (maps, sprite files, truck files, mouths).
extern const ST_TOOL_COMMAND WORLD_TOOL_COMMANDS[];
extern const size_t WORLD_TOOL_COMMAND_COUNT;

// Prints the usage of every command on standard error; returns 2.
int ToolUsage();
// True when the file exists; else "Could not find file: PATH" on standard error.
bool ToolFileExists(const char* path);
