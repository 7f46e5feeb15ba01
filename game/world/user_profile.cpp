#include "game/world/user_profile.h"

#include "engine/core/file.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "engine/platform/file_system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

const char* const USER_FILE_ERROR_TEXT = "Could not open user file";

namespace {
const char* const s_VehicleFiles[USER_VEHICLE_COUNT] = {
    "$GAMEPATH\\VPLAYER\\brund.ini",
    "$GAMEPATH\\VPLAYER\\gosk.ini",
    "$GAMEPATH\\VPLAYER\\tev.ini",
    "$GAMEPATH\\VPLAYER\\zorbin.ini",
};

// The numbers after the building-mission ids, in key order, with their fields.
struct ST_PROFILE_KEY
{
    const char* name;
    int32_t UserProfile::*field;
    uint32_t UserProfile::*flags;
    int32_t level;
    int32_t title;
};

const ST_PROFILE_KEY s_Keys[] = {
    {"LicensePlateID", &UserProfile::licensePlate, nullptr, -1, -1},
    {"VehicleID", &UserProfile::vehicle, nullptr, -1, -1},
    {"CompletedFlag", nullptr, &UserProfile::completed, -1, -1},
    {"PlayedFlag", nullptr, &UserProfile::played, -1, -1},
    {"ItemCompletedFlag", nullptr, &UserProfile::itemsCompleted, -1, -1},
    {"CollectionLevel", nullptr, nullptr, USER_COLLECTION, -1},
    {"DropLevel", nullptr, nullptr, USER_DROP, -1},
    {"BumperCarLevel", nullptr, nullptr, USER_BUMPER_CAR, -1},
    {"FireLevel", nullptr, nullptr, USER_FIRE, -1},
    {"FishLevel", nullptr, nullptr, USER_FISH, -1},
    {"RaceLevel", nullptr, nullptr, USER_RACE, -1},
    {"CollectionTitleID", nullptr, nullptr, -1, USER_COLLECTION},
    {"DropTitleID", nullptr, nullptr, -1, USER_DROP},
    {"BumperCarTitleID", nullptr, nullptr, -1, USER_BUMPER_CAR},
    {"FireTitleID", nullptr, nullptr, -1, USER_FIRE},
    {"FishTitleID", nullptr, nullptr, -1, USER_FISH},
    {"RaceTitleID", nullptr, nullptr, -1, USER_RACE},
    {"BumperCarBldgCompleteFlag", &UserProfile::bumperCarBldgDone, nullptr, -1, -1},
    {"FireBldgCompleteFlag", &UserProfile::fireBldgDone, nullptr, -1, -1},
};
static_assert(1 + USER_BUILDING_COUNT + sizeof(s_Keys) / sizeof(s_Keys[0]) == USER_PROFILE_KEYS);

int32_t* KeyField(UserProfile& profile, const ST_PROFILE_KEY& key)
{
    if (key.field)
        return &(profile.*key.field);
    if (key.flags)
        return reinterpret_cast<int32_t*>(&(profile.*key.flags));
    if (key.level >= 0)
        return &profile.level[key.level];
    return &profile.title[key.title];
}

CxString SectionName(int32_t user)
{
    CxString name;
    name.Format("User%d", static_cast<int>(user));
    return name;
}

CxString BuildingKey(int32_t building)
{
    CxString name;
    name.Format("Building%dCurMissionID", static_cast<int>(building));
    return name;
}

// Reads a whole file without reporting anything; false when it cannot be read.
bool ReadQuietly(const char* path, std::string& text)
{
    FILE* file = fopen(ResolvePath(path).c_str(), "rb");
    if (!file)
        return false;
    text.clear();
    char piece[4096];
    size_t got = 0;
    bool ok = true;
    while ((got = fread(piece, 1, sizeof(piece), file)) > 0)
    {
        if (text.size() + got > CX_BUFFER_MAX_SIZE)
        {
            ok = false;
            break;
        }
        text.append(piece, got);
    }
    if (ferror(file))
        ok = false;
    fclose(file);
    return ok;
}

long ReadNumber(CxOptions& options, const char* section, const char* key)
{
    long value = 0;
    options.GetNumber(section, key, &value, 0);
    return value;
}
} // namespace

