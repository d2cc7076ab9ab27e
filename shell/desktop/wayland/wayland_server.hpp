#pragma once

#include "shell/desktop/display_server.hpp"

#include <memory>

struct wl_display;
struct wl_surface;

namespace blockdrop {

// A Wayland window's display server. SDL's Wayland driver has no software
// window surface of its own (it would draw through GL), so the picture goes
// into shared-memory buffers of its size attached to the window's surface.
// Throws when the compositor offers no shared memory.
std::unique_ptr<DisplayServer> wayland_server(wl_display* display, wl_surface* surface);

} // namespace blockdrop
