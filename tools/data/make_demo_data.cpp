// make-demo-data SOURCE OUTDIR [VOICES]: makes the game's demo data from the
// text files in SOURCE (data/game) and the voice lines in VOICES (by default
// data/voices beside SOURCE) into OUTDIR, skipping what is up to date.
#include "tools/data/demo_data.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
    {
        fprintf(stderr, "usage: make-demo-data SOURCE OUTDIR [VOICES]\n");
        return 2;
    }
    DemoDataPaths paths;
    paths.source = argv[1];
    paths.output = argv[2];
    if (argc == 4)
        paths.voices = argv[3];
    else
    {
        // "data/game/" and "data/game" both name data/voices.
        std::filesystem::path source = std::filesystem::path(argv[1]).lexically_normal();
        if (!source.has_filename())
            source = source.parent_path();
        paths.voices = (source.parent_path() / "voices").string();
    }
    paths.progress = stdout;
    return RunDemoData(paths, nullptr, stdout) ? 0 : 1;
}
