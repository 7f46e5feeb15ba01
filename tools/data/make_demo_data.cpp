// make-demo-data SOURCE OUTDIR: makes the game's demo data from the text
// files in SOURCE (data/game) into OUTDIR, skipping groups that are up to date.
#include "tools/data/demo_data.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        fprintf(stderr, "usage: make-demo-data SOURCE OUTDIR\n");
        return 2;
    }
    const DemoDataPaths paths{argv[1], argv[2]};
    return RunDemoData(paths, nullptr, stdout) ? 0 : 1;
}
