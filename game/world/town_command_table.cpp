#include "game/world/town_command_table.h"

#include <strings.h>

namespace {
const ST_TOWN_COMMAND COMMANDS[] = {
    // Town events.
    {"Town", "PlayMovie", 3, "wnnnn"},
    {"Town", "ShowCertificate", 0, "n"},
    {"Town", "ScrollMap", 2, "nnnf"},
    {"Town", "PlayEnemyWayPoints", 0, ""},
    // The view.
    {"Town", "LockScreen", 2, "nn"},
    {"Town", "UnLockScreen", 0, ""},
    {"Town", "ScrollLeft", 1, "n"},
    {"Town", "ScrollRight", 1, "n"},
    {"Town", "ScrollUp", 1, "n"},
    {"Town", "ScrollDown", 1, "n"},
    {"Town", "ScrollMapAndContinue", 2, "nnnf"},
    {"Town", "SetMapPosition", 2, "nn"},
    {"Town", "ScrollTo", 2, "nn"},
    {"Town", "SetTruckScrollsMap", 1, "n"},
    {"Town", "PutCursorOnTruck", 0, ""},
    // Layers and objects.
    {"Town", "EraseOverlay", 1, "n"},
    {"Town", "PaintOverlay", 3, "nnn"},
    {"Town", "EraseUnderlay", 1, "n"},
    {"Town", "PaintUnderlay", 3, "nnn"},
    {"Town", "AddObject", 3, "nnn"},
    {"Town", "AddMissionObject", 3, "nnn"},
    {"Town", "AddMissionObjectAndPlay", 3, "nnn"},
    // Help, HUD and control.
    {"Town", "PointToBuilding", 1, "n"},
    {"Town", "SetAllowBuildingFade", 1, "n"},
    {"Town", "LoadHud", 0, ""},
    {"Town", "OpenHud", 0, ""},
    {"Town", "CloseHud", 0, ""},
    {"Town", "NextHudSet", 0, ""},
    {"Town", "StartFlashing", 1, ""},
    {"Town", "StopFlashing", 1, ""},
    {"Town", "EnableHelpButton", 0, ""},
    {"Town", "DisableHelpButton", 0, ""},
    {"Town", "SetHelpFileName", 1, ""},
    {"Town", "SetUserControl", 1, "n"},
    // Missions.
    {"Town", "LoadMission", 1, ""},
    {"Town", "StartMission", 0, ""},
    {"Town", "StopMission", 0, ""},
    {"Town", "StopDropMission", 0, ""},
    {"Town", "NextPhase", 0, ""},
    {"Town", "RaceStarted", 0, ""},
    {"Town", "IncrementCollectionScore", 0, ""},
    {"Town", "IncrementDropScore", 0, ""},
    {"Town", "IncrementFireScore", 0, ""},
    {"Town", "IncrementBumperCarScore", 0, ""},
    {"Town", "NextBuilding", 0, ""},
    {"Town", "NextBumperCarBuilding", 0, ""},
    {"Town", "UpdateSequenceFile", 0, ""},
    {"Town", "StartDropping", 0, ""},
    {"Town", "CreateSmoke", 0, ""},
    {"Town", "MaybeClearSmoke", 0, ""},
    {"Town", "MaybeClearOil", 0, ""},
    {"Town", "ShootHoseWater", 0, ""},
    {"Town", "SetPlayFireState", 0, ""},
    {"Town", "StartFishing", 0, ""},
    {"Town", "PlayHiddenObjAnim", 0, ""},
    {"Town", "SetLoadEnemyFlag", 0, ""},
    {"Town", "DoEndSequence", 0, ""},
    // Accepted without effect.
    {"Town", "AnimateIcon", 0, ""},
    {"Town", "EndRace", 0, ""},
    {"Town", "EnableCB", 0, ""},
    {"Town", "DisableCB", 0, ""},
    {"Town", "SetTruckProgress", 1, "n"},
    {"Town", "SetEnemyProgress", 1, "n"},
    // Music.
    {"Town", "StartMusic", 1, "wn"},
    {"Town", "StopMusic", 0, ""},
    {"Town", "PauseMusic", 0, ""},
    {"Town", "ResumeMusic", 0, ""},
    // Zones and perimeters.
    {"Town", "ShowEnterZones", 0, ""},
    {"Town", "HideEnterZones", 0, ""},
    {"Town", "ActivateBuildingPerimeter", 1, "n"},
    {"Town", "DeactivateBuildingPerimeter", 1, "n"},
    // The enemy.
    {"Town", "LoadEnemy", 1, ""},
    {"Town", "UnLoadEnemy", 0, ""},
    {"Town", "ActivateEnemyPerimeter", 0, ""},
    {"Town", "DeactivateEnemyPerimeter", 0, ""},
    {"Town", "SetEnemyBumpableState", 1, ""},
    {"Town", "StartEnemy", 0, ""},
    // The map screen, the profile and the rooms.
    {"Town", "ShowMap", 0, ""},
    {"Town", "HideMap", 0, ""},
    {"Town", "ShowMapButton", 0, ""},
    {"Town", "HideMapButton", 0, ""},
    {"Town", "SetFoundMap", 0, ""},
    {"Town", "StopTutorial", 0, ""},
    {"Town", "GotoPrinting", 0, ""},
    // The printing room's buttons.
    {"Printing", "StartFlashButton", 1, "w"},
    {"Printing", "StopFlashButton", 1, "w"},
    // The current building.
    {"Building", "Talk", 1, ""},
    {"Building", "ShowZone", 0, ""},
    {"Building", "HideZone", 0, ""},
    {"Building", "ShowExtraSprite", 0, ""},
    {"Building", "HideExtraSprite", 0, ""},
    // Any truck (its event type name, "Enemy", or "this" in its own sequences).
    {"Truck", "DriveTo", 2, "nnn"},
    {"Truck", "DriveThru", 2, "nn"},
    {"Truck", "DriveThrough", 2, "nn"},
    {"Truck", "RotateTo", 1, "n"},
    {"Truck", "Talk", 1, ""},
    {"Truck", "Talk2", 1, ""},
    {"Truck", "RandomTalk", 1, ""},
    {"Truck", "SetForceAngle", 1, "n"},
    {"Truck", "SetMaxSpeed", 1, "f"},
    {"Truck", "SetMaxFrameRate", 1, "f"},
    {"Truck", "SetCurSpeed", 1, "f"},
    {"Truck", "SetAcceleration", 1, "f"},
    {"Truck", "SetTargetThreshold", 1, "n"},
    {"Truck", "SetTargetDirection", 1, "n"},
    {"Truck", "SetDirection", 1, "n"},
    {"Truck", "ResetTargetPosition", 0, ""},
    {"Truck", "SetMode", 1, "n"},
    {"Truck", "SetPosition", 2, "nn"},
    {"Truck", "DecrementSpeed", 0, ""},
    {"Truck", "SetTurboTime", 1, "n"},
    {"Truck", "TurboBoost", 0, ""},
    {"Truck", "Stop", 0, ""},
    {"Truck", "Hide", 0, ""},
    {"Truck", "ResetShootTimer", 0, "n"},
    {"Truck", "SetLoseControlOnCollisions", 1, "n"},
    {"Truck", "SetDefaultLoseControlTime", 0, "n"},
    {"Truck", "LoseControl", 1, "n"},
    {"Truck", "RegainControl", 0, ""},
    {"Truck", "StopDriving", 0, ""},
    // Any super sprite: buildings and other characters, map objects.
    {"Sprite", "PlayOnce", 0, "n"},
    {"Sprite", "PlayOnceAndContinue", 0, "n"},
    {"Sprite", "PlayInfinite", 0, "n"},
    {"Sprite", "Talk", 2, "n"},
    {"Sprite", "RandomTalk", 2, "n"},
    {"Sprite", "Erase", 0, ""},
    {"Sprite", "Paint", 2, "nn"},
    {"Sprite", "SetState", 1, "n"},
    {"Sprite", "SetBumpable", 1, "n"},
    {"Sprite", "ShowZone", 0, ""},
    {"Sprite", "HideZone", 0, ""},
    // Map objects: a voice (one of the files, at random) and leaving the mission.
    {"Sprite", "PlayWave", 1, ""},
    {"Sprite", "PlaySound", 1, ""},
    {"Sprite", "SelfDestruct", 0, ""},
    // The question dialogs' sequences flash their buttons by name.
    {"YesNo", "StartFlashButton", 1, "w"},
    {"YesNo", "StopFlashButton", 1, "w"},
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
