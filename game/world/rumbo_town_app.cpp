#include "game/world/rumbo_town_app.h"

#include "engine/core/log.h"
#include "engine/graphics/cursor.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/font.h"
#include "engine/graphics/image_filter.h"
#include "engine/media/sound.h"
#include "game/missions/mission_town.h"
#include "game/screens/login.h"
#include "game/screens/map_dialog.h"
#include "game/screens/printing.h"
#include "game/screens/yes_no_dialog.h"
#include "game/world/base_window.h"
#include "game/world/game_image.h"
#include "game/world/town.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>

const char* const RUMBO_BUILD_DATE = "Jul 16 2003 18:00:34";
const char* const RUMBO_PROFILE_FILE = "$INSTALLPATH\\rumbo.pxu";

namespace {
const AppDescription s_Description = {
    "Rumbo Town Demo",
    "RumboTownDemo.ini",
    0,
    0,
    640,
    480,
    16,
    APP_USE_DIRECTDRAW | APP_USE_CUSTOM_CURSOR | APP_RIGHT_BUTTON_IS_LEFT,
};

const char* const s_ImageKinds[] = {".TGA", ".QEX", ".PCX", ".BMP"};

// A whole word of decimal digits (with an optional sign) as a number.
bool ParseWholeNumber(const char* text, long& out)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    const long value = strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return false;
    out = value;
    return true;
}
} // namespace

const AppDescription& GetRumboTownDescription()
{
    return s_Description;
}

CRumboTownApp::CRumboTownApp(const AppDescription& description) : CxGameApp(description)
{
    SetBuildDate(RUMBO_BUILD_DATE);
}

CRumboTownApp::~CRumboTownApp() = default;

uint32_t CRumboTownApp::Create()
{
    RegisterStandardImageFilters();
    // Variables of an earlier cycle do not carry over.
    GetInterpolator().RemoveAll();
    m_bSaved = false;
    CxGameApp::Create();
    m_nCurrentProfile = 0;
    CYesNoHook::SetDialogFactory(CreateYesNoDialog);
    CTown::SetMapOpener(OpenTownMap);
    RegisterFontFilter(".PCX", LoadBitmapFontFile);

    long skipIntro = 0;
    GetNumber("Startup", "SkipIntroMovies", &skipIntro, 0);

    LoadCursor("$GAMEPATH\\COMMON\\arrwcur.tga", RUMBO_CURSOR_ARROW, CxPoint(0, 1));
    SetCursorShape(RUMBO_CURSOR_ARROW);
    LoadCursor("$GAMEPATH\\COMMON\\targcur.tga", RUMBO_CURSOR_TARGET, CxPoint(24, 7));

    long value = 0;
    GetNumber("Options", "StopOnHud", &value, 0);
    m_nStopOnHud = static_cast<int32_t>(value);
    GetNumber("Options", "EnableCheatKeys", &value, 0);
    m_nCheatKeys = static_cast<int32_t>(value);

    LoadUsers();
    LogEntry(CX_LOG_INFO, "%s %s: data in %s, profiles in %s", GetAppName(), GetBuildDate(),
             GetCDPath().c_str(), m_ProfileFile.GetPath().c_str());
    PushRoom(RUMBO_ROOM_TOWN);
    return GetError();
}

void CRumboTownApp::LoadCursor(const char* fileName, int32_t type, const CxPoint& hotSpot)
{
    // A missing picture is reported by the surface; the cursor type stays unset.
    CxDrawSurface* image = LoadGameImage(BuildGamePath("%s", fileName).c_str());
    if (!image)
        return;
    CxCursorImage* cursor = new (std::nothrow) CxCursorImage(image, 1, hotSpot, type);
    if (!cursor)
    {
        delete image;
        return;
    }
    RegisterCursorImage(cursor);
}

void CRumboTownApp::PreDestroy()
{
    // Every room still exists here; whatever they hold is in the records.
    if (m_bUsersLoaded)
        SaveUsers();
    m_bSaved = true;
    CxGameApp::PreDestroy();
}

void CRumboTownApp::Destroy()
{
    // Records that were never loaded (a cycle that ended before Create) are
    // not the player's: saving them would write blank records over the file.
    if (!m_bSaved && m_bUsersLoaded)
        SaveUsers();
    m_bSaved = false;
    m_bUsersLoaded = false;
    CxGameApp::Destroy();
    // The screens installed at Create go with the application.
    CYesNoHook::SetDialogFactory(nullptr);
    CTown::SetMapOpener(nullptr);
    for (const char* kind : s_ImageKinds)
        UnregisterImageFilter(kind);
    UnregisterFontFilter(".PCX");
}

