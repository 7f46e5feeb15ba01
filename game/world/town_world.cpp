// Loading the town: "world.ini" and "nodes.ini", and the buildings' files.
#include "game/world/town.h"

#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "engine/frame/game_app.h"
#include "engine/media/wave.h"
#include "engine/platform/system_info.h"
#include "game/world/game_image.h"
#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/smooth_blit.h"
#include "game/world/truck.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <strings.h>

namespace {
const char* const WORLD_FILE = "$GAMEPATH\\world.ini";
const char* const NODES_FILE = "$GAMEPATH\\nodes.ini";
const char* const TREAD_IMAGE = "$GAMEPATH\\VPLAYER\\tread.tga";
const char* const PRINTING_RETURN = "$GAMEPATH\\mission\\printing\\EndPrintingActivity.seq";
constexpr uint32_t TEXT_MAX = 256;
constexpr int32_t TOWN_EMPTY_COLUMNS = 100;
constexpr int32_t TOWN_EMPTY_ROWS = 60;

CxString ReadText(CxOptions& file, const char* section, const char* key)
{
    char text[TEXT_MAX];
    file.GetString(section, key, text, "", sizeof(text));
    return CxString(text);
}

// The number at the end of an entry name ("Underlay00000003" is 3). The
// names carry 8, 7 or 3 digits; any count of trailing digits reads the same.
// -1 for a name without one.
long TrailingNumber(const char* name)
{
    const size_t length = strlen(name);
    size_t first = length;
    while (first > 0 && isdigit(static_cast<unsigned char>(name[first - 1])))
        --first;
    if (first == length || length - first > 9)
        return -1;
    return strtol(name + first, nullptr, 10);
}

// "x, y" (or "x,y") as a point; false when the text holds no two numbers.
bool ParsePoint(const char* text, CxPoint& point)
{
    int x = 0, y = 0;
    if (sscanf(text, "%d ,%d", &x, &y) != 2)
        return false;
    point = CxPoint(x, y);
    return true;
}

// Whether the processor is fast enough for the smoothed copies (over 800 MHz).
bool FastProcessor()
{
    ST_SYSTEM_VALUE value{};
    return QuerySystemInfo(4, &value) == 0 && value.m_nValue > 800;
}

bool ContainsInvis(const char* name)
{
    for (const char* p = name; *p; ++p)
        if (strncasecmp(p, "invis", 5) == 0)
            return true;
    return false;
}
} // namespace

bool TownDataExists(const CxString& path)
{
    if (FileExists(path.c_str()))
        return true;
    LogEntry(CX_LOG_WARNING, "town: %s is missing", path.c_str());
    return false;
}

CxString TownDataPath(const char* name)
{
    return name[0] == '$' ? BuildGamePath("%s", name) : BuildGamePath("$GAMEPATH\\%s", name);
}

void CTown::LoadWorld()
{
    CxOptions world(BuildGamePath("%s", WORLD_FILE).c_str());
    if (world.Load() != CX_ERR_NONE)
        LogEntry(CX_LOG_WARNING, "town: no %s; the town is empty", WORLD_FILE);
    const CxString map = ReadText(world, "World", "Map");
    m_Map.AttachTo(this);
    m_Map.SetDepth(-100);
    if (!map.IsEmpty() && TownDataExists(TownDataPath(map.c_str())))
        m_Map.LoadMap(TownDataPath(map.c_str()).c_str());
    // Without a map the town is empty ground of the usual size, so that the
    // truck and whatever else there is still show and drive.
    if (m_Map.GetColumns() == 0)
        m_Map.SetMapSize(TOWN_EMPTY_COLUMNS, TOWN_EMPTY_ROWS, 64, 64);
    m_Map.SetPosition(0, 0);
    m_Map.Redraw();
    LoadNodes();
    long value = 0;
    world.GetNumber("Settings", "MinHelpDistance", &value, m_nMinHelpDistance);
    m_nMinHelpDistance = static_cast<int32_t>(value);
    world.GetNumber("Settings", "SkidTimeInterval", &value, m_nSkidInterval);
    m_nSkidInterval = static_cast<int32_t>(value);
    LoadLayers(world, false);
    LoadLayers(world, true);
    LoadTruck();
    world.GetNumber("Settings", "AntiAliasTrucks", &value, 0);
    if (value && FastProcessor())
    {
        EnableSmoothEdges(m_pTruck.get());
        EnableSmoothEdges(m_pEnemy.get());
    }
    world.GetNumber("Settings", "ZonePullRadius", &value, m_nZonePullRadius);
    m_nZonePullRadius = static_cast<int32_t>(value);
    world.GetNumber("Settings", "ZoneSafeRadius", &value, m_nZoneSafeRadius);
    m_nZoneSafeRadius = static_cast<int32_t>(value);
    LoadBuildings(world);
    if (TownDataExists(BuildGamePath("%s", TREAD_IMAGE)))
        LoadGameSprite(m_SkidImage, BuildGamePath("%s", TREAD_IMAGE).c_str());
    LoadObjects(world);
    LoadWorldTail(world);
}

