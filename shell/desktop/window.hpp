#pragma once

#include "board/form.hpp"
#include "shell/desktop/dialog/box_font.hpp"
#include "shell/desktop/display_server.hpp"
#include "shell/layout.hpp"

#include <SDL.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>

namespace blockdrop {

struct Form1;

// The game window: a client area of 6090 x 6360 twips (406 x 424 pixels at
// 96 dpi) showing the board and the game's own message boxes, drawn in
// software. It opens at the desktop's scale (the dpi times the device pixels
// to a window unit, which Wayland sets per output and may change at any
// time); resized or full screen, the board is drawn at the largest scale
// at which it fits with a box's room beside or below it (lay_out).
class DesktopWindow {
public:
    // Creates the window hidden, as loading does, sized for the desktop's
    // scale, with the game's icon and the boxes' font from `font_file`.
    explicit DesktopWindow(const std::string& font_file);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    void show();

    // Full screen on the window's monitor, or back to the window as it was.
    void toggle_full_screen();

    // Puts the board, and `box` if any below it, on screen at the scale of
    // the moment; a picture that cannot be had now waits for the next paint.
    // Only what changed since the last paint is drawn again, unless the
    // window has asked for all of it since (`invalidate`).
    void paint(const Form1& form, const BoxText* box);
    void invalidate() { shown_.reset(); }

    // Where the board and a box are drawn in the window, in device pixels,
    // and at which scales, as of the last paint.
    const Placement& placement() const { return placement_; }

    // Device pixels to a window unit, the unit of SDL's mouse events: 1 on
    // X11, the output's scale (1.5, say) on Wayland.
    double pixels_per_unit();

    Uint32 id() const { return SDL_GetWindowID(window_); }

private:
    // The same, given the display server's buffer scale (0: SDL's).
    double pixels_per_unit(int buffer_scale) const;
    // The window's size in device pixels, given the same, as far as its
    // screen can show it.
    PixelSize window_pixels(int buffer_scale) const;
    // Lays the client area out in the window as it is now.
    void place(int buffer_scale);

    SDL_Window* window_ = nullptr;
    double desktop_scale_ = 1.0;
    Placement placement_;
    // What the last paint showed.
    struct Shown {
        Form1 form;
        Placement placement;
        std::optional<std::tuple<std::string, std::string, Buttons, std::optional<PadMarks>>> box;
    };
    std::optional<Shown> shown_;
    std::unique_ptr<BoxFont> font_;
    std::unique_ptr<DisplayServer> server_;
};

} // namespace blockdrop
