#include "shell/desktop/desktop_platform.hpp"

#include "shell/desktop/window.hpp"

#include <SDL.h>

#include <stdexcept>
#include <string>

namespace blockdrop {

void DesktopPlatform::paint(const Form1& form)
{
    window_.paint(form);
}

int DesktopPlatform::MsgBox(std::string_view prompt, Buttons buttons, std::string_view title)
{
    // The board as the tick has left it stays on screen behind the box.
    window_.paint(board());

    const std::string message(prompt);
    const std::string caption(title);
    const bool with_cancel = buttons == Buttons::ok_cancel;
    // Return answers OK; Escape answers Cancel, or OK where that is the only
    // button.
    const Uint32 ok_keys = with_cancel ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT
                                       : SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                             SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    const SDL_MessageBoxButtonData choices[] = {
        {ok_keys, answer_ok, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, answer_cancel, "Cancel"},
    };
    const SDL_MessageBoxData box{
        SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
        window_.handle(),
        caption.c_str(),
        message.c_str(),
        with_cancel ? 2 : 1,
        choices,
        nullptr,
    };
    int pressed = -1;
    if (SDL_ShowMessageBox(&box, &pressed) != 0)
        throw std::runtime_error(std::string("cannot show the message box: ") + SDL_GetError());

    // Keys pressed on the game window while the box was up belong to the
    // game that just ended; they must not move the next game's bucket.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_KEYUP);

    if (pressed == answer_ok || pressed == answer_cancel)
        return pressed;
    // Closed without a choice: a refusal where there is one to make.
    return with_cancel ? answer_cancel : answer_ok;
}

} // namespace blockdrop
