// CTown: the game's main room, a scrolling town map on which the player's
// truck drives among buildings, map objects, overlays and underlays.
//
// Its content lives only while it is the current room: every entry plays
// the intro movie and loads "world.ini" and "nodes.ini" (the map, the
// driving nodes, the underlays and overlays, the truck, the buildings, the
// objects), and every exit unloads them. Every 50 ms the update steers the
// truck toward the mouse, leaves tread marks on soft ground, scrolls the
// map, pulls the truck into a building whose zone it reaches (the
// building's scene starts on the room's channel), runs the perimeters and
// the collisions, and re-arms the zone of the building last left once the
// truck is far enough away.
//
// Missions, the HUD and the enemy's behaviour reach the town through the
// seams of town_seams.h; until they are set the town runs on their
// do-nothing defaults.
//
// Output lines: "town: ready truck=X,Y" after entry, "town: enter N TAG FILE"
// when a building is entered, "town: leave truck=X,Y" when the room is left.
#pragma once

#include "engine/core/event_creator.h"
#include "engine/core/timer.h"
#include "engine/graphics/animation.h"
#include "engine/media/movie.h"
#include "game/world/base_window.h"
#include "game/world/driving_node.h"
#include "game/world/rumbo_tile_map.h"
#include "game/world/skid_mark.h"
#include "game/world/talking_sprite.h"
#include "game/world/town_seams.h"
#include "game/world/truck_view.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CEnemy;
class CMapObject;
class CTownCommands;
class CxWave;
class CTruck;
class CxOptions;

constexpr uint32_t TOWN_UPDATE_INTERVAL = 50;
constexpr uint32_t TOWN_ARROW_THROTTLE = 250;
constexpr int32_t TOWN_ARROWS = 16;
constexpr int32_t TOWN_PERIMETER_MARGIN = 15;
extern const CxPoint TOWN_START_POINT;           // where the truck starts
extern const CxPoint TOWN_PRINTING_RETURN_POINT; // where it comes back from the printing room

// Whether a data file (a resolved path) exists; a missing one is logged, so
// that a town without some of its data runs with what it has instead of
// stopping at a message box.
bool TownDataExists(const CxString& path);
// A file name of world.ini or a building file as a path: names that begin
// with a root ("$GAMEPATH\...") as they stand, others under the game's data
// folder.
CxString TownDataPath(const char* name);

// A building of the town: a character with an enter zone, a perimeter and
// the points a scene uses while the truck is inside.
class CBuilding : public CCharacter
{
public:
    CBuilding();
    ~CBuilding() override;

    // Loads the character and the building's town keys. Returns an error code.
    uint32_t LoadBuilding(const char* fileName, CxDisplayObject* parent);
    // "ShowZone", "HideZone", "ShowExtraSprite" and "HideExtraSprite";
    // other commands as a super sprite.
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;

    // The building's extra sprite (smoke over a burning house, say): a super
    // sprite file named by the building file's "ExtraSprite", put on the map
    // at the building's position plus "ExtraSpriteOffset". It stays hidden
    // until shown; shown, it plays its first state forever just in front of
    // the building. A building without one ignores both calls.
    void ShowExtraSprite();
    void HideExtraSprite();
    CSuperSprite* GetExtraSprite() const { return m_pExtraSprite.get(); }

    void ShowZone();
    void HideZone();
    // The zone pulls only when it is active and the file gives its centre.
    bool CanPull() const { return m_bZoneActive && m_bHasCenter; }
    void SetZoneActive(bool active) { m_bZoneActive = active; }
    bool IsZoneActive() const { return m_bZoneActive; }
    bool IsPerimeterActive() const { return m_bPerimeterActive; }
    void SetPerimeterActive(bool active) { m_bPerimeterActive = active; }
    // The perimeter in map pixels (its file rectangle placed at the top-left).
    CxRect GetMapPerimeter() const;
    bool HasPerimeter() const { return m_bHasPerimeter; }

