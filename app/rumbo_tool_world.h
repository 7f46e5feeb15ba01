// rumbo-tool commands for the town's data: maps, sprite files, truck files
// and the mouth movement of voice lines.
#pragma once

// Each takes the whole command line (argv[1] is the command) and returns
// the exit code: 0 done, 1 failure (message on standard error), 2 usage.
int MapInfoCommand(int argc, char** argv);
int MapRenderCommand(int argc, char** argv);
int SpriteSheetCommand(int argc, char** argv);
int LipsCommand(int argc, char** argv);
int TruckSheetCommand(int argc, char** argv);

// The usage lines of these commands.
extern const char* const WORLD_TOOL_USAGE;
