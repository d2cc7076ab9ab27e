#pragma once

#include "shell/desktop/display_server.hpp"

#include <memory>

struct _XDisplay; // NOLINT(bugprone-reserved-identifier): Xlib's own name

namespace blockdrop {

// An X11 window's display server: the picture drawn in bands into a pixmap
// of the X server's and copied into the window, whose background the server
// paints around it in the game's background colour; the dpi from the
// display's resources (Xft.dpi, as xrdb sets it); the icon at every size in
// one _NET_WM_ICON. Where the window's visual is not a true- or
// direct-colour one of 32-bit pixels, SDL's window surface takes the
// picture. Null when the window cannot be read.
std::unique_ptr<DisplayServer> x11_server(_XDisplay* display, unsigned long window,
                                          SDL_Window* sdl_window);

} // namespace blockdrop
