#pragma once

#include <SDL.h>

namespace blockdrop {

// Whether the SDL the game runs on, not the one it was built with, is this
// version or later.
inline bool sdl_at_least(int major, int minor, int patch)
{
    SDL_version running;
    SDL_GetVersion(&running);
    return SDL_VERSIONNUM(running.major, running.minor, running.patch) >=
           SDL_VERSIONNUM(major, minor, patch);
}

} // namespace blockdrop
