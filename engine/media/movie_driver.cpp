#include "engine/media/movie_driver.h"

#include "engine/core/file.h"
#include "engine/core/log.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/sprite.h"
#include "engine/media/sound.h"
#include "engine/platform/clock.h"
#include "engine/platform/file_system.h"
#include "engine/platform/video.h"

#include <cstring>
#include <new>
#include <strings.h>
#include <unistd.h>

namespace {
ST_MOVIE_DRIVER_ENTRY s_Drivers[CX_MOVIE_DRIVER_SLOTS] = {};

// True when name ends with extension, in any letter case.
bool EndsWithNoCase(const char* name, const char* extension)
{
    const size_t n = strlen(name);
    const size_t e = strlen(extension);
    return e > 0 && e <= n && strcasecmp(name + n - e, extension) == 0;
}

// ---- The sprites' movie hooks ------------------------------------------------

bool HookIsMovie(const char* fileName)
{
    // Only names with a registered extension are movies; everything else is
    // left to the image loaders without a report.
    if (!fileName)
        return false;
    for (const ST_MOVIE_DRIVER_ENTRY& entry : s_Drivers)
        if (entry.szExtension[0] && EndsWithNoCase(fileName, entry.szExtension))
            return true;
    return false;
}

CxMovieDriver* HookOpen(const char* fileName, uint32_t* error)
{
    const uint32_t reports = GetErrorCount();
    CxMovieDriver* driver = CreateMovieDriver(fileName, 0);
    if (error)
        *error = driver ? CX_ERR_NONE
                        : (GetErrorCount() != reports && GetLastErrorCode() ? GetLastErrorCode()
                                                                            : CX_ERR_FILE_OPEN);
    return driver;
}

void HookDelete(CxMovieDriver* driver)
{
    delete driver;
}

uint32_t HookAttach(CxMovieDriver* driver, CxDrawSurface* surface, int32_t depth)
{
    if (!driver || !surface)
        return CX_ERR_INVALID_ARGUMENT;
    const uint32_t error = driver->AllocateSurface(surface, depth == 16 ? 16 : 8);
    if (error == CX_ERR_NONE && surface->GetDepth() == 16)
        surface->SetPixelFormat(CX_PF_DEFAULT);
    return error;
}

int32_t HookFrameCount(CxMovieDriver* driver)
{
    return driver ? driver->GetFrameCount() : 0;
}

// Decodes the frame into the sprite's image: the surface the driver allocated at attach time.
uint32_t HookDecode(CxMovieDriver* driver, int32_t frame);

bool HookLoops(CxMovieDriver* driver)
{
    return driver && driver->IsLooping();
}

const ST_SPRITE_MOVIE_HOOKS s_Hooks = {HookIsMovie,    HookOpen,   HookDelete, HookAttach,
                                       HookFrameCount, HookDecode, HookLoops};
} // namespace

namespace {
uint32_t HookDecode(CxMovieDriver* driver, int32_t frame)
{
    CxSmackerDriver* smacker = dynamic_cast<CxSmackerDriver*>(driver);
    if (!smacker || !smacker->GetAttachedSurface())
        return CX_ERR_INVALID_ARGUMENT;
    ST_MOVIE_FRAME record;
    record.pSurface = smacker->GetAttachedSurface();
    record.nFrame = frame;
    return driver->DoFrame(&record);
}
} // namespace

uint32_t RegisterMovieDriver(const char* extension, CxMovieDriverFactory factory, uint32_t spare)
{
    if (!extension || extension[0] != '.')
    {
        ReportError(CX_ERR_INVALID_ARGUMENT, "Extension MUST include the period as in '.smk'");
        return CX_ERR_INVALID_ARGUMENT;
    }
    for (ST_MOVIE_DRIVER_ENTRY& entry : s_Drivers)
        if (!entry.szExtension[0])
        {
            strncpy(entry.szExtension, extension, CX_MOVIE_EXTENSION_SIZE - 1);
            entry.szExtension[CX_MOVIE_EXTENSION_SIZE - 1] = '\0';
            entry.pfnFactory = factory;
            entry.nSpare = spare;
            return CX_ERR_NONE;
        }
    return CX_ERR_NONE;
}

void ClearMovieDrivers()
{
    memset(s_Drivers, 0, sizeof(s_Drivers));
}

const ST_MOVIE_DRIVER_ENTRY* GetMovieDriverEntry(uint32_t index)
{
    return index < CX_MOVIE_DRIVER_SLOTS ? &s_Drivers[index] : nullptr;
}

