#include "tools/data/demo_data.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

void CStampHash::Add(const void* data, size_t size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i)
    {
        m_nHash ^= bytes[i];
        m_nHash *= 0x100000001b3ull;
    }
}

std::string CStampHash::Hex() const
{
    char text[20];
    snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(m_nHash));
    return text;
}

void CDemoGroup::AddInputs(const DemoDataPaths&, CStampHash&) const {}

bool WriteWholeFile(const std::string& path, const void* data, size_t size)
{
    if (!MakeParentDirectories(path))
        return false;
    // Written under a temporary name first: an interrupted run leaves no
    // half-written output that a later run would take as made.
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
        {
            fprintf(stderr, "make-demo-data: could not write %s\n", path.c_str());
            return false;
        }
    }
    std::error_code error;
    fs::rename(temp, path, error);
    if (error)
        fprintf(stderr, "make-demo-data: could not write %s\n", path.c_str());
    return !error;
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    bytes = text.str();
    return true;
}

bool MakeParentDirectories(const std::string& path)
{
    std::error_code error;
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty())
        fs::create_directories(parent, error);
    return !error;
}

namespace {
std::string StampOf(const CDemoGroup& group, const DemoDataPaths& paths,
                    const std::vector<std::string>& outputs)
{
    CStampHash hash;
    hash.Add(group.Name());
    hash.AddNumber(group.Version());
    for (const std::string& output : outputs)
        hash.Add(output);
    group.AddInputs(paths, hash);
    return hash.Hex();
}
} // namespace

DemoGroupResult RunDemoGroup(const CDemoGroup& group, const DemoDataPaths& paths, FILE* progress)
{
    DemoGroupResult result;
    result.name = group.Name();
    const std::vector<std::string> outputs = group.Outputs(paths);
    result.files = outputs.size();
    const std::string stampFile = paths.output + "/.stamps/" + result.name;
    const std::string stamp = StampOf(group, paths, outputs);

    std::string old;
    bool current = ReadWholeFile(stampFile, old) && old == stamp + "\n";
    for (const std::string& output : outputs)
        current = current && fs::exists(paths.output + "/" + output);
    if (!current)
    {
        // The old stamp goes first: a run that fails half-way is done again.
        std::error_code ignored;
        fs::remove(stampFile, ignored);
        result.made = true;
        result.ok = group.Make(paths);
        const std::string line = stamp + "\n";
        if (result.ok)
            result.ok = WriteWholeFile(stampFile, line.data(), line.size());
    }
    if (progress)
        fprintf(progress, "make-demo-data: %s: %zu file%s, %s\n", result.name.c_str(), result.files,
                result.files == 1 ? "" : "s",
                !result.ok    ? "FAILED"
                : result.made ? "made"
                              : "up to date");
    return result;
}

bool RunDemoData(const DemoDataPaths& paths, std::vector<DemoGroupResult>* results, FILE* progress)
{
    // In the order they run.
    std::unique_ptr<CDemoGroup> groups[] = {
        MakeTextGroup(),    MakeCursorGroup(), MakeFadeGroup(),    MakeIconGroup(),    MakeVoiceGroup(),
        MakeTruckGroup(),   MakeTownGroup(),   MakeMusicGroup(),   MakeMissionGroup(), MakePrintingGroup(),
        MakeDropGroup(),    MakeFireGroup(),   MakeScreensGroup(), MakeHudGroup(),     MakeBumperGroup(),
        MakeFishingGroup(), MakeRaceGroup(),
    };
    bool ok = true;
    for (const auto& group : groups)
    {
        const DemoGroupResult result = RunDemoGroup(*group, paths, progress);
        ok = ok && result.ok;
        if (results)
            results->push_back(result);
    }
    return ok;
}
