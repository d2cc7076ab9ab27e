#include "shell/desktop/window.hpp"

#include "board/form.hpp"
#include "shell/design.hpp"
#include "shell/layout.hpp"

#include <stdexcept>
#include <string>

namespace blockdrop {

namespace {

Uint32 mapped(const SDL_Surface* surface, Colour colour)
{
    return SDL_MapRGB(surface->format, colour.red, colour.green, colour.blue);
}

[[noreturn]] void fail(const char* what)
{
    throw std::runtime_error(std::string(what) + ": " + SDL_GetError());
}

} // namespace

DesktopWindow::DesktopWindow()
{
    window_ = SDL_CreateWindow(window_caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               to_pixels(client_width_twips), to_pixels(client_height_twips),
                               SDL_WINDOW_HIDDEN);
    if (window_ == nullptr)
        fail("cannot create the window");
}

DesktopWindow::~DesktopWindow()
{
    SDL_DestroyWindow(window_);
}

void DesktopWindow::show()
{
    SDL_ShowWindow(window_);
}

void DesktopWindow::paint(const Form1& form)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr)
        fail("cannot draw the window");
    SDL_FillRect(surface, nullptr, mapped(surface, window_background));
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (!form.Block.exists(i) || !form.Block(i).Visible)
            continue;
        const Shape& cell = form.Block(i);
        const PixelRect at = pixel_rect(cell);
        const SDL_Rect square{at.x, at.y, at.width, at.height};
        SDL_FillRect(surface, &square, mapped(surface, cell.BackColor));
    }
    if (SDL_UpdateWindowSurface(window_) != 0)
        fail("cannot show the window");
}

} // namespace blockdrop
