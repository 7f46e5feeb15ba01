// The monkey: a random player for soaks and sanitizer runs. It makes input
// only (pointer moves, left clicks, a few keys) from a random generator of
// its own, so it never changes what the engine's generator deals and never
// touches the game's state except through the input a person could give.
//
// It steers the pointer toward a target that changes every 0.5 to 3 s of
// game time, clicks now and then (often on the known buttons of the title,
// the map and the dialogs), and never presses Alt+Q, Alt+F4 or closes the
// window, nor clicks where the game would quit or open a web page
// (IsForbiddenClick). Its timing is game time (the engine's clock), so it
// works the same under the stepping clock of a driven run and in real time.
#pragma once

#include "engine/core/pass_driver.h"
#include "engine/core/replay.h"

#include <cstdint>
#include <optional>
#include <random>

constexpr uint32_t MONKEY_MIN_TARGET_MS = 500;
constexpr uint32_t MONKEY_MAX_TARGET_MS = 3000;

class CMonkey
{
public:
    explicit CMonkey(uint32_t seed);

    // The input due at game time now: at most one event a call, so that a
    // pass handles what it is given before the next comes.
    std::optional<CxReplayEvent> Next(uint32_t now);

    // Where the pointer is heading, and the game time it picks the next target.
    int32_t GetTargetX() const { return m_nTargetX; }
    int32_t GetTargetY() const { return m_nTargetY; }
    uint32_t GetNextTargetTime() const { return m_nNextTarget; }

    // Whether a click at (x, y) could end the game or leave it: the title's
    // exit button, and the closing screen's exit button and web link.
    static bool IsForbiddenClick(int32_t x, int32_t y);

private:
    uint32_t Between(uint32_t low, uint32_t high);
    void PickTarget(uint32_t now);
    std::optional<CxReplayEvent> Click(uint32_t now);
    std::optional<CxReplayEvent> Key(uint32_t now);

    std::mt19937 m_Random;
    bool m_bStarted = false;
    int32_t m_nX = REPLAY_WIDTH / 2, m_nY = REPLAY_HEIGHT / 2;
    int32_t m_nTargetX = REPLAY_WIDTH / 2, m_nTargetY = REPLAY_HEIGHT / 2;
    uint32_t m_nNextTarget = 0;
    uint32_t m_nNextMove = 0;
    uint32_t m_nNextClick = 0;
    uint32_t m_nNextKey = 0;
    bool m_bButtonDown = false;
    uint32_t m_nReleaseAt = 0;
    uint32_t m_nKeyDown = 0; // the key held, 0 for none
};

// Drives the passes for the monkey: the inner driver (a driven run's replay
// run, or none in real time) goes first, then the monkey's input for the
// pass is injected as a replay's would be, so --record writes it.
class CMonkeyDriver : public CxPassDriver
{
public:
    CMonkeyDriver(uint32_t seed, CxPassDriver* inner) : m_Monkey(seed), m_pInner(inner) {}

    void BeginPass() override;
    void EndPass() override;
    // Without an inner driver the passes keep the frame cap in real time.
    bool PacesInRealTime() const override { return !m_pInner || m_pInner->PacesInRealTime(); }

    uint64_t GetEventsMade() const { return m_nEvents; }

private:
    CMonkey m_Monkey;
    CxPassDriver* m_pInner;
    uint64_t m_nEvents = 0;
};
