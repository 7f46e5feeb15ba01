#include "game/world/super_sprite.h"
#include "game/world/game_image.h"

#include "engine/core/app.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/log.h"
#include "engine/core/options.h"
#include "engine/frame/game_app.h"
#include "engine/frame/system_events.h"
#include "game/world/super_sprite_events.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {
// Up to three numbers "a, b, c" (decimal, any blanks); returns how many were read.
int32_t ParseNumbers(const char* text, long* out, int32_t count)
{
    int32_t found = 0;
    const char* p = text;
    while (found < count)
    {
        char* end = nullptr;
        const long value = strtol(p, &end, 10);
        if (end == p)
            break;
        out[found++] = value;
        p = end;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p != ',')
            break;
        ++p;
    }
    return found;
}

int32_t Clamp(int32_t value, int32_t low, int32_t high)
{
    return value < low ? low : (value > high ? high : value);
}

// A number of a file or a command line as a 32-bit value; beyond the range
// it sticks at the end (a huge state number stays out of range).
int32_t Narrow(long value)
{
    return value < INT32_MIN ? INT32_MIN : (value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value));
}

} // namespace

CxString InterpolateGameText(const char* text)
{
    CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp());
    return app ? app->GetInterpolator().Expand(text) : CxString(text);
}

uint32_t LoadGameSpriteImage(CxSprite* sprite, const char* fileName, int32_t frameCount)
{
    const CxString path = ExpandGamePath(fileName ? fileName : "");
    return LoadGameSprite(*sprite, path.c_str(), frameCount < 1 ? 1 : frameCount);
}

void CSuperState::SetRange(int32_t first, int32_t last, float rate)
{
    m_bPerFrame = false;
    m_Frames.RemoveAll();
    m_nFirst = first;
    m_nLast = last;
    m_fRate = rate;
}

bool CSuperState::AddFrame(const ST_STATE_FRAME& frame)
{
    m_bPerFrame = true;
    return m_Frames.Add(frame);
}

bool CSuperState::HasOffsets() const
{
    for (uint32_t i = 0; i < m_Frames.GetCount(); ++i)
        if (m_Frames[i].nX != 0 || m_Frames[i].nY != 0)
            return true;
    return false;
}

void CSuperState::AddActions(CxAnimation& animation, const CxPoint& home) const
{
    if (!m_bPerFrame)
    {
        // One action steps the frames at the rate and lasts as long as the
        // range takes, so that playing once ends after the last frame.
        ST_ANIM_ACTION action;
        action.nFlags = ANIM_FIRST_FRAME | ANIM_LAST_FRAME | ANIM_FRAME_RATE | ANIM_DURATION;
        action.nFirstFrame = m_nFirst;
        action.nLastFrame = m_nLast;
        action.fFrameRate = m_fRate;
        action.nDuration = (m_nLast - m_nFirst + 1) * static_cast<int32_t>(1000.0f / m_fRate);
        animation.AddActions(&action, 1);
        return;
    }
    const bool moves = HasOffsets();
    for (uint32_t i = 0; i < m_Frames.GetCount(); ++i)
    {
        ST_ANIM_ACTION action;
        action.nFlags = ANIM_FIRST_FRAME | ANIM_DURATION | (moves ? ANIM_POSITION : 0);
        action.nX = home.x + m_Frames[i].nX;
        action.nY = home.y + m_Frames[i].nY;
        action.nFirstFrame = m_Frames[i].nFrame;
        action.nDuration = m_Frames[i].nDuration;
        animation.AddActions(&action, 1);
    }
}

CSuperSprite::CSuperSprite() : m_strName("No Name")
{
    m_Animation.SetDisplayObject(this);
}

CSuperSprite::~CSuperSprite()
{
    // Sequences must not reach a sprite that is being taken apart.
    SetEventTypeName(nullptr);
    UnloadStates();
}

