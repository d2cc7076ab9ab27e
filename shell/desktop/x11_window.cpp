#include "shell/desktop/x11_window.hpp"

#include "shell/design.hpp"
#include "shell/desktop/icon.hpp"

#include <SDL_syswm.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

namespace blockdrop {

namespace {

// The window's X display and id; nothing when it is not an X11 window.
bool x11_info(SDL_Window* window, SDL_SysWMinfo& info)
{
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11;
}

constexpr int icon_sizes[] = {16, 32, 48, 64};

class X11Canvas final : public Canvas {
public:
    X11Canvas(Display* display, ::Window window, const XWindowAttributes& attributes)
        : display_(display), window_(window), visual_(attributes.visual), depth_(attributes.depth),
          format_(SDL_MasksToPixelFormatEnum(32, static_cast<Uint32>(visual_->red_mask),
                                             static_cast<Uint32>(visual_->green_mask),
                                             static_cast<Uint32>(visual_->blue_mask), 0)),
          gc_(XCreateGC(display, window, 0, nullptr))
    {
        // The server paints whatever the picture does not cover, a window
        // grown by another client included, without asking the game.
        const SDL_PixelFormat* pixel_format = SDL_AllocFormat(format_);
        if (pixel_format != nullptr) {
            XSetWindowBackground(display_, window_,
                                 SDL_MapRGB(pixel_format, window_background.red,
                                            window_background.green, window_background.blue));
            SDL_FreeFormat(const_cast<SDL_PixelFormat*>(pixel_format));
        }
    }

    ~X11Canvas() override
    {
        drop_image();
        XFreeGC(display_, gc_);
    }
    X11Canvas(const X11Canvas&) = delete;
    X11Canvas& operator=(const X11Canvas&) = delete;

    SDL_Surface* begin(int width, int height) override
    {
        if (surface_ != nullptr && surface_->w == width && surface_->h == height)
            return surface_;
        drop_image();
        surface_ = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, format_);
        if (surface_ == nullptr)
            return nullptr;
        image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                              static_cast<char*>(surface_->pixels), static_cast<unsigned>(width),
                              static_cast<unsigned>(height), 32, surface_->pitch);
        if (image_ == nullptr) {
            SDL_SetError("cannot make an X image of %dx%d", width, height);
            drop_image();
        }
        return surface_;
    }

    void show(int /*buffer_scale*/) override
    {
        if (image_ == nullptr)
            return;
        XPutImage(display_, window_, gc_, image_, 0, 0, 0, 0, static_cast<unsigned>(image_->width),
                  static_cast<unsigned>(image_->height));
        XFlush(display_);
    }

private:
    void drop_image()
    {
        if (image_ != nullptr) {
            // The pixels belong to the surface.
            image_->data = nullptr;
            XDestroyImage(image_);
            image_ = nullptr;
        }
        SDL_FreeSurface(surface_);
        surface_ = nullptr;
    }

    Display* display_;
    ::Window window_;
    Visual* visual_;
    int depth_;
    Uint32 format_;
    GC gc_;
    SDL_Surface* surface_ = nullptr;
    XImage* image_ = nullptr;
};

} // namespace

std::string x_resources(SDL_Window* window)
{
    SDL_SysWMinfo info;
    if (!x11_info(window, info))
        return {};
    // Read by Xlib when the connection opened: no round trip to the server.
    const char* resources = XResourceManagerString(info.info.x11.display);
    return resources != nullptr ? std::string(resources) : std::string();
}

void set_window_icon(SDL_Window* window)
{
    SDL_SysWMinfo info;
    if (x11_info(window, info)) {
        // Width, height, then the pixels, each in a long as Xlib passes
        // 32-bit properties.
        std::vector<long> data;
        for (const int size : icon_sizes) {
            data.push_back(size);
            data.push_back(size);
            for (const std::uint32_t pixel : icon_pixels(size))
                data.push_back(static_cast<long>(pixel));
        }
        Display* display = info.info.x11.display;
        XChangeProperty(display, info.info.x11.window, XInternAtom(display, "_NET_WM_ICON", False),
                        XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
        XFlush(display);
        return;
    }
    constexpr int size = 64;
    std::vector<std::uint32_t> pixels = icon_pixels(size);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), size, size, 32, size * 4,
                                                           SDL_PIXELFORMAT_ARGB8888);
    if (icon == nullptr)
        return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

std::unique_ptr<Canvas> x11_canvas(SDL_Window* window)
{
    SDL_SysWMinfo info;
    if (!x11_info(window, info))
        return nullptr;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) == 0 ||
        (attributes.visual->c_class != TrueColor && attributes.visual->c_class != DirectColor) ||
        (attributes.depth != 24 && attributes.depth != 32))
        return nullptr;
    return std::make_unique<X11Canvas>(info.info.x11.display, info.info.x11.window, attributes);
}

} // namespace blockdrop
