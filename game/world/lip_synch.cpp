#include "game/world/lip_synch.h"

#include "engine/core/memory.h"
#include "engine/media/adpcm.h"
#include "engine/media/sound.h"
#include "engine/media/wave_info.h"

#include <cstdlib>

namespace {
// The mean absolute sample of each whole window of W sample frames, into
// loudness (entries beyond the whole windows stay 0). Returns the number of
// whole windows.
uint32_t MeasureWindows(const ST_WAV_INFO& info, uint32_t window, CxArray<int32_t>& loudness)
{
    const uint32_t bytes = info.nBits / 8u;
    const uint32_t channels = info.nChannels;
    const uint32_t frames = info.nDataLength / (bytes * channels);
    const uint8_t* p = info.pData;
    int64_t sum = 0;
    uint32_t inWindow = 0;
    uint32_t stored = 0;
    for (uint32_t f = 0; f < frames; ++f)
    {
        int64_t value = 0;
        for (uint32_t c = 0; c < channels; ++c, p += bytes)
            value += bytes == 1 ? static_cast<int32_t>(p[0]) - 128 : static_cast<int16_t>(ReadLE16(p));
        sum += std::llabs(value / static_cast<int64_t>(channels));
        if (++inWindow == window)
        {
            loudness[stored++] = static_cast<int32_t>(sum / window);
            sum = 0;
            inWindow = 0;
        }
    }
    return stored;
}
} // namespace

void LoudnessToFrames(const CxArray<int32_t>& loudness, uint32_t wholeWindows, int32_t mouthFrames,
                      ST_LIP_TABLE* table)
{
    const int32_t k = mouthFrames < 1 ? 1 : mouthFrames;
    int32_t smallest = 255;
    int32_t largest = 0;
    for (uint32_t i = 0; i < wholeWindows; ++i)
    {
        smallest = loudness[i] < smallest ? loudness[i] : smallest;
        largest = loudness[i] > largest ? loudness[i] : largest;
    }
    table->nMinimum = smallest;
    table->nMaximum = largest;
    for (uint32_t i = 0; i < table->frames.GetCount(); ++i)
        table->frames[i] = 0;
    // Nothing measured (a sound shorter than a window): the mouth stays closed.
    if (smallest > largest)
        return;
    int32_t d = (largest - smallest + 1) / k;
    if (d == 0)
        d = 1;
    for (uint32_t i = 0; i < wholeWindows && i < table->frames.GetCount(); ++i)
    {
        int32_t frame = (loudness[i] - smallest) / d;
        frame = frame < 0 ? 0 : (frame > k - 1 ? k - 1 : frame);
        table->frames[i] = static_cast<uint8_t>(frame > 255 ? 255 : frame);
    }
}

uint32_t AnalyseLipSound(const uint8_t* data, uint32_t size, uint32_t playFlags, int32_t mouthFrames,
                         ST_LIP_TABLE* table)
{
    table->frames.RemoveAll();
    table->nMinimum = 255;
    table->nMaximum = 0;
    table->nWindow = 0;
    // MP3 data and format-record data are not measured: the mouth stays closed.
    if (!data || (playFlags & (CX_SOUND_MP3 | CX_SOUND_FORMAT_HEADER)))
        return CX_ERR_NONE;
    ST_WAV_INFO info;
    if (ParseWaveInfo(data, size, (playFlags & CX_SOUND_RAW) != 0, &info) != CX_ERR_NONE)
        return CX_ERR_NONE;
    uint8_t* decoded = nullptr;
    if (info.bADPCM)
    {
        uint32_t decodedSize = 0;
        decoded = DecompressAdpcmWave(info, &decodedSize);
        if (!decoded)
            return CX_ERR_OUT_OF_MEMORY;
        if (ParseWaveInfo(decoded, decodedSize, false, &info) != CX_ERR_NONE)
        {
            CX_FREE(decoded);
            return CX_ERR_NONE;
        }
    }
    uint32_t code = CX_ERR_NONE;
    const uint32_t window = info.nRate / 10;
    if (info.nFormatTag == CX_WAVE_FORMAT_PCM && (info.nBits == 8 || info.nBits == 16) &&
        info.nChannels > 0 && window > 0)
    {
        const uint32_t frames = info.nDataLength / (info.nBits / 8u * info.nChannels);
        const uint32_t entries = frames / window + 1;
        CxArray<int32_t> loudness;
        if (!loudness.SetCount(entries) || !table->frames.SetCount(entries))
        {
            table->frames.RemoveAll();
            code = CX_ERR_OUT_OF_MEMORY;
        }
        else
        {
            table->nWindow = window;
            LoudnessToFrames(loudness, MeasureWindows(info, window, loudness), mouthFrames, table);
        }
    }
    CX_FREE(decoded);
    return code;
}

