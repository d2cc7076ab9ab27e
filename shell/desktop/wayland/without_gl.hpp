#pragma once

#include <SDL.h>

namespace blockdrop {

// The flags that keep GL out of a window on the current video driver, to
// make it with. SDL's Wayland driver before 2.30.0 makes every window that is
// not a Vulkan one a GL one, and loading GL (Mesa, with LLVM) costs some fifty
// megabytes for a game that draws into shared memory of its own. A Vulkan
// window costs nothing until a Vulkan instance is made, which the game never
// does: SDL only asks the loader whether the surface extensions exist, and
// the game, whose program answers for the loader, says they do. With none of
// this needed (X11, or SDL 2.30 and later), or if SDL will not have it, no
// flags: SDL's own choice.
Uint32 flags_without_gl();

// Lets go of what flags_without_gl() took once the window is made.
void window_made_without_gl(Uint32 flags);

} // namespace blockdrop
