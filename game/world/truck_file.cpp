// The truck file's keys after the directions, unloading and copying.
#include "game/world/truck.h"

#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "engine/core/sequence.h"
#include "engine/media/wave.h"
#include "game/world/lip_synch.h"
#include "game/world/super_sprite.h"
#include "game/world/talking_sprite.h"

#include <cmath>
#include <cstdio>
#include <new>

namespace {
constexpr const char* kSoundKeys[TRUCK_SOUND_COUNT] = {
    "DrivingSound", "SuperDrivingSound", "BumpDrivingSound", "IdleSound", nullptr, "HornSound"};
constexpr const char* kCrashSound = "$GAMEPATH\\SFX\\crash.wav";

// A float of the file that stays a usable number.
void ReadFloat(CxOptions& file, const char* section, const char* key, float* value, float low, float high)
{
    float read = *value;
    file.GetFloat(section, key, &read, *value);
    if (std::isfinite(read))
        *value = read < low ? low : (read > high ? high : read);
}

void ReadInt(CxOptions& file, const char* section, const char* key, int32_t* value, long low, long high)
{
    long read = *value;
    file.GetNumber(section, key, &read, *value);
    *value = static_cast<int32_t>(read < low ? low : (read > high ? high : read));
}

void ReadText(CxOptions& file, const char* section, const char* key, CxString* value)
{
    char text[SUPER_SPRITE_TEXT_SIZE];
    file.GetString(section, key, text, value->c_str(), sizeof(text));
    *value = text;
}
} // namespace

uint32_t CTruck::LoadFromFile(const char* fileName)
{
    const uint32_t result = CSuperTruck::LoadFromFile(fileName);
    m_nMode = TRUCK_MODE_DRIVING;
    m_fMaxSpeed = m_Set.fMaxDrivingSpeed;
    m_fAcceleration = m_Set.fDrivingAcceleration;
    return result;
}

uint32_t CTruck::LoadTruckKeys(CxOptions& file, const char* fileName)
{
    (void)fileName;
    LoadDirectionKeys(file);
    float* angles = GetDirectionAngles();
    char key[32];
    for (int32_t i = 0; i < TRUCK_MAX_DIRECTIONS; ++i)
    {
        snprintf(key, sizeof(key), "Angle%02d", i);
        ReadFloat(file, "DrivingAngles", key, &angles[i], 0.0f, 360.0f);
    }
    LoadSoundKeys(file);
    LoadNumberKeys(file);
    CxString typeName;
    ReadText(file, "QexSprite", "EventTypeName", &typeName);
    if (!typeName.IsEmpty())
        SetEventTypeName(typeName.c_str());
    char rect[SUPER_SPRITE_TEXT_SIZE];
    file.GetString("Perimeter", "Rect", rect, "", sizeof(rect));
    long l = 0, t = 0, r = 0, b = 0;
    if (sscanf(rect, "%ld , %ld , %ld , %ld", &l, &t, &r, &b) == 4)
        m_Set.rcPerimeter = CxRect(static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r),
                                   static_cast<int32_t>(b));
    ReadText(file, "Perimeter", "OnEnterPerimeter", &m_Set.strOnEnterPerimeter);
    LoadShotKeys(file);
    OpenSounds();
    OpenLips();
    return CX_ERR_NONE;
}

void CTruck::LoadDirectionKeys(CxOptions& file)
{
    char section[32];
    char key[32];
    for (int32_t d = 0; d < GetNumDirections(); ++d)
    {
        snprintf(section, sizeof(section), "Direction%03d", d);
        ReadText(file, section, "Lips", &m_Set.strLips[0][d]);
        file.GetPoint(section, "LipPosition", &m_Set.ptLips[0][d], m_Set.ptLips[0][d]);
        ReadText(file, section, "Lips2", &m_Set.strLips[1][d]);
        file.GetPoint(section, "LipPosition2", &m_Set.ptLips[1][d], m_Set.ptLips[1][d]);
        for (int32_t k = 0; k < TRUCK_TYRES; ++k)
        {
            snprintf(key, sizeof(key), "Tire%d", k);
            file.GetPoint(section, key, &m_Set.ptTyres[k][d], m_Set.ptTyres[k][d]);
        }
    }
}

void CTruck::LoadSoundKeys(CxOptions& file)
{
    for (int32_t i = 0; i < TRUCK_SOUND_COUNT; ++i)
        if (kSoundKeys[i])
            ReadText(file, "QexSprite", kSoundKeys[i], &m_Set.strSounds[i]);
    m_Set.strSounds[TRUCK_SOUND_CRASH] = kCrashSound;
}

void CTruck::LoadNumberKeys(CxOptions& file)
{
    const char* q = "QexSprite";
    ReadText(file, q, "InterpTag", &m_Set.strInterpTag);
    ReadInt(file, q, "EnemyID", &m_Set.nEnemyID, -0x7FFFFFFF, 0x7FFFFFFF);
    ReadInt(file, q, "HomeBuildingID", &m_Set.nHomeBuildingID, -0x7FFFFFFF, 0x7FFFFFFF);
    file.GetPoint(q, "StartLocation", &m_Set.ptStartLocation, m_Set.ptStartLocation);
    ReadFloat(file, q, "MaxDrivingSpeed", &m_Set.fMaxDrivingSpeed, 0.0f, 1e6f);
    ReadFloat(file, q, "DrivingAcceleration", &m_Set.fDrivingAcceleration, -1e6f, 1e6f);
    ReadFloat(file, q, "MaxSuperSpeed", &m_Set.fMaxSuperSpeed, 0.0f, 1e6f);
    ReadFloat(file, q, "SuperAcceleration", &m_Set.fSuperAcceleration, -1e6f, 1e6f);
    ReadInt(file, q, "DefaultLoseControlTime", &m_Set.nDefaultLoseControlTime, 0, 0x7FFFFFFF);
    ReadFloat(file, q, "MaxFrameRate", &m_Set.fMaxFrameRate, 0.0f, 1000.0f);
    ReadInt(file, q, "MapScrollRadius", &m_Set.nMapScrollRadius, 0, 0x7FFFFFFF);
    ReadInt(file, q, "TargetThreshold", &m_Set.nTargetThreshold, 0, 0xFFFF);
    ReadInt(file, q, "TurboTime", &m_Set.nTurboTime, 0, 0x7FFFFFFF);
}

