// The town's command set: what "Town.<command>(...)" lines of the sequences
// do to the view, the layers and objects, the zones, the HUD, the missions,
// the music and the enemy.
#include "game/world/town.h"

#include "engine/core/log.h"
#include "engine/frame/game_app.h"
#include "engine/media/wave.h"
#include "engine/ui/flash_button.h"
#include "game/world/game_image.h"
#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/town_arguments.h"
#include "game/world/town_command_table.h"
#include "game/world/truck.h"
#include "game/world/truck_events.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <strings.h>

// The handlers, one per command; they reach the town's private parts.
class CTownCommands
{
public:
    using Handler = void (*)(CTown&, const CTownArguments&);
    struct Entry
    {
        const char* name;
        Handler handler;
    };

    static void View(CTown& t, const CTownArguments& a, const char* name);
    static void Layer(CTown& t, const CTownArguments& a, bool overlay, bool paint);
    static void Object(CTown& t, const CTownArguments& a, int32_t kind);
    static void Flash(CTown& t, const CTownArguments& a, bool on);
    static void Music(CTown& t, const CTownArguments& a, const char* name);
    static void Perimeter(CTown& t, const CTownArguments& a, bool on);
    static void Enemy(CTown& t, const CTownArguments& a, const char* name);
    static void MapScreen(CTown& t, const char* name);
    static const Entry* Find(const CxString& name);
};

namespace {
// Sends one command line to a truck ("SetMaxSpeed", "18").
void TruckCommand(CTruck& truck, const char* command, const char* argument)
{
    CxLinkedList<CxString> arguments;
    if (argument)
        arguments.AddTail(CxString(argument));
    truck.HandleCommand(CxString(command), arguments);
}

// An enemy name becomes part of a path: plain names only.
bool IsPlainName(const CxString& name)
{
    return !name.IsEmpty() && name.GetLength() <= 64 && !strpbrk(name.c_str(), "/\\:") &&
           !strstr(name.c_str(), "..");
}

} // namespace

void CTownCommands::View(CTown& t, const CTownArguments& a, const char* name)
{
    CxPoint point, origin = t.GetViewOrigin();
    int32_t n = 0;
    if (!strcasecmp(name, "LockScreen") && a.Point(0, &point))
    {
        t.m_bMapLocked = true;
        t.ScrollViewTo(point);
    }
    else if (!strcasecmp(name, "UnLockScreen"))
        t.m_bMapLocked = false;
    else if (!strncasecmp(name, "Scroll", 6) && strlen(name) <= 11 && a.Int(0, &n))
    {
        const char side = static_cast<char>(tolower(name[6]));
        origin.x += side == 'l' ? -n : side == 'r' ? n : 0;
        origin.y += side == 'u' ? -n : side == 'd' ? n : 0;
        t.ScrollViewTo(origin);
    }
    else if ((!strcasecmp(name, "SetMapPosition") || !strcasecmp(name, "ScrollTo")) && a.Point(0, &point))
        t.ScrollViewTo(point);
    else if (!strcasecmp(name, "ScrollMapAndContinue") && a.Point(0, &point))
    {
        int32_t interval = 10;
        float speed = 1.0f;
        if ((a.Count() > 2 && !a.Int(2, &interval)) || (a.Count() > 3 && !a.Float(3, &speed)))
            return;
        t.StartMapScroll(point, interval, speed);
    }
    else if (!strcasecmp(name, "SetTruckScrollsMap") && a.Int(0, &n))
        t.m_bTruckScrollsMap = n != 0;
    else if (!strcasecmp(name, "PutCursorOnTruck"))
        t.PutCursorOnTruck();
}

void CTownCommands::Layer(CTown& t, const CTownArguments& a, bool overlay, bool paint)
{
    int32_t n = 0;
    CxPoint point;
    if (!a.Int(0, &n) || (paint && !a.Point(1, &point)))
        return;
    auto& list = overlay ? t.m_PlacedOverlays : t.m_PlacedUnderlays;
    if (n < 0 || static_cast<size_t>(n) >= list.size())
    {
        a.Fail("names no placed layer");
        return;
    }
    CxSprite& sprite = *list[static_cast<size_t>(n)];
    if (paint)
    {
        sprite.SetPosition(point);
        sprite.Redraw();
    }
    else
        sprite.Hide();
}

