#include "shell/windows/windows_platform.hpp"

#include "shell/windows/keys.hpp"
#include "shell/windows/text.hpp"
#include "shell/windows/window.hpp"

#include <windows.h>

namespace blockdrop::windows {

void WindowsPlatform::paint(const Form1& form)
{
    window_.paint(form);
}

int WindowsPlatform::MsgBox(std::string_view prompt, Buttons buttons, std::string_view title)
{
    // The board as the tick has left it stays on screen behind the box.
    window_.paint(board());
    const bool with_cancel = buttons == Buttons::ok_cancel;
    // The box disables its owner and runs its own message loop, which still
    // dispatches the game window's messages: WM_PAINT keeps the board drawn,
    // and the front end drops keys while the tick that opened the box runs.
    const int pressed = MessageBoxW(window_.handle(), wide(prompt).c_str(), wide(title).c_str(),
                                    with_cancel ? MB_OKCANCEL : MB_OK);
    window_.drop_queued_keys();
    return game_answer(pressed, with_cancel);
}

void WindowsPlatform::End()
{
    ExitProcess(0);
}

} // namespace blockdrop::windows
