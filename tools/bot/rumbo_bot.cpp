// rumbo-bot: the game exactly as rumbotown runs it (the same data, option
// file and command line) with a player of its own, for tests and soaks;
// the shipped game has none of it.
//
//   --monkey SEED   random input from the monkey (tools/bot/monkey.h). With
//                   any driven-run option (--record, --exit-after, ...) the
//                   run steps its own clock as fast as it can and ignores
//                   the devices; without one it plays in real time at the
//                   frame cap, until it is closed or sent SIGTERM.
#include "engine/core/app.h"
#include "game/world/rumbo_town_app.h"
#include "tools/bot/monkey.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {
class CRumboBotApp : public CRumboTownApp
{
public:
    ~CRumboBotApp() override
    {
        // The monkey wraps the run's own driver, which the base still owns.
        if (m_pMonkey && GetPassDriver() == m_pMonkey.get())
            SetPassDriver(nullptr);
    }

    uint32_t ProcessCommandLine(CxLinkedList<CxString*>& arguments) override
    {
        bool monkey = false;
        uint32_t seed = 0;
        for (auto* node = arguments.GetHead(); node; node = node->GetNext())
        {
            if (node == arguments.GetHead() || *node->m_Value != "--monkey")
                continue;
            auto* value = node->GetNext();
            char* end = nullptr;
            const unsigned long number = value ? strtoul(value->m_Value->c_str(), &end, 10) : 0;
            if (!value || value->m_Value->IsEmpty() || *end || number > 0xFFFFFFFFul ||
                value->m_Value->c_str()[0] == '-')
            {
                fprintf(stderr, "--monkey wants a seed of 0 or more\nusage: rumbo-bot --monkey SEED "
                                "[rumbotown options]\n");
                m_bCommandLineRefused = true;
                return GetExitCode();
            }
            monkey = true;
            seed = static_cast<uint32_t>(number);
            delete value->m_Value;
            arguments.RemoveNode(value);
            delete node->m_Value;
            arguments.RemoveNode(node);
            break;
        }
        SetInputFromProgram(monkey);
        const uint32_t code = CRumboTownApp::ProcessCommandLine(arguments);
        if (monkey && !IsCommandLineRefused())
        {
            m_pMonkey = std::make_unique<CMonkeyDriver>(seed, GetPassDriver());
            SetPassDriver(m_pMonkey.get());
        }
        return code;
    }

private:
    std::unique_ptr<CMonkeyDriver> m_pMonkey;
};
} // namespace

int main(int argc, char** argv)
{
    // Made on first use, after every engine-wide object is ready.
    static CRumboBotApp app;
    return CxAppMain(argc, argv);
}