CxMovieDriver* CreateMovieDriver(const char* fileName, uint32_t flags)
{
    const char* name = fileName ? fileName : "";
    for (const ST_MOVIE_DRIVER_ENTRY& entry : s_Drivers)
    {
        if (!entry.szExtension[0] || !EndsWithNoCase(name, entry.szExtension))
            continue;
        if (!entry.pfnFactory)
            ReportError(CX_ERR_INVALID_ARGUMENT, "No Load function registered for '%s'", name);
        else if (CxMovieDriver* driver = entry.pfnFactory(name, flags))
            return driver;
        else
            return nullptr; // the driver has reported why it could not open the file
        break;
    }
    ReportError(CX_ERR_UNKNOWN, "No movie filter registered for '%s'", name);
    return nullptr;
}

void RegisterMovieDrivers()
{
    bool registered = false;
    for (const ST_MOVIE_DRIVER_ENTRY& entry : s_Drivers)
        if (strcasecmp(entry.szExtension, ".SMK") == 0 && entry.pfnFactory == CreateSmackerDriver)
            registered = true;
    if (!registered)
        RegisterMovieDriver(".SMK", CreateSmackerDriver, 0);
    // Nothing else to set up: the sound of a movie finds the sound system's
    // mixer when it starts (StartSound), and the decoder manages its own memory.
    SetSpriteMovieHooks(&s_Hooks);
}

void UnregisterMovieDrivers()
{
    SetSpriteMovieHooks(nullptr);
    ClearMovieDrivers();
}

// ---- CxSmackerDriver ---------------------------------------------------------

CxMovieDriver* CreateSmackerDriver(const char* fileName, uint32_t flags)
{
    CxSmackerDriver* driver = new (std::nothrow) CxSmackerDriver;
    if (!driver)
        return nullptr;
    if (driver->Open(fileName, flags) != CX_ERR_NONE)
    {
        delete driver;
        return nullptr;
    }
    return driver;
}

CxSmackerDriver::CxSmackerDriver() = default;

CxSmackerDriver::~CxSmackerDriver()
{
    CxSmackerDriver::Close();
}

uint32_t CxSmackerDriver::Open(const char* fileName, uint32_t flags)
{
    Close();
    ClearError();
    if (!fileName || !fileName[0])
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "FileName is empty");
        return GetError();
    }
    m_nFlags = flags;
    uint32_t openFlags = 0;
    if (flags & CX_MOVIE_DRIVER_SOUND)
        openFlags |= CX_SMACK_OPEN_SOUND | ((m_nTrack >= 0 && m_nTrack <= 6) ? (CX_SMACK_TRACK_0 << m_nTrack)
                                                                             : CX_SMACK_ALL_TRACKS);
    if (flags & CX_MOVIE_DRIVER_FLAG_01)
        openFlags |= CX_SMACK_OPEN_FLAG_200;
    // One report for one bad file: the decoder keeps its reason (for the
    // log) and the driver reports the failure. A missing movie is an error,
    // never the prompt for the game disc; one that cannot be read (a folder,
    // no permission) is refused before the file layer would report it too.
    CxFileBuffer data;
    const char* reason = nullptr;
    const CxString path = ResolvePath(fileName);
    if (!FileExists(fileName))
        reason = "no such file";
    else if (PathIsDirectory(path.c_str()) || access(path.c_str(), R_OK) != 0 ||
             LoadFile(fileName, data) != CX_ERR_NONE || !data.GetData())
        reason = "the file cannot be read";
    CxVideo* movie = reason ? nullptr : new (std::nothrow) CxVideo;
    if (!reason && !movie)
        reason = "out of memory";
    if (movie && movie->Open(static_cast<const uint8_t*>(data.GetData()), data.GetSize()) != CX_ERR_NONE)
        reason = movie->GetReason().c_str();
    if (reason)
    {
        LogEntry(CX_LOG_WARNING, "%s: %s", fileName, reason);
        delete movie;
        SetError(CX_ERR_FILE_OPEN, "SmackOpen(%s) failed", fileName);
        return GetError();
    }
    // A damaged movie plays up to its last good frame; the log says so.
    if (!movie->GetReason().IsEmpty())
        LogEntry(CX_LOG_WARNING, "%s: %s", fileName, movie->GetReason().c_str());
    m_pMovie = movie;
    m_nOpenFlags = openFlags;
    SoundOnOff((flags & CX_MOVIE_DRIVER_SOUND) != 0);
    return CX_ERR_NONE;
}

