#include "shell/desktop/window.hpp"

#include "board/form.hpp"
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
    window_ = SDL_CreateWindow(window_caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               to_pixels(client_width_twips), to_pixels(client_height_twips),
                               SDL_WINDOW_HIDDEN);
    if (window_ == nullptr)
        fail("cannot create the window");
    // The desktop's scale is known once the window's display is: size the
    // window for it before it is first shown.
    scale_ = scale_for_dpi(dpi_from_resources(x_resources(window_)));
    SDL_SetWindowSize(window_, scaled_pixels(client_width_twips, scale_),
                      scaled_pixels(client_height_twips, scale_));
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
    SDL_FillRect(surface, nullptr, mapped(surface, window_background));
    for (int i = 0; i < ShapeArray::size; ++i) {
        if (!form.Block.exists(i) || !form.Block(i).Visible)
            continue;
        const Shape& cell = form.Block(i);
        const PixelRect at = pixel_rect(cell, scale_);
        const SDL_Rect square{at.x, at.y, at.width, at.height};
        SDL_FillRect(surface, &square, mapped(surface, cell.BackColor));
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
