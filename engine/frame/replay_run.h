// Runs driven by the command line instead of the devices and the wall
// clock, for reproducible games (tests, regression replays):
//
//   --replay FILE         timed input from a replay file (engine/core/replay.h);
//                         the devices' input is ignored
//   --record FILE         every input event the program receives, written in
//                         the same format to FILE.new and renamed to FILE at
//                         the end; without --replay the passes keep to real
//                         time, one step each
//   --screenshot MS:FILE  after the paint of the first pass at game time
//                         >= MS, the screen as a 24-bit BMP (repeatable)
//   --exit-after MS       at game time MS the program quits without asking
//   --seed N              the random generator's seed (over the option
//                         file's and the replay file's)
//   --frame-stats FILE    the wall time of every pass and its median and
//                         99th percentile, written at the end
//                         (engine/frame/frame_stats.h)
//
// Any of them puts a manual clock in place that every pass of the message
// pump moves on by the replay's step (10 ms without a file), and sounds
// play by that clock instead of the audio device's progress, so a run
// depends on its input alone, never on the speed of the machine.
#pragma once

#include "engine/core/pass_driver.h"
#include "engine/core/replay.h"
#include "engine/frame/frame_stats.h"
#include "engine/platform/clock.h"
#include "engine/platform/window.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

class CxDrawSurface;
class CxWindowApp;

extern const char* const RUN_OPTIONS_USAGE;

struct CxRunOptions
{
    std::string replayFile;
    std::string recordFile;
    std::string frameStatsFile;
    bool hasSeed = false;
    uint32_t seed = 0;
    bool hasExitAfter = false;
    uint32_t exitAfter = 0;
    std::vector<std::pair<uint32_t, std::string>> screenshots; // game time, file
    // Set by the program, not the command line: a program makes the input
    // (a test player), so the passes go as fast as they can and the devices
    // are ignored, as under --replay, even when only --record is given.
    bool inputFromProgram = false;
    // Whether any option asks for a driven run.
    bool Any() const
    {
        return !replayFile.empty() || !recordFile.empty() || !frameStatsFile.empty() || hasSeed ||
               hasExitAfter || !screenshots.empty();
    }
};

// Reads the arguments after the program's name. False, with the reason in
// *why, for an unknown option, a missing or bad value.
bool ParseRunOptions(const std::vector<std::string>& arguments, CxRunOptions* options, std::string* why);

// Writes the surface (16-bit 5-6-5 or 5-5-5, 24- or 32-bit) as a 24-bit BMP;
// 16-bit channels are widened exactly (each value's top bits repeated below
// it, so 0 stays 0 and full stays 255). False when the file cannot be written.
bool WriteScreenshot(CxDrawSurface* surface, const char* fileName);

// Hands one event to the engine's input as a replay does, so that a
// recording writes it: moves, presses and wheel turns (at the pointer given)
// come as from the mouse, keys and text as from the keyboard.
void InjectReplayEvent(const CxReplayEvent& event, int32_t pointerX, int32_t pointerY);

class CxReplayRun : public CxPassDriver
{
public:
    CxReplayRun() = default;
    ~CxReplayRun() override;
    CxReplayRun(const CxReplayRun&) = delete;
    CxReplayRun& operator=(const CxReplayRun&) = delete;

    // Reads the replay file when one is named and opens the recording. False,
    // with "replay FILE:LINE: reason" (or the file's trouble) in *why.
    bool Load(const CxRunOptions& options, std::string* why);
    // Puts the manual clock in place (at 0), makes sounds follow it, seeds the random generator and
    // drives the application's passes; Uninstall (and the destructor) undo it.
    void Install(CxWindowApp& app);
    void Uninstall();

    void BeginPass() override;
    void EndPass() override;

    uint32_t GetTime() { return m_Clock.GetTicks(); }
    size_t GetEventsPlayed() const { return m_nNext; }
    size_t GetEventsRecorded() const { return m_nRecorded; }

private:
    bool LoadReplay(std::string* why);
    void Inject(const CxReplayEvent& event);
    static void Record(const CxInputRecord& input, void* context);
    void Write(const CxReplayEvent& event);
    // Closes the recording: renamed into place when every line was written.
    void FinishRecording();
    void WriteFrameStats();

    CxRunOptions m_Options;
    CxReplayScript m_Script;
    CxManualClock m_Clock;
    CxClock* m_pPreviousClock = nullptr;
    bool m_bPreviousSoundGameTime = false;
    CxWindowApp* m_pApp = nullptr;
    bool m_bFirstPass = true;
    size_t m_nNext = 0;
    size_t m_nShots = 0; // screenshots taken (they are kept in time order)
    int32_t m_nPointerX = 0, m_nPointerY = 0;
    FILE* m_pRecording = nullptr;
    bool m_bRecordingFailed = false;
    bool m_bRecordingStarted = false; // the header is written
    size_t m_nRecorded = 0;
    uint32_t m_nLastRealPass = 0;
    CxFrameStats m_FrameStats;
};
