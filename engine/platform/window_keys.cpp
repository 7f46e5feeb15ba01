// The keyboard's side of the window: SDL keys and modifiers to the
// engine's virtual keys and modifier bits, and back for test input.
#include "engine/platform/window.h"
#include "engine/platform/window_internal.h"

#include <SDL.h>

namespace {
uint16_t SdlModOf(uint32_t modifiers)
{
    uint16_t mod = KMOD_NONE;
    if (modifiers & CX_MOD_SHIFT)
        mod |= KMOD_LSHIFT;
    if (modifiers & CX_MOD_CONTROL)
        mod |= KMOD_LCTRL;
    if (modifiers & CX_MOD_ALT)
        mod |= KMOD_LALT;
    return mod;
}

struct KeyEntry
{
    SDL_Scancode m_Scancode;
    uint32_t m_nVirtualKey;
};

const KeyEntry s_KeyTable[] = {
    {SDL_SCANCODE_BACKSPACE, CX_VK_BACK}, {SDL_SCANCODE_TAB, CX_VK_TAB},
    {SDL_SCANCODE_RETURN, CX_VK_RETURN},  {SDL_SCANCODE_KP_ENTER, CX_VK_RETURN},
    {SDL_SCANCODE_LSHIFT, CX_VK_SHIFT},   {SDL_SCANCODE_RSHIFT, CX_VK_SHIFT},
    {SDL_SCANCODE_LCTRL, CX_VK_CONTROL},  {SDL_SCANCODE_RCTRL, CX_VK_CONTROL},
    {SDL_SCANCODE_LALT, CX_VK_MENU},      {SDL_SCANCODE_RALT, CX_VK_MENU},
    {SDL_SCANCODE_PAUSE, CX_VK_PAUSE},    {SDL_SCANCODE_ESCAPE, CX_VK_ESCAPE},
    {SDL_SCANCODE_SPACE, CX_VK_SPACE},    {SDL_SCANCODE_PAGEUP, CX_VK_PRIOR},
    {SDL_SCANCODE_PAGEDOWN, CX_VK_NEXT},  {SDL_SCANCODE_END, CX_VK_END},
    {SDL_SCANCODE_HOME, CX_VK_HOME},      {SDL_SCANCODE_LEFT, CX_VK_LEFT},
    {SDL_SCANCODE_UP, CX_VK_UP},          {SDL_SCANCODE_RIGHT, CX_VK_RIGHT},
    {SDL_SCANCODE_DOWN, CX_VK_DOWN},      {SDL_SCANCODE_INSERT, CX_VK_INSERT},
    {SDL_SCANCODE_DELETE, CX_VK_DELETE},  {SDL_SCANCODE_SCROLLLOCK, CX_VK_SCROLL},
};

} // namespace

uint32_t window_detail::ModifiersOf(uint16_t mod)
{
    uint32_t result = 0;
    if (mod & KMOD_SHIFT)
        result |= CX_MOD_SHIFT;
    if (mod & KMOD_CTRL)
        result |= CX_MOD_CONTROL;
    if (mod & KMOD_ALT)
        result |= CX_MOD_ALT;
    return result;
}

// Letters and digits follow the keyboard layout (Alt+Q is the key marked Q);
// every other key is taken by its position.
uint32_t window_detail::VirtualKeyOf(const SDL_Keysym& key)
{
    if (key.sym >= SDLK_a && key.sym <= SDLK_z)
        return static_cast<uint32_t>('A' + (key.sym - SDLK_a));
    if (key.sym >= SDLK_0 && key.sym <= SDLK_9)
        return static_cast<uint32_t>('0' + (key.sym - SDLK_0));
    if (key.scancode >= SDL_SCANCODE_F1 && key.scancode <= SDL_SCANCODE_F12)
        return CX_VK_F1 + static_cast<uint32_t>(key.scancode - SDL_SCANCODE_F1);
    for (const KeyEntry& entry : s_KeyTable)
        if (entry.m_Scancode == key.scancode)
            return entry.m_nVirtualKey;
    return 0;
}

SDL_Keysym window_detail::KeysymOf(uint32_t virtualKey, uint32_t modifiers)
{
    SDL_Keysym key = {};
    key.mod = SdlModOf(modifiers);
    if (virtualKey >= 'A' && virtualKey <= 'Z')
    {
        key.scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (virtualKey - 'A'));
        key.sym = static_cast<SDL_Keycode>(SDLK_a + (virtualKey - 'A'));
        return key;
    }
    if (virtualKey >= '0' && virtualKey <= '9')
    {
        key.scancode = virtualKey == '0' ? SDL_SCANCODE_0
                                         : static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (virtualKey - '1'));
        key.sym = static_cast<SDL_Keycode>(SDLK_0 + (virtualKey - '0'));
        return key;
    }
    if (virtualKey >= CX_VK_F1 && virtualKey <= CX_VK_F12)
        key.scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + (virtualKey - CX_VK_F1));
    else
        for (const KeyEntry& entry : s_KeyTable)
            if (entry.m_nVirtualKey == virtualKey)
            {
                key.scancode = entry.m_Scancode;
                break;
            }
    key.sym = SDL_GetKeyFromScancode(key.scancode);
    return key;
}
