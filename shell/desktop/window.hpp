#pragma once

#include "shell/desktop/dialog/box_font.hpp"
#include "shell/desktop/display_server.hpp"
#include "shell/layout.hpp"

#include <SDL.h>

#include <memory>
#include <string>

namespace blockdrop {

struct Form1;

// The game window: a fixed-size client area of 6090 x 6360 twips that shows
// the board to scale (406 x 424 pixels at 96 dpi) and the game's own message
// boxes inside it, drawn in software (56 squares need no GPU, and a GL
// context would cost tens of megabytes). The scale is the desktop's dots per
// inch on X11 (Xft.dpi) times the window's device pixels to a window unit,
// which Wayland sets per output and may change while the game runs.
class DesktopWindow {
public:
    // Creates the window hidden, as loading does, sized for the desktop's
    // scale and with the game's icon; show() puts it on screen. The message
    // boxes are drawn in the font from `font_file`.
    explicit DesktopWindow(const std::string& font_file);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    void show();

    // Paints every shown cell as a filled square of its colour over the
    // background and puts the picture on screen, at the window's scale of
    // the moment. A picture that cannot be had now is skipped: the next
    // paint tries again. With `box`, that message box is drawn in the part
    // the board leaves free.
    void paint(const Form1& form, const BoxText* box);

    // Device pixels to a 96-dpi pixel, as of the last paint.
    double scale() const { return scale_; }

    // Device pixels to one of the window's units (the units of SDL's mouse
    // events): 1 on X11, the output's scale on Wayland (1.5, say, where SDL
    // follows fractional scales).
    double pixels_per_unit();

    Uint32 id() const { return SDL_GetWindowID(window_); }

private:
    PixelSize picture_size() const;
    // The same, with the display server's buffer scale already asked (0:
    // SDL's).
    double pixels_per_unit(int buffer_scale) const;

    SDL_Window* window_ = nullptr;
    double desktop_scale_ = 1.0;
    double scale_ = 1.0;
    std::unique_ptr<BoxFont> font_;
    std::unique_ptr<DisplayServer> server_;
};

} // namespace blockdrop
