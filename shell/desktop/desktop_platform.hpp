#pragma once

#include "shell/front_end.hpp"
#include "shell/gamepads.hpp"

#include <vector>

namespace blockdrop {

class DesktopPads;
class DesktopWindow;

// Thrown by End: unwinds the handler that ended the game back to main, which
// closes the window and exits with status 0.
struct ProgramEnd {};

// The platform services on the desktop: the game's own modal message box,
// drawn inside the game window, and the end of the program, beside what
// every front end shares.
class DesktopPlatform final : public FrontEnd {
public:
    DesktopPlatform(DesktopWindow& window, WindowState& state) : FrontEnd(state), window_(window) {}

    // The pads the message box reads too.
    void attach(DesktopPads& pads) { pads_ = &pads; }

    // Shows the box below the board and runs the window's events until it
    // is answered: Return answers OK, Escape Cancel (OK where that is the
    // only button), a click a button, a pad's A or Start OK and its B as
    // Escape; every other key and button is dropped. The
    // window keeps repainting meanwhile, and closing it ends the program.
    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    [[noreturn]] void End() override { throw ProgramEnd{}; }

private:
    void paint(const Form1& form) override;

    DesktopWindow& window_;
    DesktopPads* pads_ = nullptr;
};

} // namespace blockdrop
