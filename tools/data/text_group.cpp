// The text files of data/game/ (option files, scripts, sequences), copied
// to the same relative paths.
#include "tools/data/demo_data.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
std::vector<std::string> ListSources(const std::string& root)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file())
            names.push_back(fs::relative(it->path(), root).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

class CTextGroup : public CDemoGroup
{
public:
    const char* Name() const override { return "text"; }
    uint32_t Version() const override { return 1; }
    void AddInputs(const DemoDataPaths& paths, CStampHash& hash) const override
    {
        for (const std::string& name : ListSources(paths.source))
        {
            std::string bytes;
            ReadWholeFile(paths.source + "/" + name, bytes);
            hash.Add(name);
            hash.AddNumber(bytes.size());
            hash.Add(bytes.data(), bytes.size());
        }
    }
    std::vector<std::string> Outputs(const DemoDataPaths& paths) const override
    {
        return ListSources(paths.source);
    }
    bool Make(const DemoDataPaths& paths) const override
    {
        for (const std::string& name : ListSources(paths.source))
        {
            std::string bytes;
            if (!ReadWholeFile(paths.source + "/" + name, bytes) ||
                !WriteWholeFile(paths.output + "/" + name, bytes.data(), bytes.size()))
            {
                fprintf(stderr, "make-demo-data: could not copy %s\n", name.c_str());
                return false;
            }
        }
        return true;
    }
};
} // namespace

std::unique_ptr<CDemoGroup> MakeTextGroup()
{
    return std::make_unique<CTextGroup>();
}
