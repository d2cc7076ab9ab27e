#pragma once

#include "shell/platform.hpp"
#include "shell/random_source.hpp"

namespace blockdrop {

class DesktopWindow;
class TickGrid;

// Thrown by End: unwinds the handler that ended the game back to main, which
// closes the window and exits with status 0.
struct ProgramEnd {};

// The platform services on the desktop: the generator, SDL's modal message
// box over the game window, reload in place and the end of the program.
class DesktopPlatform final : public Platform {
public:
    // `board` is the window's state, which the message box shows behind it.
    DesktopPlatform(DesktopWindow& window, TickGrid& grid, const Form1& board)
        : window_(window), grid_(grid), board_(board)
    {
    }

    // Loads the window: design values, Form_Load, then the clock's grid
    // starts and the new board is drawn.
    void load(Form1& form);

    void Randomize() override { random_.seed_from_clock(); }
    double Rnd() override { return random_.next(); }
    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    void reload(Form1& form) override { load(form); }
    [[noreturn]] void End() override { throw ProgramEnd{}; }

private:
    DesktopWindow& window_;
    TickGrid& grid_;
    const Form1& board_;
    RandomSource random_;
};

} // namespace blockdrop
