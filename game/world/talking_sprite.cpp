#include "game/world/talking_sprite.h"

#include "engine/core/error.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/options.h"
#include "engine/core/random.h"
#include "engine/media/wave.h"
#include "game/world/sound_distance.h"
#include "game/world/talk_event.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

uint32_t LoadMouthImage(CxSprite* lips, const char* value, int32_t frames)
{
    const size_t length = value ? strlen(value) : 0;
    if (length > 4 && strcasecmp(value + length - 4, ".ini") == 0)
    {
        // A sprite file: its first state names the picture and its frames.
        const CxString path = ExpandGamePath(value);
        CxOptions file;
        if (!FileExists(path.c_str()) || file.Open(path.c_str()) != CX_ERR_NONE)
        {
            lips->SetError(CX_ERR_FILE_NOT_FOUND, "Could not open %s", value);
            return CX_ERR_FILE_NOT_FOUND;
        }
        char name[SUPER_SPRITE_TEXT_SIZE];
        long count = 1;
        file.GetString("State000", "FileName", name, "", sizeof(name));
        file.GetNumber("State000", "NumFrames", &count, 1);
        return LoadGameSpriteImage(lips, InterpolateGameText(name).c_str(),
                                   count < 1 || count > 0xFFFF ? 1 : static_cast<int32_t>(count));
    }
    // A still is cut into frames; a movie brings its own.
    return LoadGameSpriteImage(lips, value, frames < 1 || frames > 0xFFFF ? 1 : frames);
}

CTalkingSuperSprite::~CTalkingSuperSprite()
{
    DeleteLips();
}

void CTalkingSuperSprite::DeleteLips()
{
    for (uint32_t i = 0; i < m_Lips.GetCount(); ++i)
        delete m_Lips[i];
    m_Lips.RemoveAll();
}

void CTalkingSuperSprite::UnloadStates()
{
    DeleteLips();
    CSuperSprite::UnloadStates();
}

CLipSynch* CTalkingSuperSprite::GetLipSprite(int32_t state) const
{
    if (state < 0 || static_cast<uint32_t>(state) >= m_Lips.GetCount())
        return nullptr;
    return m_Lips[static_cast<uint32_t>(state)];
}

int32_t CTalkingSuperSprite::GetVoiceVolume() const
{
    const CxPoint position = GetPosition();
    const CxPoint centre(position.x + GetWidth() / 2, position.y + GetHeight() / 2);
    const CxDisplayObject* map = GetParent();
    const CxPoint origin = map ? CxPoint(-map->GetPosition().x, -map->GetPosition().y) : CxPoint(0, 0);
    return VolumeByDistance(centre, origin);
}

uint32_t CTalkingSuperSprite::Talk(int32_t state, const CxLinkedList<CxString>& sounds)
{
    if (!IsValidState(state))
        return CX_ERR_INVALID_ARGUMENT;
    CSuperState* object = GetStateObject(state);
    if (object && object->GetRecordCount() == 1)
        PlayOnce(state);
    else
        PlayForever(state);
    CLipSynch* lips = GetLipSprite(state);
    if (!lips)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "No lips defined for this state");
        return CX_ERR_INVALID_ARGUMENT;
    }
    const int32_t volume = GetVoiceVolume();
    CxLinkedList<CxSound*> waves;
    for (auto* node = sounds.GetHead(); node; node = node->GetNext())
    {
        auto* wave = new (std::nothrow) CxWave;
        if (!wave)
            continue;
        const CxString path = ExpandGamePath(InterpolateGameText(node->m_Value.c_str()).c_str());
        if (wave->Load(path.c_str()) != CX_ERR_NONE || !waves.AddTail(wave))
        {
            delete wave;
            continue;
        }
        wave->SetVolume(volume);
    }
    lips->SetEndCallback(OnTalkEnd, this);
    lips->Talk(waves);
    return CX_ERR_NONE;
}

void CTalkingSuperSprite::OnTalkEnd(CLipSynch*, void* context)
{
    static_cast<CTalkingSuperSprite*>(context)->StopAnimation();
}

void CTalkingSuperSprite::StopTalking()
{
    for (uint32_t i = 0; i < m_Lips.GetCount(); ++i)
        if (m_Lips[i])
            m_Lips[i]->StopTalking();
}

