// rumbo-bot: the game exactly as rumbotown runs it (the same data, option
// file and command line) with a player of its own, for tests and soaks;
// the shipped game has none of it.
//
//   --monkey SEED   random input from the monkey (tools/bot/monkey.h). With
//                   any driven-run option (--record, --exit-after, ...) the
//                   run steps its own clock as fast as it can and ignores
//                   the devices; without one it plays in real time at the
//                   frame cap, until it is closed or sent SIGTERM.
//   --kind K        the bot (tools/bot/bot_driver.h) wins a mission of kind
//                   K (0-7) from the title and ends the run: exit code 0
//                   when won, 1 when not within its budget of game time.
//                   Always on the stepping clock. With --record FILE the
//                   recording ends in a line "# end MS", the game time of
//                   the end, for a replay's --exit-after.
#include "engine/core/app.h"
#include "game/world/rumbo_town_app.h"
#include "tools/bot/bot_driver.h"
#include "tools/bot/monkey.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {
constexpr const char* USAGE = "usage: rumbo-bot --monkey SEED | --kind K [rumbotown options]\n";

// The number after the option name, taken off the arguments with it; false
// when the option is absent. A bad value sets *bad.
bool TakeNumber(CxLinkedList<CxString*>& arguments, const char* name, unsigned long most, uint32_t* number,
                bool* bad)
{
    for (auto* node = arguments.GetHead(); node; node = node->GetNext())
    {
        if (node == arguments.GetHead() || *node->m_Value != name)
            continue;
        auto* value = node->GetNext();
        char* end = nullptr;
        const unsigned long read = value ? strtoul(value->m_Value->c_str(), &end, 10) : 0;
        if (!value || value->m_Value->IsEmpty() || *end || read > most || value->m_Value->c_str()[0] == '-')
        {
            *bad = true;
            return false;
        }
        *number = static_cast<uint32_t>(read);
        delete value->m_Value;
        arguments.RemoveNode(value);
        delete node->m_Value;
        arguments.RemoveNode(node);
        return true;
    }
    return false;
}

bool HasOption(CxLinkedList<CxString*>& arguments, const char* name)
{
    for (auto* node = arguments.GetHead(); node; node = node->GetNext())
        if (node != arguments.GetHead() && *node->m_Value == name)
            return true;
    return false;
}

class CRumboBotApp : public CRumboTownApp
{
public:
    ~CRumboBotApp() override
    {
        // The players wrap the run's own driver, which the base still owns.
        if (GetPassDriver() && (GetPassDriver() == m_pMonkey.get() || GetPassDriver() == m_pBot.get()))
            SetPassDriver(nullptr);
    }

    uint32_t ProcessCommandLine(CxLinkedList<CxString*>& arguments) override
    {
        bool bad = false;
        uint32_t seed = 0, kind = 0;
        const bool monkey = TakeNumber(arguments, "--monkey", 0xFFFFFFFFul, &seed, &bad);
        if (bad)
            return Refuse("--monkey wants a seed of 0 or more\n");
        const bool bot = TakeNumber(arguments, "--kind", 7, &kind, &bad);
        if (bad || (bot && monkey))
            return Refuse(bad ? "--kind wants a mission kind from 0 to 7\n"
                              : "--monkey or --kind, not both\n");
        if (bot && !HasOption(arguments, "--exit-after"))
        {
            // The stepping clock even without another driven-run option;
            // the bot ends the run long before this.
            arguments.AddTail(new CxString("--exit-after"));
            arguments.AddTail(new CxString(std::to_string(BOT_BUDGET_MS + 60000).c_str()));
        }
        SetInputFromProgram(monkey || bot);
        const uint32_t code = CRumboTownApp::ProcessCommandLine(arguments);
        if (IsCommandLineRefused())
            return code;
        if (monkey)
        {
            m_pMonkey = std::make_unique<CMonkeyDriver>(seed, GetPassDriver());
            SetPassDriver(m_pMonkey.get());
        }
        else if (bot)
        {
            m_pBot = std::make_unique<CBotDriver>(static_cast<int32_t>(kind), GetPassDriver());
            SetPassDriver(m_pBot.get());
        }
        return code;
    }

    // After the run: the bot's verdict.
    int Finish(int code) const { return code || !m_pBot ? code : m_pBot->IsWon() ? 0 : 1; }

private:
    uint32_t Refuse(const char* why)
    {
        fprintf(stderr, "%s%s", why, USAGE);
        m_bCommandLineRefused = true;
        return GetExitCode();
    }

    std::unique_ptr<CMonkeyDriver> m_pMonkey;
    std::unique_ptr<CBotDriver> m_pBot;
};
} // namespace

int main(int argc, char** argv)
{
    // Made on first use, after every engine-wide object is ready.
    static CRumboBotApp app;
    return app.Finish(CxAppMain(argc, argv));
}
