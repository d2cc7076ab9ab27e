#include "shell/desktop/keys.hpp"

#include "shell/platform.hpp"

namespace blockdrop {

int virtual_key(SDL_Keycode key)
{
    switch (key) {
    case SDLK_LEFT: return key_left;
    case SDLK_RIGHT: return key_right;
    case SDLK_UP: return key_up;
    case SDLK_DOWN: return key_down;
    case SDLK_BACKSPACE: return key_back;
    case SDLK_TAB: return key_tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return key_return;
    case SDLK_ESCAPE: return key_escape;
    case SDLK_SPACE: return key_space;
    case SDLK_PAGEUP: return key_page_up;
    case SDLK_PAGEDOWN: return key_page_down;
    case SDLK_END: return key_end;
    case SDLK_HOME: return key_home;
    case SDLK_INSERT: return key_insert;
    case SDLK_DELETE: return key_delete;
    default: break;
    }
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return key_f1 + (key - SDLK_F1);
    return 0;
}

int modifier_state(Uint16 modifiers)
{
    return ((modifiers & KMOD_SHIFT) != 0 ? shift_mask : 0) |
           ((modifiers & KMOD_CTRL) != 0 ? ctrl_mask : 0) |
           ((modifiers & KMOD_ALT) != 0 ? alt_mask : 0);
}

} // namespace blockdrop