void CTown::LoadNodes()
{
    CxOptions nodes(BuildGamePath("%s", NODES_FILE).c_str());
    if (nodes.Load() != CX_ERR_NONE)
        LogEntry(CX_LOG_WARNING, "town: no %s; the help arrow points straight", NODES_FILE);
    m_Nodes.Load(nodes);
}

namespace {
// Calls take(n, file) for each entry of a numbered series ("Underlay000",
// "Underlay001", ...) until the first empty value.
void ForEachInSeries(CxOptions& world, const char* section, const char* keyFormat,
                     const std::function<void(int n, const CxString& file)>& take)
{
    char key[32];
    for (int n = 0;; ++n)
    {
        snprintf(key, sizeof(key), keyFormat, n);
        const CxString file = ReadText(world, section, key);
        if (file.IsEmpty())
            return;
        take(n, file);
    }
}

// Calls place(master, point) for each entry of a placement section: the
// master's number is the trailing number of the entry's name, the value
// "x, y". Entries naming no master of count, or no point, are logged.
void ForEachPlacement(CxOptions& world, const char* section, size_t count,
                      const std::function<void(size_t master, const CxPoint& point)>& place)
{
    const CxOptionSection* entries = world.FindSection(section);
    for (auto* it = entries ? entries->GetVariables().GetHead() : nullptr; it; it = it->GetNext())
    {
        const long number = TrailingNumber(it->m_Value->GetName().c_str());
        CxPoint point;
        if (number < 0 || static_cast<size_t>(number) >= count ||
            !ParsePoint(it->m_Value->GetValue().c_str(), point))
            LogEntry(CX_LOG_WARNING, "town: [%s] %s names no master; skipped", section,
                     it->m_Value->GetName().c_str());
        else
            place(static_cast<size_t>(number), point);
    }
}
} // namespace

void CTown::LoadLayers(CxOptions& world, bool overlays)
{
    auto& masters = overlays ? m_MasterOverlays : m_MasterUnderlays;
    auto& placed = overlays ? m_PlacedOverlays : m_PlacedUnderlays;
    ForEachInSeries(world, overlays ? "MasterOverlays" : "MasterUnderlays",
                    overlays ? "Overlay%03d" : "Underlay%03d", [&](int, const CxString& file) {
                        auto master = std::make_unique<CxSprite>();
                        const CxString path = TownDataPath(file.c_str());
                        if (TownDataExists(path))
                            LoadGameSprite(*master, path.c_str());
                        masters.push_back(std::move(master));
                    });
    ForEachPlacement(world, overlays ? "Overlays" : "Underlays", masters.size(),
                     [&](size_t number, const CxPoint& point) {
                         auto copy = std::make_unique<CxSprite>();
                         if (CxDrawSurface* image = masters[number]->GetImage())
                             copy->SetImage(image, 1, true);
                         copy->SetKey(masters[number]->GetKey());
                         copy->AttachTo(&m_Map);
                         copy->SetDepth(overlays ? 0 : -1);
                         copy->SetPosition(point);
                         copy->Redraw();
                         placed.push_back(std::move(copy));
                     });
}

void CTown::LoadTruck()
{
    m_pTruck = std::make_unique<CTruck>();
    m_pEnemy = std::make_unique<CEnemy>();
    CRumboTownApp* app = GetTownApp();
    const char* vehicle = app ? app->GetVehicleFile() : GetVehicleFile(0);
    m_pTruck->AttachTo(&m_Map);
    m_pTruck->SetView(this);
    const CxString truckFile = BuildGamePath("%s", vehicle);
    if (TownDataExists(truckFile) && m_pTruck->LoadFromFile(truckFile.c_str()) != CX_ERR_NONE)
        LogEntry(CX_LOG_WARNING, "town: the truck %s did not load", vehicle);
    CxGameApp* game = dynamic_cast<CxGameApp*>(GetApp());
    const bool fromPrinting = game && game->GetPreviousRoomID() == RUMBO_ROOM_PRINTING;
    m_pTruck->PlaceAt(fromPrinting ? TOWN_PRINTING_RETURN_POINT : TOWN_START_POINT);
    m_pTruck->Redraw();
    if (fromPrinting && m_nSecondChannel && TownDataExists(BuildGamePath("%s", PRINTING_RETURN)))
        PlaySequence(PRINTING_RETURN, m_nSecondChannel);
    const CxPoint centre = m_pTruck->GetCentre();
    ScrollViewTo(CxPoint(centre.x - GetWidth() / 2, centre.y - GetHeight() / 2));
    m_ptMouse = centre - GetViewOrigin();
}