void CTownCommands::Object(CTown& t, const CTownArguments& a, int32_t kind)
{
    int32_t m = 0;
    CxPoint point;
    if (!a.Int(0, &m) || !a.Point(1, &point))
        return;
    if (m < 0 || static_cast<size_t>(m) >= t.m_MasterObjects.size())
    {
        a.Fail("names no master object");
        return;
    }
    CMapObject* copy = CMapObject::CopyOf(*t.m_MasterObjects[static_cast<size_t>(m)], &t.m_Map, point);
    t.m_CollisionSprites.push_back(copy);
    t.m_PlacedObjects.emplace_back(copy);
    if (kind >= 1)
        t.m_pMission->AddObject(copy);
    if (kind == 2)
        copy->PlayForever(0);
}

void CTownCommands::Flash(CTown& t, const CTownArguments& a, bool on)
{
    const CxString what = a.Word(0);
    if (what.EqualsNoCase("Map"))
    {
        if (auto* button = dynamic_cast<CFlashButton*>(t.m_pMapButton.get()))
            on ? button->StartFlashing() : button->StopFlashing();
        return;
    }
    static const char* const HUD_BUTTONS[] = {"Stop", "HudClose", "HudHelp"};
    for (int32_t i = 0; i < 3; ++i)
        if (what.EqualsNoCase(HUD_BUTTONS[i]))
            on ? t.m_pHud->FlashOn(i) : t.m_pHud->FlashOff(i);
}

void CTownCommands::Music(CTown& t, const CTownArguments& a, const char* name)
{
    if (!strcasecmp(name, "StartMusic"))
    {
        int32_t loops = 1;
        if (a.Count() > 1 && !a.Int(1, &loops))
            return;
        CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
        const CxString file = app ? app->GetInterpolator().Expand(a.Word(0).c_str()) : a.Word(0);
        t.m_pMusic = std::make_unique<CxWave>();
        const CxString path = BuildGamePath("%s", file.c_str());
        if (!TownDataExists(path) || t.m_pMusic->Load(path.c_str()) != CX_ERR_NONE)
            return;
        t.m_pMusic->SetRepeatCount(loops);
        t.m_pMusic->Play();
    }
    else if (t.m_pMusic && !strcasecmp(name, "StopMusic"))
        t.m_pMusic->Stop();
    else if (t.m_pMusic && !strcasecmp(name, "PauseMusic"))
        t.m_pMusic->Pause();
    else if (t.m_pMusic && !strcasecmp(name, "ResumeMusic"))
        t.m_pMusic->Resume();
}

void CTownCommands::Perimeter(CTown& t, const CTownArguments& a, bool on)
{
    int32_t b = 0;
    if (!a.Int(0, &b))
        return;
    if (b < 0 || static_cast<size_t>(b) >= t.m_Buildings.size())
        a.Fail("names no building");
    else
        t.m_Buildings[static_cast<size_t>(b)]->SetPerimeterActive(on);
}