uint32_t CSuperSprite::LoadFromFile(const char* fileName, const CxLinkedList<CxString>* sections)
{
    UnloadStates();
    m_bSharedStates = false;
    const CxString path = ExpandGamePath(fileName ? fileName : "");
    CxOptions file;
    if (!fileName || !FileExists(path.c_str()) || file.Open(path.c_str()) != CX_ERR_NONE)
    {
        SetError(CX_ERR_FILE_NOT_FOUND, "Could not open %s", fileName ? fileName : "");
        return CX_ERR_FILE_NOT_FOUND;
    }
    ReadSpriteKeys(file, fileName);
    LoadSpriteKeys(file, "QexSprite");
    long numStates = 0;
    file.GetNumber("QexSprite", "NumStates", &numStates, 0);
    if (numStates <= 0)
    {
        SetError(CX_ERR_UNKNOWN, "No states found in %s", fileName);
        return CX_ERR_UNKNOWN;
    }
    // Each state is at least a section of the file: more states than the
    // file could ever describe are a damaged count, not an allocation.
    if (numStates > 0xFFFF || !AllocateStates(static_cast<int32_t>(numStates)))
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate %ld states for %s", numStates, fileName);
        return CX_ERR_OUT_OF_MEMORY;
    }
    auto* node = sections ? sections->GetHead() : nullptr;
    char section[32];
    for (int32_t s = 0; s < m_nNumStates; ++s)
    {
        if (sections)
        {
            if (!node)
                break;
            LoadState(file, node->m_Value.c_str(), s);
            LoadStateKeys(file, node->m_Value.c_str(), s);
            node = node->GetNext();
            continue;
        }
        snprintf(section, sizeof(section), "State%03d", s);
        LoadState(file, section, s);
        LoadStateKeys(file, section, s);
    }
    SetState(0);
    char rect[SUPER_SPRITE_TEXT_SIZE];
    file.GetString("QexSprite", "CollisionRect", rect, "", sizeof(rect));
    long values[4];
    if (ParseNumbers(rect, values, 4) == 4)
        SetCollisionRect(CxRect(Narrow(values[0]), Narrow(values[1]), Narrow(values[2]), Narrow(values[3])));
    return CX_ERR_NONE;
}

void CSuperSprite::ReadSpriteKeys(CxOptions& file, const char* fileName)
{
    (void)fileName;
    char text[SUPER_SPRITE_TEXT_SIZE];
    file.GetString("QexSprite", "Name", text, "No Name", sizeof(text));
    m_strName = text;
    file.GetString("QexSprite", "EventTypeName", text, "", sizeof(text));
    if (text[0])
        SetEventTypeName(text);
    long value = 0;
    file.GetNumber("QexSprite", "SolidObject", &value, IsSolid() ? 1 : 0);
    SetCollisionFlag(COLLISION_SOLID, value != 0);
    file.GetNumber("QexSprite", "EnemyImmune", &value, IsEnemyImmune() ? 1 : 0);
    SetCollisionFlag(COLLISION_ENEMY_IMMUNE, value != 0);
    file.GetNumber("QexSprite", "ZOffset", &value, m_nZOffset);
    m_nZOffset = static_cast<int32_t>(value);
    file.GetString("QexSprite", "OnBumped", text, "", sizeof(text));
    if (text[0])
        SetBumpedSequence(text);
    file.GetString("QexSprite", "OnCollide", text, "", sizeof(text));
    if (text[0])
        SetCollideSequence(text);
}

bool CSuperSprite::AllocateStates(int32_t count)
{
    if (!m_States.SetCount(static_cast<uint32_t>(count)))
        return false;
    for (int32_t i = 0; i < count; ++i)
        m_States[static_cast<uint32_t>(i)] = nullptr;
    m_nNumStates = count;
    return true;
}

