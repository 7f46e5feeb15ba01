// How the bot gets about: steering the truck toward a map point, along the
// town's driving nodes to a place, finding the building that gives a kind
// of mission (from the data: the LoadMission line of its enter scene), and
// finding a point of the screen where a click reaches a given button.
// Everything here only reads the town.
#pragma once

#include "engine/base/geometry.h"
#include "tools/bot/bot_strategy.h"

#include <cstdint>
#include <vector>

class CBuilding;
class CxDisplayObject;
class CTown;

// Where the truck's centre is on the screen.
CxPoint BotTruckOnScreen(CTown& town);
// The aim that steers the truck toward a map point (bot_geometry.h),
// kept off the HUD, where the pointer would stop the truck.
CBotAim BotSteerToward(CTown& town, const CxPoint& mapPoint);
// The shortest way from one map point to another along the driving nodes:
// the nodes to pass, then to itself. Only to itself when the town has no
// nodes.
std::vector<CxPoint> BotFindPath(CTown& town, const CxPoint& from, const CxPoint& to);
// The aim that drives the truck along the nodes toward a map point.
CBotAim BotDriveTo(CTown& town, const CxPoint& mapPoint);

// The mission kinds of the files the building's enter scene of the stage
// loads (empty when it loads none).
std::vector<int32_t> BotKindsGivenBy(const CBuilding& building, int32_t stage);
// The building that gives the kind, or null: of the buildings whose every
// mission file is of that kind, the one of the lowest number (the map
// lists 0-13), so that the bot plays the kind whichever file is picked.
CBuilding* BotFindGiver(CTown& town, int32_t kind);

// A point of the screen where the front-most object is target (or one of
// its children): its middle when the middle is, else the nearest such
// point on a grid over it. False when none is.
bool BotClickPoint(CxDisplayObject& target, CxPoint* point);
// The aim that clicks the target; the pointer stays where it is when no
// point of it can be clicked.
CBotAim BotClick(CxDisplayObject& target, const CBotAim& otherwise);

// The middle of an object placed on the town's map, in map pixels.
CxPoint BotMapCentre(const CxDisplayObject& object);
