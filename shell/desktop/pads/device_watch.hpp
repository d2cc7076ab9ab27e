#pragma once

#include <SDL.h>

namespace blockdrop {

// A thread asleep on an inotify watch of /dev/input pushes an event of the
// type returned when a device node comes, goes or changes its permissions,
// so the game sleeps while no pad is connected. 0 where none could be set.
Uint32 watch_input_devices();

} // namespace blockdrop