void CxSmackerDriver::Close()
{
    StopSound();
    for (ST_MOVIE_TRACK& track : m_Tracks)
    {
        if (track.hSample)
            AudioReleaseSample(track.hSample);
        track.hSample = nullptr;
        track.hDriver = nullptr;
        track.audio.clear();
        track.bLoaded = false;
    }
    delete m_pMovie;
    m_pMovie = nullptr;
    m_nOpenFlags = 0;
    m_bSoundOn = false;
    m_bTiming = false;
    m_pSurface = nullptr;
}

int32_t CxSmackerDriver::GetWidth()
{
    return m_pMovie ? m_pMovie->GetWidth() : 0;
}

int32_t CxSmackerDriver::GetHeight()
{
    return m_pMovie ? m_pMovie->GetHeight() : 0;
}

int32_t CxSmackerDriver::GetFrameCount()
{
    if (!m_pMovie)
        return 0;
    const int32_t frames = m_pMovie->GetFrameCount();
    return m_pMovie->IsLooping() && frames > 1 ? frames - 1 : frames;
}

bool CxSmackerDriver::IsLooping()
{
    return m_pMovie && m_pMovie->IsLooping();
}

uint32_t CxSmackerDriver::Goto(int32_t frame)
{
    if (!m_pMovie)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "Goto: no movie is open");
        return GetError();
    }
    if (frame < 0 || frame >= GetFrameCount())
        return CX_ERR_INVALID_ARGUMENT;
    return m_pMovie->Goto(frame);
}

int32_t CxSmackerDriver::GetCurrentFrame()
{
    if (!m_pMovie)
        return 0;
    // Past the last frame the movie starts over, as the library's frame counter does.
    const int32_t next = m_pMovie->GetCurrentFrame();
    return next >= GetFrameCount() ? 0 : next;
}

bool CxSmackerDriver::SoundOnOff(bool on)
{
    const bool previous = m_bSoundOn;
    m_bSoundOn = on;
    if (m_pMovie)
        m_pMovie->SetSoundOn(false); // the track goes to the mixer whole, never per frame
    if (!on)
        StopSound();
    return previous;
}

uint32_t CxSmackerDriver::GetPlayedTracks() const
{
    if (!m_pMovie || !(m_nOpenFlags & CX_SMACK_OPEN_SOUND))
        return 0;
    return (m_nOpenFlags / CX_SMACK_TRACK_0) & m_pMovie->GetAudioTrackMask() & 0x7Fu;
}

HCXSAMPLE CxSmackerDriver::GetSample() const
{
    for (const ST_MOVIE_TRACK& track : m_Tracks)
        if (track.hSample)
            return track.hSample;
    return nullptr;
}

HCXSAMPLE CxSmackerDriver::GetTrackSample(int32_t track) const
{
    return track >= 0 && track < CX_MOVIE_TRACKS ? m_Tracks[track].hSample : nullptr;
}

int32_t CxSmackerDriver::GetLibraryVolume(int32_t track) const
{
    return track >= 0 && track < CX_MOVIE_TRACKS ? m_Tracks[track].nVolume : 0;
}

void CxSmackerDriver::StopSound()
{
    for (ST_MOVIE_TRACK& track : m_Tracks)
        if (track.hSample && track.hDriver == GetSoundDriver() &&
            AudioGetSampleStatus(track.hSample) == CX_SAMPLE_PLAYING)
            AudioStopSample(track.hSample);
}

bool CxSmackerDriver::PrepareTrack(int32_t number, HCXDRIVER device)
{
    ST_MOVIE_TRACK& track = m_Tracks[number];
    if (!track.bLoaded)
    {
        track.bLoaded = true;
        if (m_pMovie->DecodeAllAudio(&track.audio, number) != CX_ERR_NONE)
            track.audio.clear();
    }
    if (track.audio.empty())
        return false;
    // A sample of a device that has been closed since is no longer usable.
    if (track.hSample && track.hDriver != device)
    {
        AudioReleaseSample(track.hSample);
        track.hSample = nullptr;
    }
    if (!track.hSample)
    {
        track.hSample = AudioAllocateSample(device);
        track.hDriver = device;
        if (!track.hSample)
            return false;
    }
    // The track from the current frame's time on.
    const ST_VIDEO_AUDIO_INFO info = m_pMovie->GetTrackInfo(number);
    const uint64_t frameBytes = static_cast<uint64_t>(info.nChannels) * (info.nBits / 8);
    const uint64_t sample =
        static_cast<uint64_t>(m_pMovie->GetFrameTime(GetCurrentFrame())) * info.nRate / 1000000;
    const uint64_t offset = sample * frameBytes;
    if (frameBytes == 0 || offset >= track.audio.size())
        return false;
    AudioInitSample(track.hSample);
    if (!AudioSetSampleData(track.hSample, track.audio.data() + offset,
                            static_cast<uint32_t>(track.audio.size() - offset),
                            m_pMovie->GetAudioSampleType(number), info.nRate))
        return false;
    ApplyVolume(number);
    return true;
}

