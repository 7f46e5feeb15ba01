// Replay files: timed input that a run plays instead of the devices, and
// that a recording writes while a person plays. Plain text, one item a line:
//
//   replay 1                    the first line
//   seed N                      optional, before the events: the random seed
//   step MS                     optional, before the events: game milliseconds
//                               a pass (1 to 1000, 10 when left out)
//   <ms> move x y               the pointer moves
//   <ms> down x y <button>      a button goes down (1 left, 2 middle, 3 right)
//   <ms> up x y <button>        ... and up
//   <ms> key <vk> <mods>        a key goes down (the engine's virtual key
//   <ms> keyup <vk> <mods>      number; modifier bits CX_MOD_*, 0 to 7)
//   <ms> text <word>            typed text, UTF-8, as one word: blanks,
//                               control bytes, '#' and '%' are written as
//                               %XX (two hex digits), at most 64 bytes
//   <ms> wheel <d>              the wheel turns d notches (not 0)
//   # ...                       a comment; blank lines are skipped (a
//                               recording ends with "# end MS", the game
//                               time it stopped)
//
// Times are game milliseconds and never decrease. Points are in the game's
// 640 x 480 logical space. Anything else is refused with its line number,
// so that a bad file stops a run before its first frame.
#pragma once

#include "engine/platform/input_kind.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t REPLAY_WIDTH = 640;
constexpr int32_t REPLAY_HEIGHT = 480;
constexpr uint32_t REPLAY_DEFAULT_STEP = 10;
constexpr size_t REPLAY_MAX_TEXT = 64;
constexpr int32_t REPLAY_MAX_WHEEL = 100;

using CxReplayKind = CxInputKind;

struct CxReplayEvent
{
    uint32_t time = 0;
    CxReplayKind kind = CxReplayKind::Move;
    int32_t x = 0, y = 0;
    int32_t button = 0;  // down, up
    uint32_t key = 0;    // key, keyup
    uint32_t mods = 0;   // key, keyup
    std::string text;    // text
    int32_t notches = 0; // wheel

    bool operator==(const CxReplayEvent&) const = default;
};

struct CxReplayScript
{
    bool hasSeed = false;
    uint32_t seed = 0;
    uint32_t step = REPLAY_DEFAULT_STEP;
    std::vector<CxReplayEvent> events;
};

// Reads a whole file's text. On a bad line: false, and "LINE: reason" in
// *why (the caller names the file); the script then holds the lines before.
bool ParseReplay(const char* text, size_t size, CxReplayScript* script, std::string* why);

// The header lines ("replay 1", the seed when set, the step) and one event
// line, each ending in a newline; ParseReplay reads back what they write.
std::string FormatReplayHeader(const CxReplayScript& script);
std::string FormatReplayEvent(const CxReplayEvent& event);

// Typed text as a replay word and back: the bytes that would split the line
// or end it (blanks, control bytes, '#') and '%' itself become %XX. Decoding
// refuses a '%' without two hex digits after it.
std::string EncodeReplayText(const std::string& text);
bool DecodeReplayText(const std::string& word, std::string* text);

// Whether the engine knows the virtual key: letters, digits, F1 to F12 and
// the named keys of the window layer.
bool IsReplayKey(uint32_t virtualKey);
