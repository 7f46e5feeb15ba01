// The bot's strategies: one per mission kind, each turning what it reads of
// the town into where the pointer should be and whether to click there.
//
// A strategy only reads: the town, its truck, the mission and what they
// reach. It never changes them and never draws from the engine's random
// generator, so that a bot run and the replay of its recording play the
// same game. The bot driver (bot_driver.h) turns its aims into input.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CMapDialog;
class CTown;

// Where a strategy wants the pointer this pass, on the 640 x 480 screen, and whether to click there.
struct CBotAim
{
    int32_t x = 320;
    int32_t y = 240;
    bool click = false;
};

class IBotStrategy
{
public:
    virtual ~IBotStrategy() = default;
    // Every pass while this kind's mission runs and the player has control of the truck.
    virtual CBotAim Aim(CTown& town, uint32_t now) = 0;
    // Whether Aim is also called while the town has taken control of the
    // truck: the kinds whose play is pointing and clicking with the truck
    // parked (the hose at a fire, the rod at the river) say so while it is.
    virtual bool PlaysWithoutControl(CTown&) { return false; }
    // The aim while the map screen is open during the mission: by default
    // its exit (a stray click opened it); a kind that travels by the map
    // picks its building and goes.
    virtual CBotAim AimOnMap(CTown& town, CMapDialog& map);
    // One line on the kind's progress, logged when the budget runs out.
    virtual std::string Describe(CTown& town) = 0;
};

// The strategy of mission kind 0-7, or nullptr for a kind not yet played.
std::unique_ptr<IBotStrategy> MakeBotStrategy(int32_t kind);

// Whether the bot plays the kind (MakeBotStrategy gives a strategy for it).
bool BotPlaysKind(int32_t kind);