void CxSmackerDriver::StartSound()
{
    HCXDRIVER device = GetSoundDriver();
    if (!m_pMovie || !m_bSoundOn || !device || !m_pMovie->HasAudio())
        return;
    // Every track the open selected plays on a sample of its own; the mixer
    // mixes them, and they start together so that they stay in step.
    HCXSAMPLE ready[CX_MOVIE_TRACKS];
    int32_t count = 0;
    const uint32_t played = GetPlayedTracks();
    for (int32_t number = 0; number < CX_MOVIE_TRACKS; ++number)
        if ((played & (1u << number)) && PrepareTrack(number, device))
            ready[count++] = m_Tracks[number].hSample;
    AudioStartSamples(ready, count);
}

void CxSmackerDriver::ApplyVolume(int32_t number)
{
    const ST_MOVIE_TRACK& track = m_Tracks[number];
    if (!track.hSample || track.hDriver != GetSoundDriver())
        return;
    int32_t volume = track.nVolume;
    if (volume < 0)
        volume = 0;
    if (volume > 32768)
        volume = 32768;
    // Pan 0x8000 is the centre: both sides at the full level.
    const float level = static_cast<float>(volume) / 32768.0f;
    const float pan = static_cast<float>(track.nPan) / 65536.0f; // 0 left .. 1 right
    const float left = pan <= 0.5f ? level : level * (1.0f - pan) * 2.0f;
    const float right = pan >= 0.5f ? level : level * pan * 2.0f;
    AudioSetSampleVolumeLevels(track.hSample, left, right);
}

uint32_t CxSmackerDriver::SetVolume(int32_t volume, int32_t track)
{
    if (!m_pMovie)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "SetVolume: no movie is open");
        return GetError();
    }
    // The volume belongs to the one track; a number outside 0..6 names none.
    if (track < 0 || track >= CX_MOVIE_TRACKS)
        return CX_ERR_INVALID_ARGUMENT;
    m_Tracks[track].nVolume = volume * 258;
    m_Tracks[track].nPan = 0x8000;
    ApplyVolume(track);
    return CX_ERR_NONE;
}

uint32_t CxSmackerDriver::AllocateSurface(CxDrawSurface* surface, int32_t depth)
{
    if (!surface)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "pSurf must have already been allocated");
        return GetError();
    }
    if (!m_pMovie)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "AllocateSurface: no movie is open");
        return GetError();
    }
    const uint32_t error = surface->CreateSurface(m_pMovie->GetWidth(), m_pMovie->GetHeight(), depth);
    if (error != CX_ERR_NONE)
        return error;
    if (depth == 8)
        surface->SetPalette(m_pMovie->GetPalette());
    m_pSurface = surface;
    return CX_ERR_NONE;
}

uint32_t CxSmackerDriver::Command(const char* name, intptr_t argument)
{
    if (!name)
        return CX_ERR_INVALID_ARGUMENT;
    if (strcasecmp(name, "Stop") == 0)
    {
        SoundOnOff(false);
        m_bTiming = false;
        return CX_ERR_NONE;
    }
    if (strcasecmp(name, "Play") == 0)
    {
        SoundOnOff((m_nFlags & CX_MOVIE_DRIVER_SOUND) != 0);
        // The timing starts over at the current frame.
        m_bTiming = true;
        m_nBaseTicks = GetTickCount();
        m_nBaseFrame = 0;
        StartSound();
        return CX_ERR_NONE;
    }
    if (strcasecmp(name, "TrackNumber") == 0)
    {
        m_nTrack = static_cast<int32_t>(argument);
        return CX_ERR_NONE;
    }
    return CX_ERR_INVALID_ARGUMENT;
}