CLipSynch::CLipSynch() : m_Timer(this, LIP_TICK_MS) {}

CLipSynch::~CLipSynch()
{
    m_Timer.Reset();
    if (m_pSound)
        m_pSound->Stop();
    DeleteQueue();
}

void CLipSynch::DeleteQueue()
{
    while (!m_Queue.IsEmpty())
        delete m_Queue.RemoveHead();
    m_pSound = nullptr;
}

void CLipSynch::Talk(CxLinkedList<CxSound*>& sounds)
{
    StopTalking();
    MoveTo(GetPosition());
    while (!sounds.IsEmpty())
    {
        CxSound* sound = sounds.RemoveHead();
        if (!m_Queue.AddTail(sound))
            delete sound;
    }
    m_nIndex = -1;
    m_bActive = true;
    if (!NextSound())
    {
        StopTalking();
        if (m_pfnEnd)
            m_pfnEnd(this, m_pEndContext);
    }
}

bool CLipSynch::NextSound()
{
    if (m_pSound)
        m_pSound->Stop();
    ++m_nIndex;
    auto* node = m_Queue.GetAt(static_cast<uint32_t>(m_nIndex));
    if (!node)
    {
        m_bActive = false;
        m_pSound = nullptr;
        return false;
    }
    m_pSound = node->m_Value;
    m_pSound->Lock();
    const uint32_t code = AnalyseLipSound(m_pSound->GetData(), m_pSound->GetDataSize(),
                                          m_pSound->GetPlayFlags(), GetFrameCount(), &m_Table);
    m_pSound->Unlock();
    if (code != CX_ERR_NONE)
    {
        // The talk stops here: this sound is not played.
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate the mouth table of %s",
                 m_pSound->GetFileName().c_str());
        StopTalking();
        return false;
    }
    m_Timer.SetListener(this);
    m_pSound->Play();
    m_Timer.SetInterval(LIP_TICK_MS);
    m_Timer.Start(0);
    return true;
}

void CLipSynch::StopTalking()
{
    m_Timer.Reset();
    if (m_pSound)
        m_pSound->Stop();
    m_Table.frames.RemoveAll();
    DeleteQueue();
    m_nIndex = 0;
    m_bActive = false;
    SetFrame(0);
    Hide();
}

void CLipSynch::OnTimer(CxTimer* timer)
{
    if (timer != &m_Timer || !m_bActive || !m_pSound)
        return;
    if (m_pSound->IsPlaying())
    {
        const uint32_t count = m_Table.frames.GetCount();
        // In a driven run the mouth follows the sound's own play clock, which
        // also stands still while the sound alone is paused (by an exclusive sound).
        const uint32_t elapsed =
            DoesSoundFollowGameTime() ? m_pSound->GetPlayPosition() : m_Timer.GetElapsed();
        uint32_t t = elapsed / LIP_TICK_MS;
        if (count == 0)
            SetFrame(0);
        else
            SetFrame(m_Table.frames[t < count ? t : count - 1]);
        return;
    }
    if (NextSound())
        return;
    StopTalking();
    if (m_pfnEnd)
        m_pfnEnd(this, m_pEndContext);
}

void CLipSynch::Pause()
{
    if (m_pSound)
        m_pSound->Pause();
    m_Timer.AddPause();
}

void CLipSynch::Resume()
{
    m_Timer.RemovePause();
    if (m_pSound)
        m_pSound->Resume();
}
