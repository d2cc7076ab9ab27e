#pragma once

#include "shell/gamepads.hpp"

#include <SDL.h>

#include <chrono>
#include <vector>

namespace blockdrop {

// The game controllers, through SDL's GameController API. SDL would poll the
// devices every few milliseconds, pad or no pad, so the polling is ours: none
// while no pad is connected (a watch on /dev/input wakes the loop), every
// PadPolling::interval while one is.
class DesktopPads {
public:
    using Time = Gamepads::Time;
    // How long to keep looking after /dev/input changed: the device's node
    // may come before SDL's own notice of it.
    static constexpr std::chrono::milliseconds settle{2000};

    // Starts SDL's controller subsystem, if it can, and the watch.
    DesktopPads();
    ~DesktopPads();
    DesktopPads(const DesktopPads&) = delete;
    DesktopPads& operator=(const DesktopPads&) = delete;

    // Takes a pad connected or gone, or the watch's wake-up; false for any
    // other event.
    bool take(const SDL_Event& event, Time now);

    // Reads every pad at `now`: what their presses and due repeats ask for.
    std::vector<PadAction> poll(Time now);

    // How long the loop may sleep at `now`: -1 while nothing needs polling.
    int wait_ms(Time now) const;

private:
    void open(int device_index);
    // Whether there is anything to read: a pad, or one expected soon.
    bool active(Time now) const { return !open_.empty() || now < settle_until_; }

    bool started_ = false;
    Uint32 wake_event_ = 0;
    std::vector<SDL_GameController*> open_;
    Gamepads pads_;
    Time settle_until_{};
    PadPolling polling_;
};

} // namespace blockdrop