bool CxSmackerDriver::Wait()
{
    if (!m_bTiming)
    {
        m_bTiming = true;
        m_nBaseTicks = GetTickCount();
        m_nBaseFrame = 0;
        return false;
    }
    // Frames shown since the timing started are due at the movie's rate.
    const int64_t due = m_pMovie->GetFrameTime(m_nBaseFrame) / 1000;
    return static_cast<int64_t>(GetTickCount() - m_nBaseTicks) < due;
}

uint32_t CxSmackerDriver::DoFrame(ST_MOVIE_FRAME* record)
{
    if (!m_pMovie || !record)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "DoFrame: no movie or no frame record");
        return GetError();
    }
    record->nFlags &= ~(CX_MOVIE_FRAME_WAIT | CX_MOVIE_FRAME_DONE | CX_MOVIE_FRAME_FAILED);
    if (record->pDirty)
        record->pDirty->RemoveAll();
    CxDrawSurface* surface = record->pSurface;
    if (!surface)
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "DoFrame: no surface");
        return GetError();
    }
    ST_VIDEO_TARGET target;
    const int32_t depth = surface->GetDepth();
    const uint8_t format = surface->GetPixelFormat();
    if (depth == 8)
        target.nFormat = CX_VIDEO_8BIT;
    else if (depth == 16 && (format == CX_PF_555 || format == CX_PF_555_ALT))
        target.nFormat = CX_VIDEO_555;
    else if (depth == 16 && format == CX_PF_565)
        target.nFormat = CX_VIDEO_565;
    else
    {
        // Palette indices written into pixels of another size would be garbage.
        SetError(CX_ERR_INVALID_ARGUMENT, "DoFrame: movies draw into 8-bit, 5-5-5 or 5-6-5 surfaces only");
        return GetError();
    }
    const CxSurfaceLock lock(surface);
    if (!surface->GetBits())
    {
        SetError(CX_ERR_INVALID_ARGUMENT, "DoFrame: the surface has no pixels");
        return GetError();
    }
    target.pBits = surface->GetBits();
    target.nPitch = surface->GetPitch();
    target.nWidth = surface->GetWidth();
    target.nHeight = surface->GetHeight();
    target.x = record->x;
    target.y = record->y;

    uint32_t result = CX_ERR_NONE;
    if (record->nFlags & CX_MOVIE_FRAME_IN_TIME)
    {
        if (Wait())
        {
            record->nFlags |= CX_MOVIE_FRAME_WAIT;
            return CX_ERR_NONE;
        }
        // Past the last frame the movie starts over (a looping movie), sound
        // included; a ring frame is that step, not a frame of its own.
        if (m_pMovie->GetCurrentFrame() >= GetFrameCount())
        {
            m_pMovie->Goto(0);
            m_nBaseTicks += static_cast<uint32_t>(m_pMovie->GetFrameTime(m_nBaseFrame) / 1000);
            m_nBaseFrame = 0;
            StartSound();
        }
        result = m_pMovie->DecodeFrame(target);
        record->nFlags |= result == CX_ERR_NONE ? CX_MOVIE_FRAME_DONE : CX_MOVIE_FRAME_FAILED;
        ++m_nBaseFrame;
        if (result == CX_ERR_NONE && record->pDirty)
            for (const CxRect& rect : m_pMovie->GetChangedRects())
                record->pDirty->AddTail(rect);
    }
    else
    {
        // A given frame: the decoder's own sound stays off (the track
        // reaches the mixer whole), so a playing track goes on undisturbed.
        if (record->nFrame >= 0 && record->nFrame < GetFrameCount())
            m_pMovie->Goto(record->nFrame);
        result = m_pMovie->DecodeFrame(target);
        record->nFlags |= result == CX_ERR_NONE ? CX_MOVIE_FRAME_DONE : CX_MOVIE_FRAME_FAILED;
        if (record->pDirty)
            record->pDirty->AddTail(surface->GetRect());
    }
    // A frame that does not decode ends the movie with one report (the
    // movie's end is no failure of the decoder).
    if (result != CX_ERR_NONE && m_pMovie->GetError() != CX_ERR_NONE)
        SetError(m_pMovie->GetError(), "%s", m_pMovie->GetReason().c_str());
    // An 8-bit surface takes the frame's palette whenever it changes.
    if (depth == 8 && result == CX_ERR_NONE &&
        memcmp(surface->GetPalette(), m_pMovie->GetPalette(), 768) != 0)
        surface->SetPalette(m_pMovie->GetPalette());
    return result;
}