    const CxString& GetFileName() const { return m_strFileName; }
    const CxString& GetInterpTag() const { return m_strInterpTag; }
    const CxPoint& GetCenter() const { return m_ptCenter; }
    const CxPoint& GetLockPosition() const { return m_ptLock; }
    const CxPoint& GetTruckLockPosition() const { return m_ptTruckLock; }
    const CxPoint& GetDriveThruPosition() const { return m_ptDriveThru; }
    const CxPoint& GetZonePosition() const { return m_ptZone; }
    int32_t GetTruckTalkState() const { return m_nTruckTalkState; }
    int32_t GetZoneType() const { return m_nZoneType; }
    const CxString& GetOnEnterPerimeter() const { return m_strOnEnterPerimeter; }
    // "OnEnterZone0".."2" (stage 0..2) or "OnEndMission0".."2".
    const CxString& GetZoneSequence(bool endMission, int32_t stage) const;
    CxSprite* GetZoneSprite() { return m_pZoneSprite.get(); }
    int32_t GetId() const { return m_nId; }
    void SetId(int32_t id) { m_nId = id; }

private:
    void ReadTownKeys(CxOptions& file);
    void LoadExtraSprite(CxOptions& file, CxDisplayObject* parent);

    int32_t m_nId = 0;
    CxString m_strFileName;
    CxString m_strInterpTag;
    CxPoint m_ptLock, m_ptTruckLock, m_ptDriveThru, m_ptCenter, m_ptZone;
    int32_t m_nTruckTalkState = 10;
    int32_t m_nZoneType = -1;
    CxRect m_rcPerimeter;
    CxString m_strOnEnterPerimeter;
    CxString m_strEnterZone[3];
    CxString m_strEndMission[3];
    bool m_bHasCenter = false;
    bool m_bHasPerimeter = false;
    bool m_bZoneActive = true;
    bool m_bPerimeterActive = true;
    std::unique_ptr<CxSprite> m_pZoneSprite;
    std::unique_ptr<CSuperSprite> m_pExtraSprite;
};