void ResetUserProfile(UserProfile& profile)
{
    memset(profile.name, 0, sizeof(profile.name));
    profile.licensePlate = 0;
    profile.vehicle = 0;
    profile.completed = 0;
    profile.played = 0;
    profile.itemsCompleted = 0;
    for (int32_t i = 0; i < USER_ACTIVITY_COUNT; ++i)
    {
        profile.level[i] = 0;
        profile.title[i] = 0;
    }
    profile.bumperCarBldgDone = 0;
    profile.fireBldgDone = 0;
}

void AddBuildingFlags(uint32_t& flags, uint32_t mask)
{
    flags |= mask;
    if (!(flags & USER_ALL_BUILDINGS_BIT) && (flags & USER_BUILDING_BITS) == USER_BUILDING_BITS)
        flags |= USER_ALL_BUILDINGS_BIT;
}

void AddItemFlags(uint32_t& flags, uint32_t mask)
{
    flags |= mask;
    if ((flags & USER_ITEM_BITS) == USER_ITEM_BITS)
        flags |= USER_ALL_ITEMS_BIT;
}

void SetActivityLevel(UserProfile& profile, UserActivity activity, int32_t level)
{
    if (activity < 0 || activity >= USER_ACTIVITY_COUNT)
        return;
    if (level > profile.level[activity] && profile.title[activity] < USER_MAX_TITLE)
        ++profile.title[activity];
    profile.level[activity] = level;
}

const char* GetVehicleFile(int32_t vehicle)
{
    return s_VehicleFiles[vehicle >= 0 && vehicle < USER_VEHICLE_COUNT ? vehicle : 0];
}

// ---- the file ----

bool CUserProfileFile::Parse(const char* text, uint32_t size, UserProfile (&profiles)[USER_PROFILE_COUNT])
{
    CxOptions options;
    options.Parse(text, size);
    bool any = false;
    for (int32_t u = 0; u < USER_PROFILE_COUNT; ++u)
        any = any || options.FindSection(SectionName(u).c_str()) != nullptr;
    if (!any && size > 0)
        return false;

    for (int32_t u = 0; u < USER_PROFILE_COUNT; ++u)
    {
        UserProfile& profile = profiles[u];
        const CxString section = SectionName(u);
        memset(profile.name, 0, sizeof(profile.name));
        options.GetString(section.c_str(), "UserName", profile.name, "", USER_NAME_MAX + 1);
        for (int32_t b = 0; b < USER_BUILDING_COUNT; ++b)
            profile.buildingMission[b] =
                static_cast<int32_t>(ReadNumber(options, section.c_str(), BuildingKey(b).c_str()));
        for (const ST_PROFILE_KEY& key : s_Keys)
            *KeyField(profile, key) = static_cast<int32_t>(ReadNumber(options, section.c_str(), key.name));
        // The file is the player's to edit: a truck id out of the table would
        // pick no truck at all.
        if (profile.vehicle < 0 || profile.vehicle >= USER_VEHICLE_COUNT)
        {
            LogEntry(CX_LOG_WARNING, "User%d has VehicleID %d, using 0", static_cast<int>(u),
                     static_cast<int>(profile.vehicle));
            profile.vehicle = 0;
        }
    }
    // Parsing has no reason to write anything back.
    options.Discard();
    return true;
}

bool CUserProfileFile::LoadFrom(const char* path, UserProfile (&profiles)[USER_PROFILE_COUNT], bool* empty)
{
    std::string text;
    if (!ReadQuietly(path, text))
        return false;
    if (empty)
        *empty = text.empty();
    if (text.empty())
        return false;
    UserProfile loaded[USER_PROFILE_COUNT];
    memcpy(loaded, profiles, sizeof(loaded));
    if (!Parse(text.data(), static_cast<uint32_t>(text.size()), loaded))
        return false;
    memcpy(profiles, loaded, sizeof(loaded));
    return true;
}

