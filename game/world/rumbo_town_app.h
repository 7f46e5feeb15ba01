// CRumboTownApp: the game's application object.
//
// It fixes the window title, the main option file and the screen mode; at
// start-up it registers the game's file kinds, loads the two mouse cursors,
// reads the game options, loads the player profiles and enters the town. It
// makes the game's rooms on request, mutes and pauses the game while the
// application is inactive, answers two audio commands, and writes the
// profiles back when the program ends: before any room is destroyed, so the
// file holds the state at the moment of exit.
//
// All progress goes to profile 0; nothing in the program selects another.
#pragma once

#include "engine/frame/game_app.h"
#include "game/world/user_profile.h"

#include <cstdint>

constexpr long RUMBO_ROOM_LOGIN = 0;
constexpr long RUMBO_ROOM_TOWN = 1;
constexpr long RUMBO_ROOM_PRINTING = 2;
constexpr int32_t RUMBO_CURSOR_ARROW = 4;
constexpr int32_t RUMBO_CURSOR_TARGET = 5;
extern const char* const RUMBO_BUILD_DATE;
extern const char* const RUMBO_PROFILE_FILE; // "$INSTALLPATH\rumbo.pxu"

// How the program describes itself to the engine.
const AppDescription& GetRumboTownDescription();

class CRumboTownApp;
// The running game (null when the application is another, as in tools and
// some tests), its interpolator, and a game file name with the game's
// variables and roots resolved.
CRumboTownApp* GetTownApp();
CxInterpolator* GetGameInterpolator();
CxString GameDataPath(const char* name);

class CRumboTownApp : public CxGameApp
{
public:
    explicit CRumboTownApp(const AppDescription& description = GetRumboTownDescription());
    ~CRumboTownApp() override;

    uint32_t Create() override;
    // Saves the profiles while every room still exists, then the base.
    void PreDestroy() override;
    void Destroy() override;
    void OnActivate() override;
    void OnDeactivate() override;
    // 0 the login room, 1 the town, 2 the printing room; none otherwise.
    CxGameWindow* CreateRoom(long id) override;
    // "FlushAudioChannel" n and "FlushAllAudioChannels" (any letter case).
    void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) override;

    // The profile file; a failure is reported as error 13 but is not the
    // program's error, so the game plays on.
    void LoadUsers();
    void SaveUsers();
    // The current record when index is -1; indexes outside 0..5 are ignored.
    void ResetUser(int32_t index);
    void SetCompletedFlag(uint32_t mask);
    void SetPlayedFlag(uint32_t mask);
    void SetItemCompletedFlag(uint32_t mask);
    void SetCollectionLevel(int32_t level) { SetLevel(USER_COLLECTION, level); }
    void SetDropLevel(int32_t level) { SetLevel(USER_DROP, level); }
    void SetBumperCarLevel(int32_t level) { SetLevel(USER_BUMPER_CAR, level); }
    void SetFireLevel(int32_t level) { SetLevel(USER_FIRE, level); }
    void SetFishLevel(int32_t level) { SetLevel(USER_FISH, level); }
    void SetRaceLevel(int32_t level) { SetLevel(USER_RACE, level); }

    int32_t GetCurrentProfile() const { return m_nCurrentProfile; }
    UserProfile& GetProfile() { return m_Profiles[m_nCurrentProfile]; }
    // The record of index, or null outside 0..5.
    UserProfile* GetProfile(int32_t index);
    int32_t GetVehicle() const { return m_Profiles[m_nCurrentProfile].vehicle; }
    const char* GetVehicleFile() const { return ::GetVehicleFile(GetVehicle()); }
    int32_t GetBuildingMission(int32_t building) const;
    int32_t GetLevel(UserActivity activity) const;
    int32_t GetTitle(UserActivity activity) const;
    uint32_t GetCompletedFlag() const { return m_Profiles[m_nCurrentProfile].completed; }
    uint32_t GetPlayedFlag() const { return m_Profiles[m_nCurrentProfile].played; }
    uint32_t GetItemCompletedFlag() const { return m_Profiles[m_nCurrentProfile].itemsCompleted; }
    const CUserProfileFile& GetProfileFile() const { return m_ProfileFile; }

    int32_t GetStopOnHud() const { return m_nStopOnHud; }
    int32_t GetCheatKeys() const { return m_nCheatKeys; }
    int32_t GetSavedVolume() const { return m_nSavedVolume; }
    bool IsActive() const { return m_bActive != 0; }

private:
    void SetLevel(UserActivity activity, int32_t level);
    void LoadCursor(const char* fileName, int32_t type, const CxPoint& hotSpot);

    int32_t m_nStopOnHud = 0;
    int32_t m_nCheatKeys = 0;
    int32_t m_nCurrentProfile = 0;
    UserProfile m_Profiles[USER_PROFILE_COUNT] = {};
    int32_t m_nSavedVolume = 0;
    int32_t m_bActive = 0;
    // Set when PreDestroy saved the profiles (a cycle ended by an error
    // dialog skips PreDestroy, and Destroy saves instead).
    bool m_bSaved = false;
    // Set by LoadUsers: only loaded records are ever saved.
    bool m_bUsersLoaded = false;
    CUserProfileFile m_ProfileFile;
};
