#pragma once

#include <SDL.h>

namespace blockdrop {

// The window flags that keep GL (Mesa and LLVM, some fifty megabytes) out of
// the window. SDL's Wayland driver before 2.30.0 makes every window but a
// Vulkan one a GL one; a Vulkan window costs nothing until an instance is
// made, which the game never does, and the program answers SDL's one question
// to the loader itself. Elsewhere, or if SDL will not have it, no flags.
Uint32 flags_without_gl();

// Lets go of what flags_without_gl() took once the window is made.
void window_made_without_gl(Uint32 flags);

} // namespace blockdrop
