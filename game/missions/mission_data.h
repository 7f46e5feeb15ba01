// The data of the current mission: what its mission file says (the mission
// record), the timing and level values of the town's CMissionData, and the
// rules that turn a mission file into them.
//
// Mission file (an option file read through CInterpOption):
//   [Mission]    MissionType (-1), MissionSubID (0), FinishSequenceFilename,
//                ObjectName, NumPaths (0, moving missions only)
//   [Locations]  NumLocations (0), Pos%02d "x,y"
//   [Level%02d]  of the current level: TimerIntervalMin, TimerIntervalMax,
//                NumReqItems, NumTotalItems, NumHiddenItems, ItemName,
//                NumHudSets (1) and per set i LeftIconName%02d,
//                LeftIconPos%02d, NumRightIcons%02d, RightIconName%02d,
//                RightIconPos%02d%02d (set, icon); drop missions
//                NumDropItemMin/Max, DropTimerIntervalMin/Max,
//                DropSpeedMin/Max; fire missions NumDumpsters,
//                FireUpdateMin/Max.
// Every count is kept within 0..MISSION_MAX_COUNT, so that a bad file costs
// an error report and never a crash or an endless loop.
#pragma once

#include "engine/base/geometry.h"
#include "engine/core/timer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CInterpOption;

constexpr int32_t MISSION_MAX_COUNT = 100;
constexpr int32_t MISSION_KIND_NONE = -1;
constexpr int32_t MISSION_KIND_COLLECTION = 0;
constexpr int32_t MISSION_KIND_DELIVERY = 1;
constexpr int32_t MISSION_KIND_MOVING = 2;
constexpr int32_t MISSION_KIND_DROP = 3;
constexpr int32_t MISSION_KIND_BUMPER = 4;
constexpr int32_t MISSION_KIND_FIRE = 5;
constexpr int32_t MISSION_KIND_FISHING = 6;
constexpr int32_t MISSION_KIND_RACE = 7;
constexpr int32_t MISSION_KIND_COUNT = 8;

constexpr int32_t MISSION_STATE_NONE = 0;
constexpr int32_t MISSION_STATE_STOPPED = 1;
constexpr int32_t MISSION_STATE_RUNNING = 2;

constexpr int32_t MISSION_DEFAULT_TIMER_MIN = 180000;
constexpr int32_t MISSION_MAX_LEVEL = 2;

// One HUD set: the icons shown while it is current.
// One HUD set: the icons shown while it is current.
struct CMissionSetData
{
    std::string strLeftIconName; // empty: no left icon
    CxPoint ptLeftIconPos;
    int32_t nNumRightIcons = 0;
    std::string strRightIconName;
    std::vector<CxPoint> rightIconPositions; // one per right icon
};

// The mission record: one per program, reset before every load.
struct MissionRecord
{
    int32_t type = MISSION_KIND_NONE;
    int32_t subId = 0;
    std::string finishSequence;
    std::string objectName; // delivery targets' name
    std::string itemName;   // the collectible's sprite file
    int32_t numReq = 0;
    int32_t numTotal = 0;
    int32_t numHidden = 0;
    int32_t numHudSets = 1;
    std::vector<CMissionSetData> hudSets;
    std::vector<CxPoint> locations;
    std::vector<int32_t> hidingPlaces; // indices of the town's buildings
    int32_t numPaths = 0;
    // Drop missions.
    int32_t dropItemMin = 0, dropItemMax = 0;
    int32_t dropTimerMin = 3000, dropTimerMax = 4000;
    int32_t dropSpeedMin = 50, dropSpeedMax = 90; // kept from one load to the next
    // Fire missions.
    int32_t numDumpsters = 0, fireUpdateMin = 3000, fireUpdateMax = 4000;
    int32_t state = MISSION_STATE_NONE;

    // Back to the values of a fresh load (the drop speeds and the state stay).
    void Reset();
};

// The town's timing and level values of the mission.
struct CMissionData
{
    int32_t m_nTimerIntervalMin = MISSION_DEFAULT_TIMER_MIN;
    int32_t m_nTimerIntervalMax = 0;
    CxTimer m_Stopwatch;   // started without end at every mission start
    int32_t m_nLevel = -1; // the level cache; -1 = not read yet
};

// "ibm", "pan", ... "mail" for sub-IDs 0..14; "ibm" for others.
const char* MissionNameOfSubId(int32_t subId);
// The sub-ID's bit of the player's completed items: 1 << id for 1..14, else 1.
uint32_t MissionItemBit(int32_t subId);
// The level after a win that took elapsed milliseconds: one lower when
// slower than max (and above 0), else one higher when faster than min (and
// below 2).
int32_t AdjustLevel(int32_t level, uint32_t elapsed, int32_t min, int32_t max);
// "bakery1.ini" -> "bakeryH.Seq": the file part cut before the character
// before its first '.', followed by "H.Seq"; a name whose first '.' is at
// 0 or 1, or that has none, keeps its file part whole.
std::string HiddenSequenceName(const std::string& fileName);

// Reads an opened mission file into the record and the data (the record
// should be reset first). levelOf gives the level for a mission kind;
// chosenPaths receives a moving mission's paths (distinct, at most
// NumPaths). Reports error 13 for sets that cannot be made.
void ReadMissionFile(CInterpOption& file, MissionRecord& record, CMissionData& data,
                     const std::function<int32_t(int32_t kind)>& levelOf, std::vector<int32_t>& chosenPaths);
