// CLipSynch: a mouth that moves with recorded speech.
//
// The mouth is a sprite whose frames go from closed (frame 0) to most open
// (the last frame). Talking plays a queue of sounds one after another; before
// each one plays, its samples are measured in windows of 100 ms, and while it
// plays a 100 ms timer shows the frame of the window the sound has reached
// (in a driven run: the window of the sound's game-time play position).
//
// Loudness table (AnalyseLipSound): W = sample rate / 10 frames per window,
// (frames / W) + 1 entries of the mean absolute sample of each whole window
// (8-bit samples are unsigned and centred on 128; several channels are
// averaged; IMA ADPCM is measured on a decompressed copy). The smallest entry
// is looked for from 255 down and the largest from 0 up; an entry e becomes
// frame (e - smallest) / D with D = (largest - smallest + 1) / K for a mouth
// of K frames (D at least 1), kept within 0..K-1. A sound shorter than a
// window, a rate below 10 and MP3 data give a closed mouth throughout.
#pragma once

#include "engine/base/array.h"
#include "engine/base/linked_list.h"
#include "engine/core/pause_resume.h"
#include "engine/core/timer.h"
#include "engine/graphics/sprite.h"

#include <cstdint>

class CxSound;
class CLipSynch;

constexpr uint32_t LIP_TICK_MS = 100;

struct ST_LIP_TABLE
{
    CxArray<uint8_t> frames; // one mouth frame per 100 ms
    int32_t nMinimum = 255;
    int32_t nMaximum = 0;
    uint32_t nWindow = 0; // sample frames per entry (0: not measured)
};

// Measures a wave image (the data of a CxSound with its play flags). Returns
// 0, or 1 when the table cannot be allocated.
uint32_t AnalyseLipSound(const uint8_t* data, uint32_t size, uint32_t playFlags, int32_t mouthFrames,
                         ST_LIP_TABLE* table);
// Turns the loudness entries into frames: the last step of the analysis.
void LoudnessToFrames(const CxArray<int32_t>& loudness, uint32_t wholeWindows, int32_t mouthFrames,
                      ST_LIP_TABLE* table);

// Called when the queue is done.
typedef void (*PFN_LIP_END)(CLipSynch* lips, void* context);

class CLipSynch : public CxSprite, public CxTimerListener, public CxPauseResume
{
public:
    CLipSynch();
    // Stops talking and deletes the sounds it holds.
    ~CLipSynch() override;

    // Stops what it was saying, shows itself and says the sounds in order.
    // The sounds are taken over and deleted when said or stopped.
    virtual void Talk(CxLinkedList<CxSound*>& sounds);
    // Starts the next sound of the queue; false when the queue is done.
    virtual bool NextSound();
    // Stops sound and timer, empties the queue, closes and hides the mouth.
    virtual void StopTalking();
    void OnTimer(CxTimer* timer) override;

    bool IsActive() const { return m_bActive; }
    void SetEndCallback(PFN_LIP_END callback, void* context)
    {
        m_pfnEnd = callback;
        m_pEndContext = context;
    }
    int32_t GetIndex() const { return m_nIndex; }
    CxSound* GetCurrentSound() const { return m_pSound; }
    const ST_LIP_TABLE& GetTable() const { return m_Table; }
    const CxTimerCallBack& GetTimer() const { return m_Timer; }

protected:
    void Pause() override;
    void Resume() override;
    void DeleteQueue();

    CxLinkedList<CxSound*> m_Queue;
    int32_t m_nIndex = -1;
    CxSound* m_pSound = nullptr;
    ST_LIP_TABLE m_Table;
    bool m_bActive = false;
    CxTimerCallBack m_Timer;
    PFN_LIP_END m_pfnEnd = nullptr;
    void* m_pEndContext = nullptr;
};