void CTownCommands::Enemy(CTown& t, const CTownArguments& a, const char* name)
{
    CEnemy* enemy = t.m_pEnemy.get();
    const bool loaded = enemy && enemy->GetNumDirections() > 0;
    if (!strcasecmp(name, "LoadEnemy"))
    {
        const CxString enemyName = a.Word(0);
        if (!enemy || !IsPlainName(enemyName))
        {
            a.Fail("is not a plain enemy name");
            return;
        }
        const CxString path = BuildGamePath("$GAMEPATH\\VENEMY\\%s.ini", enemyName.c_str());
        if (!TownDataExists(path))
            return;
        enemy->AttachTo(&t.m_Map);
        enemy->SetView(nullptr);
        if (enemy->LoadFromFile(path.c_str()) == CX_ERR_NONE)
        {
            enemy->PlaceAt(enemy->Settings().ptStartLocation);
            enemy->Redraw();
            t.m_CollisionSprites.push_back(enemy);
        }
    }
    else if (!strcasecmp(name, "UnLoadEnemy") && enemy)
    {
        std::erase(t.m_CollisionSprites, static_cast<CCollisionSprite*>(enemy));
        enemy->UnloadTruck();
        enemy->Hide();
    }
    else if (!strcasecmp(name, "ActivateEnemyPerimeter") || !strcasecmp(name, "DeactivateEnemyPerimeter"))
        t.m_bEnemyPerimeterActive = tolower(name[0]) == 'a';
    else if (!strcasecmp(name, "SetEnemyBumpableState") && loaded)
        enemy->SetCollisionFlag(COLLISION_BUMPABLE, a.Word(0).EqualsNoCase("TRUE"));
    else if (!strcasecmp(name, "PlayEnemyWayPoints") && loaded)
    {
        // One drive through every waypoint, in order, on the enemy's own channel.
        const std::vector<CxPoint> points = t.m_pMission->GetEnemyWayPoints();
        if (points.empty())
            return;
        auto* drive = new (std::nothrow) CxSequence;
        if (!drive)
            return;
        for (const CxPoint& point : points)
            drive->AddEvent(new (std::nothrow) CTruckDriveEvent(enemy, point, false));
        drive->SetFlags(EVENT_AUTO_DELETE);
        if (enemy->DriveWith(drive) != CX_ERR_NONE)
            delete drive;
    }
    else if (!strcasecmp(name, "StartEnemy") && loaded)
    {
        enemy->SetTarget(enemy->GetCentre());
        enemy->Steer();
        TruckCommand(*enemy, "SetMaxSpeed", "18.0");
        TruckCommand(*enemy, "SetCurSpeed", "15.0");
        TruckCommand(*enemy, "ResetShootTimer", nullptr);
    }
}

void CTownCommands::MapScreen(CTown& t, const char* name)
{
    if (!strcasecmp(name, "ShowMap"))
    {
        const CxString path = BuildGamePath("$GAMEPATH\\MAP\\map_bg.tga");
        if (!TownDataExists(path) || LoadGameSprite(t.m_MapScreen, path.c_str()) != CX_ERR_NONE)
            return;
        t.m_MapScreen.AttachTo(&t);
        t.m_MapScreen.SetDepth(200);
        t.m_MapScreen.SetPosition(0, 0);
        t.m_MapScreen.Redraw();
    }
    else if (!strcasecmp(name, "HideMap"))
        t.m_MapScreen.Hide();
    else if (!strcasecmp(name, "ShowMapButton") && t.m_pMapButton && t.m_pMapButton->GetParent())
        t.m_pMapButton->Redraw();
    else if (!strcasecmp(name, "HideMapButton") && t.m_pMapButton)
        t.m_pMapButton->Hide();
    else if (!strcasecmp(name, "SetFoundMap"))
    {
        t.m_MapTimer.Reset();
        t.m_nMapFound = 99;
    }
}

