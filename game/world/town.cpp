// The town room: entering and leaving, input, the event creators and the view.
#include "game/world/town.h"

#include "engine/core/event.h"
#include "engine/core/log.h"
#include "engine/core/random.h"
#include "engine/frame/system_events.h"
#include "engine/graphics/cursor.h"
#include "engine/media/movie_event.h"
#include "engine/media/wave.h"
#include "engine/platform/window.h"
#include "engine/ui/button.h"
#include "engine/ui/flash_button.h"
#include "game/screens/certificate.h"
#include "game/world/game_image.h"
#include "game/world/map_object.h"
#include "game/world/moving_object.h"
#include "game/world/rumbo_town_app.h"
#include "game/world/talk_event.h"
#include "game/world/town_arguments.h"
#include "game/world/town_command_table.h"
#include "game/world/town_events.h"
#include "game/world/truck.h"

#include <cmath>
#include <new>
#include <string>

const CxPoint TOWN_START_POINT(1102, 1450);
const CxPoint TOWN_PRINTING_RETURN_POINT(5181, 1284);

namespace {
const char* const INTRO_MOVIE = "$GAMEPATH\\movies\\catchintro0.smk";
const char* const DROP_MISSION = "$GAMEPATH\\mission\\Drop\\Drop.ini";
const char* const CATEGORIES[] = {"Town", "Building", "Enemy"};

// Lines for "Building" and "Enemy" go to the current building and to the
// enemy truck, addressed as "this" so that they take them as their own.
class CForwardingCreator : public CxEventCreator
{
public:
    explicit CForwardingCreator(std::function<CxEventCreator*()> target) : m_Target(std::move(target)) {}

