#include "shell/desktop/window.hpp"

#include "shell/design.hpp"
#include "shell/desktop/dialog/box_layout.hpp"
#include "shell/desktop/wayland/without_gl.hpp"
#include "shell/layout.hpp"

#include <algorithm>
#include <cmath>
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
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI |
                                   SDL_WINDOW_RESIZABLE | without_gl);
    window_made_without_gl(without_gl);
    if (window_ == nullptr)
        throw std::runtime_error(std::string("cannot create the window: ") + SDL_GetError());
    // The desktop's scale is known once the window's display is. Font and
    // display server are made here, where a failure stops the game at once.
    server_ = make_display_server(window_);
    desktop_scale_ = scale_at_dpi(server_->dpi());
    const PixelSize scaled = client_size(desktop_scale_);
    const PixelSize smallest = smallest_window(desktop_scale_);
    SDL_SetWindowMinimumSize(window_, smallest.width, smallest.height);
    SDL_SetWindowSize(window_, scaled.width, scaled.height);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    server_->set_icon(window_);
    const int buffer_scale = server_->buffer_scale();
    place(buffer_scale);
    font_ = std::make_unique<BoxFont>(font_file,
                                      box_layout(Buttons::ok, placement_.box_scale).text_pixels);
    if (!server_->prepare(placement_.picture(), window_pixels(buffer_scale)))
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

void DesktopWindow::toggle_full_screen()
{
    if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_RESIZABLE) == 0 &&
        (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) == 0)
        return;
    const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
    SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
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

PixelSize DesktopWindow::window_pixels(int buffer_scale) const
{
    PixelSize size;
    SDL_Rect display{};
    if (buffer_scale > 0)
        SDL_GetWindowSize(window_, &size.width, &size.height);
    else
        SDL_GetWindowSizeInPixels(window_, &size.width, &size.height);
    // What a screen can show of a window larger than it, another client's
    // doing: the picture then fits the screen, at the window's top left.
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window_), 0), &display) == 0) {
        const double per_unit = buffer_scale > 0 ? 1.0 : pixels_per_unit(0);
        size.width = std::min(size.width, static_cast<int>(std::ceil(display.w * per_unit)));
        size.height = std::min(size.height, static_cast<int>(std::ceil(display.h * per_unit)));
    }
    const int times = std::max(buffer_scale, 1);
    return PixelSize{size.width * times, size.height * times};
}

void DesktopWindow::place(int buffer_scale)
{
    placement_ =
        lay_out(window_pixels(buffer_scale), desktop_scale_ * pixels_per_unit(buffer_scale));
}

void DesktopWindow::paint(const Form1& form, const BoxText* box)
{
    // On Wayland a buffer on a surface not yet shown is an error.
    if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) == 0)
        return;
    const int buffer_scale = server_->buffer_scale();
    const double box_drawn_at = placement_.box_scale;
    place(buffer_scale);
    if (placement_.box_scale != box_drawn_at)
        font_->resize(box_layout(Buttons::ok, placement_.box_scale).text_pixels);
    // The picture holds the board and the box's place; its corners from
    // the picture's own.
    const PixelRect at = placement_.picture();
    const PixelSize picture{at.width, at.height};
    const PixelPoint board_at{placement_.board.x - at.x, placement_.board.y - at.y};
    const PixelPoint box_at{placement_.box.x - at.x, placement_.box.y - at.y};
    std::optional<std::tuple<std::string, std::string, Buttons, std::optional<PadMarks>>> shown_box;
    if (box != nullptr)
        shown_box.emplace(box->title, box->prompt, box->buttons, box->marks);
    std::vector<PixelRect> changed{PixelRect{0, 0, picture.width, picture.height}};
    if (shown_ && shown_->placement == placement_ && shown_->box == shown_box) {
        changed = changed_cells(shown_->form, form, placement_.scale, board_at);
        if (changed.empty())
            return;
    }
    Drawing drawing{board_fills(form, placement_.scale, picture, board_at), {}};
    if (box != nullptr) {
        Drawing drawn_box = box_drawing(
            box_layout(box->buttons, placement_.box_scale, box_at, placement_.box_twips), *box);
        drawing.fills.insert(drawing.fills.end(), drawn_box.fills.begin(), drawn_box.fills.end());
        drawing.texts = std::move(drawn_box.texts);
    }
    const bool shown = server_->show(
        at, window_pixels(buffer_scale), buffer_scale,
        [&](SDL_Surface* part, int left, int top) { draw(part, left, top, drawing, *font_); },
        changed, box == nullptr ? &drawing.fills : nullptr);
    if (shown)
        shown_ = Shown{form, placement_, std::move(shown_box)};
    else
        shown_.reset();
}

} // namespace blockdrop
