// Recording and replaying input at the window: a tap that sees every input
// event as it is translated, and a filter that keeps the devices' input out
// while a replay drives the program.
#include "engine/platform/window.h"
#include "engine/platform/window_internal.h"

#include <SDL.h>

namespace {
PFN_INPUT_TAP s_pfnTap = nullptr;
void* s_pTapContext = nullptr;
bool s_bDevicesBlocked = false;
bool s_bPushing = false;

bool IsDeviceInput(Uint32 type)
{
    switch (type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
        return true;
    default:
        return false;
    }
}

// SDL calls the filter for every event added to its queue, the devices'
// and those pushed by the program alike.
int SDLCALL FilterInput(void*, SDL_Event* event)
{
    return s_bDevicesBlocked && !s_bPushing && IsDeviceInput(event->type) ? 0 : 1;
}
} // namespace

void SetPlatformInputTap(PFN_INPUT_TAP tap, void* context)
{
    s_pfnTap = tap;
    s_pTapContext = context;
}

void SetPlatformDeviceInputBlocked(bool blocked)
{
    s_bDevicesBlocked = blocked;
}

namespace window_detail {
void Push(SDL_Event& event)
{
    if (!IsPlatformVideoStarted())
        return;
    s_bPushing = true;
    SDL_PushEvent(&event);
    s_bPushing = false;
}

void InstallInputFilter()
{
    SDL_SetEventFilter(FilterInput, nullptr);
}

void TapInput(const CxInputRecord& input)
{
    if (s_pfnTap)
        s_pfnTap(input, s_pTapContext);
}
} // namespace window_detail
