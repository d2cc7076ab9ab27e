#include "shell/windows/keys.hpp"

#include "shell/platform.hpp"

#include <windows.h>

namespace blockdrop::windows {

// The system's virtual-key codes are the game's own: they go to the key
// handler unchanged.
static_assert(VK_LEFT == key_left && VK_RIGHT == key_right && VK_UP == key_up &&
              VK_DOWN == key_down && VK_RETURN == key_return && VK_ESCAPE == key_escape &&
              VK_SPACE == key_space && VK_F1 == key_f1 && VK_BACK == key_back &&
              VK_DELETE == key_delete);
static_assert(IDOK == answer_ok && IDCANCEL == answer_cancel);

namespace {

bool held(int key)
{
    return (static_cast<unsigned short>(GetKeyState(key)) & 0x8000U) != 0;
}

} // namespace

int modifier_state()
{
    return (held(VK_SHIFT) ? shift_mask : 0) | (held(VK_CONTROL) ? ctrl_mask : 0) |
           (held(VK_MENU) ? alt_mask : 0);
}

int game_answer(int pressed, bool with_cancel)
{
    if (pressed == IDOK || pressed == IDCANCEL)
        return pressed;
    return with_cancel ? answer_cancel : answer_ok;
}

} // namespace blockdrop::windows
