#include "shell/desktop/window.hpp"

#include "shell/design.hpp"
#include "shell/desktop/dialog/box_layout.hpp"
#include "shell/desktop/wayland/without_gl.hpp"
#include "shell/layout.hpp"

#include <stdexcept>
#include <string>
#include <utility>

namespace blockdrop {

DesktopWindow::DesktopWindow(const std::string& font_file)
{
    const PixelSize standard = client_size(1.0);
    const Uint32 without_gl = flags_without_gl();
    window_ = SDL_CreateWindow(window_caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               standard.width, standard.height,
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | without_gl);
    window_made_without_gl(without_gl);
    if (window_ == nullptr)
        throw std::runtime_error(std::string("cannot create the window: ") + SDL_GetError());
    // The desktop's scale is known once the window's display is. Font and
    // display server are made here, where a failure stops the game at once.
    server_ = make_display_server(window_);
    desktop_scale_ = scale_at_dpi(server_->dpi());
    scale_ = desktop_scale_ * pixels_per_unit();
    const PixelSize scaled = client_size(desktop_scale_);
    SDL_SetWindowSize(window_, scaled.width, scaled.height);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    server_->set_icon(window_);
    font_ = std::make_unique<BoxFont>(font_file, box_layout(Buttons::ok, scale_).text_pixels);
    const PixelSize picture = picture_size();
    if (!server_->prepare(picture.width, picture.height))
        throw std::runtime_error(std::string("cannot draw the window: ") + SDL_GetError());
}

DesktopWindow::~DesktopWindow()
{
    server_.reset();
    font_.reset();
    SDL_DestroyWindow(window_);
}

void DesktopWindow::show()
{
    SDL_ShowWindow(window_);
}

double DesktopWindow::pixels_per_unit()
{
    return pixels_per_unit(server_->buffer_scale());
}

double DesktopWindow::pixels_per_unit(int buffer_scale) const
{
    if (buffer_scale > 0)
        return buffer_scale;
    int units = 0;
    int pixels = 0;
    SDL_GetWindowSize(window_, &units, nullptr);
    SDL_GetWindowSizeInPixels(window_, &pixels, nullptr);
    return units > 0 && pixels > 0 ? static_cast<double>(pixels) / units : 1.0;
}

PixelSize DesktopWindow::picture_size() const
{
    if (!server_->sized_by_window())
        return client_size(scale_);
    PixelSize pixels;
    SDL_GetWindowSizeInPixels(window_, &pixels.width, &pixels.height);
    return pixels;
}

void DesktopWindow::paint(const Form1& form, const BoxText* box)
{
    // On Wayland a buffer on a surface not yet shown is an error.
    if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) == 0)
        return;
    const int buffer_scale = server_->buffer_scale();
    const double per_unit = pixels_per_unit(buffer_scale);
    if (desktop_scale_ * per_unit != scale_) {
        scale_ = desktop_scale_ * per_unit;
        font_->resize(box_layout(Buttons::ok, scale_).text_pixels);
    }
    const PixelSize picture = picture_size();
    Drawing drawing{board_fills(form, scale_, picture), {}};
    if (box != nullptr) {
        Drawing drawn_box = box_drawing(box_layout(box->buttons, scale_), *box);
        drawing.fills.insert(drawing.fills.end(), drawn_box.fills.begin(), drawn_box.fills.end());
        drawing.texts = std::move(drawn_box.texts);
    }
    server_->show(picture.width, picture.height, buffer_scale,
                  [&](SDL_Surface* part, int top) { draw(part, top, drawing, *font_); });
}

} // namespace blockdrop
