#pragma once

#include "shell/front_end.hpp"

#include <optional>

namespace blockdrop::web {

// The platform services in the browser: the page's own modal dialog, which
// suspends the tick that opened it until it is answered, and the end of the
// program, beside what every front end shares. It also keeps the one pending
// browser timeout of the clock.
class WebPlatform final : public FrontEnd {
public:
    using FrontEnd::FrontEnd;

    // Sets the timeout for the grid's next point, replacing any pending one;
    // `fire` is called with `data` when it comes.
    void schedule(void (*fire)(void*), void* data);

    // The buttons of the box that is up, nothing while none is.
    std::optional<Buttons> box_up() const { return box_; }

    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    [[noreturn]] void End() override;

private:
    void paint(const Form1& form) override;
    void clear_timer();

    long timer_ = 0; // 0 when no timeout is pending
    std::optional<Buttons> box_;
};

} // namespace blockdrop::web
