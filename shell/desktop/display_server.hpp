#pragma once

#include "shell/layout.hpp"

#include <SDL.h>

#include <functional>
#include <memory>
#include <vector>

struct _XDisplay; // NOLINT(bugprone-reserved-identifier): Xlib's own name
struct wl_display;
struct wl_surface;

namespace blockdrop {

// The video drivers the game tells apart: the two it draws on itself, the
// ones that draw nowhere (dummy, offscreen), and any other.
enum class VideoDriver { x11, wayland, nowhere, other };

// SDL's video driver of the moment: the one place that reads its name.
VideoDriver current_video_driver();

// What depends on the display server, chosen once when the window is made:
// where the picture is drawn and how it reaches the screen, its scale, the
// desktop's dpi and the window's icon. The picture is the client area at
// the scale that fits the window; what lies around it is background, drawn
// again only when the picture moves.
class DisplayServer {
public:
    // Draws the picture from (`left`, `top`) on onto `part` (32-bit pixels).
    using Painter = std::function<void(SDL_Surface* part, int left, int top)>;

    DisplayServer() = default;
    virtual ~DisplayServer() = default;
    DisplayServer(const DisplayServer&) = delete;
    DisplayServer& operator=(const DisplayServer&) = delete;

    // Makes ready what a picture at `at` in a window of `window` device
    // pixels needs; false when it cannot be had now (SDL's error says why).
    virtual bool prepare(const PixelRect& at, PixelSize window) = 0;

    // Device pixels to a window unit, where the game sets the surface's scale
    // itself (Wayland before SDL 2.30.9); 0 where SDL's figure holds.
    virtual int buffer_scale() { return 0; }

    // Has `paint` draw the picture, in one part or several, and shows it at
    // `at` in a window of `window` device pixels at `buffer_scale` (0: SDL's),
    // the background around it. Where the last picture shown is at hand, at
    // the same place, only its `changed` parts are drawn again. `solid`,
    // where the picture is nothing but those fills in order (no text): a
    // server that fills rectangles itself may draw it so. False when
    // nothing could be drawn on now (SDL's error says why).
    virtual bool show(const PixelRect& at, PixelSize window, int buffer_scale,
                      const Painter& paint, const std::vector<PixelRect>& changed,
                      const std::vector<Fill>* solid) = 0;

    // The desktop's dots per inch: what X11's resources say, else 96.
    virtual double dpi() { return 96.0; }

    // Gives the window the game's icon, at several sizes where it can.
    virtual void set_icon(SDL_Window* window);
};

// The display server of the window's driver: X11's and Wayland's own, else
// SDL's window surface. Throws, with SDL's reason, when none can draw.
std::unique_ptr<DisplayServer> make_display_server(SDL_Window* window);

// An X11 window's (x11/): the picture in bands into a server pixmap, the
// server painting the background around it; the dpi from Xft.dpi; the icons
// in one _NET_WM_ICON; SDL's window surface for a visual the bands cannot
// take. Null when the window cannot be read.
std::unique_ptr<DisplayServer> x11_server(_XDisplay* display, unsigned long window,
                                          SDL_Window* sdl_window);

// Has the X server's reports of a failed request (a window a window manager
// unmapped a moment before, say) logged and lived through, set before SDL
// opens the display: SDL hands each on to the handler it found, and Xlib's
// own ends the program.
void survive_x_errors();

// A Wayland window's (wayland/): SDL's driver would draw through GL, so the
// picture goes in shared-memory buffers attached to the window's surface.
// Throws when the compositor offers no shared memory.
std::unique_ptr<DisplayServer> wayland_server(wl_display* display, wl_surface* surface,
                                              SDL_Window* window);

// The picture drawn into SDL's window surface; throws where there is none.
std::unique_ptr<DisplayServer> window_surface_server(SDL_Window* window);

// Has `paint` draw the picture from (`left`, `top`) on onto `target` in
// 32-bit pixels, through a converted copy where the target has others.
// False when no copy could be had.
bool paint_in_32_bits(SDL_Surface* target, const DisplayServer::Painter& paint, int left = 0,
                      int top = 0);

// Has `paint` draw the picture at `at` on `target`, which covers the whole
// window, after the background all over it when `whole`. False when the
// picture could not be drawn.
bool paint_placed(SDL_Surface* target, const PixelRect& at, bool whole,
                  const DisplayServer::Painter& paint);

// The same for `part` of the picture only, and no background.
bool paint_part(SDL_Surface* target, const PixelRect& at, const PixelRect& part,
                const DisplayServer::Painter& paint);

} // namespace blockdrop
