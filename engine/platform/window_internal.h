// Helpers shared by the window's translation code and its test-input code.
#pragma once

#include <SDL.h>

#include <cstdint>

namespace window_detail {
// The SDL key (scancode and key code) of an engine virtual key with modifiers.
SDL_Keysym KeysymOf(uint32_t virtualKey, uint32_t modifiers);
// The SDL id of the platform window, 0 without one.
uint32_t WindowId();
// Pushes an event onto SDL's queue while video is started.
void Push(SDL_Event& event);
} // namespace window_detail
