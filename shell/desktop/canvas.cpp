#include "shell/desktop/canvas.hpp"

#include "shell/desktop/wayland_canvas.hpp"
#include "shell/desktop/x11_window.hpp"

#include <stdexcept>
#include <string>

namespace blockdrop {

namespace {

// SDL's software window surface, for drivers that have one (kmsdrm, say).
// It has the window's size, so only these drivers pay for a huge window.
class WindowSurfaceCanvas final : public Canvas {
public:
    explicit WindowSurfaceCanvas(SDL_Window* window) : window_(window) {}

    bool prepare(int /*width*/, int /*height*/) override
    {
        return SDL_GetWindowSurface(window_) != nullptr;
    }

    bool show(int /*width*/, int /*height*/, int /*buffer_scale*/, const Painter& paint) override
    {
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (surface == nullptr)
            return false;
        paint(surface, 0);
        return SDL_UpdateWindowSurface(window_) == 0;
    }

private:
    SDL_Window* window_;
};

} // namespace

std::unique_ptr<Canvas> make_canvas(SDL_Window* window)
{
    if (auto canvas = x11_canvas(window))
        return canvas;
    if (auto canvas = wayland_canvas(window))
        return canvas;
    if (SDL_GetWindowSurface(window) == nullptr) {
        // Some drivers fail here without setting an error.
        const std::string reason = *SDL_GetError() != '\0'
                                       ? std::string(SDL_GetError())
                                       : std::string("the video driver ") +
                                             SDL_GetCurrentVideoDriver() +
                                             " gives no software window surface";
        throw std::runtime_error(reason);
    }
    return std::make_unique<WindowSurfaceCanvas>(window);
}

} // namespace blockdrop