const CTownCommands::Entry* CTownCommands::Find(const CxString& name)
{
    static const Entry ENTRIES[] = {
        {"LockScreen", [](CTown& t, const CTownArguments& a) { View(t, a, "LockScreen"); }},
        {"UnLockScreen", [](CTown& t, const CTownArguments& a) { View(t, a, "UnLockScreen"); }},
        {"ScrollLeft", [](CTown& t, const CTownArguments& a) { View(t, a, "ScrollLeft"); }},
        {"ScrollRight", [](CTown& t, const CTownArguments& a) { View(t, a, "ScrollRight"); }},
        {"ScrollUp", [](CTown& t, const CTownArguments& a) { View(t, a, "ScrollUp"); }},
        {"ScrollDown", [](CTown& t, const CTownArguments& a) { View(t, a, "ScrollDown"); }},
        {"ScrollMapAndContinue", [](CTown& t, const CTownArguments& a) { View(t, a, "ScrollMapAndContinue"); }},
        {"SetMapPosition", [](CTown& t, const CTownArguments& a) { View(t, a, "SetMapPosition"); }},
        {"ScrollTo", [](CTown& t, const CTownArguments& a) { View(t, a, "ScrollTo"); }},
        {"SetTruckScrollsMap", [](CTown& t, const CTownArguments& a) { View(t, a, "SetTruckScrollsMap"); }},
        {"PutCursorOnTruck", [](CTown& t, const CTownArguments& a) { View(t, a, "PutCursorOnTruck"); }},
        {"EraseOverlay", [](CTown& t, const CTownArguments& a) { Layer(t, a, true, false); }},
        {"PaintOverlay", [](CTown& t, const CTownArguments& a) { Layer(t, a, true, true); }},
        {"EraseUnderlay", [](CTown& t, const CTownArguments& a) { Layer(t, a, false, false); }},
        {"PaintUnderlay", [](CTown& t, const CTownArguments& a) { Layer(t, a, false, true); }},
        {"AddObject", [](CTown& t, const CTownArguments& a) { Object(t, a, 0); }},
        {"AddMissionObject", [](CTown& t, const CTownArguments& a) { Object(t, a, 1); }},
        {"AddMissionObjectAndPlay", [](CTown& t, const CTownArguments& a) { Object(t, a, 2); }},
        {"PointToBuilding",
         [](CTown& t, const CTownArguments& a) {
             int32_t b = 0;
             if (!a.Int(0, &b))
                 return;
             if (b >= 0 && !t.FindBuilding(b))
                 a.Fail("names no building");
             else
             {
                 t.m_nHelpTarget = b < 0 ? -1 : b;
                 t.HideArrow();
             }
         }},
        {"SetAllowBuildingFade",
         [](CTown& t, const CTownArguments& a) {
             int32_t on = 0;
             if (a.Int(0, &on))
                 t.m_nAllowBuildingFade = on != 0;
         }},
        {"LoadHud", [](CTown& t, const CTownArguments&) { t.m_pHud->Load(); }},
        {"OpenHud", [](CTown& t, const CTownArguments&) { t.m_pHud->Open(); }},
        {"CloseHud", [](CTown& t, const CTownArguments&) { t.m_pHud->Close(); }},
        {"NextHudSet", [](CTown& t, const CTownArguments&) { t.m_pHud->NextSet(); }},
        {"StartFlashing", [](CTown& t, const CTownArguments& a) { Flash(t, a, true); }},
        {"StopFlashing", [](CTown& t, const CTownArguments& a) { Flash(t, a, false); }},
        {"EnableHelpButton", [](CTown& t, const CTownArguments&) { t.m_pHud->HelpButtonOn(); }},
        {"DisableHelpButton", [](CTown& t, const CTownArguments&) { t.m_pHud->HelpButtonOff(); }},
        {"SetHelpFileName",
         [](CTown& t, const CTownArguments& a) {
             t.m_strHelpFile = a.Word(0);
             t.m_pHud->SetHelpFile(t.m_strHelpFile.c_str());
         }},
        {"SetUserControl",
         [](CTown& t, const CTownArguments& a) {
             int32_t on = 0;
             if (a.Int(0, &on))
                 t.m_bUserControl = on != 0;
         }},
        {"SetLoadEnemyFlag", [](CTown& t, const CTownArguments&) { t.m_bLoadEnemy = true; }},
        {"DoEndSequence", [](CTown& t, const CTownArguments&) { t.m_bEndSequence = true; }},
        {"SetTruckProgress",
         [](CTown&, const CTownArguments& a) {
             int32_t n = 0;
             a.Int(0, &n);
         }},
        {"SetEnemyProgress",
         [](CTown&, const CTownArguments& a) {
             int32_t n = 0;
             a.Int(0, &n);
         }},
        {"StartMusic", [](CTown& t, const CTownArguments& a) { Music(t, a, "StartMusic"); }},
        {"StopMusic", [](CTown& t, const CTownArguments& a) { Music(t, a, "StopMusic"); }},
        {"PauseMusic", [](CTown& t, const CTownArguments& a) { Music(t, a, "PauseMusic"); }},
        {"ResumeMusic", [](CTown& t, const CTownArguments& a) { Music(t, a, "ResumeMusic"); }},
        {"ShowEnterZones", [](CTown& t, const CTownArguments&) { t.ShowAllZones(true); }},
        {"HideEnterZones",
         [](CTown& t, const CTownArguments&) {
             t.m_pLastLeft = nullptr;
             t.m_EarlierLeft.clear();
             t.ShowAllZones(false);
         }},
        {"ActivateBuildingPerimeter", [](CTown& t, const CTownArguments& a) { Perimeter(t, a, true); }},
        {"DeactivateBuildingPerimeter", [](CTown& t, const CTownArguments& a) { Perimeter(t, a, false); }},
        {"LoadEnemy", [](CTown& t, const CTownArguments& a) { Enemy(t, a, "LoadEnemy"); }},
        {"UnLoadEnemy", [](CTown& t, const CTownArguments& a) { Enemy(t, a, "UnLoadEnemy"); }},
        {"ActivateEnemyPerimeter", [](CTown& t, const CTownArguments& a) { Enemy(t, a, "ActivateEnemyPerimeter"); }},
        {"DeactivateEnemyPerimeter",
         [](CTown& t, const CTownArguments& a) { Enemy(t, a, "DeactivateEnemyPerimeter"); }},
        {"SetEnemyBumpableState", [](CTown& t, const CTownArguments& a) { Enemy(t, a, "SetEnemyBumpableState"); }},
        {"StartEnemy", [](CTown& t, const CTownArguments& a) { Enemy(t, a, "StartEnemy"); }},
        {"PlayEnemyWayPoints", [](CTown& t, const CTownArguments& a) { Enemy(t, a, "PlayEnemyWayPoints"); }},
        {"ShowMap", [](CTown& t, const CTownArguments&) { MapScreen(t, "ShowMap"); }},
        {"HideMap", [](CTown& t, const CTownArguments&) { MapScreen(t, "HideMap"); }},
        {"ShowMapButton", [](CTown& t, const CTownArguments&) { MapScreen(t, "ShowMapButton"); }},
        {"HideMapButton", [](CTown& t, const CTownArguments&) { MapScreen(t, "HideMapButton"); }},
        {"SetFoundMap", [](CTown& t, const CTownArguments&) { MapScreen(t, "SetFoundMap"); }},
        {"StopTutorial",
         [](CTown&, const CTownArguments&) {
             if (CRumboTownApp* app = GetTownApp())
                 app->SetPlayedFlag(1024);
         }},
        {"GotoPrinting",
         [](CTown&, const CTownArguments&) {
             if (CRumboTownApp* app = GetTownApp())
                 app->PushRoom(RUMBO_ROOM_PRINTING);
         }},
    };
    for (const Entry& entry : ENTRIES)
        if (name.EqualsNoCase(entry.name))
            return &entry;
    return nullptr;
}

void CTown::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    const CTownArguments args(command, arguments);
    const ST_TOWN_COMMAND* known = FindTownCommand("Town", command.c_str());
    if (known && static_cast<int32_t>(arguments.GetCount()) < known->minArguments)
    {
        LogEntry(CX_LOG_WARNING, "%s: needs %d arguments", args.Line().c_str(), known->minArguments);
        return;
    }
    const CTownCommands::Entry* entry = CTownCommands::Find(command);
    if (entry)
        entry->handler(*this, args);
    // The mission lines go to the current mission (three of them are also
    // the town's own: the enemy's roaming is the mission's); names that
    // nobody knows are ignored.
    if (known && (!entry || command.EqualsNoCase("SetLoadEnemyFlag") ||
                  command.EqualsNoCase("DoEndSequence") || command.EqualsNoCase("StartEnemy")))
        m_pMission->Command(command, arguments);
}
