// Helpers shared by the window's translation code and its test-input code.
#pragma once

#include <SDL.h>

#include <cstdint>

struct CxInputRecord;

namespace window_detail {
// The engine's modifier bits of SDL's, and the virtual key of an SDL key (0
// for keys the engine does not know).
uint32_t ModifiersOf(uint16_t mod);
uint32_t VirtualKeyOf(const SDL_Keysym& key);
// The SDL key (scancode and key code) of an engine virtual key with modifiers.
SDL_Keysym KeysymOf(uint32_t virtualKey, uint32_t modifiers);
// The SDL id of the platform window, 0 without one.
uint32_t WindowId();
// Pushes an event onto SDL's queue while video is started; it passes the
// filter that keeps device input out of replayed runs.
void Push(SDL_Event& event);
// Puts that filter in place (once, when video starts: setting a filter
// drops the events queued before it).
void InstallInputFilter();
// Hands a translated input event to the recording tap, if any.
void TapInput(const CxInputRecord& input);
} // namespace window_detail
