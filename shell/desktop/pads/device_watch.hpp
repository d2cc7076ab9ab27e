#pragma once

#include <SDL.h>

namespace blockdrop {

// Starts a thread that sleeps in read() on an inotify watch of /dev/input
// and pushes an event of the type returned only when a device node comes,
// goes or changes its permissions: with no pad connected the game keeps
// sleeping. 0 where no watch could be set.
Uint32 watch_input_devices();

} // namespace blockdrop
