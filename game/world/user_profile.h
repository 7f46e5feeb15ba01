// Player profiles: six fixed records, kept in an option file ("rumbo.pxu")
// with one section "User0".."User5" of 34 keys per record.
//
// The file is the game's only saved state, so it is handled with care:
// - it is replaced only by a complete new copy, and the previous copy is
//   kept as "<file>.bak";
// - a file that cannot be read, or holds no profile section although it is
//   not empty, is never written over (an empty file counts as a missing one). The ".bak" copy is used instead
//   when it loads, and the unreadable file is moved aside to "<file>.bad" before the next save; when neither
//   loads the game plays on with reset records and the file is left alone.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/core/error.h"

#include <cstdint>

constexpr int32_t USER_PROFILE_COUNT = 6;
constexpr int32_t USER_BUILDING_COUNT = 14;
constexpr int32_t USER_NAME_MAX = 5;      // characters kept of a name
constexpr int32_t USER_PROFILE_KEYS = 34; // keys per section of the file
constexpr int32_t USER_VEHICLE_COUNT = 4;
constexpr int32_t USER_MAX_TITLE = 2;
// Bits 0..8 of the completed and played sets; bit 9 says all nine are set.
constexpr uint32_t USER_BUILDING_BITS = 0x1FF;
constexpr uint32_t USER_ALL_BUILDINGS_BIT = 1u << 9;
// Bits 0..14 of the items set; bit 15 says all fifteen are set.
constexpr uint32_t USER_ITEM_BITS = 0x7FFF;
constexpr uint32_t USER_ALL_ITEMS_BIT = 1u << 15;
// The error recorded when the profile file can be neither read nor written.
constexpr uint32_t USER_FILE_ERROR = CX_ERR_UNKNOWN;
extern const char* const USER_FILE_ERROR_TEXT; // "Could not open user file"

// The activities that keep a level and a title, in the record's order.
enum UserActivity
{
    USER_COLLECTION = 0,
    USER_DROP,
    USER_BUMPER_CAR,
    USER_FIRE,
    USER_FISH,
    USER_RACE,
    USER_ACTIVITY_COUNT
};

// One player's record, a plain block of fields in the file's key order.
struct UserProfile
{
    char name[8];
    int32_t buildingMission[USER_BUILDING_COUNT];
    int32_t licensePlate;
    int32_t vehicle;
    uint32_t completed;
    uint32_t played;
    uint32_t itemsCompleted;
    int32_t level[USER_ACTIVITY_COUNT];
    int32_t title[USER_ACTIVITY_COUNT];
    int32_t bumperCarBldgDone;
    int32_t fireBldgDone;
};

// Empty name; plate, vehicle, the bit sets, levels, titles and both done
// fields 0. The building-mission ids are kept.
void ResetUserProfile(UserProfile& profile);
// OR the mask in, then set the "all" bit once every building bit is set.
void AddBuildingFlags(uint32_t& flags, uint32_t mask);
void AddItemFlags(uint32_t& flags, uint32_t mask);
// A higher level raises the title by one (up to 2); the level is stored always.
void SetActivityLevel(UserProfile& profile, UserActivity activity, int32_t level);
// The player truck's option file for a vehicle id; id 0's for ids outside 0..3.
const char* GetVehicleFile(int32_t vehicle);

// The profile file and its rules. Reports go to the reporter given to Load
// and Save (the application); file-level failures are not reported on their
// own, so a bad profile file costs one report, not several.
class CUserProfileFile
{
public:
    explicit CUserProfileFile(const char* path = "") : m_strPath(path) {}

    void SetPath(const char* path) { m_strPath = path; }
    const CxString& GetPath() const { return m_strPath; }

    // Fills the six records. Returns 0, or USER_FILE_ERROR when the file is
    // there but neither it nor its ".bak" copy loads (the records are reset).
    uint32_t Load(UserProfile (&profiles)[USER_PROFILE_COUNT], CxError* reporter);
    // Writes the six records, keeping the previous file as ".bak". Returns 0,
    // or USER_FILE_ERROR (reported) when the file may not or could not be written.
    uint32_t Save(const UserProfile (&profiles)[USER_PROFILE_COUNT], CxError* reporter);

    // True when the file must not be written (it exists but did not load).
    bool IsWriteBlocked() const { return m_bBlocked; }
    // True when the records came from the ".bak" copy.
    bool LoadedFromBackup() const { return m_bFromBackup; }

    // Parses the text of a profile file into the records (missing keys read
    // 0 or empty). False when the text is not empty and holds no "User%d" section.
    static bool Parse(const char* text, uint32_t size, UserProfile (&profiles)[USER_PROFILE_COUNT]);

private:
    // Reads and parses one file; false when it cannot be read, is empty
    // (*empty set) or is no profile.
    static bool LoadFrom(const char* path, UserProfile (&profiles)[USER_PROFILE_COUNT],
                         bool* empty = nullptr);

    CxString m_strPath;
    bool m_bBlocked = false;
    bool m_bMoveAside = false;
    bool m_bFromBackup = false;
};
