#include "shell/design.hpp"
#include "shell/desktop/display_server.hpp"
#include "shell/desktop/x11/xft_dpi.hpp"
#include "shell/icon.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace blockdrop {

namespace {

constexpr int icon_sizes[] = {16, 32, 48, 64};

// A depth-32 window (SDL 3's choice) has alpha, which Xwayland honours: its
// pixels are made opaque.
Uint32 alpha_mask(const Visual& visual, int depth)
{
    if (depth != 32)
        return 0;
    return ~static_cast<Uint32>(visual.red_mask | visual.green_mask | visual.blue_mask);
}

// The picture goes a band of rows at a time into an image of this size, put
// together in the server's pixmap: a quarter of a megabyte at any scale, and
// only whole pictures shown.
constexpr int band_bytes = 256 * 1024;

class X11Server final : public DisplayServer {
public:
    // With `surface`, the picture goes there; the dpi and icon stay X's.
    X11Server(Display* display, ::Window window, const XWindowAttributes& attributes,
              std::unique_ptr<DisplayServer> surface)
        : surface_(std::move(surface)), display_(display), window_(window),
          visual_(attributes.visual), depth_(attributes.depth),
          format_(SDL_MasksToPixelFormatEnum(
              32, static_cast<Uint32>(visual_->red_mask), static_cast<Uint32>(visual_->green_mask),
              static_cast<Uint32>(visual_->blue_mask), alpha_mask(*visual_, depth_)))
    {
        // Copies from the pixmap would otherwise each send an event.
        XGCValues values{};
        values.graphics_exposures = False;
        gc_ = XCreateGC(display, window, GCGraphicsExposures, &values);
        // The server paints what the picture leaves, without asking us.
        pixel_format_ = SDL_AllocFormat(format_);
        if (pixel_format_ != nullptr)
            XSetWindowBackground(display_, window_,
                                 SDL_MapRGB(pixel_format_, window_background.red,
                                            window_background.green, window_background.blue));
    }

    ~X11Server() override
    {
        drop();
        XFreeGC(display_, gc_);
        SDL_FreeFormat(pixel_format_);
    }
    X11Server(const X11Server&) = delete;
    X11Server& operator=(const X11Server&) = delete;

    bool prepare(const PixelRect& at, PixelSize window) override
    {
        if (surface_)
            return surface_->prepare(at, window);
        const int width = at.width;
        const int height = at.height;
        if (image_ != nullptr && width_ == width && height_ == height)
            return true;
        drop();
        const int rows = std::clamp(band_bytes / (4 * width), 1, height);
        band_ = SDL_CreateRGBSurfaceWithFormat(0, width, rows, 32, format_);
        if (band_ == nullptr)
            return false;
        image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                              static_cast<char*>(band_->pixels), static_cast<unsigned>(width),
                              static_cast<unsigned>(rows), 32, band_->pitch);
        if (image_ == nullptr) {
            SDL_SetError("cannot make an X image of %dx%d", width, rows);
            drop();
            return false;
        }
        pixmap_ = XCreatePixmap(display_, window_, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), static_cast<unsigned>(depth_));
        width_ = width;
        height_ = height;
        return true;
    }

    // The pixmap keeps the last picture: only the changed parts are drawn
    // into it and copied to the window, unless the picture has moved.
    bool show(const PixelRect& at, PixelSize window, int buffer_scale, const Painter& paint,
              const std::vector<PixelRect>& changed, const std::vector<Fill>* solid) override
    {
        if (surface_)
            return surface_->show(at, window, buffer_scale, paint, changed, solid);
        const bool moved = !(at == shown_at_) || width_ != at.width || height_ != at.height;
        if (!prepare(at, window))
            return false;
        const std::vector<PixelRect> parts =
            moved ? std::vector<PixelRect>{PixelRect{0, 0, at.width, at.height}} : changed;
        for (const PixelRect& part : parts) {
            if (solid != nullptr && pixel_format_ != nullptr)
                fill_part(part, *solid);
            else if (!draw_part(part, paint))
                return false;
        }
        // Moved, the picture leaves its old place to the server's background.
        if (moved)
            XClearWindow(display_, window_);
        shown_at_ = at;
        for (const PixelRect& part : parts)
            XCopyArea(display_, pixmap_, window_, gc_, part.x, part.y,
                      static_cast<unsigned>(part.width), static_cast<unsigned>(part.height),
                      at.x + part.x, at.y + part.y);
        XFlush(display_);
        return true;
    }

    double dpi() override
    {
        // Read by Xlib when the connection opened: no round trip.
        const char* resources = XResourceManagerString(display_);
        return dpi_from_resources(resources != nullptr ? resources : "");
    }

    // Each size as width, height, pixels, in longs as Xlib passes 32 bits.
    void set_icon(SDL_Window* /*window*/) override
    {
        std::vector<long> data;
        for (const int size : icon_sizes) {
            data.push_back(size);
            data.push_back(size);
            for (const std::uint32_t pixel : icon::argb_pixels(size))
                data.push_back(static_cast<long>(pixel));
        }
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_ICON", False),
                        XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
        XFlush(display_);
    }

