#pragma once

#include "shell/desktop/message_box.hpp"

#include <SDL.h>

#include <memory>
#include <string>

namespace blockdrop {

struct Form1;

// The game window: a fixed-size client area of 6090 x 6360 twips that shows
// the board to scale at the desktop's dots per inch (406 x 424 pixels at
// 96 dpi) on SDL's software window surface (56 squares need no GPU, and a GL
// context would cost tens of megabytes), and the game's own message boxes
// inside it.
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
    // background and puts the picture on screen.
    void paint(const Form1& form);

    // The same, with a message box drawn in the part the board leaves free.
    void paint(const Form1& form, const BoxText& box);

    // Device pixels to a 96-dpi pixel: the desktop's dpi over 96.
    double scale() const { return scale_; }

    SDL_Window* handle() const { return window_; }
    Uint32 id() const { return SDL_GetWindowID(window_); }

private:
    SDL_Surface* draw_board(const Form1& form);
    void present();

    SDL_Window* window_ = nullptr;
    double scale_ = 1.0;
    std::unique_ptr<BoxFont> font_;
};

} // namespace blockdrop
