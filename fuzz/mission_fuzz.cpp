// Feeds arbitrary bytes to the mission file reader as a mission file (every
// level section in turn), then checks the limits the reader promises: no
// count beyond 100, one position per right icon, and distinct chosen paths
// below NumPaths. The names read become hidden-sequence names too, every
// key of the "Phase%d" sections goes through the phase parsers, and the
// fishing keys come back as usable speeds. The race's course ([Waypoints])
// is read as at a race's set-up: at most 1000 waypoints whose distances
// never go down, a nearest waypoint always in the table; its FinishLine is
// parsed too.
#include "engine/core/error.h"
#include "engine/core/random.h"
#include "game/missions/fishing.h"
#include "game/missions/interp_option.h"
#include "game/missions/mission_data.h"
#include "game/missions/mission_phase.h"
#include "game/missions/race.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace {
// The phase sections as the phase step reads them.
void ParsePhases(const CInterpOption& file)
{
    char name[32];
    for (int32_t phase = 0; phase < 8; ++phase)
    {
        snprintf(name, sizeof(name), "Phase%d", phase);
        const CxOptionSection* section = file.FindSection(name);
        if (!section)
            continue;
        for (const auto* node = section->GetVariables().GetHead(); node; node = node->GetNext())
        {
            bool add = false;
            int32_t type = -1;
            CxPoint point;
            if (ParsePhaseKey(node->m_Value->GetName().c_str(), &add, &type) && type < 0)
                abort();
            ParsePhasePoint(node->m_Value->GetValue().c_str(), &point);
        }
    }
}

// The race's keys as its set-up reads them.
void ReadRace(CInterpOption& file)
{
    char text[64];
    int32_t finish[3];
    file.GetString("Mission", "FinishLine", text, "", sizeof(text));
    ParseRaceNumbers(text, finish, 3);
    CRaceCourse course;
    course.Read(file);
    if (course.Count() > RACE_MAX_WAYPOINTS)
        abort();
    for (int32_t i = 1; i < course.Count(); ++i)
        if (course.At(i).distance < course.At(i - 1).distance)
            abort();
    for (int32_t i = 0; i < course.Count(); ++i)
    {
        const RaceWaypoint& w = course.At(i);
        float distance = 0.0f;
        const int32_t nearest = course.Nearest(CxPoint(w.x, w.y / 2), i + 1, &distance);
        if (nearest < 0 || nearest >= course.Count() || !(distance >= 0.0f))
            abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorHandler(nullptr);
    if (size > 0x10000)
        return 0;
    SeedRandom(static_cast<uint32_t>(size));
    for (int32_t level = 0; level < 3; ++level)
    {
        CInterpOption file;
        file.Parse(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size));
        MissionRecord record;
        CMissionData missionData;
        std::vector<int32_t> paths;
        ReadMissionFile(
            file, record, missionData, [level](int32_t) { return level; }, paths);
        if (record.numHudSets > MISSION_MAX_COUNT || record.numReq > MISSION_MAX_COUNT ||
            record.locations.size() > MISSION_MAX_COUNT || record.hudSets.size() > MISSION_MAX_COUNT)
            abort();
        for (const CMissionSetData& set : record.hudSets)
            if (set.rightIconPositions.size() != static_cast<size_t>(set.nNumRightIcons))
                abort();
        const std::set<int32_t> distinct(paths.begin(), paths.end());
        if (distinct.size() != paths.size() || paths.size() > static_cast<size_t>(record.numPaths) ||
            (!paths.empty() && (*distinct.begin() < 0 || *distinct.rbegin() >= record.numPaths)))
            abort();
        const FishingKeys keys = ReadFishingKeys(file);
        if (!(keys.castSpeed > 0 && keys.reelSpeed > 0 && keys.baseSpeed > 0) ||
            !std::isfinite(keys.castSpeed) || !std::isfinite(keys.reelSpeed) ||
            !std::isfinite(keys.baseSpeed) || !std::isfinite(keys.plusSpeed))
            abort();
        ParsePhases(file);
        ReadRace(file);
        HiddenSequenceName(record.itemName);
        HiddenSequenceName(record.objectName);
        MissionNameOfSubId(record.subId);
        MissionItemBit(record.subId);
        AdjustLevel(level, static_cast<uint32_t>(record.numTotal), missionData.m_nTimerIntervalMin,
                    missionData.m_nTimerIntervalMax);
    }
    return 0;
}
