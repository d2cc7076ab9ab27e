#pragma once

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

namespace blockdrop {

// A thread asleep until an input device needs the game, so that the game
// sleeps too, pad or no pad: a device node comes, goes or changes its
// permissions in /dev/input (an inotify watch), or a watched pad's input
// file has something to read. Each pushes an event of type(), its code
// saying which; one of each at a time, the next once the game has taken it.
// The pads' files are opened apart from SDL's, so what is drained here is
// still SDL's to read.
class DeviceWatch {
public:
    static constexpr Sint32 devices_changed = 0;
    static constexpr Sint32 pad_input = 1;

    // Starts the thread; type() is 0 where it could not be.
    DeviceWatch();
    ~DeviceWatch();
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    Uint32 type() const;

    // Wakes the game when `file` (a pad's device node) has input for the pad
    // `id`; false when it cannot be read, and the pad is then polled.
    bool watch(SDL_JoystickID id, const std::string& file);
    void forget(SDL_JoystickID id);

    // The game has taken the event of that code: the next may come.
    void taken(Sint32 code);

    // The pads whose files stopped giving input (unplugged, most likely),
    // watched no more since the last call.
    std::vector<SDL_JoystickID> dropped();

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

} // namespace blockdrop
