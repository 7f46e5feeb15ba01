// CBuilding: a character of the town with an enter zone, a perimeter and
// an optional extra sprite.
#include "game/world/town.h"

#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "engine/media/wave.h"
#include "game/world/game_image.h"

#include <algorithm>
#include <cstdio>

namespace {
const char* const ZONE_IMAGE = "$GAMEPATH\\COMMON\\zone.tga";
constexpr int PERIMETER_REACH = 1 << 20;

// A point key; false (point untouched) when the key is missing.
bool ReadPoint(CxOptions& file, const char* section, const char* key, CxPoint& point)
{
    const CxPoint missing(INT32_MIN, INT32_MIN);
    CxPoint value;
    file.GetPoint(section, key, &value, missing);
    if (value == missing)
        return false;
    point = value;
    return true;
}

CxString ReadName(CxOptions& file, const char* section, const char* key, uint32_t size)
{
    char text[256];
    file.GetString(section, key, text, "", size < sizeof(text) ? size : sizeof(text));
    return CxString(text);
}
} // namespace

CBuilding::CBuilding() = default;

CBuilding::~CBuilding() = default;

uint32_t CBuilding::LoadBuilding(const char* fileName, CxDisplayObject* parent)
{
    m_strFileName = fileName;
    AttachTo(parent);
    const uint32_t error = LoadFromFile(fileName);
    CxOptions file(ExpandGamePath(fileName).c_str());
    m_pExtraSprite.reset();
    if (file.Load() == CX_ERR_NONE)
    {
        ReadTownKeys(file);
        LoadExtraSprite(file, parent);
    }
    m_pZoneSprite = std::make_unique<CxSprite>();
    const CxString zone = BuildGamePath("%s", ZONE_IMAGE);
    if (TownDataExists(zone) && LoadGameSprite(*m_pZoneSprite, zone.c_str()) == CX_ERR_NONE)
    {
        m_pZoneSprite->AttachTo(parent);
        m_pZoneSprite->SetDepth(-1);
        m_pZoneSprite->SetPosition(m_ptZone);
        m_pZoneSprite->Redraw();
    }
    return error;
}

void CBuilding::ReadTownKeys(CxOptions& file)
{
    CxPoint position;
    if (ReadPoint(file, "QexSprite", "Position", position))
    {
        SetHomePosition(position);
        SetPosition(position);
    }
    m_strInterpTag = ReadName(file, "QexSprite", "InterpTag", 32);
    ReadPoint(file, "QexSprite", "LockPosition", m_ptLock);
    ReadPoint(file, "QexSprite", "TruckLockPosition", m_ptTruckLock);
    ReadPoint(file, "QexSprite", "DriveThruPosition", m_ptDriveThru);
    long value = 10;
    file.GetNumber("QexSprite", "TruckTalkState", &value, 10);
    m_nTruckTalkState = static_cast<int32_t>(value);

    const CxString rect = ReadName(file, "Perimeter", "Rect", 64);
    int l = 0, t = 0, r = 0, b = 0;
    m_bHasPerimeter = sscanf(rect.c_str(), "%d ,%d ,%d ,%d", &l, &t, &r, &b) == 4;
    // Kept within a building's reach, so that placing it on the map cannot overflow.
    auto bound = [](int v) { return std::clamp(v, -PERIMETER_REACH, PERIMETER_REACH); };
    m_rcPerimeter = CxRect(bound(l), bound(t), bound(r), bound(b));
    m_strOnEnterPerimeter = ReadName(file, "Perimeter", "OnEnterPerimeter", 256);

    file.GetNumber("Zone", "Type", &value, -1);
    m_nZoneType = static_cast<int32_t>(value);
    ReadPoint(file, "Zone", "Position", m_ptZone);
    // A zone without a centre would pull at an arbitrary point: it never pulls.
    m_bHasCenter = ReadPoint(file, "Zone", "Center", m_ptCenter);
    char key[32];
    for (int stage = 0; stage < 3; ++stage)
    {
        snprintf(key, sizeof(key), "OnEnterZone%d", stage);
        m_strEnterZone[stage] = ReadName(file, "Zone", key, 256);
        snprintf(key, sizeof(key), "OnEndMission%d", stage);
        m_strEndMission[stage] = ReadName(file, "Zone", key, 256);
    }
}

void CBuilding::LoadExtraSprite(CxOptions& file, CxDisplayObject* parent)
{
    const CxString name = ReadName(file, "QexSprite", "ExtraSprite", 256);
    if (name.IsEmpty())
        return;
    // A missing or broken extra sprite is reported and left out: the
    // building itself stands as loaded.
    const CxString path = TownDataPath(name.c_str());
    if (!TownDataExists(path))
        return;
    auto extra = std::make_unique<CSuperSprite>();
    const uint32_t error = extra->LoadFromFile(path.c_str());
    if (error != CX_ERR_NONE || extra->GetNumStates() < 1)
    {
        LogEntry(CX_LOG_WARNING, "town: %s: extra sprite %s did not load (error %u)", m_strFileName.c_str(),
                 name.c_str(), error);
        return;
    }
    CxPoint offset;
    ReadPoint(file, "QexSprite", "ExtraSpriteOffset", offset);
    const CxPoint at(GetPosition().x + offset.x, GetPosition().y + offset.y);
    extra->AttachTo(parent);
    extra->SetHomePosition(at);
    extra->SetPosition(at);
    extra->Hide();
    m_pExtraSprite = std::move(extra);
}

void CBuilding::ShowExtraSprite()
{
    if (!m_pExtraSprite || !m_pExtraSprite->GetParent())
        return;
    // Just in front of the building, whatever its own bottom says.
    m_pExtraSprite->SetDepth(std::max(ComputeDepth() - 1, 1));
    m_pExtraSprite->PlayForever(0);
    m_pExtraSprite->Redraw();
}

void CBuilding::HideExtraSprite()
{
    if (!m_pExtraSprite)
        return;
    m_pExtraSprite->StopAnimation();
    m_pExtraSprite->Hide();
}

const CxString& CBuilding::GetZoneSequence(bool endMission, int32_t stage) const
{
    const int32_t index = stage == 1 || stage == 2 ? stage : 0;
    return endMission ? m_strEndMission[index] : m_strEnterZone[index];
}

CxRect CBuilding::GetMapPerimeter() const
{
    // The map is far smaller than the 32-bit plane; positions are kept within it.
    const CxPoint position = GetPosition();
    const CxPoint origin(std::clamp(position.x, -PERIMETER_REACH, PERIMETER_REACH),
                         std::clamp(position.y, -PERIMETER_REACH, PERIMETER_REACH));
    return CxRect(origin.x + m_rcPerimeter.left, origin.y + m_rcPerimeter.top, origin.x + m_rcPerimeter.right,
                  origin.y + m_rcPerimeter.bottom);
}

void CBuilding::ShowZone()
{
    m_bZoneActive = true;
    if (m_pZoneSprite && m_pZoneSprite->GetParent())
        m_pZoneSprite->Redraw();
}

void CBuilding::HideZone()
{
    m_bZoneActive = false;
    if (m_pZoneSprite)
        m_pZoneSprite->Hide();
}

void CBuilding::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    if (command.CompareNoCase("ShowZone") == 0)
        ShowZone();
    else if (command.CompareNoCase("HideZone") == 0)
        HideZone();
    else if (command.CompareNoCase("ShowExtraSprite") == 0)
        ShowExtraSprite();
    else if (command.CompareNoCase("HideExtraSprite") == 0)
        HideExtraSprite();
    else
        CCharacter::HandleCommand(command, arguments);
}
