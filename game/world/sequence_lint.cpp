#include "game/world/sequence_lint.h"

#include "engine/core/event_creator.h"
#include "engine/core/options.h"
#include "engine/core/sequence_text.h"
#include "engine/frame/game_app.h"
#include "game/world/town_command_table.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool HasExtension(const fs::path& path, const char* extension)
{
    return Lower(path.extension().string()) == extension;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trimmed(const CxString& text)
{
    std::string word = text.c_str();
    const size_t first = word.find_first_not_of(" \t");
    const size_t last = word.find_last_not_of(" \t");
    return first == std::string::npos ? "" : word.substr(first, last - first + 1);
}

// Whether the word reads whole as the kind of number ("n" whole, "f" any).
bool IsNumber(const std::string& word, char kind)
{
    if (word.empty())
        return false;
    char* end = nullptr;
    if (kind == 'n')
        strtol(word.c_str(), &end, 10);
    else
        strtod(word.c_str(), &end);
    return end != word.c_str() && *end == '\0';
}

class CLinter
{
public:
    explicit CLinter(const fs::path& folder) : m_Folder(folder) {}

    void Collect();
    void LintFile(const fs::path& file);
    std::vector<ST_LINT_FINDING> m_Findings;
    std::vector<fs::path> m_Sequences;

private:
    void Add(unsigned line, const std::string& message)
    {
        m_Findings.push_back(ST_LINT_FINDING{m_Current, line, message});
    }
    void LintEvent(const ST_SEQUENCE_ITEM& item);
    void LintSequenceName(const ST_SEQUENCE_ITEM& item);
    // The table entry of a command under a category as the game resolves it;
    // *known is false for an unknown category.
    const ST_TOWN_COMMAND* Find(const std::string& category, const std::string& command, bool* known) const;
    void CheckArguments(unsigned line, const std::string& name, const ST_TOWN_COMMAND& entry,
                        const CxLinkedList<CxString>& arguments);

    fs::path m_Folder;
    std::string m_Current;
    std::set<std::string> m_Files;           // relative, "/"-separated, lower case
    std::map<std::string, bool> m_TypeNames; // lower case name -> is a truck
};

void CLinter::Collect()
{
    std::error_code error;
    for (fs::recursive_directory_iterator it(m_Folder, error), end; !error && it != end; it.increment(error))
    {
        if (!it->is_regular_file())
            continue;
        m_Files.insert(Lower(fs::relative(it->path(), m_Folder).generic_string()));
        if (HasExtension(it->path(), ".seq"))
            m_Sequences.push_back(it->path());
        else if (HasExtension(it->path(), ".ini"))
        {
            const std::string text = ReadFile(it->path());
            CxOptions options;
            options.Parse(text.data(), static_cast<uint32_t>(text.size()));
            if (const CxOptionVariable* name = options.FindVariable("QexSprite", "EventTypeName"))
                if (!name->GetValue().IsEmpty())
                    m_TypeNames[Lower(name->GetValue().c_str())] =
                        options.FindVariable("QexSprite", "NumDirections") != nullptr;
        }
    }
    std::sort(m_Sequences.begin(), m_Sequences.end());
}

void CLinter::LintFile(const fs::path& file)
{
    m_Current = fs::relative(file, m_Folder).generic_string();
    const std::string text = ReadFile(file);
    const ESequenceWalk walk = WalkSequenceText(text.data(), static_cast<uint32_t>(text.size()),
                                                [this](const ST_SEQUENCE_ITEM& item) {
                                                    item.bSequence ? LintSequenceName(item) : LintEvent(item);
                                                    return true;
                                                });
    if (walk == ESequenceWalk::Unclosed)
        Add(0, "an \"Event\" line has no closing \")\"");
}

const ST_TOWN_COMMAND* CLinter::Find(const std::string& category, const std::string& command,
                                     bool* known) const
{
    const std::string name = Lower(category);
    std::vector<const char*> tables;
    if (name == "town")
        tables = {"Town"};
    else if (name == "building")
        tables = {"Building", "Sprite"};
    else if (name == "enemy")
        tables = {"Truck"};
    else if (name == "this")
        tables = {"Truck", "Sprite"};
    else if (name == "printing")
        tables = {"Printing"};
    else if (name == "yesno")
        tables = {"YesNo"};
    else if (const auto type = m_TypeNames.find(name); type != m_TypeNames.end())
        tables = {type->second ? "Truck" : "Sprite"};
    *known = !tables.empty();
    for (const char* table : tables)
        if (const ST_TOWN_COMMAND* entry = FindTownCommand(table, command.c_str()))
            return entry;
    return nullptr;
}

void CLinter::LintEvent(const ST_SEQUENCE_ITEM& item)
{
    CxString category, command;
    CxLinkedList<CxString> arguments;
    if (!SplitEventText(item.strText.c_str(), category, command, arguments))
    {
        Add(item.nLine, "not an event: " + std::string(item.strText.c_str()));
        return;
    }
    const std::string cat = Trimmed(category), name = Trimmed(command);
    const std::string line = cat + "." + name;
    if (cat.empty() || cat[0] == '$' || name[0] == '$')
        return;
    if (Lower(cat) == "system")
    {
        bool fits = true;
        if (!IsSystemCommand(name.c_str(), arguments.GetCount(), &fits))
            Add(item.nLine, "unknown command " + line);
        else if (!fits)
            Add(item.nLine, line + " has the wrong number of arguments");
        return;
    }
    bool known = false;
    const ST_TOWN_COMMAND* entry = Find(cat, name, &known);
    if (!known)
        Add(item.nLine, "unknown category " + cat);
    else if (!entry)
        Add(item.nLine, "unknown command " + line);
    else
        CheckArguments(item.nLine, line, *entry, arguments);
}

void CLinter::CheckArguments(unsigned line, const std::string& name, const ST_TOWN_COMMAND& entry,
                             const CxLinkedList<CxString>& arguments)
{
    if (static_cast<int32_t>(arguments.GetCount()) < entry.minArguments)
    {
        Add(line, name + " needs " + std::to_string(entry.minArguments) + " arguments");
        return;
    }
    uint32_t index = 0;
    for (auto* node = arguments.GetHead(); node && entry.kinds[index]; node = node->GetNext(), ++index)
    {
        const std::string word = Trimmed(node->m_Value);
        const char kind = entry.kinds[index];
        if (kind != 'w' && (word.empty() || word[0] != '$') && !IsNumber(word, kind))
            Add(line, "argument " + std::to_string(index + 1) + " of " + name + " is not a number: \"" +
                          word + "\"");
    }
}

void CLinter::LintSequenceName(const ST_SEQUENCE_ITEM& item)
{
    std::string name = item.strText.c_str();
    const std::string root = "$gamepath";
    if (Lower(name.substr(0, root.size())) == root)
        name = name.substr(root.size());
    if (name.find('$') != std::string::npos)
        return;
    std::replace(name.begin(), name.end(), '\\', '/');
    while (!name.empty() && name[0] == '/')
        name.erase(0, 1);
    if (!m_Files.count(Lower(name)))
        Add(item.nLine, "\"Sequence\" names a missing file: " + std::string(item.strText.c_str()));
}
} // namespace

std::vector<ST_LINT_FINDING> LintSequenceFolder(const std::string& folder)
{
    CLinter linter(folder);
    linter.Collect();
    for (const fs::path& file : linter.m_Sequences)
        linter.LintFile(file);
    return linter.m_Findings;
}