uint32_t CSuperSprite::LoadState(CxOptions& file, const char* section, int32_t index)
{
    if (!IsValidState(index))
        return CX_ERR_INVALID_ARGUMENT;
    auto* state = new (std::nothrow) CSuperState;
    if (!state)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a new CSuperState");
        return CX_ERR_OUT_OF_MEMORY;
    }
    char text[SUPER_SPRITE_TEXT_SIZE];
    file.GetString(section, "FileName", text, "", sizeof(text));
    long numFrames = -1, start = 0, perFrame = 0, unique = 0;
    float rate = SUPER_SPRITE_DEFAULT_RATE;
    file.GetNumber(section, "NumFrames", &numFrames, -1);
    file.GetNumber(section, "NumUniqueFrames", &unique, numFrames);
    file.GetNumber(section, "StartFrame", &start, 0);
    file.GetFloat(section, "FrameRate", &rate, SUPER_SPRITE_DEFAULT_RATE);
    file.GetNumber(section, "XYPerFrame", &perFrame, 0);
    if (!(rate > 0.0f) || rate > 1000.0f)
        rate = SUPER_SPRITE_DEFAULT_RATE;
    if (start < 0 || start > 0xFFFF)
        start = 0;
    if (numFrames > 0xFFFF)
        numFrames = 0xFFFF;
    // A still image carries no frame count: a strip holds StartFrame +
    // NumFrames frames when NumFrames is given, else it is one picture.
    const int32_t cut = numFrames > 0 ? static_cast<int32_t>(start + numFrames) : 1;
    if (!text[0] || LoadGameSpriteImage(state, InterpolateGameText(text).c_str(), cut) != CX_ERR_NONE)
    {
        delete state;
        SetStateObject(index, nullptr);
        SetError(CX_ERR_FILE_OPEN, "Could not load a SuperState");
        return CX_ERR_FILE_OPEN;
    }
    const int32_t frames = state->GetFrameCount() > 0 ? state->GetFrameCount() : 1;
    if (numFrames < 0)
        numFrames = frames;
    if (perFrame != 0 && numFrames > 0)
    {
        const int32_t duration = static_cast<int32_t>(1000.0f / rate);
        for (long f = start; f < start + numFrames; ++f)
        {
            char key[32];
            snprintf(key, sizeof(key), "Frame%03ld", f);
            char record[32];
            file.GetString(section, key, record, "0, 0, 0", sizeof(record));
            long values[3] = {0, 0, f};
            ParseNumbers(record, values, 3);
            ST_STATE_FRAME frame;
            frame.nX = Narrow(values[0]);
            frame.nY = Narrow(values[1]);
            // A frame the image does not have shows the last one.
            frame.nFrame = Clamp(Narrow(values[2]), 0, frames - 1);
            frame.nDuration = duration;
            state->AddFrame(frame);
        }
    }
    else
    {
        const int32_t first = Clamp(static_cast<int32_t>(start), 0, frames - 1);
        const int64_t wanted = static_cast<int64_t>(start) + numFrames - 1;
        state->SetRange(
            first, Clamp(static_cast<int32_t>(wanted < first ? first : wanted), first, frames - 1), rate);
    }
    SetStateObject(index, state);
    return CX_ERR_NONE;
}

void CSuperSprite::SetStateObject(int32_t index, CSuperState* state)
{
    if (!IsValidState(index))
        return;
    CSuperState*& entry = m_States[static_cast<uint32_t>(index)];
    if (entry == state)
        return;
    if (index == m_nState)
    {
        m_Animation.Stop();
        // The image shown belongs to the state that goes.
        CxSprite::Unload();
    }
    if (!m_bSharedStates)
        delete entry;
    entry = state;
}

void CSuperSprite::DeleteState(int32_t index)
{
    SetStateObject(index, nullptr);
}

CSuperState* CSuperSprite::GetStateObject(int32_t index) const
{
    return IsValidState(index) ? m_States[static_cast<uint32_t>(index)] : nullptr;
}

void CSuperSprite::UnloadStates()
{
    m_Animation.Stop();
    m_Animation.RemoveAllActions();
    CxSprite::Unload();
    if (!m_bSharedStates)
        for (uint32_t i = 0; i < m_States.GetCount(); ++i)
            delete m_States[i];
    m_States.RemoveAll();
    m_nNumStates = 0;
    m_nState = 0;
    m_bSharedStates = false;
    DeleteSequences();
}

void CSuperSprite::ShareStatesOf(CSuperSprite* master)
{
    UnloadStates();
    if (!master || !AllocateStates(master->m_nNumStates))
        return;
    for (int32_t i = 0; i < m_nNumStates; ++i)
        m_States[static_cast<uint32_t>(i)] = master->m_States[static_cast<uint32_t>(i)];
    m_bSharedStates = true;
    m_bCollisionRectSet = master->m_bCollisionRectSet;
    m_rcCollision = master->m_rcCollision;
    m_nZOffset = master->m_nZOffset;
    m_nCollisionFlags = master->m_nCollisionFlags;
    m_strName = master->m_strName;
    SetState(0);
}