class CTown : public CBaseWindow,
              public CxAnimationListener,
              public CxMovieListener,
              public CxEventCreator,
              public CCommandHandler,
              public ITruckView
{
public:
    using MotionHandler = std::function<void(CxAnimation*, int32_t)>;

    CTown();
    ~CTown() override;

    // The room goes on the screen before it is entered and off after it is left.
    void RoomPrepare() override;
    void RoomEnter() override;
    void RoomLeave() override;
    void RoomLeaveDone() override;
    // Replaces the player of the intro movie each entry plays full screen
    // (null: the blocking movie player); returns the previous one. Tests
    // under a stopped clock give one that returns at once.
    static PFN_PLAY_FADE SetIntroPlayer(PFN_PLAY_FADE player);
    void RoomUpdate() override;
    // The closing screen (window close, Alt+Q, Alt+F4): play on, quit, or
    // open the publisher's page and quit.
    void RoomClose() override;
    // The map screen (the map button): the chosen building (the truck is
    // put at its enter zone), or -1. Without a map opener, -1.
    int32_t OpenMap();
    // Puts the truck centred on the building's enter zone when the town has
    // that building; false otherwise (the truck stays).
    bool PutTruckAtBuilding(int32_t building);
    // Installs the map screen (null removes it); returns the previous one.
    using PFN_OPEN_MAP = int32_t (*)(CTown& town);
    static PFN_OPEN_MAP SetMapOpener(PFN_OPEN_MAP opener);
    void OnIdlePrompt(int32_t level) override;
    void OnTimer(CxTimer* timer) override;

    // The mouse: stores the point the truck steers toward; the middle
    // button (and the right one unless it acts as the left) honks.
    void OnMouseMove(uint32_t buttons, const CxPoint& point) override;
    void OnMButtonDown(uint32_t buttons, const CxPoint& point) override;
    // Left clicks on the map (not on the HUD) go to the mission in map coordinates.
    void OnLButtonDown(uint32_t buttons, const CxPoint& point) override;
    void OnRButtonDown(uint32_t buttons, const CxPoint& point) override;
    void NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d) override;

    // "Town" lines become commands for HandleCommand (the town command set).
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override;
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;
    // Motions report to the town under an event number (the HUD's slides 0
    // and 1, a falling drop 20 ...): when an action of an animation given a
    // number with SetMotionEvent ends, the handler set for that number runs
    // (without one, the mission hears it).
    void OnAnimationActionDone(CxAnimation* animation) override;
    void SetMotionHandler(int32_t event, MotionHandler handler);
    // Makes the town the animation's listener under event (-1: forget it).
    void SetMotionEvent(CxAnimation* animation, int32_t event);
    void OnMovieEnd(CxMovie* movie) override;

    // ITruckView: the map shown in the room.
    CxPoint GetViewOrigin() const override;
    CxSize GetViewSize() const override;
    void ScrollViewTo(const CxPoint& origin) override;

    // World load (also used by tests on their own files).
    void LoadWorld();
    void UnloadWorld();
    // The town update, also called by tests without the timer.
    void UpdateTown();

    // Help arrow toward a map point; hiding it.
    void PointArrowAt(const CxPoint& mapPoint);
    void HideArrow();
    int32_t GetShownArrow() const { return m_nArrowShown; }
    void AddSkidMark(const CxPoint& mapPoint);
    // Moves the pointer (and the stored point) onto the truck.
    void PutCursorOnTruck();
    void Honk();

    // Zone and perimeter switches of the town commands.
    void SetZoneActive(CBuilding* building, bool active);
    void ShowAllZones(bool show);
    void SetBuildingPerimetersActive(bool active);
    void SetEnemyPerimeterActive(bool active) { m_bEnemyPerimeterActive = active; }
    void RefreshTown();
    void NotifyFirstCharacter(int32_t code);
    // Enters the building as if the truck had reached its zone.
    void EnterBuilding(CBuilding* building);
    // Scrolls the map smoothly toward the view origin target: speed pixels
    // (at least 1) every interval milliseconds (10 when not positive).
    void StartMapScroll(const CxPoint& target, int32_t interval, float speed);
    // "Town.PlayMovie(file, x, y [, listen [, loop]])": a movie on the map at
    // (x, y), or centred in the view for (-1, -1); with listen the town hears
    // its end (hides it, tells the mission its id: 110 back from a mission in
    // sub-mode 5, else 100); with loop it loops (and its event never ends).
    CxEvent* CreateMovieEvent(const CxLinkedList<CxString>& arguments);
    int32_t GetMovieId(const CxMovie* movie) const;
    size_t GetMovieCount() const { return m_Movies.size(); }
    // The lines of "Building": "Talk" files... talks in the current state;
    // the rest as the building's own. Null without a current building.
    CxEvent* CreateBuildingEvent(const CxString& command, const CxLinkedList<CxString>& arguments);

    // The seams; null puts the do-nothing default back. Not owned.
    void SetMission(ITownMission* mission) { m_pMission = mission ? mission : &m_NoMission; }
    void SetHud(ITownHud* hud) { m_pHud = hud ? hud : &m_NoHud; }
    void SetEnemyBehaviour(ITownEnemy* enemy) { m_pEnemyBehaviour = enemy ? enemy : &m_DefaultEnemy; }
    ITownMission& GetMission() { return *m_pMission; }
    ITownHud& GetHud() { return *m_pHud; }

    CRumboTileMap& GetMap() { return m_Map; }
    CTruck* GetTruck() const { return m_pTruck.get(); }
    CEnemy* GetEnemy() const { return m_pEnemy.get(); }
    CDrivingGraph& GetNodes() { return m_Nodes; }
    const std::vector<std::unique_ptr<CBuilding>>& GetBuildings() const { return m_Buildings; }
    CBuilding* FindBuilding(int32_t id) const;
    CBuilding* GetCurrentBuilding() const { return m_pCurrentBuilding; }
    CBuilding* GetLastLeftBuilding() const { return m_pLastLeft; }
    const std::vector<std::unique_ptr<CMapObject>>& GetMasterObjects() const { return m_MasterObjects; }
    const std::vector<std::unique_ptr<CMapObject>>& GetPlacedObjects() const { return m_PlacedObjects; }
    const std::vector<std::unique_ptr<CxSprite>>& GetPlacedUnderlays() const { return m_PlacedUnderlays; }
    const std::vector<std::unique_ptr<CxSprite>>& GetPlacedOverlays() const { return m_PlacedOverlays; }
    const CSkidMarks& GetSkidMarks() const { return m_SkidMarks; }
    std::vector<CCollisionSprite*>& GetCollisionSprites() { return m_CollisionSprites; }
    const CxPoint& GetStoredPoint() const { return m_ptMouse; }
    // The map button (null when its picture is missing).
    CxSprite* GetMapButton() const { return m_pMapButton.get(); }
    bool IsStarted() const { return m_bStarted; }
    uint32_t GetAutoRunChannel() const { return m_nSecondChannel; }
    const CxWave* GetMusic() const { return m_pMusic.get(); }

    // Town objects the missions add and take away. AddTownObject places a
    // copy of master number type at point (its top-left), in the town's
    // list and in the collisions; null without that master. FindTownObject
    // is the first placed object of that type at that point.
    // DestroyTownObject takes a placed object out of the town and deletes
    // it; false (and nothing deleted) when the town does not hold it, so a
    // pointer to an object already gone is never touched.
    CMapObject* AddTownObject(int32_t type, const CxPoint& point);
    CMapObject* FindTownObject(int32_t type, const CxPoint& point) const;
    bool HoldsTownObject(const CMapObject* object) const;
    bool DestroyTownObject(CMapObject* object);

    // Settings and state that the commands and missions change.
    int32_t m_nMinHelpDistance = 200;
    int32_t m_nSkidInterval = 50;
    int32_t m_nZonePullRadius = 100;
    int32_t m_nZoneSafeRadius = 400;
    int32_t m_nAllowBuildingFade = 0;
    bool m_bMapLocked = false;
    bool m_bTruckScrollsMap = true;
    bool m_bUserControl = true;
    int32_t m_nHelpTarget = -1;
    bool m_bEnemyPerimeterActive = false;
    bool m_bLoadEnemy = false;
    bool m_bEndSequence = false;
    CxString m_strHelpFile;
    // Fields of the missions.
    int32_t m_nPacing = 9000;
    int32_t m_nMissionMode = 0;
    int32_t m_nMissionSubMode = 0;
    int32_t m_nCurrentTarget = 0;
    CxLinkedList<CMapObject*> m_PendingRemovals; // not owned
    CxString m_strMissionText;
    std::vector<std::unique_ptr<CxSprite>> m_MissionSprites;
    CxLinkedList<int32_t> m_ChosenPaths;
    int32_t m_nPhaseCounter = -1;
    CxTimer m_MapTimer;
    int32_t m_nMapFound = 0;

