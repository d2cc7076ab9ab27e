#pragma once

#include <SDL.h>

namespace blockdrop {

struct Form1;

// The game window: a fixed-size client area of 406 x 424 pixels that shows
// the board at 15 twips to a pixel on SDL's software window surface (56
// squares need no GPU, and a GL context would cost tens of megabytes).
class DesktopWindow {
public:
    // Creates the window hidden, as loading does; show() puts it on screen.
    DesktopWindow();
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    void show();

    // Paints every shown cell as a filled square of its colour over the
    // background and puts the picture on screen.
    void paint(const Form1& form);

    SDL_Window* handle() const { return window_; }
    Uint32 id() const { return SDL_GetWindowID(window_); }

private:
    SDL_Window* window_ = nullptr;
};

} // namespace blockdrop
