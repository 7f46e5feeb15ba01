#include "game/world/town_command_table.h"

#include <strings.h>

namespace {
const ST_TOWN_COMMAND COMMANDS[] = {
    // Town events.
    {"Town", "PlayMovie", 3},
    {"Town", "ShowCertificate", 0},
    {"Town", "ScrollMap", 2},
    {"Town", "PlayEnemyWayPoints", 0},
    // The view.
    {"Town", "LockScreen", 2},
    {"Town", "UnLockScreen", 0},
    {"Town", "ScrollLeft", 1},
    {"Town", "ScrollRight", 1},
    {"Town", "ScrollUp", 1},
    {"Town", "ScrollDown", 1},
    {"Town", "ScrollMapAndContinue", 2},
    {"Town", "SetMapPosition", 2},
    {"Town", "ScrollTo", 2},
    {"Town", "SetTruckScrollsMap", 1},
    {"Town", "PutCursorOnTruck", 0},
    // Layers and objects.
    {"Town", "EraseOverlay", 1},
    {"Town", "PaintOverlay", 3},
    {"Town", "EraseUnderlay", 1},
    {"Town", "PaintUnderlay", 3},
    {"Town", "AddObject", 3},
    {"Town", "AddMissionObject", 3},
    {"Town", "AddMissionObjectAndPlay", 3},
    // Help, HUD and control.
    {"Town", "PointToBuilding", 1},
    {"Town", "SetAllowBuildingFade", 1},
    {"Town", "LoadHud", 0},
    {"Town", "OpenHud", 0},
    {"Town", "CloseHud", 0},
    {"Town", "NextHudSet", 0},
    {"Town", "StartFlashing", 1},
    {"Town", "StopFlashing", 1},
    {"Town", "EnableHelpButton", 0},
    {"Town", "DisableHelpButton", 0},
    {"Town", "SetHelpFileName", 1},
    {"Town", "SetUserControl", 1},
    // Missions.
    {"Town", "LoadMission", 1},
    {"Town", "StartMission", 0},
    {"Town", "StopMission", 0},
    {"Town", "StopDropMission", 0},
    {"Town", "NextPhase", 0},
    {"Town", "RaceStarted", 0},
    {"Town", "IncrementCollectionScore", 0},
    {"Town", "IncrementDropScore", 0},
    {"Town", "IncrementFireScore", 0},
    {"Town", "IncrementBumperCarScore", 0},
    {"Town", "NextBuilding", 0},
    {"Town", "NextBumperCarBuilding", 0},
    {"Town", "UpdateSequenceFile", 0},
    {"Town", "StartDropping", 0},
    {"Town", "CreateSmoke", 0},
    {"Town", "MaybeClearSmoke", 0},
    {"Town", "MaybeClearOil", 0},
    {"Town", "ShootHoseWater", 0},
    {"Town", "SetPlayFireState", 0},
    {"Town", "StartFishing", 0},
    {"Town", "PlayHiddenObjAnim", 0},
    {"Town", "SetLoadEnemyFlag", 0},
    {"Town", "DoEndSequence", 0},
    // Accepted without effect.
    {"Town", "AnimateIcon", 0},
    {"Town", "EndRace", 0},
    {"Town", "EnableCB", 0},
    {"Town", "DisableCB", 0},
    {"Town", "SetTruckProgress", 1},
    {"Town", "SetEnemyProgress", 1},
    // Music.
    {"Town", "StartMusic", 1},
    {"Town", "StopMusic", 0},
    {"Town", "PauseMusic", 0},
    {"Town", "ResumeMusic", 0},
    // Zones and perimeters.
    {"Town", "ShowEnterZones", 0},
    {"Town", "HideEnterZones", 0},
    {"Town", "ActivateBuildingPerimeter", 1},
    {"Town", "DeactivateBuildingPerimeter", 1},
    // The enemy.
    {"Town", "LoadEnemy", 1},
    {"Town", "UnLoadEnemy", 0},
    {"Town", "ActivateEnemyPerimeter", 0},
    {"Town", "DeactivateEnemyPerimeter", 0},
    {"Town", "SetEnemyBumpableState", 1},
    {"Town", "StartEnemy", 0},
    // The map screen, the profile and the rooms.
    {"Town", "ShowMap", 0},
    {"Town", "HideMap", 0},
    {"Town", "ShowMapButton", 0},
    {"Town", "HideMapButton", 0},
    {"Town", "SetFoundMap", 0},
    {"Town", "StopTutorial", 0},
    {"Town", "GotoPrinting", 0},
    // The current building.
    {"Building", "Talk", 1},
    {"Building", "ShowZone", 0},
    {"Building", "HideZone", 0},
};
} // namespace

const ST_TOWN_COMMAND* FindTownCommand(const char* category, const char* name)
{
    if (!category || !name)
        return nullptr;
    for (const ST_TOWN_COMMAND& command : COMMANDS)
        if (strcasecmp(command.category, category) == 0 && strcasecmp(command.name, name) == 0)
            return &command;
    return nullptr;
}

const ST_TOWN_COMMAND* GetTownCommands(uint32_t* count)
{
    if (count)
        *count = sizeof(COMMANDS) / sizeof(COMMANDS[0]);
    return COMMANDS;
}
