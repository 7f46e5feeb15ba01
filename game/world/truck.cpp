#include "game/world/truck.h"

#include "engine/core/app.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/sequence.h"
#include "engine/core/window_app.h"
#include "engine/frame/game_app.h"
#include "engine/media/sound.h"
#include "engine/media/wave.h"
#include "engine/platform/clock.h"
#include "game/world/lip_synch.h"
#include "game/world/sound_distance.h"
#include "game/world/super_sprite.h"
#include "game/world/truck_view.h"

#include <cmath>

namespace {
// Timers that only report their end.
constexpr uint32_t kOnlyAtEnd = 0xFFFFFFFFu;
constexpr double kPi = 3.14159265358979323846;

int32_t Truncate(float value)
{
    return static_cast<int32_t>(value);
}
} // namespace

bool IsHornButton(int32_t button, uint32_t appStyle)
{
    if (button == TRUCK_BUTTON_MIDDLE)
        return true;
    // An application whose right button acts as the left one keeps it for driving.
    return button == TRUCK_BUTTON_RIGHT && (appStyle & APP_RIGHT_BUTTON_IS_LEFT) == 0;
}

CxRect TruckScrollBox(const CxSize& size, int32_t radius)
{
    const int32_t limit = size.cx < size.cy ? size.cx : size.cy;
    const int32_t r = radius < 0 ? 0 : (radius > limit ? limit : radius);
    const int32_t left = (size.cx - r) / 2;
    const int32_t top = (size.cy - r) / 2;
    int32_t right = size.cx - (size.cx - r) / 2 - 1;
    int32_t bottom = size.cy - (size.cy - r) / 2 - 1;
    // A radius of 0 would give a box one pixel narrower than nothing.
    right = right < left ? left : right;
    bottom = bottom < top ? top : bottom;
    return CxRect(left, top, right, bottom);
}

CTruck::CTruck()
{
    m_LoseControl.SetListener(this);
    m_LoseControl.SetInterval(kOnlyAtEnd);
    m_Turbo.SetListener(this);
    m_Turbo.SetInterval(kOnlyAtEnd);
    m_Shoot.SetListener(this);
    m_Shoot.SetInterval(static_cast<uint32_t>(m_Set.nShootInterval));
    m_fMaxSpeed = m_Set.fMaxDrivingSpeed;
    m_fAcceleration = m_Set.fDrivingAcceleration;
}

CTruck::~CTruck()
{
    SetEventTypeName(nullptr);
    CTruck::UnloadTruck();
}

void CTruck::PlaceAt(const CxPoint& centre)
{
    SetCentre(centre);
    const CxPoint placed = GetCentre();
    m_fPosition[0] = static_cast<float>(placed.x);
    m_fPosition[1] = static_cast<float>(placed.y);
    m_fPosition[2] = 0.0f;
}

void CTruck::Steer(const CxPoint* point)
{
    float arrive = 20.0f;
    if (point)
    {
        m_ptTarget = *point;
        arrive = TRUCK_BRAKE_DISTANCE;
    }
    const CxPoint centre = GetCentre();
    if (m_ptTarget.x == -1 && m_ptTarget.y == -1)
        m_ptTarget = centre;
    if (IsPaused() || m_LoseControl.IsRunning())
        return;
    const float vx = static_cast<float>(m_ptTarget.x - centre.x);
    const float vy = static_cast<float>(m_ptTarget.y - centre.y);
    const float length = std::sqrt(vx * vx + vy * vy);
    m_fAcceleration = m_nMode == TRUCK_MODE_SUPER     ? m_Set.fSuperAcceleration
                      : m_nMode == TRUCK_MODE_DRIVING ? m_Set.fDrivingAcceleration
                                                      : m_fAcceleration;
    if (m_Set.bDistanceAcceleration && (point || length <= static_cast<float>(m_Set.nTargetThreshold)))
        m_fAcceleration = (length - TRUCK_BRAKE_DISTANCE) * TRUCK_BRAKE_FACTOR;
    const int32_t count = GetNumDirections();
    if (count < 1)
        return;
    if (length <= arrive)
    {
        if (m_nTargetDirection >= 0 && m_nTargetDirection != GetDirection())
            SelectDirection(GetDirection() + DirectionStep(GetDirection(), m_nTargetDirection, count));
        return;
    }
    const int32_t wanted = NearestDirection(AngleOfVector(vx, vy), count);
    const int32_t step = DirectionStep(GetDirection(), wanted, count);
    if (step != 0)
        SelectDirection(GetDirection() + step);
    m_fVector[0] = vx;
    m_fVector[1] = vy;
    if (m_Set.bForceAngle)
    {
        // The heading of the direction now shown.
        const double angle = GetDirectionAngles()[GetDirection()] * kPi / 180.0;
        m_fVector[0] = static_cast<float>(std::sin(angle));
        m_fVector[1] = static_cast<float>(-std::cos(angle));
    }
}