uint32_t CUserProfileFile::Load(UserProfile (&profiles)[USER_PROFILE_COUNT], CxError* reporter)
{
    m_bBlocked = false;
    m_bMoveAside = false;
    m_bFromBackup = false;
    CxString backup = m_strPath;
    backup += ".bak";
    const bool present = PathExists(m_strPath.c_str());
    // An empty file holds nothing to lose: it counts as a missing one, but
    // it must not push a good backup out either.
    bool empty = false;
    if (present && LoadFrom(m_strPath.c_str(), profiles, &empty))
        return CX_ERR_NONE;

    if (LoadFrom(backup.c_str(), profiles))
    {
        m_bFromBackup = true;
        // What is under the name now did not load; it goes aside before the
        // next save rather than becoming the new backup.
        m_bMoveAside = present;
        LogEntry(CX_LOG_WARNING, "%s %s; using %s", m_strPath.c_str(),
                 !present ? "is missing"
                 : empty  ? "is empty"
                          : "could not be read",
                 backup.c_str());
        return CX_ERR_NONE;
    }

    for (UserProfile& profile : profiles)
        ResetUserProfile(profile);
    if (!present || empty)
        return CX_ERR_NONE;
    m_bBlocked = true;
    if (reporter)
        reporter->SetError(USER_FILE_ERROR, "%s", USER_FILE_ERROR_TEXT);
    LogEntry(CX_LOG_ERROR, "%s could not be read; it will not be written", m_strPath.c_str());
    return USER_FILE_ERROR;
}

uint32_t CUserProfileFile::Save(const UserProfile (&profiles)[USER_PROFILE_COUNT], CxError* reporter)
{
    auto fail = [&]() {
        if (reporter)
            reporter->SetError(USER_FILE_ERROR, "%s", USER_FILE_ERROR_TEXT);
        return USER_FILE_ERROR;
    };
    if (m_bBlocked || m_strPath.IsEmpty())
        return fail();
    if (m_bMoveAside)
    {
        const CxString resolved = ResolvePath(m_strPath.c_str());
        CxString bad = resolved;
        bad += ".bad";
        if (rename(resolved.c_str(), bad.c_str()) != 0)
            return fail();
        LogEntry(CX_LOG_WARNING, "%s moved aside to %s", resolved.c_str(), bad.c_str());
        m_bMoveAside = false;
    }

    // Keys and sections the file holds beside the profiles are kept.
    CxOptions options;
    const bool blueScreen = GetBlueScreenError();
    SetBlueScreenError(false);
    const uint32_t opened =
        PathExists(m_strPath.c_str()) ? options.Open(m_strPath.c_str()) : options.NewFile(m_strPath.c_str());
    SetBlueScreenError(blueScreen);
    if (opened != CX_ERR_NONE)
    {
        options.Discard();
        return fail();
    }
    options.SetKeepBackup(true);
    for (int32_t u = 0; u < USER_PROFILE_COUNT; ++u)
    {
        UserProfile profile = profiles[u];
        const CxString section = SectionName(u);
        profile.name[sizeof(profile.name) - 1] = '\0';
        // A line break or comment sign in a name would break the file's lines.
        for (char& c : profile.name)
            if (c && (static_cast<unsigned char>(c) < 0x20 || c == ';'))
                c = '_';
        options.SetString(section.c_str(), "UserName", profile.name);
        for (int32_t b = 0; b < USER_BUILDING_COUNT; ++b)
            options.SetNumber(section.c_str(), BuildingKey(b).c_str(), profile.buildingMission[b]);
        for (const ST_PROFILE_KEY& key : s_Keys)
            options.SetNumber(section.c_str(), key.name, *KeyField(profile, key));
    }
    if (options.Save() != CX_ERR_NONE)
    {
        // Nothing is tried again when the object goes.
        options.Discard();
        return fail();
    }
    return CX_ERR_NONE;
}
