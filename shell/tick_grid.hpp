#pragma once

#include <chrono>

namespace blockdrop {

struct Timer;

// When the window's clock fires. Ticks fall on a fixed grid that starts when
// the clock is enabled: each deadline is the previous one plus the interval,
// so lateness never accumulates into drift. After a long stall (a dialog left
// open for a minute) the grid skips the points it missed instead of firing a
// burst of catch-up ticks.
class TickGrid {
public:
    using Time = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    // Starts the grid at `now`; the first tick is one interval later.
    void start(Time now, std::chrono::milliseconds interval);
    void stop() { running_ = false; }

    // The grid stands still from `pause` to `resume`, while the player is
    // away: no tick is due meanwhile, and the time that was left to the
    // next point at `pause` is left to it again at `resume`. A start while
    // paused keeps the grid paused, a whole interval left.
    void pause(Time now);
    void resume(Time now);
    bool paused() const { return paused_; }

    // Starts the grid afresh at `now` for a window's clock that is enabled,
    // and stops it for one that is not: what every front end does after
    // loading the window.
    void follow(const Timer& clock, Time now);
    bool running() const { return running_; }
    Time deadline() const { return deadline_; }

    // True when a tick is due at `now`; the grid then moves on to its next
    // point after `now`. At most one tick is due per call.
    bool take(Time now);

    // How long a front end may sleep at `now` before the next tick is due:
    // milliseconds rounded up, 0 when it is due, -1 when the grid is stopped
    // or paused.
    int wait_ms(Time now) const;

    // The grid whole, for a front end that saves its game: times as
    // durations from the clock's epoch.
    struct Saved {
        bool running = false;
        bool paused = false;
        Duration deadline{};
        Duration left{};
        Duration interval{};
    };
    Saved saved() const { return {running_, paused_, deadline_.time_since_epoch(), left_, interval_}; }
    void restore(const Saved& saved);

private:
    bool running_ = false;
    bool paused_ = false;
    Time deadline_{};
    // While paused: the time left to the next point.
    Duration left_{};
    Duration interval_{};
};

} // namespace blockdrop