private:
    // Has the server fill `part` of the picture in the pixmap, the fills in
    // order: a few bytes a cell, where an image of it is the cell's every
    // pixel (a third of a megabyte at 4K).
    void fill_part(const PixelRect& part, const std::vector<Fill>& fills)
    {
        for (const Fill& fill : fills) {
            const int left = std::max(part.x, fill.rect.x);
            const int top = std::max(part.y, fill.rect.y);
            const int right = std::min(part.x + part.width, fill.rect.x + fill.rect.width);
            const int bottom = std::min(part.y + part.height, fill.rect.y + fill.rect.height);
            if (left >= right || top >= bottom)
                continue;
            XSetForeground(display_, gc_,
                           SDL_MapRGB(pixel_format_, fill.colour.red, fill.colour.green,
                                      fill.colour.blue));
            XFillRectangle(display_, pixmap_, gc_, left, top, static_cast<unsigned>(right - left),
                           static_cast<unsigned>(bottom - top));
        }
    }

    // Draws `part` of the picture into the pixmap, in bands of its width.
    bool draw_part(const PixelRect& part, const Painter& paint)
    {
        for (int top = part.y; top < part.y + part.height; top += band_->h) {
            const int rows = std::min(band_->h, part.y + part.height - top);
            SDL_Surface* view = SDL_CreateRGBSurfaceWithFormatFrom(band_->pixels, part.width, rows,
                                                                   32, band_->pitch, format_);
            if (view == nullptr)
                return false;
            paint(view, part.x, top);
            SDL_FreeSurface(view);
            XPutImage(display_, pixmap_, gc_, image_, 0, 0, part.x, top,
                      static_cast<unsigned>(part.width), static_cast<unsigned>(rows));
        }
        return true;
    }

    void drop()
    {
        if (pixmap_ != 0) {
            XFreePixmap(display_, pixmap_);
            pixmap_ = 0;
        }
        if (image_ != nullptr) {
            // The pixels belong to the band.
            image_->data = nullptr;
            XDestroyImage(image_);
            image_ = nullptr;
        }
        SDL_FreeSurface(band_);
        band_ = nullptr;
        width_ = 0;
        height_ = 0;
    }

    std::unique_ptr<DisplayServer> surface_;
    Display* display_;
    ::Window window_;
    Visual* visual_;
    int depth_;
    Uint32 format_;
    GC gc_ = nullptr;
    SDL_Surface* band_ = nullptr;
    // The visual's pixels, for the colours the server fills with.
    SDL_PixelFormat* pixel_format_ = nullptr;
    XImage* image_ = nullptr;
    Pixmap pixmap_ = 0;
    int width_ = 0;
    int height_ = 0;
    PixelRect shown_at_;
};

// No Xlib call here: a handler must not send requests.
int log_x_error(Display* /*display*/, XErrorEvent* error)
{
    std::fprintf(stderr, "blockdrop: the X server refused request %d.%d (error %d); playing on\n",
                 error->request_code, error->minor_code, error->error_code);
    return 0;
}

} // namespace

void survive_x_errors()
{
    XSetErrorHandler(log_x_error);
}

std::unique_ptr<DisplayServer> x11_server(Display* display, unsigned long window,
                                          SDL_Window* sdl_window)
{
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0)
        return nullptr;
    const bool bands_fit =
        (attributes.visual->c_class == TrueColor || attributes.visual->c_class == DirectColor) &&
        (attributes.depth == 24 || attributes.depth == 32);
    return std::make_unique<X11Server>(display, window, attributes,
                                       bands_fit ? nullptr : window_surface_server(sdl_window));
}

} // namespace blockdrop
