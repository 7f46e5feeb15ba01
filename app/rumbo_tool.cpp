// rumbo-tool: inspects and converts game data from the command line.
#include "engine/core/file.h"
#include "engine/core/options.h"

#include <cstdio>
#include <cstring>

namespace
{
int Usage()
{
    fprintf(stderr,
            "usage: rumbo-tool COMMAND ARGS\n"
            "  ini-get FILE SECTION KEY [DEFAULT]  print a value of an option file\n"
            "  ini-dump FILE                       print an option file in its written form\n");
    return 2;
}

// Loads an option file; false (with the message on standard error) when it is missing.
bool LoadOptions(CxOptions& options, const char* path)
{
    if (options.Open(path) == CX_ERR_FILE_NOT_FOUND)
    {
        fprintf(stderr, "Could not find file: %s\n", path);
        return false;
    }
    return true;
}

int IniGet(int argc, char** argv)
{
    if (argc < 5 || argc > 6)
        return Usage();
    CxOptions options;
    if (!LoadOptions(options, argv[2]))
        return 1;
    static char value[0x10000];
    options.GetString(argv[3], argv[4], value, argc == 6 ? argv[5] : "", sizeof(value));
    printf("%s\n", value);
    return 0;
}

int IniDump(int argc, char** argv)
{
    if (argc != 3)
        return Usage();
    CxOptions options;
    if (!LoadOptions(options, argv[2]))
        return 1;
    options.WriteTo([](const char* text, uint32_t length, void*) { fwrite(text, 1, length, stdout); }, nullptr);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    // A tool reports problems on standard error; it never prompts.
    SetErrorHandler(nullptr);
    SetBlueScreenError(false);
    if (argc < 2)
        return Usage();
    if (strcmp(argv[1], "ini-get") == 0)
        return IniGet(argc, argv);
    if (strcmp(argv[1], "ini-dump") == 0)
        return IniDump(argc, argv);
    return Usage();
}
