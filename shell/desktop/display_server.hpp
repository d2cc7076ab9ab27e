#pragma once

#include <SDL.h>

#include <functional>
#include <memory>

namespace blockdrop {

// The video drivers the game tells apart: the two it draws on itself, the
// ones that draw nowhere (dummy, offscreen), and any other.
enum class VideoDriver { x11, wayland, nowhere, other };

// SDL's video driver of the moment. The one place that reads its name.
VideoDriver current_video_driver();

// What depends on the display server the window is on, chosen once when the
// window is made: where its picture is drawn and how it reaches the screen,
// the picture's scale, the desktop's dots per inch and the window's icon.
// The picture is only as large as the board and the box need, whatever size
// another client gives the window: the display shows the background around
// it, so a huge window costs no memory.
class DisplayServer {
public:
    // Draws the rows of the picture from `top` down onto `part`, as many as
    // it holds. Its pixels are always 32-bit.
    using Painter = std::function<void(SDL_Surface* part, int top)>;

    DisplayServer() = default;
    virtual ~DisplayServer() = default;
    DisplayServer(const DisplayServer&) = delete;
    DisplayServer& operator=(const DisplayServer&) = delete;

    // Makes ready what a picture of `width` x `height` device pixels needs;
    // false when it cannot be had now (SDL's error says why).
    virtual bool prepare(int width, int height) = 0;

    // Device pixels to a window unit as the display says now, where the
    // game sets the surface's scale itself (Wayland before SDL 2.30.9,
    // which misses a scale changed while the game runs); 0 where SDL's
    // figure holds.
    virtual int buffer_scale() { return 0; }

    // Whether the picture must fill the window's size in pixels, which the
    // display scales to the window (SDL's viewport on Wayland), rather than
    // sit at its top left at its own size.
    virtual bool sized_by_window() { return false; }

    // Has `paint` draw a picture of `width` x `height` device pixels, in one
    // part or several, and puts it on screen at the window's top left, at
    // `buffer_scale` device pixels to a window unit (0: SDL's), once it is
    // whole. False when nothing could be drawn on now (SDL's error says
    // why): the next picture tries again.
    virtual bool show(int width, int height, int buffer_scale, const Painter& paint) = 0;

    // The desktop's dots per inch: what X11's resources say, else 96.
    virtual double dpi() { return 96.0; }

    // Gives the window the game's icon, at the sizes task bars and window
    // lists use where the server takes several.
    virtual void set_icon(SDL_Window* window);
};

// The display server of the window's video driver: X11 and Wayland draw
// pictures of the board's size (X11 in bands), any other driver into SDL's
// window surface. Throws, with SDL's reason, when the window cannot be drawn
// at all.
std::unique_ptr<DisplayServer> make_display_server(SDL_Window* window);

// The picture drawn into SDL's window surface, as on drivers other than
// X11 and Wayland. Throws, with SDL's reason, when the driver has none.
std::unique_ptr<DisplayServer> window_surface_server(SDL_Window* window);

// Has `paint` draw onto `target` in 32-bit pixels: onto the surface itself
// when its pixels are 32-bit, else onto a copy converted into it after. False
// when no copy could be had (SDL's error says why).
bool paint_in_32_bits(SDL_Surface* target, const DisplayServer::Painter& paint);

} // namespace blockdrop