uint32_t CTalkingSuperSprite::SetLipSprite(int32_t state, CLipSynch* lips)
{
    if (!IsValidState(state))
    {
        delete lips;
        SetError(CX_ERR_INVALID_ARGUMENT, "bad lips for state %d", state);
        return CX_ERR_INVALID_ARGUMENT;
    }
    if (m_Lips.GetCount() < static_cast<uint32_t>(m_nNumStates))
    {
        const uint32_t old = m_Lips.GetCount();
        if (!m_Lips.SetCount(static_cast<uint32_t>(m_nNumStates)))
        {
            delete lips;
            SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate the lip sprites");
            return CX_ERR_OUT_OF_MEMORY;
        }
        for (uint32_t i = old; i < m_Lips.GetCount(); ++i)
            m_Lips[i] = nullptr;
    }
    CLipSynch*& entry = m_Lips[static_cast<uint32_t>(state)];
    if (entry != lips)
        delete entry;
    entry = lips;
    if (lips)
        lips->SetEndCallback(OnTalkEnd, this);
    return CX_ERR_NONE;
}

uint32_t CTalkingSuperSprite::LoadLipSprite(int32_t state, const char* file, const CxPoint& position,
                                            bool mask, int32_t frames)
{
    if (!IsValidState(state))
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "bad lips for state %d", state);
        return CX_ERR_INVALID_ARGUMENT;
    }
    auto* lips = new (std::nothrow) CLipSynch;
    if (!lips)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a lip sprite");
        return CX_ERR_OUT_OF_MEMORY;
    }
    const uint32_t code = LoadMouthImage(lips, file, frames);
    if (code != CX_ERR_NONE)
    {
        delete lips;
        return code;
    }
    // The mouth hangs on the figure, hidden until it talks.
    lips->Create(position.x, position.y, lips->GetFrameWidth(), lips->GetFrameHeight(), this);
    lips->SetPixelHitTest(mask);
    return SetLipSprite(state, lips);
}

void CTalkingSuperSprite::Pause()
{
    CSuperSprite::Pause();
    for (uint32_t i = 0; i < m_Lips.GetCount(); ++i)
        if (m_Lips[i])
            m_Lips[i]->AddPause();
}

void CTalkingSuperSprite::Resume()
{
    for (uint32_t i = 0; i < m_Lips.GetCount(); ++i)
        if (m_Lips[i])
            m_Lips[i]->RemovePause();
    CSuperSprite::Resume();
}

uint32_t CCharacter::LoadStateKeys(CxOptions& file, const char* section, int32_t index)
{
    char lips[SUPER_SPRITE_TEXT_SIZE];
    file.GetString(section, "Lips", lips, "", sizeof(lips));
    if (!lips[0])
        return CX_ERR_NONE;
    CxPoint position;
    file.GetPoint(section, "LipPosition", &position, CxPoint(0, 0));
    long mask = 1;
    long frames = LIP_DEFAULT_FRAMES;
    file.GetNumber(section, "LipMask", &mask, 1);
    file.GetNumber(section, "LipFrames", &frames, LIP_DEFAULT_FRAMES);
    return LoadLipSprite(index, InterpolateGameText(lips).c_str(), position, mask != 0,
                         frames < 1 || frames > 0xFFFF ? 1 : static_cast<int32_t>(frames));
}

CxEvent* CCharacter::CreateEvent(const CxString& category, const CxString& command,
                                 const CxLinkedList<CxString>& arguments)
{
    const bool talk = command.EqualsNoCase("Talk");
    if (!IsOwnCategory(category) || (!talk && !command.EqualsNoCase("RandomTalk")))
        return CTalkingSuperSprite::CreateEvent(category, command, arguments);
    int16_t state = -1;
    CxLinkedList<CxString> files;
    if (auto* node = arguments.GetHead())
    {
        char* end = nullptr;
        const long value = strtol(node->m_Value.c_str(), &end, 10);
        if (end != node->m_Value.c_str() && value >= 0 && value <= INT16_MAX)
            state = static_cast<int16_t>(value);
        for (node = node->GetNext(); node; node = node->GetNext())
            files.AddTail(node->m_Value);
    }
    if (!talk && files.GetCount() > 1)
    {
        // One of the lines, picked at random.
        const CxString chosen = files.GetAt(static_cast<uint32_t>(Random() % files.GetCount()))->m_Value;
        files.RemoveAll();
        files.AddTail(chosen);
    }
    return new (std::nothrow) CTalkEvent(this, files, state);
}
