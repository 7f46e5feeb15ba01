// Movie drivers: the file-format layer under CxMovie and movie sprites.
//
// A driver opens one movie file, reports its size, depth and frame count and
// decodes frames into a CxDrawSurface. Drivers are found by the file's
// extension in a fixed registry of 20 entries; the application registers
// ".SMK" with the Smacker driver at start (RegisterMovieDrivers).
//
// CxSmackerDriver plays Smacker files through CxVideo. Frames are shown
// either "in time" (the next frame when the movie's rate says it is due by
// the engine clock, so playback is deterministic under a manual clock) or as
// a given frame. The sound track goes to the mixer of the sound system as one
// sample that "Play" starts at the current frame's time and "Stop" stops;
// without an open audio device the movie plays silent. Every track the open
// selects (one, or all of them for a track number of 7 or more) plays on a
// sample of its own, and the mixer mixes them; SetVolume sets one track's
// volume.
#pragma once

#include "engine/base/geometry.h"
#include "engine/base/linked_list.h"
#include "engine/base/object.h"
#include "engine/core/error.h"
#include "engine/platform/audio.h"

#include <cstdint>
#include <vector>

class CxDrawSurface;
class CxMovieDriver;
class CxVideo;

// Driver flags.
constexpr uint32_t CX_MOVIE_DRIVER_FLAG_01 = 0x01; // passed on as the library's open flag 0x200
constexpr uint32_t CX_MOVIE_DRIVER_SOUND = 0x02;

// Frame record flags: in.
constexpr uint32_t CX_MOVIE_FRAME_DEFAULT = 0x01; // always set
constexpr uint32_t CX_MOVIE_FRAME_IN_TIME = 0x02; // advance with the movie's timing
// Out.
constexpr uint32_t CX_MOVIE_FRAME_WAIT = 0x20000000u;   // not yet time for the next frame
constexpr uint32_t CX_MOVIE_FRAME_DONE = 0x40000000u;   // a frame was decoded
constexpr uint32_t CX_MOVIE_FRAME_FAILED = 0x80000000u; // the frame did not decode (the movie's end)

// Smacker open flags (the values the library takes).
constexpr uint32_t CX_SMACK_OPEN_SOUND = 0x40;
constexpr uint32_t CX_SMACK_OPEN_FLAG_200 = 0x200;
constexpr uint32_t CX_SMACK_TRACK_0 = 0x2000;
constexpr uint32_t CX_SMACK_ALL_TRACKS = 0xFE000;
// Smacker buffer formats chosen from the surface's pixel format.
constexpr uint32_t CX_SMACK_BUFFER_555 = 0x80000000u;
constexpr uint32_t CX_SMACK_BUFFER_565 = 0xC0000000u;

constexpr uint32_t CX_MOVIE_DRIVER_SLOTS = 20;
// Sound tracks of a movie (0 to 6).
constexpr int32_t CX_MOVIE_TRACKS = 7;
constexpr uint32_t CX_MOVIE_EXTENSION_SIZE = 8; // text including "." and the terminator

// What DoFrame is asked to do, and what it did.
struct ST_MOVIE_FRAME
{
    uint32_t nFlags = CX_MOVIE_FRAME_DEFAULT;
    CxDrawSurface* pSurface = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    int32_t nFrame = 0;                     // the frame to show when not playing in time
    CxLinkedList<CxRect>* pDirty = nullptr; // optional: filled with the changed parts (inclusive)
};

// A driver factory: a new driver for the file opened with the flags, or null.
typedef CxMovieDriver* (*CxMovieDriverFactory)(const char* fileName, uint32_t flags);

struct ST_MOVIE_DRIVER_ENTRY
{
    char szExtension[CX_MOVIE_EXTENSION_SIZE];
    CxMovieDriverFactory pfnFactory;
    uint32_t nSpare;
};

// Stores the driver for the extension (which must begin with "."; longer
// ones are cut to 7 characters) in the first free entry. Returns 0, or 16 for
// an extension without the period. A full table stores nothing and returns 0.
uint32_t RegisterMovieDriver(const char* extension, CxMovieDriverFactory factory, uint32_t spare = 0);
// Empties the registry.
void ClearMovieDrivers();
// The entry at index (0..19), null past the end.
const ST_MOVIE_DRIVER_ENTRY* GetMovieDriverEntry(uint32_t index);
// A driver for the file from the first entry whose extension ends its name
// (in any letter case); null with error 16 or 13 reported.
CxMovieDriver* CreateMovieDriver(const char* fileName, uint32_t flags);
// Registers ".SMK" with the Smacker driver and installs the sprites' movie
// hooks; the game application calls it when it starts. Safe to call again.
void RegisterMovieDrivers();
// Removes the sprites' movie hooks and the registry's entries.
void UnregisterMovieDrivers();

