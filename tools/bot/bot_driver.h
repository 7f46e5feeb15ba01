// The bot: a player for the game's end-to-end tests that wins one kind of
// mission from a fresh profile. It clicks play on the title, travels to the
// building that gives the kind (by the map screen for the buildings the map
// shows, else along the driving nodes), waits through the giver's scenes,
// plays the mission with the kind's strategy (bot_strategy.h), drives back
// to the giver after the win, waits through its closing scene and ends the
// run the way --exit-after does (the normal tear-down saves the profile).
//
// Like the monkey it wraps the run's own pass driver and only makes input,
// injected as a replay's is, so --record writes every event it makes and
// the recording, replayed with --exit-after at the bot's end time, plays
// the same game. Its times are game time (the stepping clock of the run).
//
// Output lines: "bot: ..." at each step of the way; when the budget (game
// time from the start) runs out before the end, "bot: kind K not won in N
// minutes: <the strategy's account>" and the run ends as a failure.
#pragma once

#include "engine/core/pass_driver.h"
#include "tools/bot/bot_pointer.h"
#include "tools/bot/bot_strategy.h"

#include <cstdint>
#include <memory>

class CBuilding;
class CTown;

constexpr uint32_t BOT_BUDGET_MS = 15 * 60 * 1000;

enum class BotPhase
{
    Title,     // until the town is up
    ToGiver,   // travelling to the giver, then its scenes
    Playing,   // the mission runs
    Returning, // won: back to the giver
    Ending,    // the giver's closing scene
    Done,      // the run ends, won
    Failed,    // the run ends, not won (the budget ran out, no giver)
};

class CBotDriver : public CxPassDriver
{
public:
    CBotDriver(int32_t kind, CxPassDriver* inner, uint32_t budget = BOT_BUDGET_MS);
    ~CBotDriver() override;

    void BeginPass() override;
    // After the inner driver's end of the pass: the quit once the run is over.
    void EndPass() override;
    bool PacesInRealTime() const override { return m_pInner && m_pInner->PacesInRealTime(); }

    BotPhase GetPhase() const { return m_ePhase; }
    bool IsWon() const { return m_ePhase == BotPhase::Done; }
    // The game time the quit was asked for (0 before), and the times the
    // kind's mission started and was won.
    uint32_t GetEndTime() const { return m_nEndTime; }
    uint32_t GetStartTime() const { return m_nMissionStart; }
    uint32_t GetWinTime() const { return m_nWinTime; }

private:
    CBotAim Decide(uint32_t now);
    CBotAim InTown(CTown& town, uint32_t now);
    // Toward the giver: its building on the map screen, or along the nodes.
    CBotAim Travel(CTown& town, CBuilding& giver);
    void SetPhase(BotPhase phase, uint32_t now);
    CBotAim Idle() const;

    int32_t m_nKind;
    CxPassDriver* m_pInner;
    uint32_t m_nBudget;
    std::unique_ptr<IBotStrategy> m_pStrategy;
    CBotPointer m_Pointer;
    CBotAim m_Aim;
    BotPhase m_ePhase = BotPhase::Title;
    int32_t m_nGiver = -1; // the giver's building number
    uint32_t m_nCompletedAtStart = 0;
    bool m_bZoneSeenActive = false; // on the way back
    bool m_bControlLost = false;    // in the closing scene
    uint32_t m_nMissionStart = 0, m_nWinTime = 0, m_nEndTime = 0;
    bool m_bQuitAsked = false;
};