bool CTruck::Move()
{
    const CxPoint centre = GetCentre();
    if (centre.x != Truncate(m_fPosition[0]) || centre.y != Truncate(m_fPosition[1]))
    {
        // Someone else placed the sprite.
        m_fPosition[0] = static_cast<float>(centre.x);
        m_fPosition[1] = static_cast<float>(centre.y);
    }
    m_fSpeed += m_fAcceleration;
    if (!(m_fSpeed > 0.0f))
        m_fSpeed = 0.0f;
    if (m_fSpeed > m_fMaxSpeed)
        m_fSpeed = m_fMaxSpeed > 0.0f ? m_fMaxSpeed : 0.0f;
    const float length = std::sqrt(m_fVector[0] * m_fVector[0] + m_fVector[1] * m_fVector[1]);
    // A zero heading has no direction to normalise: the truck stays.
    if (!(length > 0.0f) || !std::isfinite(length))
        return false;
    m_fPosition[0] += m_fVector[0] / length * m_fSpeed;
    m_fPosition[1] += m_fVector[1] / length * m_fSpeed;
    const CxPoint next(Truncate(m_fPosition[0]), Truncate(m_fPosition[1]));
    if (next.x == centre.x && next.y == centre.y)
        return false;
    SetCentre(next);
    // The engine sounds as far away as the truck is from the middle of the view.
    if (m_pView && m_pLoopSound)
        m_pLoopSound->SetVolume(VolumeByDistance(next, m_pView->GetViewOrigin()));
    return true;
}

float CTruck::GetFrameRate() const
{
    if (!(m_fMaxSpeed > 0.0f))
        return 0.0f;
    return m_fSpeed / m_fMaxSpeed * m_Set.fMaxFrameRate;
}

void CTruck::Pace()
{
    const int32_t frames = GetTruckFrameCount();
    if (m_nMode == TRUCK_MODE_BUMP && frames > 0 && GetTruckFrame() >= frames - 1)
    {
        SetMode(TRUCK_MODE_DRIVING);
        return;
    }
    const float rate = GetFrameRate();
    if (IsPaused() || !(rate > 0.0f))
        return;
    if (!m_FrameTimer.IsRunning())
        m_FrameTimer.Start(0);
    if (static_cast<float>(m_FrameTimer.GetElapsed()) >= 1000.0f / rate)
    {
        NextTruckFrame();
        m_FrameTimer.Start(0);
    }
}

void CTruck::ScrollMapAfter(ITruckView& view)
{
    const CxSize size = view.GetViewSize();
    const CxRect box = TruckScrollBox(size, m_Set.nMapScrollRadius);
    const CxPoint origin = view.GetViewOrigin();
    const CxPoint centre = GetCentre();
    const CxPoint screen(centre.x - origin.x, centre.y - origin.y);
    int32_t dx = 0, dy = 0;
    if (screen.x < box.left)
        dx = screen.x - box.left;
    else if (screen.x > box.right)
        dx = screen.x - box.right;
    if (screen.y < box.top)
        dy = screen.y - box.top;
    else if (screen.y > box.bottom)
        dy = screen.y - box.bottom;
    if (dx != 0 || dy != 0)
        view.ScrollViewTo(CxPoint(origin.x + dx, origin.y + dy));
}