private:
    friend class CTownCommands;

    void ResetState();
    void LoadRoomImages();
    void RegisterCreators();
    void UnregisterCreators();
    void LoadNodes();
    void LoadLayers(CxOptions& world, bool overlays);
    void LoadTruck();
    void LoadBuildings(CxOptions& world);
    void LoadObjects(CxOptions& world);
    void LoadWorldTail(CxOptions& world);
    void SetSequenceVariables();
    void SetBuildingVariables(const CBuilding& building, bool withTalkState);
    void LeaveTreadMarks(bool moved);
    // Enters at most one building; runs the perimeters it meets.
    void CheckZones();
    void RearmLastLeft();
    void AimHelpArrow();
    void ShowArrow(int32_t index);
    CxPoint TruckPoint() const;
    CxPoint ScreenToMap(const CxPoint& point) const;

    CRumboTileMap m_Map;
    std::unique_ptr<CTruck> m_pTruck;
    std::unique_ptr<CEnemy> m_pEnemy;
    CDrivingGraph m_Nodes;
    std::vector<std::unique_ptr<CxSprite>> m_MasterUnderlays, m_PlacedUnderlays;
    std::vector<std::unique_ptr<CxSprite>> m_MasterOverlays, m_PlacedOverlays;
    std::vector<std::unique_ptr<CBuilding>> m_Buildings;
    std::vector<std::unique_ptr<CMapObject>> m_MasterObjects, m_PlacedObjects;
    std::vector<CCollisionSprite*> m_CollisionSprites; // not owned
    CSkidMarks m_SkidMarks;
    CxSprite m_SkidImage;
    CxSprite m_Arrows[TOWN_ARROWS];
    int32_t m_nArrowShown = -1;
    std::unique_ptr<CxSprite> m_pMapButton;
    CxSprite m_Plate;
    CxSprite m_MapScreen;
    std::unique_ptr<CxWave> m_pMusic;

    CxTimer m_UpdateTimer;
    CxTimer m_SkidTimer;
    CxTimer m_ArrowThrottle;
    CBuilding* m_pCurrentBuilding = nullptr;
    CBuilding* m_pLastLeft = nullptr;
    // Buildings left before the last one whose zones still wait for the
    // truck to get beyond the safe radius (another building was entered
    // first, e.g. by the map).
    std::vector<CBuilding*> m_EarlierLeft;
    CxPoint m_ptMouse;
    bool m_bStarted = false;
    uint32_t m_nSecondChannel = 0;
    std::map<int32_t, MotionHandler> m_MotionHandlers;
    std::map<CxAnimation*, int32_t> m_MotionEvents;
    std::vector<std::pair<std::unique_ptr<CxMovie>, int32_t>> m_Movies; // with their ids
    std::unique_ptr<CxEventCreator> m_pBuildingCreator, m_pEnemyCreator;

    ITownMission m_NoMission;
    ITownHud m_NoHud;
    ITownEnemy m_DefaultEnemy;
    ITownMission* m_pMission = &m_NoMission;
    ITownHud* m_pHud = &m_NoHud;
    ITownEnemy* m_pEnemyBehaviour = &m_DefaultEnemy;
};
