#include "shell/windows/keys.hpp"

#include "shell/platform.hpp"
#include "shell/window_keys.hpp"

#include <windows.h>

namespace blockdrop::windows {

// The system's virtual-key codes are the game's own: they go to the key
// handler unchanged.
static_assert(VK_LEFT == key_left && VK_RIGHT == key_right && VK_UP == key_up &&
              VK_DOWN == key_down && VK_RETURN == key_return && VK_ESCAPE == key_escape &&
              VK_SPACE == key_space && VK_TAB == key_tab && VK_F1 == key_f1 &&
              VK_BACK == key_back && VK_DELETE == key_delete);
static_assert(IDOK == answer_ok && IDCANCEL == answer_cancel);

namespace {

bool held(int key)
{
    return (static_cast<unsigned short>(GetKeyState(key)) & 0x8000U) != 0;
}

// A nonzero result tells the box's loop that the message has been handled:
// the loop neither translates nor dispatches it.
LRESULT CALLBACK filter_box_keys(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX) {
        const auto* message = reinterpret_cast<const MSG*>(lparam);
        const bool down = message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN;
        if (down && switches_full_screen(static_cast<int>(message->wParam), modifier_state())) {
            if (!is_repeat(message->lParam))
                PostMessageW(GetWindow(GetAncestor(message->hwnd, GA_ROOT), GW_OWNER),
                             switch_full_screen_message, 0, 0);
            return 1;
        }
        if ((message->message == WM_KEYDOWN || message->message == WM_KEYUP) &&
            !box_takes_key(static_cast<int>(message->wParam)))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

} // namespace

bool is_repeat(LPARAM key_data)
{
    return (static_cast<unsigned long>(key_data) & (1UL << 30U)) != 0;
}

int modifier_state()
{
    return (held(VK_SHIFT) ? shift_mask : 0) | (held(VK_CONTROL) ? ctrl_mask : 0) |
           (held(VK_MENU) ? alt_mask : 0);
}

bool box_takes_key(int key)
{
    return key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB || key == VK_SPACE;
}

BoxKeyFilter::BoxKeyFilter()
    : hook_(SetWindowsHookExW(WH_MSGFILTER, &filter_box_keys, nullptr, GetCurrentThreadId()))
{
}

BoxKeyFilter::~BoxKeyFilter()
{
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
}

} // namespace blockdrop::windows
