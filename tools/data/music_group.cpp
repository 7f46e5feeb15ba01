// The town's music: the tunes of data/town/tunes.txt, synthesised into
// MUSIC/<name>.wav.
#include "tools/data/demo_data.h"
#include "tools/data/tune.h"
#include "tools/data/wave_file.h"

namespace {
std::string TunesFile(const DemoDataPaths& paths)
{
    return paths.town + "/tunes.txt";
}

bool ReadTunes(const DemoDataPaths& paths, std::vector<Tune>* tunes)
{
    std::string text, why;
    if (!ReadWholeFile(TunesFile(paths), text))
    {
        fprintf(stderr, "make-demo-data: could not read %s\n", TunesFile(paths).c_str());
        return false;
    }
    if (!ParseTunes(text, tunes, &why))
    {
        fprintf(stderr, "make-demo-data: %s: %s\n", TunesFile(paths).c_str(), why.c_str());
        return false;
    }
    return true;
}

class CMusicGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "music"; }
    uint32_t Version() const override { return 1; }
    void AddInputs(const DemoDataPaths& paths, CStampHash& hash) const override
    {
        std::string text;
        ReadWholeFile(TunesFile(paths), text);
        hash.Add(text);
    }
    std::vector<std::string> Outputs(const DemoDataPaths& paths) const override
    {
        std::vector<Tune> tunes;
        std::vector<std::string> out;
        std::string text, why;
        // A file that does not read lists no outputs; Make reports why.
        if (ReadWholeFile(TunesFile(paths), text) && ParseTunes(text, &tunes, &why))
            for (const Tune& tune : tunes)
                out.push_back("MUSIC/" + tune.name + ".wav");
        return out;
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        std::vector<Tune> tunes;
        if (!ReadTunes(paths, &tunes))
            return false;
        for (const Tune& tune : tunes)
            if (!SaveWave16(paths.output + "/MUSIC/" + tune.name + ".wav", TuneSound(tune)))
                return false;
        return true;
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeMusicGroup()
{
    return std::make_unique<CMusicGroup>();
}
