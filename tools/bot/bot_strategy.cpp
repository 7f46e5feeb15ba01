#include "tools/bot/bot_strategy.h"

#include "game/screens/map_dialog.h"
#include "game/world/town.h"
#include "tools/bot/bot_travel.h"
#include "tools/bot/strategies.h"

namespace {
using StrategyMaker = std::unique_ptr<IBotStrategy> (*)();

// The strategy of each mission kind, by kind; null for a kind the bot does
// not play yet. A new kind's strategy goes here, in strategy_<family>.cpp,
// and into the list of kinds the tests play (BOT_KINDS, tests/CMakeLists.txt).
constexpr StrategyMaker MAKERS[] = {
    MakeCollectStrategy,  // 0 collection
    MakeDeliveryStrategy, // 1 delivery
    MakeMovingStrategy,   // 2 moving hand trucks
    MakeDropStrategy,     // 3 drop
    MakeBumperStrategy,   // 4 bumper cars
    MakeFireStrategy,     // 5 fire
    MakeFishingStrategy,  // 6 fishing
    MakeRaceStrategy,     // 7 race
};
} // namespace

std::unique_ptr<IBotStrategy> MakeBotStrategy(int32_t kind)
{
    if (kind < 0 || kind >= static_cast<int32_t>(std::size(MAKERS)) || !MAKERS[kind])
        return nullptr;
    return MAKERS[kind]();
}

bool BotPlaysKind(int32_t kind)
{
    return kind >= 0 && kind < static_cast<int32_t>(std::size(MAKERS)) && MAKERS[kind];
}

CBotAim IBotStrategy::AimOnMap(CTown&, CMapDialog& map)
{
    return BotClick(map.GetExitButton(), CBotAim());
}

CMissionFramework* BotFramework(CTown& town)
{
    return dynamic_cast<CMissionFramework*>(&town.GetMission());
}
