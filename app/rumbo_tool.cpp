// rumbo-tool: inspects and converts game data from the command line.
#include "engine/core/event_creator.h"
#include "engine/core/file.h"
#include "engine/core/interpolator.h"
#include "engine/core/options.h"
#include "engine/core/sequence.h"

#include <cstdio>
#include <cstring>

namespace
{
int Usage()
{
    fprintf(stderr,
            "usage: rumbo-tool COMMAND ARGS\n"
            "  ini-get FILE SECTION KEY [DEFAULT]  print a value of an option file\n"
            "  ini-dump FILE                       print an option file in its written form\n"
            "  seq-dump FILE [NAME=VALUE ...]      print the events a sequence file makes, with the\n"
            "                                      given interpolator constants\n");
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
// Stands for every event of a sequence file: what its line asked for.
class DumpEvent : public CxEvent
{
public:
    DumpEvent(const CxString& category, const CxString& command, const CxLinkedList<CxString>& arguments)
    {
        m_strText.Format("%s.%s(", category.c_str(), command.c_str());
        for (auto* node = arguments.GetHead(); node; node = node->GetNext())
        {
            m_strText += node == arguments.GetHead() ? "\"" : ", \"";
            m_strText += node->m_Value;
            m_strText += "\"";
        }
        m_strText += ")";
    }
    void Start() override {}
    bool IsStarted() override { return false; }
    void Stop() override {}
    bool IsFinished() override { return true; }
    void Pause() override {}
    void Resume() override {}
    bool IsBlocked() override { return false; }
    const CxString& GetText() const { return m_strText; }

private:
    CxString m_strText;
};

class DumpCreator : public CxEventCreator
{
public:
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override
    {
        return new DumpEvent(category, command, arguments);
    }
};

void DumpSequence(const CxSequence& sequence, int depth)
{
    for (auto* node = sequence.GetHead(); node; node = node->GetNext())
    {
        CxEvent* event = node->m_Value;
        printf("%*s%s", depth * 2, "", (event->GetFlags() & EVENT_CONTINUE) ? "continue " : "");
        if (auto* child = dynamic_cast<CxSequence*>(event))
        {
            printf("sequence\n");
            DumpSequence(*child, depth + 1);
            printf("%*send\n", depth * 2, "");
        }
        else if (auto* deferred = dynamic_cast<CxEventString*>(event))
            printf("dynamic %s\n", deferred->GetText().c_str());
        else if (auto* line = dynamic_cast<DumpEvent*>(event))
            printf("event %s\n", line->GetText().c_str());
    }
}

int SeqDump(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    CxInterpolator interpolator;
    for (int i = 3; i < argc; ++i)
    {
        const char* equals = strchr(argv[i], '=');
        if (!equals)
            return Usage();
        const CxString name(argv[i], static_cast<int32_t>(equals - argv[i]));
        interpolator.AddConstant(name.c_str(), equals + 1);
    }
    SetErrorHandler([](uint32_t code, const char* text) -> int32_t {
        fprintf(stderr, "%s: %s\n", GetErrorText(code), text);
        return 0;
    });
    DumpCreator creator;
    CxEventSequenceFile file(&creator);
    if (file.Load(argv[2], &interpolator) != CX_ERR_NONE)
    {
        fprintf(stderr, "Could not read file: %s\n", argv[2]);
        return 1;
    }
    DumpSequence(file, 0);
    return GetErrorCount() == 0 ? 0 : 3;
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
    if (strcmp(argv[1], "seq-dump") == 0)
        return SeqDump(argc, argv);
    return Usage();
}
