#pragma once

#include "board/form.hpp"
#include "shell/platform.hpp"
#include "shell/random_source.hpp"
#include "shell/tick_grid.hpp"

#include <chrono>
#include <cstddef>
#include <vector>

namespace blockdrop {

// The game's state as a front end keeps it: the board and the grid its
// clock ticks on.
struct GameState {
    Form1 form;
    TickGrid grid;
};

// What every front end does with the window, written once: loading and
// reloading it with the grid following its clock, the generator behind
// Randomize and Rnd, and each key and tick turned into a call of the game's
// handler and a repaint. A front end adds how the board is painted, how a
// message box is shown and how the program ends.
class FrontEnd : public Platform {
public:
    using Time = TickGrid::Time;

    explicit FrontEnd(GameState& game) : game_(game) {}

    // Loads the window as at program start: design values, Form_Load, the
    // grid starts with the clock, and the new board is painted.
    void load() { reload(game_.form); }

    void Randomize() override { random_.seed_from_clock(); }
    double Rnd() override;
    void reload(Form1& form) override;

    // A key-down on the window: Form_KeyDown, then a repaint if the board
    // changed. Dropped while a tick is in progress, that is while a message
    // box it opened is up, so such keys never reach the next game.
    void key_down(int key_code, int shift);

    // Runs Clock_Timer and repaints when the grid says a tick is due at
    // `now`; true if it ran. Never runs inside another tick.
    bool tick(Time now);

    // How long the event loop may sleep at `now` before the next tick:
    // milliseconds rounded up, -1 while the clock is off.
    int wait_ms(Time now) const;

    // The player has gone away (the window minimised or hidden, the page
    // hidden or under a portal's ad) or come back: the clock stands still
    // meanwhile and keys are dropped, and the next tick comes after what was
    // left of its interval. A box that is up stays up.
    void away(Time now) { game_.grid.pause(now); }
    void back(Time now) { game_.grid.resume(now); }

    // True while a tick, and any message box it opened, is in progress.
    bool in_tick() const { return in_tick_; }

    void repaint() { paint(game_.form); }

    // For a test build only: these draws, taken in turn over and over, in
    // place of the generator's, and the clock's period in place of the
    // window's (none: the window's), from the next load on. A window test
    // then reaches a chosen box in a few seconds.
    void rehearse(std::vector<double> draws, std::chrono::milliseconds period);

protected:
    // Draws the board as it stands.
    virtual void paint(const Form1& form) = 0;

    // The clock that a load starts the grid on: the system's, where a front
    // end has no clock of its own.
    virtual Time now() const { return std::chrono::steady_clock::now(); }

    // Runs Clock_Timer as a due tick does, and repaints.
    void run_tick();

    // What decides the next draw, for a front end that saves its game: the
    // generator, and the next of the rehearsed draws.
    RandomSource& generator() { return random_; }
    const RandomSource& generator() const { return random_; }
    std::size_t& next_rehearsed_draw() { return next_draw_; }
    std::size_t next_rehearsed_draw() const { return next_draw_; }

    const Form1& board() const { return game_.form; }
    TickGrid& grid() { return game_.grid; }

private:
    GameState& game_;
    RandomSource random_;
    std::vector<double> draws_;
    std::size_t next_draw_ = 0;
    std::chrono::milliseconds period_{0};
    bool in_tick_ = false;
};

} // namespace blockdrop
