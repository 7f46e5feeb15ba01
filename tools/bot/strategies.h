// The makers of the bot's strategies, one family a file
// (strategy_<family>.cpp); bot_strategy.cpp lists them by mission kind.
#pragma once

#include "game/missions/mission.h"
#include "tools/bot/bot_strategy.h"

#include <memory>

// The town's mission framework, or nullptr.
CMissionFramework* BotFramework(CTown& town);
// The loaded mission kind's object when it is a K, else nullptr.
template <class K>
K* BotMissionKind(CTown& town)
{
    CMissionFramework* framework = BotFramework(town);
    return framework ? dynamic_cast<K*>(framework->GetKind()) : nullptr;
}

// 0: steer over the visible items, then bump the buildings that hide the rest.
std::unique_ptr<IBotStrategy> MakeCollectStrategy();
// 1: bump the targets the mission chose.
std::unique_ptr<IBotStrategy> MakeDeliveryStrategy();
// 2: chase the nearest hand truck.
std::unique_ptr<IBotStrategy> MakeMovingStrategy();
// 3: wait under the shadow of the object that lands soonest and can be reached.
std::unique_ptr<IBotStrategy> MakeDropStrategy();
// 4: chase the enemy truck, led by its velocity; between arenas, drive to the next.
std::unique_ptr<IBotStrategy> MakeBumperStrategy();
// 5: drive into the burning house, then hose the nearest fire.
std::unique_ptr<IBotStrategy> MakeFireStrategy();
// 6: drive to the dock, then cast ahead of the nearest floating junk.
std::unique_ptr<IBotStrategy> MakeFishingStrategy();
// 7: follow the course to the finish line, round the oil and the enemy.
std::unique_ptr<IBotStrategy> MakeRaceStrategy();
