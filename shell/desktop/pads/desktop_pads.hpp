#pragma once

#include "shell/desktop/pads/device_watch.hpp"
#include "shell/gamepads.hpp"
#include "shell/pad_marks.hpp"

#include <SDL.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace blockdrop {

// The game controllers, through SDL's GameController API. SDL would poll the
// devices every few milliseconds, pad or no pad, so the reading is ours: a
// pad is read when its device file has input (DeviceWatch wakes the loop),
// and one whose file cannot be watched every PadPolling::interval; with no
// pad, nothing is read until /dev/input changes.
class DesktopPads {
public:
    using Time = Gamepads::Time;
    // The file to wait on for a pad's input: its device node, as SDL names
    // it; empty where there is none to watch.
    using InputFile = std::function<std::string(SDL_GameController*)>;
    // How long to keep looking after /dev/input changed: the device's node
    // may come before SDL's own notice of it.
    static constexpr std::chrono::milliseconds settle{2000};

    // Starts SDL's controller subsystem, if it can, and the watch.
    explicit DesktopPads(InputFile input_file);
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

    // The kind of pad the player last used, if any.
    std::optional<PadFamily> last_used() const { return last_used_; }

private:
    void open(int device_index);
    // Whether to poll: a pad whose file is not watched, or one expected soon.
    bool active(Time now) const { return !unwatched_.empty() || now < settle_until_; }

    bool started_ = false;
    InputFile input_file_;
    DeviceWatch watch_;
    std::vector<SDL_GameController*> open_;
    std::vector<SDL_JoystickID> unwatched_;
    // A watched pad had input, or one just came: read once at the next poll.
    bool read_now_ = false;
    std::optional<PadFamily> last_used_;
    Gamepads pads_;
    Time settle_until_{};
    PadPolling polling_;
};

} // namespace blockdrop
