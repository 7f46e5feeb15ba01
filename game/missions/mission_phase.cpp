// The phase step of a mission file.
#include "game/missions/mission_phase.h"

#include "engine/core/options.h"
#include "game/missions/mission.h"
#include "game/world/map_object.h"
#include "game/world/town.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {
// A plain decimal number filling text (leading blanks allowed), within int32.
bool ParseNumber(const char* text, bool allowSign, int32_t* out)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    if (!allowSign && !isdigit(static_cast<unsigned char>(*text)))
        return false;
    errno = 0;
    char* end = nullptr;
    const long value = strtol(text, &end, 10);
    if (end == text || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    *out = static_cast<int32_t>(value);
    return true;
}
} // namespace

bool ParsePhaseKey(const char* key, bool* add, int32_t* type)
{
    if (!key)
        return false;
    if (!strncasecmp(key, "Add", 3))
        *add = true;
    else if (!strncasecmp(key, "Sub", 3))
        *add = false;
    else
        return false;
    return ParseNumber(key + 3, false, type);
}

bool ParsePhasePoint(const char* value, CxPoint* point)
{
    if (!value)
        return false;
    const char* comma = strchr(value, ',');
    if (!comma)
        return false;
    char first[32];
    const size_t length = static_cast<size_t>(comma - value);
    if (length >= sizeof(first))
        return false;
    std::copy(value, comma, first);
    first[length] = '\0';
    int32_t x = 0, y = 0;
    if (!ParseNumber(first, true, &x) || !ParseNumber(comma + 1, true, &y))
        return false;
    *point = CxPoint(x, y);
    return true;
}

void CMissionPhase::Reset()
{
    RemoveAll();
    m_nCounter = -1;
}

int32_t CMissionPhase::Step()
{
    ++m_nCounter;
    CMission& mission = m_Framework.Mission();
    if (!mission.m_bFileOpen)
        return 0;
    char name[32];
    snprintf(name, sizeof(name), "Phase%d", m_nCounter);
    const CxOptionSection* section = mission.m_File.FindSection(name);
    if (!section)
        return 0;
    // The lines are read first: applying one may run code that reads the file.
    std::vector<std::pair<CxString, CxString>> lines;
    for (const auto* node = section->GetVariables().GetHead(); node; node = node->GetNext())
        lines.emplace_back(node->m_Value->GetName(), node->m_Value->GetValue());
    int32_t applied = 0;
    for (const auto& [key, value] : lines)
        applied += Apply(key.c_str(), value.c_str()) ? 1 : 0;
    return applied;
}

bool CMissionPhase::Apply(const char* key, const char* value)
{
    bool add = false;
    int32_t type = 0;
    CxPoint point;
    if (!ParsePhaseKey(key, &add, &type) || !ParsePhasePoint(value, &point))
        return false;
    if (add)
        return Add(type, point) != nullptr;
    return Destroy(m_Framework.Town().FindTownObject(type, point));
}

CMapObject* CMissionPhase::Add(int32_t type, const CxPoint& point)
{
    CMapObject* object = m_Framework.Town().AddTownObject(type, point);
    if (!object)
        return nullptr;
    // Mode 3: shown and animated for as long as it stays.
    object->PlayForever(0);
    m_Objects.push_back(object);
    if (IMissionKind* kind = m_Framework.GetKind())
        kind->ObjectAdded(m_Framework, object);
    return object;
}

bool CMissionPhase::Destroy(CMapObject* object)
{
    CTown& town = m_Framework.Town();
    m_Objects.erase(std::remove(m_Objects.begin(), m_Objects.end(), object), m_Objects.end());
    if (!town.HoldsTownObject(object))
        return false;
    if (IMissionKind* kind = m_Framework.GetKind())
        kind->ObjectRemoving(m_Framework, object);
    CMission& mission = m_Framework.Mission();
    mission.m_Objects.Remove(object);
    mission.m_Hidden.Remove(object);
    return town.DestroyTownObject(object);
}

void CMissionPhase::RemoveAll()
{
    // Objects the town dropped already (its world was unloaded) are only forgotten.
    while (!m_Objects.empty())
    {
        CMapObject* object = m_Objects.back();
        m_Objects.pop_back();
        Destroy(object);
    }
}
