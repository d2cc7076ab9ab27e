#include "shell/windows/windows_platform.hpp"

#include "shell/box_answer.hpp"
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
    // The box disables its owner and runs its own message loop, which still
    // dispatches the game window's messages: WM_PAINT keeps the board drawn,
    // and the front end drops keys while the tick that opened the box runs.
    // The box itself takes only its own keys.
    const BoxKeyFilter only_box_keys;
    const int pressed = MessageBoxW(window_.handle(), wide(prompt).c_str(), wide(title).c_str(),
                                    buttons == Buttons::ok_cancel ? MB_OKCANCEL : MB_OK);
    window_.drop_queued_keys();
    // IDOK and IDCANCEL are the game's answers; 0 is a box that failed.
    return box_answer(pressed, buttons);
}

void WindowsPlatform::End()
{
    ExitProcess(0);
}

} // namespace blockdrop::windows