    CxEvent* CreateEvent(const CxString&, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override
    {
        CxEventCreator* target = m_Target();
        if (!target)
        {
            // Nobody to talk to (no building entered, no enemy): the line is dropped.
            DropEventQuietly();
            return nullptr;
        }
        return target->CreateEvent(CxString("this"), command, arguments);
    }

private:
    std::function<CxEventCreator*()> m_Target;
};

// "Building" lines go to the town, which knows the current building.
class CBuildingCreator : public CxEventCreator
{
public:
    explicit CBuildingCreator(CTown* town) : m_pTown(town) {}
    CxEvent* CreateEvent(const CxString&, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override
    {
        return m_pTown->CreateBuildingEvent(command, arguments);
    }

private:
    CTown* m_pTown;
};

PFN_PLAY_FADE s_pfnPlayIntro = nullptr;
} // namespace

PFN_PLAY_FADE CTown::SetIntroPlayer(PFN_PLAY_FADE player)
{
    PFN_PLAY_FADE previous = s_pfnPlayIntro;
    s_pfnPlayIntro = player;
    return previous;
}

CTown::CTown()
{
    m_MapTimer.Reset();
}

CTown::~CTown()
{
    UnregisterCreators();
    UnloadWorld();
}

void CTown::ResetState()
{
    m_nMinHelpDistance = 200;
    m_nSkidInterval = 50;
    m_nZonePullRadius = 100;
    m_nZoneSafeRadius = 400;
    m_nAllowBuildingFade = 0;
    m_bMapLocked = false;
    m_bTruckScrollsMap = true;
    m_bUserControl = true;
    m_nHelpTarget = -1;
    m_bEnemyPerimeterActive = false;
    m_bLoadEnemy = false;
    m_bEndSequence = false;
    m_strHelpFile = "";
    m_nPacing = 9000;
    m_nMissionMode = 0;
    m_nMissionSubMode = 0;
    m_nCurrentTarget = 0;
    m_nPhaseCounter = -1;
    m_nMapFound = 0;
    m_pCurrentBuilding = m_pLastLeft = nullptr;
    m_EarlierLeft.clear();
    m_bStarted = false;
    m_nArrowShown = -1;
}

void CTown::RoomPrepare()
{
    AttachTo(GetRoot());
    SetSize(GetRoot()->GetSize());
    MoveTo(0, 0);
    CBaseWindow::RoomPrepare();
}

void CTown::RoomLeaveDone()
{
    Hide();
    Detach();
    CBaseWindow::RoomLeaveDone();
}

void CTown::RoomEnter()
{
    CBaseWindow::RoomEnter();
    ResetState();
    const CxString intro = BuildGamePath("%s", INTRO_MOVIE);
    if (TownDataExists(intro))
    {
        HideCustomCursor();
        if (s_pfnPlayIntro)
            s_pfnPlayIntro(intro.c_str());
        else
            PlayMovie(intro.c_str(), -1, -1, CX_MOVIE_SKIPPABLE);
        ShowCustomCursor();
    }
    LoadRoomImages();
    if (CreateChannel(&m_nSecondChannel) != CX_ERR_NONE)
        m_nSecondChannel = 0;
    RegisterCreators();
    LoadWorld();
    m_bStarted = true;
    if (CRumboTownApp* app = GetTownApp())
        app->SetPlayedFlag(4);
    SetSequenceVariables();
    m_pMission->LoadFile(DROP_MISSION);
    m_pHud->Load();
    SetIdleInterval(10000);
    StartIdlePrompts();
    SetCursorShape(RUMBO_CURSOR_TARGET);
    PutCursorOnTruck();
    m_UpdateTimer.Start(TOWN_UPDATE_INTERVAL);
    const CxPoint truck = TruckPoint();
    Output("town: ready truck=%d,%d\n", truck.x, truck.y);
}

void CTown::LoadRoomImages()
{
    m_pMapButton = std::make_unique<CFlashButton>();
    const CxString button = BuildGamePath("$GAMEPATH\\MAP\\mapbut.tga");
    if (TownDataExists(button) &&
        LoadGameSprite(*m_pMapButton, button.c_str(), BUTTON_STATE_COUNT) == CX_ERR_NONE)
    {
        m_pMapButton->AttachTo(this);
        // Smaller depths lie further in front: before the town's map (-100)
        // and everything on it, or the button could be neither seen nor clicked.
        m_pMapButton->SetDepth(-1000);
        m_pMapButton->MoveTo(CxPoint(0, GetHeight() - m_pMapButton->GetHeight()));
        static_cast<CxButton*>(m_pMapButton.get())->SetState(BUTTON_STATE_UP);
    }
    const CxString plate = BuildGamePath("$GAMEPATH\\common\\c_plate.tga");
    if (TownDataExists(plate))
        LoadGameSprite(m_Plate, plate.c_str());
    for (int32_t i = 0; i < TOWN_ARROWS; ++i)
    {
        const CxString arrow = BuildGamePath("$GAMEPATH\\COMMON\\helparrow%02d.tga", i);
        if (TownDataExists(arrow))
            LoadGameSprite(m_Arrows[i], arrow.c_str());
    }
}

void CTown::SetSequenceVariables()
{
    CxInterpolator* interpolator = GetApp() ? &static_cast<CxGameApp*>(GetApp())->GetInterpolator() : nullptr;
    if (!interpolator)
        return;
    interpolator->AddFormattedConstant("INTROID", (Random() & 1) + 1);
    interpolator->AddFormattedConstant("ENDVOID", Random() % 3 + 1);
    interpolator->AddFormattedConstant("SEQNUMBER", 2);
    // The player's truck by the name of its file ("brund"), so that scenes
    // find its voice under VOICES\<name>.
    const CRumboTownApp* app = GetTownApp();
    const std::string vehicle = app ? app->GetVehicleFile() : GetVehicleFile(0);
    const size_t slash = vehicle.find_last_of("\\/");
    const std::string file = slash == std::string::npos ? vehicle : vehicle.substr(slash + 1);
    interpolator->AddConstant("TRUCKNAME", file.substr(0, file.find('.')).c_str());
}

void CTown::RegisterCreators()
{
    if (!m_pBuildingCreator)
    {
        m_pBuildingCreator = std::make_unique<CBuildingCreator>(this);
        m_pEnemyCreator = std::make_unique<CForwardingCreator>([this]() -> CxEventCreator* {
            return m_pEnemy && m_pEnemy->GetNumDirections() > 0 ? m_pEnemy.get() : nullptr;
        });
    }
    CxEventCreator* const targets[] = {this, m_pBuildingCreator.get(), m_pEnemyCreator.get()};
    for (int i = 0; i < 3; ++i)
    {
        ST_EVENT_DEF definition{};
        snprintf(definition.m_szCategory, sizeof(definition.m_szCategory), "%s", CATEGORIES[i]);
        definition.m_pCreator = targets[i];
        RegisterEventCreator(CATEGORIES[i], definition);
    }
}

void CTown::UnregisterCreators()
{
    // Only the town's own registrations go: another room may have taken a name.
    if (FindEventCreator("Town") == this)
        for (const char* category : CATEGORIES)
            UnregisterEventCreator(category);
}

void CTown::RoomLeave()
{
    const CxPoint truck = TruckPoint();
    SetCursorShape(RUMBO_CURSOR_ARROW);
    m_UpdateTimer.Reset();
    UnregisterCreators();
    if (m_nMissionMode == 2 && m_pMission->GetState() == 2)
        m_pMission->Stop();
    m_pHud->Close();
    m_pMission->Stop();
    if (m_nSecondChannel)
        DestroyChannel(m_nSecondChannel);
    m_nSecondChannel = 0;
    // A scene still running on the room's channel refers to the truck and
    // the buildings: it ends before they go.
    EndRoomChannel();
    UnloadWorld();
    m_pMapButton.reset();
    m_Plate.Unload();
    for (CxSprite& arrow : m_Arrows)
    {
        arrow.Hide();
        arrow.Detach();
        arrow.Unload();
    }
    m_nArrowShown = -1;
    m_bStarted = false;
    Output("town: leave truck=%d,%d\n", truck.x, truck.y);
    CBaseWindow::RoomLeave();
    // The room's channels are gone now, and with them every movie event.
    for (auto& entry : m_Movies)
        entry.first->Stop();
    m_Movies.clear();
}

void CTown::RoomUpdate()
{
    CBaseWindow::RoomUpdate();
    if (GetPauseCount() > 0 || !m_bStarted)
        return;
    if (m_UpdateTimer.HasExpired())
    {
        UpdateTown();
        m_UpdateTimer.Start(TOWN_UPDATE_INTERVAL);
    }
}

void CTown::OnTimer(CxTimer* timer)
{
    CBaseWindow::OnTimer(timer);
}

void CTown::OnIdlePrompt(int32_t level)
{
    if (level == 1)
        PutCursorOnTruck();
}

CxPoint CTown::TruckPoint() const
{
    return m_pTruck ? m_pTruck->GetCentre() : CxPoint();
}

CxPoint CTown::ScreenToMap(const CxPoint& point) const
{
    const CxPoint origin = GetViewOrigin();
    return CxPoint(point.x + origin.x, point.y + origin.y);
}

void CTown::OnMouseMove(uint32_t buttons, const CxPoint& point)
{
    CBaseWindow::OnMouseMove(buttons, point);
    CRumboTownApp* app = GetTownApp();
    if (app && app->GetStopOnHud() && m_pHud->ContainsPoint(point))
        m_ptMouse = TruckPoint() - GetViewOrigin();
    else
        m_ptMouse = point;
}

void CTown::OnLButtonDown(uint32_t buttons, const CxPoint& point)
{
    CBaseWindow::OnLButtonDown(buttons, point);
    if (m_bStarted && !m_pHud->ContainsPoint(point))
        m_pMission->MapClicked(ScreenToMap(point));
}

void CTown::OnMButtonDown(uint32_t buttons, const CxPoint& point)
{
    CBaseWindow::OnMButtonDown(buttons, point);
    RestartIdleTimer();
    Honk();
}

void CTown::OnRButtonDown(uint32_t buttons, const CxPoint& point)
{
    CBaseWindow::OnRButtonDown(buttons, point);
    CxWindowApp* app = dynamic_cast<CxWindowApp*>(GetApp());
    if (IsHornButton(TRUCK_BUTTON_RIGHT, app ? app->GetStyle() : 0))
        Honk();
}

void CTown::Honk()
{
    if (m_pTruck)
        m_pTruck->Honk();
}

void CTown::NotifyParent(intptr_t a, intptr_t b, intptr_t c, intptr_t d)
{
    if (m_pMapButton && ButtonFromNotify(b) == m_pMapButton.get() && c == BUTTON_NOTIFY_CLICKED)
        OpenMap();
    CBaseWindow::NotifyParent(a, b, c, d);
}

void CTown::PutCursorOnTruck()
{
    if (!m_pTruck)
        return;
    const CxPoint screen = TruckPoint() - GetViewOrigin();
    m_ptMouse = screen;
    const CxPoint onScreen = LocalToScreen(screen);
    WarpPlatformMouse(onScreen);
    SetCursorPosition(onScreen);
}

namespace {
// Lines with fewer arguments than the command needs are dropped when made.
bool HasEnoughArguments(const char* category, const CxString& command,
                        const CxLinkedList<CxString>& arguments)
{
    const ST_TOWN_COMMAND* known = FindTownCommand(category, command.c_str());
    if (!known || static_cast<int32_t>(arguments.GetCount()) >= known->minArguments)
        return true;
    DropEventQuietly();
    return false;
}
} // namespace

CxEvent* CTown::CreateEvent(const CxString&, const CxString& command, const CxLinkedList<CxString>& arguments)
{
    if (!HasEnoughArguments("Town", command, arguments))
        return nullptr;
    if (command.EqualsNoCase("ScrollMap"))
    {
        const CTownArguments numbers(command, arguments);
        CxPoint target;
        int32_t interval = 10;
        float speed = 1.0f;
        if (!numbers.Point(0, &target) || (arguments.GetCount() > 2 && !numbers.Int(2, &interval)) ||
            (arguments.GetCount() > 3 && !numbers.Float(3, &speed)))
        {
            DropEventQuietly();
            return nullptr;
        }
        return new (std::nothrow) CScrollMapEvent(this, target, interval, speed);
    }
    if (command.EqualsNoCase("PlayMovie"))
        return CreateMovieEvent(arguments);
    if (command.EqualsNoCase("ShowCertificate"))
    {
        // Done when the certificate dialog closes; a number that is not one shows nothing.
        int32_t n = -1;
        CTownArguments(command, arguments).Int(0, &n);
        return new (std::nothrow) CShowCertificateEvent(n);
    }
    return new (std::nothrow) CCommandEvent(this, command, arguments);
}

CxEvent* CTown::CreateMovieEvent(const CxLinkedList<CxString>& arguments)
{
    const CTownArguments args(CxString("PlayMovie"), arguments);
    CxPoint at;
    int32_t listen = 0, loop = 0;
    if (!args.Point(1, &at) || (args.Count() > 3 && !args.Int(3, &listen)) ||
        (args.Count() > 4 && !args.Int(4, &loop)))
    {
        DropEventQuietly();
        return nullptr;
    }
    auto movie = std::make_unique<CxMovie>();
    movie->Open(BuildGamePath("%s", args.Word(0).c_str()).c_str());
    movie->AttachTo(&m_Map);
    movie->SetDepth(-1);
    if (at == CxPoint(-1, -1))
        at = GetViewOrigin() +
             CxPoint((GetWidth() - movie->GetWidth()) / 2, (GetHeight() - movie->GetHeight()) / 2);
    movie->SetPosition(at);
    if (listen)
        movie->SetEndListener(this);
    if (loop)
    {
        movie->SetLoop(true);
        movie->Goto(0);
    }
    const int32_t id = m_nMissionMode == 2 && m_nMissionSubMode == 5 ? 110 : 100;
    CxMovie* shown = movie.get();
    m_Movies.emplace_back(std::move(movie), id);
    return new (std::nothrow) CMovieEvent(shown, false, false);
}

int32_t CTown::GetMovieId(const CxMovie* movie) const
{
    for (const auto& [owned, id] : m_Movies)
        if (owned.get() == movie)
            return id;
    return -1;
}

CxEvent* CTown::CreateBuildingEvent(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    if (!m_pCurrentBuilding || !HasEnoughArguments("Building", command, arguments))
    {
        DropEventQuietly();
        return nullptr;
    }
    if (command.EqualsNoCase("Talk"))
        return new (std::nothrow)
            CTalkEvent(m_pCurrentBuilding, arguments, static_cast<int16_t>(m_pCurrentBuilding->GetState()));
    return m_pCurrentBuilding->CreateEvent(CxString("this"), command, arguments);
}

void CTown::StartMapScroll(const CxPoint& target, int32_t interval, float speed)
{
    // A speed that is not positive would never arrive: one pixel a step.
    const int32_t step = speed > 0.0f ? static_cast<int32_t>(std::lround(speed)) : 1;
    m_Map.ScrollToward(target, static_cast<uint32_t>(interval > 0 ? interval : 10), step < 1 ? 1 : step);
}

void CTown::OnAnimationActionDone(CxAnimation* animation)
{
    const auto event = m_MotionEvents.find(animation);
    if (event == m_MotionEvents.end())
        return;
    const auto handler = m_MotionHandlers.find(event->second);
    if (handler != m_MotionHandlers.end())
        handler->second(animation, event->second);
    else
        m_pMission->MotionEvent(event->second, nullptr);
}

void CTown::SetMotionHandler(int32_t event, MotionHandler handler)
{
    if (handler)
        m_MotionHandlers[event] = std::move(handler);
    else
        m_MotionHandlers.erase(event);
}

void CTown::SetMotionEvent(CxAnimation* animation, int32_t event)
{
    if (event < 0)
        m_MotionEvents.erase(animation);
    else
        m_MotionEvents[animation] = event;
    if (animation)
        animation->SetListener(event < 0 ? nullptr : this);
}

void CTown::OnMovieEnd(CxMovie* movie)
{
    if (movie)
        movie->Hide();
    m_pMission->MovieEnded(GetMovieId(movie));
}

CxPoint CTown::GetViewOrigin() const
{
    // The map sits at the negative of the view origin inside the room.
    const CxPoint position = m_Map.GetPosition();
    return CxPoint(-position.x, -position.y);
}

CxSize CTown::GetViewSize() const
{
    return CxSize(GetWidth(), GetHeight());
}

void CTown::ScrollViewTo(const CxPoint& origin)
{
    m_Map.ScrollTo(origin.x, origin.y);
}
