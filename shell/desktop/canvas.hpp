#pragma once

#include <SDL.h>

#include <memory>

namespace blockdrop {

// Where the window's picture is drawn and how it reaches the screen. The
// picture is only as large as the board and the box need, whatever size
// another client gives the window: the display shows the background around
// it, so a huge window costs no memory.
class Canvas {
public:
    Canvas() = default;
    virtual ~Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // A surface of `width` x `height` device pixels to draw the next picture
    // on, its contents undefined; null when none can be had now (SDL's error
    // says why), and the next picture tries again.
    virtual SDL_Surface* begin(int width, int height) = 0;

    // Device pixels to a window unit as the display says now, where the
    // canvas knows better than SDL (which, on Wayland, misses a scale
    // changed while the game runs); 0 where it does not.
    virtual int buffer_scale() { return 0; }

    // Puts the picture drawn since begin() on screen at the window's top
    // left, at `buffer_scale` device pixels to a window unit.
    virtual void show(int buffer_scale) = 0;
};

// The canvas for the window's video driver: X11 and Wayland draw into a
// buffer of the picture's size, any other driver into SDL's window surface.
// Throws, with SDL's reason, when the window cannot be drawn at all.
std::unique_ptr<Canvas> make_canvas(SDL_Window* window);

} // namespace blockdrop