void CSuperSprite::SelectState(int32_t state)
{
    m_nState = state;
    CSuperState* object = GetStateObject(state);
    const bool shown = IsShown();
    const CxPoint position = GetPosition();
    if (!object || !object->GetImage())
    {
        CxSprite::Unload();
        return;
    }
    SetImage(object->GetImage(), object->GetFrameCount(), true);
    if (shown)
        MoveTo(position);
    else
        SetPosition(position);
}

void CSuperSprite::SetState(int32_t state)
{
    if (!IsValidState(state))
        return;
    m_Animation.Stop();
    SelectState(state);
    if (CSuperState* object = GetStateObject(state))
        SetFrame(object->IsPerFrame() && object->GetRecordCount() ? object->GetFrameRecord(0).nFrame
                                                                  : object->GetFirstFrame());
}

void CSuperSprite::PlayOnce(int32_t state)
{
    m_Animation.SetRepeat(1);
    SelectAndStart(state);
}

void CSuperSprite::PlayForever(int32_t state)
{
    m_Animation.SetRepeat(SUPER_SPRITE_FOREVER);
    SelectAndStart(state);
}

void CSuperSprite::SelectAndStart(int32_t state)
{
    m_Animation.Stop();
    if (state != -1)
    {
        if (!IsValidState(state))
            return;
        SelectState(state);
    }
    CSuperState* object = GetStateObject(m_nState);
    m_Animation.RemoveAllActions();
    if (!object || !GetImage())
        return;
    if (!m_bHomeSet && object->HasOffsets())
        SetHomePosition(GetPosition());
    object->AddActions(m_Animation, m_ptHome);
    m_Animation.SetDisplayObject(this);
    m_Animation.Start(0);
}

void CSuperSprite::StopAnimation()
{
    m_Animation.Stop();
}

void CSuperSprite::SetAnimationListener(CxAnimationListener* listener)
{
    m_Animation.SetListener(listener);
}

bool CSuperSprite::IsAnimationFinished() const
{
    return !m_Animation.IsRunning();
}

void CSuperSprite::SetHomePosition(const CxPoint& home)
{
    m_ptHome = home;
    m_bHomeSet = true;
}

uint32_t CSuperSprite::LoadSpriteKeys(CxOptions&, const char*)
{
    return CX_ERR_NONE;
}

uint32_t CSuperSprite::LoadStateKeys(CxOptions&, const char*, int32_t)
{
    return CX_ERR_NONE;
}

void CSuperSprite::Pause()
{
    m_Animation.AddPause();
    PauseSequences(true);
}

void CSuperSprite::Resume()
{
    m_Animation.RemovePause();
    PauseSequences(false);
}

CxEvent* CSuperSprite::CreateEvent(const CxString& category, const CxString& command,
                                   const CxLinkedList<CxString>& arguments)
{
    if (!IsOwnCategory(category))
        return nullptr;
    if (CxEvent* event = CreateSuperSpritePlayEvent(this, command, arguments))
        return event;
    return new (std::nothrow) CCommandEvent(this, command, arguments);
}

void CSuperSprite::HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments)
{
    auto argument = [&](uint32_t index) {
        return Narrow(strtol(arguments.GetAt(index)->m_Value.c_str(), nullptr, 10));
    };
    if (command.EqualsNoCase("Erase"))
        Hide();
    else if (command.EqualsNoCase("Paint"))
    {
        if (arguments.GetCount() >= 2)
        {
            const CxPoint point(argument(0), argument(1));
            SetHomePosition(point);
            MoveTo(point);
        }
        else
            MoveTo(GetPosition());
    }
    else if (command.EqualsNoCase("SetState"))
    {
        if (arguments.IsEmpty())
            LogEntry(CX_LOG_WARNING, "%s: SetState without a state", m_strName.c_str());
        else
            SetState(argument(0));
    }
    else if (command.EqualsNoCase("SetBumpable"))
    {
        if (arguments.IsEmpty())
            LogEntry(CX_LOG_WARNING, "%s: SetBumpable without a value", m_strName.c_str());
        else
            SetCollisionFlag(COLLISION_BUMPABLE, argument(0) != 0);
    }
    else
        LogEntry(CX_LOG_WARNING, "%s: unknown command %s", m_strName.c_str(), command.c_str());
}
