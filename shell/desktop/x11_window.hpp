#pragma once

#include "shell/desktop/canvas.hpp"

#include <SDL.h>

#include <memory>
#include <string>

namespace blockdrop {

// The X resources of the window's display (the RESOURCE_MANAGER property of
// its root window, as xrdb sets it), empty when the window is not on X11 or
// the display has none.
std::string x_resources(SDL_Window* window);

// Gives the window the game's icon, at the sizes task bars and window lists
// use: all of them in one _NET_WM_ICON on X11, one through SDL elsewhere.
void set_window_icon(SDL_Window* window);

// The canvas of an X11 window: a picture drawn in bands into a pixmap of
// the X server's and copied into the window, whose background the server
// paints around it in the game's background colour. Null when the window is
// not on X11 or its visual is not a true- or direct-colour one of 32-bit
// pixels (SDL then draws).
std::unique_ptr<Canvas> x11_canvas(SDL_Window* window);

} // namespace blockdrop
