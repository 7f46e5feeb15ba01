// The makers of the bot's strategies, one family a file
// (strategy_<family>.cpp); bot_strategy.cpp lists them by mission kind.
#pragma once

#include "tools/bot/bot_strategy.h"

#include <memory>

// 0: steer over the visible items, then bump the buildings that hide the rest.
std::unique_ptr<IBotStrategy> MakeCollectStrategy();
// 1: bump the targets the mission chose.
std::unique_ptr<IBotStrategy> MakeDeliveryStrategy();
// 2: chase the nearest hand truck.
std::unique_ptr<IBotStrategy> MakeMovingStrategy();
// 7: follow the course to the finish line, round the oil and the enemy.
std::unique_ptr<IBotStrategy> MakeRaceStrategy();
