#pragma once

#include "shell/front_end.hpp"
#include "shell/windows/window.hpp"

#include <optional>

namespace blockdrop::windows {

class WindowsPads;

// The platform services on Windows: the system's MessageBoxW owned by the
// game window and the end of the process, beside what every front end
// shares.
class WindowsPlatform final : public FrontEnd, public PadEvents {
public:
    WindowsPlatform(GameWindow& window, GameState& state) : FrontEnd(state), window_(window) {}

    // The pads, which the message box reads too: A and Start answer OK, B
    // Cancel (OK where that is the only button).
    void attach(WindowsPads& pads);
    void devices_changed() override;
    void box_timer_fired() override;

    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    [[noreturn]] void End() override;

private:
    void paint(const Form1& form) override;

    GameWindow& window_;
    WindowsPads* pads_ = nullptr;
    std::optional<Buttons> box_; // the box that is up
    bool answered_ = false;
};

} // namespace blockdrop::windows
