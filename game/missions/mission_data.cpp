#include "game/missions/mission_data.h"

#include "engine/core/random.h"
#include "game/missions/interp_option.h"

#include <algorithm>
#include <cstdio>

namespace {
const char* const SUB_ID_NAMES[] = {"ibm",    "pan",  "book", "hamb", "mov",  "cone", "soap", "brush",
                                    "wrench", "keys", "ht",   "sk8",  "tire", "met",  "mail"};
constexpr int32_t SUB_ID_COUNT = static_cast<int32_t>(sizeof(SUB_ID_NAMES) / sizeof(SUB_ID_NAMES[0]));

int32_t ReadInt(CInterpOption& file, const char* section, const char* key, long fallback)
{
    long value = fallback;
    file.GetNumber(section, key, &value, fallback);
    return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

// A count of the file: never negative, never more than the program handles.
int32_t ReadCount(CInterpOption& file, const char* section, const char* key, long fallback)
{
    return std::clamp(ReadInt(file, section, key, fallback), 0, MISSION_MAX_COUNT);
}

std::string ReadText(CInterpOption& file, const char* section, const char* key)
{
    char text[INTERP_OPTION_TEXT];
    file.GetString(section, key, text, "", sizeof(text));
    return text;
}

CxPoint ReadPoint(CInterpOption& file, const char* section, const char* key)
{
    CxPoint point;
    file.GetPoint(section, key, &point, CxPoint(0, 0));
    return point;
}

void ReadHudSets(CInterpOption& file, const char* level, MissionRecord& record)
{
    char key[48];
    for (int32_t i = 0; i < record.numHudSets; ++i)
    {
        CMissionSetData set;
        snprintf(key, sizeof(key), "LeftIconName%02d", i);
        set.strLeftIconName = ReadText(file, level, key);
        snprintf(key, sizeof(key), "LeftIconPos%02d", i);
        set.ptLeftIconPos = ReadPoint(file, level, key);
        snprintf(key, sizeof(key), "NumRightIcons%02d", i);
        set.nNumRightIcons = ReadCount(file, level, key, 0);
        snprintf(key, sizeof(key), "RightIconName%02d", i);
        set.strRightIconName = ReadText(file, level, key);
        for (int32_t j = 0; j < set.nNumRightIcons; ++j)
        {
            snprintf(key, sizeof(key), "RightIconPos%02d%02d", i, j);
            set.rightIconPositions.push_back(ReadPoint(file, level, key));
        }
        record.hudSets.push_back(std::move(set));
    }
}

// NumReqItems distinct paths out of 0..NumPaths-1; one path per hand truck,
// so never more than there are paths.
void ChoosePaths(const MissionRecord& record, std::vector<int32_t>& chosen)
{
    std::vector<int32_t> left;
    for (int32_t i = 0; i < record.numPaths; ++i)
        left.push_back(i);
    for (int32_t n = 0; n < record.numReq && !left.empty(); ++n)
    {
        const size_t pick = static_cast<size_t>(Random()) % left.size();
        chosen.push_back(left[pick]);
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(pick));
    }
}
} // namespace

void MissionRecord::Reset()
{
    const int32_t speedMin = dropSpeedMin, speedMax = dropSpeedMax, kept = state;
    *this = MissionRecord();
    dropSpeedMin = speedMin;
    dropSpeedMax = speedMax;
    state = kept;
}

const char* MissionNameOfSubId(int32_t subId)
{
    return subId >= 0 && subId < SUB_ID_COUNT ? SUB_ID_NAMES[subId] : SUB_ID_NAMES[0];
}

uint32_t MissionItemBit(int32_t subId)
{
    return subId >= 1 && subId < SUB_ID_COUNT ? 1u << subId : 1u;
}

int32_t AdjustLevel(int32_t level, uint32_t elapsed, int32_t min, int32_t max)
{
    const int64_t e = elapsed;
    if (e > max && level > 0)
        return level - 1;
    if (e < min && level < MISSION_MAX_LEVEL)
        return level + 1;
    return level;
}

std::string HiddenSequenceName(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of("\\/");
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = fileName.find('.', start);
    if (dot == std::string::npos || dot - start < 2)
        return fileName + "H.Seq";
    return fileName.substr(0, dot - 1) + "H.Seq";
}

void ReadMissionFile(CInterpOption& file, MissionRecord& record, CMissionData& data,
                     const std::function<int32_t(int32_t kind)>& levelOf, std::vector<int32_t>& chosenPaths)
{
    record.type = ReadInt(file, "Mission", "MissionType", MISSION_KIND_NONE);
    record.subId = ReadInt(file, "Mission", "MissionSubID", 0);
    record.finishSequence = ReadText(file, "Mission", "FinishSequenceFilename");
    record.objectName = ReadText(file, "Mission", "ObjectName");

    const int32_t locations = ReadCount(file, "Locations", "NumLocations", 0);
    char key[48];
    for (int32_t i = 0; i < locations; ++i)
    {
        snprintf(key, sizeof(key), "Pos%02d", i);
        record.locations.push_back(ReadPoint(file, "Locations", key));
    }

    char level[32];
    snprintf(level, sizeof(level), "Level%02d", std::clamp(levelOf ? levelOf(record.type) : 0, 0, 99));
    data.m_nTimerIntervalMin = ReadInt(file, level, "TimerIntervalMin", 0);
    data.m_nTimerIntervalMax = ReadInt(file, level, "TimerIntervalMax", 0);
    record.numReq = ReadCount(file, level, "NumReqItems", 0);
    record.numTotal = ReadCount(file, level, "NumTotalItems", 0);
    record.numHidden = ReadCount(file, level, "NumHiddenItems", 0);
    record.itemName = ReadText(file, level, "ItemName");
    record.numHudSets = ReadCount(file, level, "NumHudSets", 1);
    ReadHudSets(file, level, record);

    if (record.type == MISSION_KIND_MOVING)
    {
        record.numPaths = ReadCount(file, "Mission", "NumPaths", 0);
        ChoosePaths(record, chosenPaths);
    }
    else if (record.type == MISSION_KIND_DROP)
    {
        record.dropItemMin = ReadInt(file, level, "NumDropItemMin", 0);
        record.dropItemMax = ReadInt(file, level, "NumDropItemMax", 0);
        record.dropTimerMin = ReadInt(file, level, "DropTimerIntervalMin", 3000);
        record.dropTimerMax = ReadInt(file, level, "DropTimerIntervalMax", 4000);
        record.dropSpeedMin = ReadInt(file, level, "DropSpeedMin", 50);
        record.dropSpeedMax = ReadInt(file, level, "DropSpeedMax", 90);
    }
    else if (record.type == MISSION_KIND_FIRE)
    {
        record.numDumpsters = ReadInt(file, level, "NumDumpsters", 0);
        record.fireUpdateMin = ReadInt(file, level, "FireUpdateMin", 3000);
        record.fireUpdateMax = ReadInt(file, level, "FireUpdateMax", 4000);
    }
}
