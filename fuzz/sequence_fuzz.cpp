// Feeds arbitrary bytes to the sequence-file parser, with a registered
// category and an interpolator, and runs what it built through the pump.
#include "engine/core/error.h"
#include "engine/core/event.h"
#include "engine/core/event_creator.h"
#include "engine/core/interpolator.h"
#include "engine/core/sequence.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
class FuzzEvent : public CxEvent
{
public:
    explicit FuzzEvent(uint32_t passes) : m_nPasses(passes % 4) {}
    void Start() override { m_bStarted = true; }
    bool IsStarted() override { return m_bStarted; }
    void Stop() override {}
    bool IsFinished() override { return m_nPasses == 0 || --m_nPasses == 0; }
    void Pause() override {}
    void Resume() override {}
    bool IsBlocked() override { return false; }
    void Release() override { m_bStarted = false; }

private:
    uint32_t m_nPasses;
    bool m_bStarted = false;
};

class FuzzCreator : public CxEventCreator
{
public:
    CxEvent* CreateEvent(const CxString&, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override
    {
        if (command.EqualsNoCase("Null"))
            return nullptr;
        return new FuzzEvent(arguments.GetCount());
    }
};

class FuzzListener : public CxEventListener
{
public:
    int32_t OnEvent(uint32_t, CxEvent*) override { return 0; }
};

FuzzCreator s_Creator;

// Bytes 1 to 8 stand for the words of the format, so that short inputs
// reach every branch of the parser quickly.
std::string WithKeywords(const uint8_t* data, size_t size)
{
    static const char* const words[] = {"",    "Event f.Go(", "Sequence ", "Dynamic ",        "continue\n",
                                        ")\n", "${",          "\"",        "Event f.Null()\n"};
    std::string text;
    for (size_t i = 0; i < size; ++i)
        text += (data[i] >= 1 && data[i] <= 8) ? words[data[i]] : std::string(1, static_cast<char>(data[i]));
    return text;
}

void RunOnce(const char* text, size_t size, const CxInterpolator& interpolator)
{
    uint32_t channel = 0;
    CreateChannel(&channel);
    auto* file = new CxEventSequenceFile;
    file->Parse(text, static_cast<uint32_t>(size > 0xFFFFFF ? 0xFFFFFF : size), &interpolator);
    file->AddFlags(EVENT_AUTO_DELETE);
    file->Post(channel);
    for (int pass = 0; pass < 64 && !IsChannelEmpty(channel); ++pass)
        PumpEvents();
    DestroyChannel(channel);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    ST_EVENT_DEF def{};
    def.m_pCreator = &s_Creator;
    RegisterEventCreator("f", def);

    CxInterpolator interpolator;
    interpolator.AddConstant("A", "f.Go(1,2)");
    interpolator.AddConstant("SELF", "$SELF${SELF}");
    long number = 7;
    interpolator.AddNumberVariable("N", &number, "%05d%s");

    FuzzListener listener;
    RunOnce(reinterpret_cast<const char*>(data), size, interpolator);
    const std::string expanded = WithKeywords(data, size);
    RunOnce(expanded.data(), expanded.size(), interpolator);
    UnregisterEventCreator("f");
    return 0;
}
