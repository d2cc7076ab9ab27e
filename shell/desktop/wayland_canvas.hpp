#pragma once

#include "shell/desktop/canvas.hpp"

#include <SDL.h>

#include <memory>

namespace blockdrop {

// The canvas of a window on SDL's Wayland driver, which has no software
// window surface of its own (it would draw through GL): shared-memory
// buffers of the picture's size attached to the window's surface. Null when
// the window is not on Wayland; throws when the compositor offers no shared
// memory.
std::unique_ptr<Canvas> wayland_canvas(SDL_Window* window);

} // namespace blockdrop