void CTruck::LoadShotKeys(CxOptions& file)
{
    ReadText(file, "QexSprite", "OnShoot", &m_Set.strOnShoot);
    char key[32];
    for (int32_t d = 0; d < GetNumDirections(); ++d)
    {
        snprintf(key, sizeof(key), "Direction%d", d);
        file.GetPoint("ShotMovieOffsets", key, &m_Set.ptShotMovieOffsets[d], m_Set.ptShotMovieOffsets[d]);
        file.GetPoint("SpawnedShotOffsets", key, &m_Set.ptSpawnedShotOffsets[d],
                      m_Set.ptSpawnedShotOffsets[d]);
    }
}

void CTruck::OpenSounds()
{
    for (int32_t i = 0; i < TRUCK_SOUND_COUNT; ++i)
    {
        delete m_pSounds[i];
        m_pSounds[i] = nullptr;
        if (m_Set.strSounds[i].IsEmpty())
            continue;
        auto* wave = new (std::nothrow) CxWave;
        const CxString path = ExpandGamePath(InterpolateGameText(m_Set.strSounds[i].c_str()).c_str());
        if (!wave || wave->Load(path.c_str()) != CX_ERR_NONE)
        {
            LogEntry(CX_LOG_WARNING, "%s: could not load the sound %s", GetFileName().c_str(),
                     m_Set.strSounds[i].c_str());
            delete wave;
            continue;
        }
        if (i <= TRUCK_SOUND_IDLE)
            wave->SetRepeatCount(TRUCK_LOOP_COUNT);
        m_pSounds[i] = wave;
    }
}

void CTruck::OpenLips()
{
    for (int32_t set = 0; set < TRUCK_TALK_SETS; ++set)
        for (int32_t d = 0; d < GetNumDirections(); ++d)
        {
            delete m_pLips[set][d];
            m_pLips[set][d] = nullptr;
            if (m_Set.strLips[set][d].IsEmpty())
                continue;
            auto* lips = new (std::nothrow) CLipSynch;
            if (!lips)
                continue;
            const CxString file = InterpolateGameText(m_Set.strLips[set][d].c_str());
            if (LoadMouthImage(lips, file.c_str(), LIP_DEFAULT_FRAMES) != CX_ERR_NONE)
            {
                LogEntry(CX_LOG_WARNING, "%s: could not load the lips %s", GetFileName().c_str(),
                         file.c_str());
                delete lips;
                continue;
            }
            // The mouth hangs on the truck, hidden until it talks.
            const CxPoint& at = m_Set.ptLips[set][d];
            lips->Create(at.x, at.y, lips->GetFrameWidth(), lips->GetFrameHeight(), this);
            lips->Hide();
            m_pLips[set][d] = lips;
        }
}

void CTruck::DeleteSoundsAndLips()
{
    m_pLoopSound = nullptr;
    for (CxSound*& sound : m_pSounds)
    {
        delete sound;
        sound = nullptr;
    }
    for (auto& set : m_pLips)
        for (CLipSynch*& lips : set)
        {
            delete lips;
            lips = nullptr;
        }
}

void CTruck::UnloadTruck()
{
    DeleteSoundsAndLips();
    m_FrameTimer.Reset();
    m_LoseControl.Reset();
    m_Turbo.Reset();
    m_Shoot.Reset();
    delete m_pShootSequence;
    m_pShootSequence = nullptr;
    delete m_pPerimeterSequence;
    m_pPerimeterSequence = nullptr;
    m_ptTarget = CxPoint(-1, -1);
    CSuperTruck::UnloadTruck();
}

uint32_t CTruck::CopyFrom(const CTruck& master)
{
    if (&master == this)
        return CX_ERR_NONE;
    // The file's own keys come back; then every value of the master.
    const uint32_t result = LoadFromFile(master.GetFileName().c_str());
    m_Set = master.m_Set;
    OpenSounds();
    OpenLips();
    SetBumpedSequence(master.m_strBumped.c_str());
    SetCollideSequence(master.m_strCollide.c_str());
    m_nTargetDirection = master.m_nTargetDirection;
    m_fMaxSpeed = master.m_fMaxSpeed;
    m_fAcceleration = master.m_fAcceleration;
    m_fSpeed = master.m_fSpeed;
    m_nMode = master.m_nMode;
    m_nCollisionFlags = master.m_nCollisionFlags;
    m_nZOffset = master.m_nZOffset;
    m_Shoot.SetInterval(master.m_Shoot.GetInterval());
    SelectState(master.GetStateNumber());
    SelectDirection(master.GetDirection());
    ShowFrame(master.GetTruckFrame());
    return result;
}
