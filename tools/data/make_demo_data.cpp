// make-demo-data SOURCE OUTDIR [VOICES [TOWN]]: makes the game's demo data
// from the text files in SOURCE (data/game), the voice lines in VOICES and
// the town's layout in TOWN (by default data/voices and data/town beside
// SOURCE) into OUTDIR, skipping what is up to date.
#include "tools/data/demo_data.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 5)
    {
        fprintf(stderr, "usage: make-demo-data SOURCE OUTDIR [VOICES [TOWN]]\n");
        return 2;
    }
    DemoDataPaths paths;
    paths.source = argv[1];
    paths.output = argv[2];
    // "data/game/" and "data/game" both name data/voices and data/town.
    std::filesystem::path source = std::filesystem::path(argv[1]).lexically_normal();
    if (!source.has_filename())
        source = source.parent_path();
    paths.voices = argc >= 4 ? argv[3] : (source.parent_path() / "voices").string();
    paths.town = argc >= 5 ? argv[4] : (source.parent_path() / "town").string();
    paths.progress = stdout;
    return RunDemoData(paths, nullptr, stdout) ? 0 : 1;
}
