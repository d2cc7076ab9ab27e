#include "shell/desktop/x11_window.hpp"

#include "shell/desktop/icon.hpp"

#include <SDL_syswm.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

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

} // namespace blockdrop