void CTruck::SetMode(int32_t mode)
{
    if (mode < TRUCK_MODE_DRIVING || mode > TRUCK_MODE_BUMP)
        return;
    m_nMode = mode;
    SelectState(mode);
    if (mode == TRUCK_MODE_DRIVING)
    {
        m_fMaxSpeed = m_Set.fMaxDrivingSpeed;
        m_fAcceleration = m_Set.fDrivingAcceleration;
        PlayLoop(m_pSounds[TRUCK_SOUND_DRIVING]);
    }
    else if (mode == TRUCK_MODE_SUPER)
    {
        m_fMaxSpeed = m_Set.fMaxSuperSpeed;
        m_fAcceleration = m_Set.fSuperAcceleration;
        PlayLoop(m_pSounds[TRUCK_SOUND_SUPER]);
    }
    else
        PlayLoop(m_pSounds[TRUCK_SOUND_BUMP]);
}

void CTruck::PlayLoop(CxSound* sound)
{
    if (m_pLoopSound == sound)
        return;
    if (m_pLoopSound)
        m_pLoopSound->Stop();
    m_pLoopSound = sound;
    if (sound)
    {
        if (m_pView)
            sound->SetVolume(VolumeByDistance(GetCentre(), m_pView->GetViewOrigin()));
        sound->Play();
        if (IsPaused())
            sound->Pause();
    }
}

void CTruck::Honk()
{
    PlayEffect(TRUCK_SOUND_HORN);
}

void CTruck::PlayEffect(int32_t which)
{
    if (CxSound* sound = GetSound(which))
    {
        sound->Stop();
        sound->Play();
    }
}

void CTruck::HandleCollision(CCollisionSprite* other)
{
    if (!other)
        return;
    if (other->IsSolid())
    {
        const CxRect rect = other->GetMapCollisionRect();
        const CxPoint centre = GetCentre();
        const float bx = static_cast<float>(centre.x) - (rect.left + rect.right) / 2.0f;
        const float by = static_cast<float>(centre.y) - (rect.top + rect.bottom) / 2.0f;
        const float oldLength = std::sqrt(m_fVector[0] * m_fVector[0] + m_fVector[1] * m_fVector[1]);
        const float newLength = std::sqrt(bx * bx + by * by);
        // Equal centres give no way out: the old heading stays.
        if (newLength > 0.0f)
        {
            m_fVector[0] = bx / newLength * oldLength;
            m_fVector[1] = by / newLength * oldLength;
        }
        if (m_Set.bLoseControlOnCollisions)
            m_LoseControl.Start(static_cast<uint32_t>(m_Set.nDefaultLoseControlTime));
        if (dynamic_cast<CTruck*>(other))
            PlayEffect(TRUCK_SOUND_CRASH);
    }
    else if (m_Set.nEnemyID == 0 && other->GetIdentifier() == static_cast<uint32_t>(TRUCK_SMASHABLE_ID) &&
             m_nMode == TRUCK_MODE_SUPER)
    {
        other->SetCollisionFlag(COLLISION_BUMPABLE, false);
        other->Hide();
    }
    // The truck's own collide and bumped sequences, as for every collision sprite.
    CCollisionSprite::HandleCollision(other);
}

void CTruck::StopTruck()
{
    m_Turbo.Reset();
    StopTalking();
    StopTruckMotion();
}

void CTruck::StopTruckMotion()
{
    m_fSpeed = 0.0f;
    m_fAcceleration = 0.0f;
    m_ptTarget = GetCentre();
}

void CTruck::OnTimer(CxTimer* timer)
{
    if (timer == &m_Turbo && !m_Turbo.IsRunning())
        SetMode(TRUCK_MODE_DRIVING);
    else if (timer == &m_Shoot)
        Shoot();
}