class CxMovieDriver : public CxObject, public CxError
{
public:
    CxMovieDriver() = default;
    CxMovieDriver(const CxMovieDriver&) = delete;
    CxMovieDriver& operator=(const CxMovieDriver&) = delete;
    // The virtual operations, in table order.
    ~CxMovieDriver() override = default;
    virtual uint32_t Open(const char* fileName, uint32_t flags) = 0;
    virtual void Close() = 0;
    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;
    virtual int32_t GetBitDepth() = 0;
    virtual int32_t GetFrameCount() = 0;
    // frame counts from 0.
    virtual uint32_t Goto(int32_t frame) = 0;
    virtual int32_t GetCurrentFrame() = 0;
    virtual uint32_t DoFrame(ST_MOVIE_FRAME* frame) = 0;
    // volume 0-127.
    virtual uint32_t SetVolume(int32_t volume, int32_t track) = 0;
    // Creates the surface's pixels with the movie's size at the depth.
    virtual uint32_t AllocateSurface(CxDrawSurface* surface, int32_t depth) = 0;
    virtual uint32_t Command(const char* name, intptr_t argument) = 0;
    virtual void* GetHandle() = 0;
    // True when the file says the movie is made to loop (its last frame leads
    // back to the first). Movie sprites loop then.
    virtual bool IsLooping() { return false; }
};

// The factory registered for ".SMK".
CxMovieDriver* CreateSmackerDriver(const char* fileName, uint32_t flags);

class CxSmackerDriver : public CxMovieDriver
{
public:
    CxSmackerDriver();
    ~CxSmackerDriver() override;

    uint32_t Open(const char* fileName, uint32_t flags) override;
    void Close() override;
    int32_t GetWidth() override;
    int32_t GetHeight() override;
    int32_t GetBitDepth() override { return 8; }
    // The movie's frames; a ring frame is not one of them (it leads back to frame 0).
    int32_t GetFrameCount() override;
    uint32_t Goto(int32_t frame) override;
    int32_t GetCurrentFrame() override;
    uint32_t DoFrame(ST_MOVIE_FRAME* frame) override;
    uint32_t SetVolume(int32_t volume, int32_t track) override;
    uint32_t AllocateSurface(CxDrawSurface* surface, int32_t depth) override;
    // "Stop": sound off; "Play": sound on when opened with sound, and the
    // timing starts again at the current frame; "TrackNumber" n: the track of
    // the next open and of SetVolume.
    uint32_t Command(const char* name, intptr_t argument) override;
    // The decoder (null when closed).
    void* GetHandle() override { return m_pMovie; }
    // A Smacker movie with a ring frame loops.
    bool IsLooping() override;

    uint32_t GetFlags() const { return m_nFlags; }
    int32_t GetTrack() const { return m_nTrack; }
    // The open flags the library was given (0 when closed).
    uint32_t GetOpenFlags() const { return m_nOpenFlags; }
    bool IsSoundOn() const { return m_bSoundOn; }
    // The tracks that play: those the open flags select that the movie has (bit n: track n).
    uint32_t GetPlayedTracks() const;
    // The library's volume and pan of a track's last SetVolume (0 for a number outside 0..6).
    int32_t GetLibraryVolume(int32_t track = 0) const;
    int32_t GetLibraryPan(int32_t track = 0) const
    {
        return track >= 0 && track < CX_MOVIE_TRACKS ? m_Tracks[track].nPan : 0;
    }
    // The mixer sample of the first track that has played (null until one plays).
    HCXSAMPLE GetSample() const;
    // The mixer sample that plays a track (null until it first plays).
    HCXSAMPLE GetTrackSample(int32_t track) const;
    // The surface of the last AllocateSurface (a movie sprite's image).
    CxDrawSurface* GetAttachedSurface() const { return m_pSurface; }

private:
    // Sound on or off; returns the previous state.
    bool SoundOnOff(bool on);
    // Starts the played tracks at the current frame's time, when there is a device.
    void StartSound();
    void StopSound();
    // Decodes a track (once) and readies its sample at the current frame's time.
    bool PrepareTrack(int32_t number, HCXDRIVER device);
    void ApplyVolume(int32_t number);
    // True while it is not yet time for the current frame.
    bool Wait();

    uint32_t m_nFlags = 0;
    CxVideo* m_pMovie = nullptr;
    int32_t m_nTrack = 0;
    uint32_t m_nOpenFlags = 0;
    bool m_bSoundOn = false;
    // In-time play: the tick at which frame m_nBaseFrame was due.
    bool m_bTiming = false;
    uint32_t m_nBaseTicks = 0;
    int32_t m_nBaseFrame = 0;
    // Each sound track: decoded once, and the mixer sample playing it.
    struct ST_MOVIE_TRACK
    {
        bool bLoaded = false;
        std::vector<uint8_t> audio;
        HCXSAMPLE hSample = nullptr;
        HCXDRIVER hDriver = nullptr;
        int32_t nVolume = 32767;
        int32_t nPan = 0x8000;
    };
    ST_MOVIE_TRACK m_Tracks[CX_MOVIE_TRACKS];
    CxDrawSurface* m_pSurface = nullptr;
};
