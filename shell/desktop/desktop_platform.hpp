#pragma once

#include "shell/desktop/dialog/box_drawing.hpp"
#include "shell/front_end.hpp"
#include "shell/gamepads.hpp"

#include <SDL.h>

#include <optional>

namespace blockdrop {

class DesktopPads;
class DesktopWindow;

// Thrown by End: unwinds back to main, which exits with status 0.
struct ProgramEnd {};

// The desktop's platform: the game's own modal box inside the window, the
// program's end, and the window's one event loop.
class DesktopPlatform final : public FrontEnd {
public:
    DesktopPlatform(DesktopWindow& window, DesktopPads& pads, GameState& game)
        : FrontEnd(game), window_(window), pads_(pads)
    {
    }

    // Runs the window's events, keys and pads to the game, until a tick.
    void run_until_tick() { run(nullptr); }

    // Shows the box below the board and runs the window's events until it
    // is answered (by the shared key and pad rules, or a click on a button);
    // every other key and button is dropped.
    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    [[noreturn]] void End() override { throw ProgramEnd{}; }

private:
    void paint(const Form1& form) override;

    // The one loop: until a tick is due with no box up (0), or the box's
    // answer. Closing the window ends the program.
    int run(const BoxText* box);
    // What one event does; the box's answer if it gives one.
    std::optional<int> handle(const SDL_Event& event, const BoxText* box, int& pressed);
    // The button under the pointer at window units (x, y).
    std::optional<int> button_under(Buttons buttons, int x, int y);

    DesktopWindow& window_;
    DesktopPads& pads_;
    // The box up, drawn over the board while it is.
    const BoxText* box_ = nullptr;
};

} // namespace blockdrop