void CTruck::Shoot()
{
    if (m_Set.strOnShoot.IsEmpty())
        return;
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    const int32_t d = GetDirection();
    const CxPoint position = GetPosition();
    if (app)
    {
        CxInterpolator& variables = app->GetInterpolator();
        variables.AddFormattedConstant("movie_x", position.x + m_Set.ptShotMovieOffsets[d].x);
        variables.AddFormattedConstant("movie_y", position.y + m_Set.ptShotMovieOffsets[d].y);
        variables.AddFormattedConstant("spawn_x", position.x + m_Set.ptSpawnedShotOffsets[d].x);
        variables.AddFormattedConstant("spawn_y", position.y + m_Set.ptSpawnedShotOffsets[d].y);
        variables.AddFormattedConstant("direction", d);
    }
    StartTruckSequence(&m_pShootSequence, m_Set.strOnShoot);
}

void CTruck::StartTruckSequence(CxEventSequenceFile** sequence, const CxString& name)
{
    if (name.IsEmpty() || IsSequenceRunning(*sequence))
        return;
    // Loaded now, after the variables were set: the text is expanded at load.
    CxString loaded;
    if (LoadOwnSequence(sequence, loaded, name.c_str()) != CX_ERR_NONE)
        return;
    StartOwnSequence(*sequence);
}

CLipSynch* CTruck::GetLips(int32_t set, int32_t direction) const
{
    if (set < 0 || set >= TRUCK_TALK_SETS || direction < 0 || direction >= TRUCK_MAX_DIRECTIONS)
        return nullptr;
    return m_pLips[set][direction];
}

uint32_t CTruck::Talk(int32_t set, const CxLinkedList<CxString>& sounds)
{
    CLipSynch* lips = GetLips(set, GetDirection());
    if (!lips)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "No lips defined for this direction");
        return CX_ERR_INVALID_ARGUMENT;
    }
    const int32_t volume = m_pView ? VolumeByDistance(GetCentre(), m_pView->GetViewOrigin()) : 127;
    CxLinkedList<CxSound*> waves;
    for (auto* node = sounds.GetHead(); node; node = node->GetNext())
    {
        auto* wave = new (std::nothrow) CxWave;
        if (!wave)
            continue;
        const CxString path = ExpandGamePath(InterpolateGameText(node->m_Value.c_str()).c_str());
        // A file that is not there is left out (a silent sound system loads anything).
        if (!FileExists(path.c_str()) || wave->Load(path.c_str()) != CX_ERR_NONE || !waves.AddTail(wave))
        {
            delete wave;
            continue;
        }
        wave->SetVolume(volume);
    }
    if (waves.IsEmpty())
    {
        SetError(CX_ERR_FILE_NOT_FOUND, "No sound to say");
        return CX_ERR_FILE_NOT_FOUND;
    }
    lips->Talk(waves);
    return CX_ERR_NONE;
}

void CTruck::StopTalking()
{
    const int32_t d = GetDirection();
    for (int32_t set = 0; set < TRUCK_TALK_SETS; ++set)
        if (CLipSynch* lips = GetLips(set, d))
            lips->StopTalking();
}

void CTruck::Pause()
{
    PauseSequences(true);
    if (m_nDrivingChannel)
        PauseChannel(m_nDrivingChannel);
    m_FrameTimer.AddPause();
    m_LoseControl.AddPause();
    m_Turbo.AddPause();
    m_Shoot.AddPause();
    if (m_pLoopSound)
        m_pLoopSound->Pause();
    // The mouths of this direction; the same ones are resumed.
    m_nPausedDirection = GetDirection();
    for (int32_t set = 0; set < TRUCK_TALK_SETS; ++set)
        if (CLipSynch* lips = GetLips(set, m_nPausedDirection))
            lips->AddPause();
}

void CTruck::Resume()
{
    for (int32_t set = 0; set < TRUCK_TALK_SETS; ++set)
        if (CLipSynch* lips = GetLips(set, m_nPausedDirection))
            lips->RemovePause();
    if (m_pLoopSound)
        m_pLoopSound->Resume();
    m_Shoot.RemovePause();
    m_Turbo.RemovePause();
    m_LoseControl.RemovePause();
    m_FrameTimer.RemovePause();
    if (m_nDrivingChannel)
        ResumeChannel(m_nDrivingChannel);
    PauseSequences(false);
}
