// Test input: SDL events pushed onto the queue as a real window would
// deliver them, so tests drive the whole translation path headless.
#include "engine/platform/window.h"
#include "engine/platform/window_internal.h"

#include <SDL.h>

using window_detail::KeysymOf;
using window_detail::Push;
using window_detail::WindowId;

void CxInjectKey(uint32_t virtualKey, bool down, uint32_t modifiers)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.timestamp = SDL_GetTicks();
    event.key.windowID = WindowId();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym = KeysymOf(virtualKey, modifiers);
    Push(event);
}

void CxInjectText(const char* text, uint32_t modifiers)
{
    (void)modifiers;
    SDL_Event event = {};
    event.type = SDL_TEXTINPUT;
    event.text.timestamp = SDL_GetTicks();
    event.text.windowID = WindowId();
    strncpy(event.text.text, text ? text : "", sizeof(event.text.text) - 1);
    Push(event);
}

void CxInjectMouseButton(int32_t button, bool down, int32_t x, int32_t y, int32_t clicks)
{
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.timestamp = SDL_GetTicks();
    event.button.windowID = WindowId();
    event.button.button = static_cast<Uint8>(button);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = static_cast<Uint8>(clicks);
    const CxPoint p = MapLogicalToWindow(x, y);
    event.button.x = p.x;
    event.button.y = p.y;
    Push(event);
}

void CxInjectMouseMotion(int32_t x, int32_t y)
{
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.timestamp = SDL_GetTicks();
    event.motion.windowID = WindowId();
    const CxPoint p = MapLogicalToWindow(x, y);
    event.motion.x = p.x;
    event.motion.y = p.y;
    event.motion.xrel = x - GetPlatformMousePosition().x;
    event.motion.yrel = y - GetPlatformMousePosition().y;
    Push(event);
}

void CxInjectMouseWheel(int32_t notches, int32_t x, int32_t y)
{
    CxInjectMouseMotion(x, y);
    SDL_Event event = {};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.timestamp = SDL_GetTicks();
    event.wheel.windowID = WindowId();
    event.wheel.y = notches;
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    Push(event);
}

static void InjectWindowEvent(Uint8 kind, int32_t data1 = 0, int32_t data2 = 0)
{
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = SDL_GetTicks();
    event.window.windowID = WindowId();
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    Push(event);
}

void CxInjectWindowClose()
{
    InjectWindowEvent(SDL_WINDOWEVENT_CLOSE);
}

void CxInjectQuit()
{
    SDL_Event event = {};
    event.type = SDL_QUIT;
    event.quit.timestamp = SDL_GetTicks();
    Push(event);
}

void CxInjectFocus(bool gained)
{
    InjectWindowEvent(gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}

void CxInjectMinimize(bool minimized)
{
    InjectWindowEvent(minimized ? SDL_WINDOWEVENT_MINIMIZED : SDL_WINDOWEVENT_RESTORED);
}

void CxInjectMove(int32_t x, int32_t y)
{
    InjectWindowEvent(SDL_WINDOWEVENT_MOVED, x, y);
}

void CxInjectResize(int32_t width, int32_t height)
{
    InjectWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, width, height);
}

void CxInjectExpose()
{
    InjectWindowEvent(SDL_WINDOWEVENT_EXPOSED);
}
