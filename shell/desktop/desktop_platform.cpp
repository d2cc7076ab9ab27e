#include "shell/desktop/desktop_platform.hpp"

#include "shell/box_answer.hpp"
#include "shell/desktop/box_layout.hpp"
#include "shell/desktop/keys.hpp"
#include "shell/desktop/pad.hpp"
#include "shell/desktop/window.hpp"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

namespace blockdrop {

void DesktopPlatform::paint(const Form1& form)
{
    window_.paint(form);
}

int DesktopPlatform::MsgBox(std::string_view prompt, Buttons buttons, std::string_view title)
{
    const BoxText box{title, prompt, buttons};
    // The button under the pointer, at the scale of the moment: the mouse
    // comes in window units, the layout is in device pixels.
    const auto button_under = [&](int x, int y) {
        const double pixels = window_.pixels_per_unit();
        return button_at(box_layout(buttons, window_.scale()),
                         static_cast<int>(std::lround(x * pixels)),
                         static_cast<int>(std::lround(y * pixels)));
    };
    // The board as the tick has left it stays on screen around the box.
    window_.paint(board(), box);

    // A click answers on the button's release, if it was pressed there too;
    // 0 while no button is pressed.
    int pressed = 0;
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        const int wait = pads_ != nullptr ? pads_->wait_ms(now) : -1;
        SDL_Event event;
        const bool got = SDL_WaitEventTimeout(&event, wait) == 1;
        if (!got && wait < 0)
            throw std::runtime_error(std::string("cannot wait for events: ") + SDL_GetError());
        if (pads_ != nullptr) {
            if (got && pads_->take(event, now))
                continue;
            for (const PadAction action : pads_->poll(std::chrono::steady_clock::now())) {
                if (const auto answer = pad_answer(action, buttons))
                    return *answer;
            }
        }
        if (!got)
            continue;
        switch (event.type) {
        case SDL_QUIT: End();
        case SDL_KEYDOWN:
            // Every key but the box's two is dropped here, so none of them
            // reaches the next game.
            if (const auto answer = answer_for_key(virtual_key(event.key.keysym.sym), buttons))
                return *answer;
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT)
                pressed = button_under(event.button.x, event.button.y).value_or(0);
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT && pressed != 0 &&
                button_under(event.button.x, event.button.y) == pressed)
                return pressed;
            pressed = 0;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                End();
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                event.window.event == SDL_WINDOWEVENT_SHOWN ||
                event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                event.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED)
                window_.paint(board(), box);
            break;
        default: break;
        }
    }
}

} // namespace blockdrop
