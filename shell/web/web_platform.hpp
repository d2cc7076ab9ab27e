#pragma once

#include "board/form.hpp"
#include "shell/platform.hpp"
#include "shell/random_source.hpp"
#include "shell/tick_grid.hpp"

namespace blockdrop::web {

// Everything the page keeps between browser callbacks: the window's state,
// the grid its clock ticks on and the one pending browser timeout (0 when
// none is set).
struct Page {
    Form1 form;
    TickGrid grid;
    long timer = 0;
};

// Cancels the pending timeout, if any.
void clear_timer(Page& page);

// The platform services in the browser: the generator, the browser's own
// modal alert and confirm boxes, reload in place and the end of the program.
class WebPlatform final : public Platform {
public:
    explicit WebPlatform(Page& page) : page_(page) {}

    // Loads the window: design values, Form_Load, then the clock's grid
    // starts and the new board is painted.
    void load(Form1& form);

    void Randomize() override { random_.seed_from_clock(); }
    double Rnd() override { return random_.next(); }
    int MsgBox(std::string_view prompt, Buttons buttons, std::string_view title) override;
    void reload(Form1& form) override { load(form); }
    [[noreturn]] void End() override;

private:
    Page& page_;
    RandomSource random_;
};

} // namespace blockdrop::web
