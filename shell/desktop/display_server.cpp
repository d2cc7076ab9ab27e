#include "shell/desktop/display_server.hpp"

#include "shell/design.hpp"
#include "shell/icon.hpp"

#include <SDL_syswm.h>

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace blockdrop {

namespace {

// SDL's window surface (kmsdrm, say): only these drivers pay for a huge window.
class WindowSurfaceServer final : public DisplayServer {
public:
    explicit WindowSurfaceServer(SDL_Window* window) : window_(window) {}

    bool prepare(const PixelRect& /*at*/, PixelSize /*window*/) override
    {
        return SDL_GetWindowSurface(window_) != nullptr;
    }

    // The picture is drawn whole each time: this is the fallback.
    bool show(const PixelRect& at, PixelSize /*window*/, int /*buffer_scale*/,
              const Painter& paint, const std::vector<PixelRect>& /*changed*/,
              const std::vector<Fill>* /*solid*/) override
    {
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (surface == nullptr)
            return false;
        // A new surface comes with a resize; its background is ours to draw.
        const bool whole = surface != drawn_on_ || !(at == drawn_at_);
        drawn_on_ = surface;
        drawn_at_ = at;
        return paint_placed(surface, at, whole, paint) && SDL_UpdateWindowSurface(window_) == 0;
    }

private:
    SDL_Window* window_;
    SDL_Surface* drawn_on_ = nullptr;
    PixelRect drawn_at_;
};

} // namespace

VideoDriver current_video_driver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr)
        return VideoDriver::other;
    const auto is = [driver](const char* name) { return std::strcmp(driver, name) == 0; };
    if (is("x11"))
        return VideoDriver::x11;
    if (is("wayland"))
        return VideoDriver::wayland;
    if (is("offscreen") || is("dummy"))
        return VideoDriver::nowhere;
    return VideoDriver::other;
}

void DisplayServer::set_icon(SDL_Window* window)
{
    constexpr int size = 64;
    std::vector<std::uint32_t> pixels = icon::argb_pixels(size);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), size, size, 32, size * 4,
                                                           SDL_PIXELFORMAT_ARGB8888);
    if (icon == nullptr)
        return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

std::unique_ptr<DisplayServer> make_display_server(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE) {
        if (info.subsystem == SDL_SYSWM_X11) {
            if (auto server = x11_server(info.info.x11.display, info.info.x11.window, window))
                return server;
        }
        if (info.subsystem == SDL_SYSWM_WAYLAND)
            return wayland_server(info.info.wl.display, info.info.wl.surface, window);
    }
    return window_surface_server(window);
}

std::unique_ptr<DisplayServer> window_surface_server(SDL_Window* window)
{
    // Some drivers fail here without setting an error.
    if (SDL_GetWindowSurface(window) == nullptr)
        throw std::runtime_error(std::string("cannot draw the window: ") +
                                 (*SDL_GetError() != '\0' ? SDL_GetError() : "no window surface"));
    return std::make_unique<WindowSurfaceServer>(window);
}

bool paint_in_32_bits(SDL_Surface* target, const DisplayServer::Painter& paint, int left, int top)
{
    if (target->format->BytesPerPixel == 4) {
        paint(target, left, top);
        return true;
    }
    SDL_Surface* copy =
        SDL_CreateRGBSurfaceWithFormat(0, target->w, target->h, 32, SDL_PIXELFORMAT_XRGB8888);
    if (copy == nullptr)
        return false;
    paint(copy, left, top);
    const bool converted = SDL_BlitSurface(copy, nullptr, target, nullptr) == 0;
    SDL_FreeSurface(copy);
    return converted;
}

bool paint_placed(SDL_Surface* target, const PixelRect& at, bool whole,
                  const DisplayServer::Painter& paint)
{
    if (whole)
        SDL_FillRect(target, nullptr,
                     SDL_MapRGB(target->format, window_background.red, window_background.green,
                                window_background.blue));
    return paint_part(target, at, PixelRect{0, 0, at.width, at.height}, paint);
}

bool paint_part(SDL_Surface* target, const PixelRect& at, const PixelRect& part,
                const DisplayServer::Painter& paint)
{
    // Too small a window for the whole picture shows the background only.
    if (at.x < 0 || at.y < 0 || at.x + at.width > target->w || at.y + at.height > target->h ||
        part.width <= 0 || part.height <= 0)
        return true;
    auto* first = static_cast<Uint8*>(target->pixels) +
                  static_cast<std::ptrdiff_t>(at.y + part.y) * target->pitch +
                  static_cast<std::ptrdiff_t>(at.x + part.x) * target->format->BytesPerPixel;
    SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(first, part.width, part.height,
                                                           target->format->BitsPerPixel,
                                                           target->pitch, target->format->format);
    if (view == nullptr)
        return false;
    const bool painted = paint_in_32_bits(view, paint, part.x, part.y);
    SDL_FreeSurface(view);
    return painted;
}

} // namespace blockdrop