CxGameWindow* CRumboTownApp::CreateRoom(long id)
{
    switch (id)
    {
    case RUMBO_ROOM_TOWN:
        // The town with its missions, panel and mission kinds.
        return new (std::nothrow) CMissionTown;
    case RUMBO_ROOM_LOGIN:
        return new (std::nothrow) CLogin;
    case RUMBO_ROOM_PRINTING:
        return new (std::nothrow) CPrinting;
    default:
        return nullptr;
    }
}

void CRumboTownApp::OnActivate()
{
    if (m_bActive)
        return;
    m_bActive = 1;
    if (m_nSavedVolume > 0)
        SetMasterVolume(m_nSavedVolume);
    if (GetCurRoom() && GetCurRoom()->GetPauseCount() > 0)
        ResumeRoom();
}

void CRumboTownApp::OnDeactivate()
{
    if (!m_bActive)
        return;
    m_bActive = 0;
    PauseRoom();
    // Without a sound device the volume reads -1: nothing to keep then.
    const int32_t volume = GetMasterVolume();
    if (volume >= 0)
        m_nSavedVolume = volume;
    SetMasterVolume(0);
}

void CRumboTownApp::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    if (command.EqualsNoCase("FlushAudioChannel"))
    {
        long channel = 0;
        auto* first = arguments.GetHead();
        if (first && ParseWholeNumber(first->m_Value.c_str(), channel))
            FlushAudioQueue(static_cast<int32_t>(channel));
    }
    else if (command.EqualsNoCase("FlushAllAudioChannels"))
        FlushAllAudioQueues();
}

// ---- profiles ----

void CRumboTownApp::LoadUsers()
{
    m_ProfileFile.SetPath(BuildGamePath("%s", RUMBO_PROFILE_FILE).c_str());
    // Error 13 is shown to the player, but it is not the program's error: the
    // game plays on with reset records (and leaves the file alone).
    CxError reporter;
    m_ProfileFile.Load(m_Profiles, &reporter);
    m_bUsersLoaded = true;
}

void CRumboTownApp::SaveUsers()
{
    if (m_ProfileFile.GetPath().IsEmpty())
        m_ProfileFile.SetPath(BuildGamePath("%s", RUMBO_PROFILE_FILE).c_str());
    CxError reporter;
    m_ProfileFile.Save(m_Profiles, &reporter);
}

UserProfile* CRumboTownApp::GetProfile(int32_t index)
{
    return index >= 0 && index < USER_PROFILE_COUNT ? &m_Profiles[index] : nullptr;
}

void CRumboTownApp::ResetUser(int32_t index)
{
    if (index == -1)
        index = m_nCurrentProfile;
    if (UserProfile* profile = GetProfile(index))
        ResetUserProfile(*profile);
}

void CRumboTownApp::SetCompletedFlag(uint32_t mask)
{
    AddBuildingFlags(GetProfile().completed, mask);
}

void CRumboTownApp::SetPlayedFlag(uint32_t mask)
{
    AddBuildingFlags(GetProfile().played, mask);
}

void CRumboTownApp::SetItemCompletedFlag(uint32_t mask)
{
    AddItemFlags(GetProfile().itemsCompleted, mask);
}

void CRumboTownApp::SetLevel(UserActivity activity, int32_t level)
{
    SetActivityLevel(GetProfile(), activity, level);
}

int32_t CRumboTownApp::GetBuildingMission(int32_t building) const
{
    if (building < 0 || building >= USER_BUILDING_COUNT)
        return 0;
    return m_Profiles[m_nCurrentProfile].buildingMission[building];
}

int32_t CRumboTownApp::GetLevel(UserActivity activity) const
{
    return activity >= 0 && activity < USER_ACTIVITY_COUNT ? m_Profiles[m_nCurrentProfile].level[activity]
                                                           : 0;
}

int32_t CRumboTownApp::GetTitle(UserActivity activity) const
{
    return activity >= 0 && activity < USER_ACTIVITY_COUNT ? m_Profiles[m_nCurrentProfile].title[activity]
                                                           : 0;
}

CRumboTownApp* GetTownApp()
{
    return dynamic_cast<CRumboTownApp*>(GetApp());
}

CxInterpolator* GetGameInterpolator()
{
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    return app ? &app->GetInterpolator() : nullptr;
}

CxString GameDataPath(const char* name)
{
    CxInterpolator* interpolator = GetGameInterpolator();
    const CxString expanded = interpolator ? interpolator->Expand(name) : CxString(name);
    return BuildGamePath("%s", expanded.c_str());
}
