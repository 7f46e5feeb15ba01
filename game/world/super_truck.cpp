#include "game/world/super_truck.h"
#include "game/world/game_image.h"

#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "game/world/super_sprite.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {
// "l, t, r, b"; false unless four numbers are there.
bool ParseRect(const char* text, CxRect* rect)
{
    long values[4];
    const char* p = text;
    for (long& value : values)
    {
        char* end = nullptr;
        value = strtol(p, &end, 10);
        if (end == p)
            return false;
        p = end;
        while (*p == ' ' || *p == '\t' || *p == ',')
            ++p;
    }
    auto narrow = [](long v) {
        return static_cast<int32_t>(v < -0xFFFFFF ? -0xFFFFFF : (v > 0xFFFFFF ? 0xFFFFFF : v));
    };
    *rect = CxRect(narrow(values[0]), narrow(values[1]), narrow(values[2]), narrow(values[3]));
    return true;
}
} // namespace

CSuperTruck::~CSuperTruck()
{
    SetEventTypeName(nullptr);
    UnloadTruck();
}

void CSuperTruck::CloseState(ST_TRUCK_STATE& state)
{
    delete state.pDriver;
    state.pDriver = nullptr;
    delete state.pSurface;
    state.pSurface = nullptr;
    state.nFrames = 0;
    state.nDecoded = -1;
}

void CSuperTruck::UnloadTruck()
{
    CxSprite::Unload();
    for (ST_TRUCK_DIRECTION& direction : m_Directions)
    {
        for (uint32_t s = 0; s < direction.states.GetCount(); ++s)
            CloseState(direction.states[s]);
        direction.states.RemoveAll();
        direction.bCollisionSet = false;
    }
    m_nNumDirections = 0;
    m_nDirection = 0;
    m_nState = 0;
    m_nFrame = 0;
    DeleteSequences();
}

uint32_t CSuperTruck::LoadFromFile(const char* fileName)
{
    UnloadTruck();
    m_strFileName = fileName ? fileName : "";
    const CxString path = ExpandGamePath(m_strFileName.c_str());
    CxOptions file;
    if (!fileName || !FileExists(path.c_str()) || file.Open(path.c_str()) != CX_ERR_NONE)
    {
        SetError(CX_ERR_FILE_NOT_FOUND, "Could not open %s", m_strFileName.c_str());
        return CX_ERR_FILE_NOT_FOUND;
    }
    long count = 0;
    file.GetNumber("QexSprite", "NumDirections", &count, 0);
    if (count < 1)
    {
        SetError(CX_ERR_UNKNOWN, "No directions found in %s", fileName);
        return CX_ERR_UNKNOWN;
    }
    if (count > TRUCK_MAX_DIRECTIONS)
    {
        // Every per-direction table holds 16 entries.
        LogEntry(CX_LOG_WARNING, "%s: %ld directions, only %d are used", fileName, count,
                 TRUCK_MAX_DIRECTIONS);
        count = TRUCK_MAX_DIRECTIONS;
    }
    m_nNumDirections = static_cast<int32_t>(count);
    char text[SUPER_SPRITE_TEXT_SIZE];
    file.GetString("QexSprite", "OnBumped", text, "", sizeof(text));
    if (text[0])
        SetBumpedSequence(text);
    file.GetString("QexSprite", "OnCollide", text, "", sizeof(text));
    if (text[0])
        SetCollideSequence(text);
    uint32_t result = CX_ERR_NONE;
    for (int32_t d = 0; d < m_nNumDirections; ++d)
    {
        const uint32_t error = LoadDirection(file, d);
        if (error != CX_ERR_NONE && result == CX_ERR_NONE)
            result = error;
    }
    m_nState = 0;
    m_nFrame = 0;
    SelectDirection(0);
    const uint32_t keys = LoadTruckKeys(file, fileName);
    return result != CX_ERR_NONE ? result : keys;
}

uint32_t CSuperTruck::LoadDirection(CxOptions& file, int32_t direction)
{
    char section[32];
    snprintf(section, sizeof(section), "Direction%03d", direction);
    ST_TRUCK_DIRECTION& entry = m_Directions[direction];
    long states = 0;
    file.GetNumber(section, "NumStates", &states, 0);
    // A truck has three modes; hundreds of states are a damaged count.
    if (states < 0 || states > TRUCK_MAX_STATES)
    {
        LogEntry(CX_LOG_WARNING, "%s: %ld states in %s, none used", m_strFileName.c_str(), states, section);
        states = 0;
    }
    if (!entry.states.SetCount(static_cast<uint32_t>(states)))
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate the State Array");
        return CX_ERR_OUT_OF_MEMORY;
    }
    uint32_t result = CX_ERR_NONE;
    char key[32];
    char text[SUPER_SPRITE_TEXT_SIZE];
    for (long s = 0; s < states; ++s)
    {
        snprintf(key, sizeof(key), "State%03ld", s);
        file.GetString(section, key, text, "", sizeof(text));
        ST_TRUCK_STATE& state = entry.states[static_cast<uint32_t>(s)];
        state = ST_TRUCK_STATE();
        state.strFile = InterpolateGameText(text);
        if (OpenState(state) != CX_ERR_NONE && result == CX_ERR_NONE)
            result = CX_ERR_OUT_OF_MEMORY;
    }
    char rect[32];
    file.GetString(section, "CollisionRect", rect, "", sizeof(rect));
    CxRect collision;
    if (ParseRect(rect, &collision))
    {
        const ST_TRUCK_STATE* first = entry.states.GetCount() ? &entry.states[0] : nullptr;
        const int32_t w = first && first->pSurface ? first->pSurface->GetWidth() : 0;
        const int32_t h = first && first->pSurface ? first->pSurface->GetHeight() : 0;
        collision.left = collision.left < 0 ? 0 : collision.left;
        collision.top = collision.top < 0 ? 0 : collision.top;
        if (w > 0 && collision.right > w - 1)
            collision.right = w - 1;
        if (h > 0 && collision.bottom > h - 1)
            collision.bottom = h - 1;
        entry.rcCollision = collision;
        entry.bCollisionSet = true;
    }
    return result;
}

