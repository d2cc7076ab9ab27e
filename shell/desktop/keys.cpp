#include "shell/desktop/keys.hpp"

#include "shell/platform.hpp"

namespace blockdrop {

int virtual_key(SDL_Keycode key)
{
    switch (key) {
    case SDLK_LEFT: return key_left;
    case SDLK_RIGHT: return key_right;
    case SDLK_UP: return 38;
    case SDLK_DOWN: return 40;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN: return 13;
    case SDLK_ESCAPE: return 27;
    case SDLK_SPACE: return 32;
    case SDLK_PAGEUP: return 33;
    case SDLK_PAGEDOWN: return 34;
    case SDLK_END: return 35;
    case SDLK_HOME: return 36;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    default: break;
    }
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return 112 + (key - SDLK_F1);
    return 0;
}

int modifier_state(Uint16 modifiers)
{
    return ((modifiers & KMOD_SHIFT) != 0 ? shift_mask : 0) |
           ((modifiers & KMOD_CTRL) != 0 ? ctrl_mask : 0) |
           ((modifiers & KMOD_ALT) != 0 ? alt_mask : 0);
}

} // namespace blockdrop
