#pragma once

#include "shell/front_end.hpp"

namespace blockdrop::windows {

class GameWindow;

// The platform services on Windows: the system's MessageBoxW owned by the
// game window and the end of the process, beside what every front end
// shares.
class WindowsPlatform final : public FrontEnd {
public:
    WindowsPlatform(GameWindow& window, WindowState& state) : FrontEnd(state), window_(window) {}

    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    [[noreturn]] void End() override;

private:
    void paint(const Form1& form) override;

    GameWindow& window_;
};

} // namespace blockdrop::windows