uint32_t CSuperTruck::OpenState(ST_TRUCK_STATE& state)
{
    const CxString path = ExpandGamePath(state.strFile.c_str());
    state.pDriver = state.strFile.IsEmpty() ? nullptr : CreateMovieDriver(path.c_str(), 0);
    state.pSurface = state.pDriver ? new (std::nothrow) CxDrawSurface : nullptr;
    if (!state.pDriver || !state.pSurface ||
        state.pDriver->AllocateSurface(state.pSurface, 16) != CX_ERR_NONE)
    {
        CloseState(state);
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a new CxMovieDriver for this SuperTruck");
        return CX_ERR_OUT_OF_MEMORY;
    }
    if (state.pSurface->GetDepth() == 16)
        state.pSurface->SetPixelFormat(CX_PF_DEFAULT);
    SetGameColorKey(state.pSurface);
    state.nFrames = state.pDriver->GetFrameCount();
    if (state.nFrames < 1)
        state.nFrames = 1;
    return CX_ERR_NONE;
}

uint32_t CSuperTruck::LoadTruckKeys(CxOptions&, const char*)
{
    return CX_ERR_NONE;
}

int32_t CSuperTruck::GetStateCount(int32_t direction) const
{
    if (direction < 0 || direction >= m_nNumDirections)
        return 0;
    return static_cast<int32_t>(m_Directions[direction].states.GetCount());
}

const ST_TRUCK_STATE* CSuperTruck::GetTruckState(int32_t direction, int32_t state) const
{
    if (state < 0 || state >= GetStateCount(direction))
        return nullptr;
    return &m_Directions[direction].states[static_cast<uint32_t>(state)];
}

int32_t CSuperTruck::GetTruckFrameCount() const
{
    const ST_TRUCK_STATE* state = GetTruckState(m_nDirection, m_nState);
    return state && state->pDriver ? state->nFrames : 0;
}

CxRect CSuperTruck::GetDirectionCollisionRect(int32_t direction) const
{
    if (direction >= 0 && direction < m_nNumDirections && m_Directions[direction].bCollisionSet)
        return m_Directions[direction].rcCollision;
    return CxRect(0, 0, GetWidth() - 1, GetHeight() - 1);
}

void CSuperTruck::SelectDirection(int64_t direction)
{
    if (m_nNumDirections < 1)
        return;
    m_nDirection = WrapDirection(direction, m_nNumDirections);
    const ST_TRUCK_DIRECTION& entry = m_Directions[m_nDirection];
    if (entry.bCollisionSet)
        SetCollisionRect(entry.rcCollision);
    else
        m_bCollisionRectSet = false;
    ShowCurrent();
}

void CSuperTruck::SelectState(int32_t state)
{
    m_nState = state;
    ShowCurrent();
}

void CSuperTruck::ShowCurrent()
{
    const ST_TRUCK_STATE* state = GetTruckState(m_nDirection, m_nState);
    const CxPoint position = GetPosition();
    if (!state || !state->pSurface)
    {
        if (GetImage())
            CxSprite::Unload();
        return;
    }
    if (GetImage() != state->pSurface)
    {
        const bool shown = IsShown();
        SetImage(state->pSurface, 1, true);
        if (shown)
            MoveTo(position);
        else
            SetPosition(position);
    }
    ShowFrame(m_nFrame);
}

void CSuperTruck::ShowFrame(int32_t frame)
{
    const ST_TRUCK_STATE* constState = GetTruckState(m_nDirection, m_nState);
    if (!constState || !constState->pDriver)
    {
        m_nFrame = frame < 0 ? 0 : frame;
        return;
    }
    ST_TRUCK_STATE& state = m_Directions[m_nDirection].states[static_cast<uint32_t>(m_nState)];
    m_nFrame = WrapDirection(frame, state.nFrames);
    if (state.nDecoded == m_nFrame)
        return;
    ST_MOVIE_FRAME record;
    record.pSurface = state.pSurface;
    record.nFrame = m_nFrame;
    if (state.pDriver->DoFrame(&record) == CX_ERR_NONE)
        state.nDecoded = m_nFrame;
    if (IsShown())
        Redraw();
}

CxPoint CSuperTruck::GetCentre() const
{
    const CxPoint position = GetPosition();
    return CxPoint(position.x + GetWidth() / 2, position.y + GetHeight() / 2);
}

void CSuperTruck::SetCentre(const CxPoint& centre)
{
    const CxPoint position(centre.x - GetWidth() / 2, centre.y - GetHeight() / 2);
    if (IsShown())
        MoveTo(position);
    else
        SetPosition(position);
}
