#include "shell/desktop/window.hpp"

#include "shell/design.hpp"
#include "shell/desktop/desktop_dpi.hpp"
#include "shell/desktop/x11_window.hpp"
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

DesktopWindow::DesktopWindow(const std::string& font_file)
{
    const PixelSize standard = client_size(1.0);
    window_ = SDL_CreateWindow(window_caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               standard.width, standard.height, SDL_WINDOW_HIDDEN);
    if (window_ == nullptr)
        fail("cannot create the window");
    // The desktop's scale is known once the window's display is: size the
    // window for it before it is first shown.
    scale_ = scale_for_dpi(dpi_from_resources(x_resources(window_)));
    const PixelSize scaled = client_size(scale_);
    SDL_SetWindowSize(window_, scaled.width, scaled.height);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    set_window_icon(window_);
    // Opening the font takes well under a millisecond, so it is done here,
    // where a failure stops the game before it starts.
    font_ = std::make_unique<BoxFont>(font_file, box_layout(Buttons::ok, scale_).text_pixels);
}

DesktopWindow::~DesktopWindow()
{
    font_.reset();
    SDL_DestroyWindow(window_);
}

void DesktopWindow::show()
{
    SDL_ShowWindow(window_);
}

SDL_Surface* DesktopWindow::draw_board(const Form1& form)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr)
        fail("cannot draw the window");
    for (const Fill& fill : board_fills(form, scale_, PixelSize{surface->w, surface->h})) {
        const SDL_Rect rect{fill.rect.x, fill.rect.y, fill.rect.width, fill.rect.height};
        SDL_FillRect(surface, &rect, mapped(surface, fill.colour));
    }
    return surface;
}

void DesktopWindow::present()
{
    if (SDL_UpdateWindowSurface(window_) != 0)
        fail("cannot show the window");
}

void DesktopWindow::paint(const Form1& form)
{
    draw_board(form);
    present();
}

void DesktopWindow::paint(const Form1& form, const BoxText& box)
{
    SDL_Surface* surface = draw_board(form);
    draw_message_box(surface, font_->get(), box_layout(box.buttons, scale_), box);
    present();
}

} // namespace blockdrop
