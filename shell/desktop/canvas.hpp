#pragma once

#include <SDL.h>

#include <functional>
#include <memory>

namespace blockdrop {

// Where the window's picture is drawn and how it reaches the screen. The
// picture is only as large as the board and the box need, whatever size
// another client gives the window: the display shows the background around
// it, so a huge window costs no memory.
class Canvas {
public:
    // Draws the rows of the picture from `top` down onto `part`, as many as
    // it holds.
    using Painter = std::function<void(SDL_Surface* part, int top)>;

    Canvas() = default;
    virtual ~Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Makes ready what a picture of `width` x `height` device pixels needs;
    // false when it cannot be had now (SDL's error says why).
    virtual bool prepare(int width, int height) = 0;

    // Device pixels to a window unit as the display says now, where the
    // canvas sets the surface's scale itself (Wayland before SDL 2.30.9,
    // which misses a scale changed while the game runs); 0 where SDL's
    // figure holds.
    virtual int buffer_scale() { return 0; }

    // Whether the picture must fill the window's size in pixels, which the
    // display scales to the window (SDL's viewport on Wayland), rather than
    // sit at its top left at its own size.
    virtual bool sized_by_window() { return false; }

    // Has `paint` draw a picture of `width` x `height` device pixels, in one
    // part or several, and puts it on screen at the window's top left, at
    // `buffer_scale` device pixels to a window unit (0: SDL's), once it is whole. False
    // when nothing could be drawn on now (SDL's error says why): the next
    // picture tries again.
    virtual bool show(int width, int height, int buffer_scale, const Painter& paint) = 0;
};

// The canvas for the window's video driver: X11 and Wayland draw pictures of
// the board's size (X11 in bands), any other driver into SDL's window
// surface.
// Throws, with SDL's reason, when the window cannot be drawn at all.
std::unique_ptr<Canvas> make_canvas(SDL_Window* window);

} // namespace blockdrop
