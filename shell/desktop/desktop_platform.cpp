#include "shell/desktop/desktop_platform.hpp"

#include "shell/box_answer.hpp"
#include "shell/desktop/dialog/box_layout.hpp"
#include "shell/desktop/keys.hpp"
#include "shell/desktop/pads/desktop_pads.hpp"
#include "shell/desktop/window.hpp"
#include "shell/window_keys.hpp"

#include <chrono>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

namespace blockdrop {

void DesktopPlatform::paint(const Form1& form)
{
    if (box_ == nullptr) {
        window_.paint(form, nullptr);
        return;
    }
    // Once the player has used a pad, its buttons' marks beside OK and Cancel.
    BoxText shown = *box_;
    if (const auto family = pads_.last_used())
        shown.marks = box_pad_marks(*family);
    window_.paint(form, &shown);
}

int DesktopPlatform::MsgBox(std::string_view prompt, Buttons buttons, std::string_view title)
{
    const BoxText box{title, prompt, buttons};
    // The box is drawn while it is up, however run() ends.
    struct Shown {
        const BoxText*& at;
        const BoxText* under;
        ~Shown() { at = under; }
    } shown{box_, std::exchange(box_, &box)};
    // The board as the tick has left it stays on screen around the box.
    repaint();
    return run(&box);
}

int DesktopPlatform::run(const BoxText* box)
{
    // A click answers on release over the button it pressed; 0: none pressed.
    int pressed = 0;
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        int wait = pads_.wait_ms(now);
        if (box == nullptr) {
            const int due = wait_ms(now);
            if (due == 0)
                return 0;
            wait = earlier_wait(due, wait);
        }
        SDL_Event event;
        const bool got = SDL_WaitEventTimeout(&event, wait) == 1;
        if (!got && wait < 0)
            throw std::runtime_error(std::string("cannot wait for events: ") + SDL_GetError());
        if (got && !pads_.take(event, now)) {
            if (const auto answer = handle(event, box, pressed))
                return *answer;
        }
        const auto used = pads_.last_used();
        const auto actions = pads_.poll(std::chrono::steady_clock::now());
        // A pad used for the first time, or another kind: the box says so.
        if (box != nullptr && pads_.last_used() != used)
            repaint();
        for (const PadAction action : actions) {
            if (box == nullptr)
                press_pad_keys(*this, {action});
            else if (const auto answer = pad_answer(action, box->buttons))
                return *answer;
        }
    }
}

std::optional<int> DesktopPlatform::handle(const SDL_Event& event, const BoxText* box, int& pressed)
{
    switch (event.type) {
    case SDL_QUIT: End();
    case SDL_KEYDOWN:
        if (event.key.windowID != window_.id())
            break;
        if (switches_full_screen(virtual_key(event.key.keysym.sym),
                                 modifier_state(event.key.keysym.mod))) {
            if (event.key.repeat == 0)
                window_.toggle_full_screen();
            break;
        }
        // With a box up, keys that do not answer it are dropped.
        if (box != nullptr)
            return answer_for_key(virtual_key(event.key.keysym.sym), box->buttons);
        key_down(virtual_key(event.key.keysym.sym), modifier_state(event.key.keysym.mod));
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (box != nullptr && event.button.button == SDL_BUTTON_LEFT)
            pressed = button_under(box->buttons, event.button.x, event.button.y).value_or(0);
        break;
    case SDL_MOUSEBUTTONUP:
        if (box != nullptr && event.button.button == SDL_BUTTON_LEFT && pressed != 0 &&
            button_under(box->buttons, event.button.x, event.button.y) == pressed)
            return pressed;
        pressed = 0;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
            End();
        // Minimised or unmapped, the game waits for the player.
        if (event.window.event == SDL_WINDOWEVENT_MINIMIZED ||
            event.window.event == SDL_WINDOWEVENT_HIDDEN)
            away(std::chrono::steady_clock::now());
        if (event.window.event == SDL_WINDOWEVENT_RESTORED ||
            event.window.event == SDL_WINDOWEVENT_MAXIMIZED ||
            event.window.event == SDL_WINDOWEVENT_SHOWN)
            back(std::chrono::steady_clock::now());
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SHOWN ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
            event.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) {
            window_.invalidate();
            repaint();
        }
        break;
    default: break;
    }
    return std::nullopt;
}

std::optional<int> DesktopPlatform::button_under(Buttons buttons, int x, int y)
{
    // The mouse comes in window units, the layout in device pixels.
    const double pixels = window_.pixels_per_unit();
    return button_at(box_layout(buttons, window_.placement()),
                     static_cast<int>(std::lround(x * pixels)),
                     static_cast<int>(std::lround(y * pixels)));
}

} // namespace blockdrop
