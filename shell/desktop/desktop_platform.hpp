#pragma once

#include "shell/front_end.hpp"

namespace blockdrop {

class DesktopWindow;

// Thrown by End: unwinds the handler that ended the game back to main, which
// closes the window and exits with status 0.
struct ProgramEnd {};

// The platform services on the desktop: SDL's modal message box over the
// game window and the end of the program, beside what every front end
// shares.
class DesktopPlatform final : public FrontEnd {
public:
    DesktopPlatform(DesktopWindow& window, WindowState& state) : FrontEnd(state), window_(window) {}

    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    [[noreturn]] void End() override { throw ProgramEnd{}; }

private:
    void paint(const Form1& form) override;

    DesktopWindow& window_;
};

} // namespace blockdrop
