#pragma once

#include "shell/desktop/dialog/box_drawing.hpp"
#include "shell/front_end.hpp"
#include "shell/gamepads.hpp"

#include <SDL.h>

#include <optional>

namespace blockdrop {

class DesktopPads;
class DesktopWindow;

// Thrown by End: unwinds the handler that ended the game back to main, which
// closes the window and exits with status 0.
struct ProgramEnd {};

// The platform services on the desktop: the game's own modal message box,
// drawn inside the game window, and the end of the program, beside what
// every front end shares; and the window's one event loop.
class DesktopPlatform final : public FrontEnd {
public:
    DesktopPlatform(DesktopWindow& window, DesktopPads& pads, GameState& game)
        : FrontEnd(game), window_(window), pads_(pads)
    {
    }

    // Runs the window's events until the game's clock is due. Keys and pad
    // presses go to the game; closing the window ends the program.
    void run_until_tick();

    // Shows the box below the board and runs the window's events until it
    // is answered: Return answers OK, Escape Cancel (OK where that is the
    // only button), a click a button, a pad's A or Start OK and its B as
    // Escape; every other key and button is dropped. The window keeps
    // repainting meanwhile, and closing it ends the program.
    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    [[noreturn]] void End() override { throw ProgramEnd{}; }

private:
    void paint(const Form1& form) override;

    // The one loop: runs until the clock is due with no box up (0) or the
    // box is answered (its answer).
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