void CTown::LoadBuildings(CxOptions& world)
{
    long smooth = 0;
    world.GetNumber("Settings", "AntiAliasBuildings", &smooth, 0);
    ForEachInSeries(world, "Buildings", "Building%02d", [&](int n, const CxString& file) {
        auto building = std::make_unique<CBuilding>();
        building->SetId(n);
        const CxString path = TownDataPath(file.c_str());
        if (TownDataExists(path) && building->LoadBuilding(path.c_str(), &m_Map) != CX_ERR_NONE)
            LogEntry(CX_LOG_WARNING, "town: building %s did not load", file.c_str());
        if (smooth && FastProcessor())
            EnableSmoothEdges(building.get());
        building->Redraw();
        m_CollisionSprites.push_back(building.get());
        m_Buildings.push_back(std::move(building));
    });
}

void CTown::LoadObjects(CxOptions& world)
{
    long value = 0;
    world.GetNumber("Settings", "AntiAliasObjects", &value, 0);
    const bool smooth = value && FastProcessor();
    ForEachInSeries(world, "MasterObjects", "Object%03d", [&](int n, const CxString& file) {
        auto master = std::make_unique<CMapObject>(n);
        const CxString path = TownDataPath(file.c_str());
        if (TownDataExists(path) && master->LoadFromFile(path.c_str()) != CX_ERR_NONE)
            LogEntry(CX_LOG_WARNING, "town: object %s did not load", file.c_str());
        master->SetInvisible(ContainsInvis(file.c_str()));
        if (smooth)
            EnableSmoothEdges(master.get());
        m_MasterObjects.push_back(std::move(master));
    });
    ForEachPlacement(world, "Objects", m_MasterObjects.size(), [&](size_t number, const CxPoint& point) {
        CMapObject* copy = CMapObject::CopyOf(*m_MasterObjects[number], &m_Map, point);
        if (smooth)
            EnableSmoothEdges(copy);
        m_CollisionSprites.push_back(copy);
        m_PlacedObjects.emplace_back(copy);
    });
}

void CTown::LoadWorldTail(CxOptions& world)
{
    m_SkidTimer.Start(static_cast<uint32_t>(m_nSkidInterval > 0 ? m_nSkidInterval : 0));
    long value = 0;
    world.GetNumber("World", "AllowBuildingFade", &value, 0);
    m_nAllowBuildingFade = value != 0;
    const CxString autoRun = ReadText(world, "World", "AutoRun");
    if (!autoRun.IsEmpty() && m_nSecondChannel)
    {
        const CxString path = TownDataPath(autoRun.c_str());
        if (FileExists(path.c_str()))
            PlaySequence(path.c_str(), m_nSecondChannel);
    }
    CxGameApp* game = dynamic_cast<CxGameApp*>(GetApp());
    CRumboTownApp* app = GetTownApp();
    if (game)
        game->GetInterpolator().AddFormattedConstant("race_level", app ? app->GetLevel(USER_RACE) : 0);
}

void CTown::UnloadWorld()
{
    if (m_pMission)
        m_pMission->WorldUnloading();
    HideArrow();
    m_pCurrentBuilding = m_pLastLeft = nullptr;
    m_EarlierLeft.clear();
    m_CollisionSprites.clear();
    m_SkidMarks.Clear();
    // Copies go before their masters: they share the masters' images and states.
    m_PlacedObjects.clear();
    m_MasterObjects.clear();
    m_Buildings.clear();
    m_PlacedOverlays.clear();
    m_MasterOverlays.clear();
    m_PlacedUnderlays.clear();
    m_MasterUnderlays.clear();
    m_Nodes.Clear();
    m_SkidImage.Unload();
    m_pEnemy.reset();
    m_pTruck.reset();
    m_MissionSprites.clear();
    m_PendingRemovals.RemoveAll();
    m_Map.StopScroll();
    m_Map.ClearMap();
    m_Map.Hide();
    m_Map.Detach();
}
