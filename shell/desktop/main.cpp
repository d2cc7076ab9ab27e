// The desktop front end: one SDL window, one thread. Its loop
// (DesktopPlatform) sleeps until the next event or the next tick of the
// window's clock, and turns each into a call of the game's handlers.
#define SDL_MAIN_HANDLED
#include "shell/desktop/desktop_platform.hpp"
#include "shell/desktop/display_server.hpp"
#include "shell/desktop/pads/desktop_pads.hpp"
#include "shell/desktop/window.hpp"
#include "shell/test_build.hpp"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace blockdrop {
namespace {

// Where SDL looked for a display, for the message that it found none.
std::string displays_tried()
{
    const auto named = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(name) +
               (value != nullptr ? "=\"" + std::string(value) + "\"" : " not set");
    };
    return named("DISPLAY") + ", " + named("WAYLAND_DISPLAY");
}

// SDL falls back to drivers that draw nowhere when no display answers; a
// game on one would run unseen. Asked for by name, they are the user's
// choice.
bool drawn_nowhere()
{
    return std::getenv("SDL_VIDEODRIVER") == nullptr &&
           current_video_driver() == VideoDriver::nowhere;
}

int play(DesktopWindow& window)
{
    GameState game;
    DesktopPads pads;
    DesktopPlatform platform(window, pads, game);
    prepare_test_build(platform);
    platform.load();
    window.show();
    try {
        for (;;) {
            platform.run_until_tick();
            platform.tick(std::chrono::steady_clock::now());
        }
    } catch (const ProgramEnd&) {
        return 0;
    }
}

} // namespace
} // namespace blockdrop

int main()
{
    SDL_SetMainReady();
    // The message boxes need their font; without it the game must not start
    // at all rather than fail at its first dialog.
    const auto font = blockdrop::BoxFont::find();
    if (!font) {
        std::fprintf(stderr, "blockdrop: cannot find the font DejaVu Sans (DejaVuSans.ttf, in "
                             "Debian's package fonts-dejavu-core)\n");
        return 1;
    }
    // No GL behind a window surface, on the drivers where the game draws on
    // SDL's (X11 and Wayland get buffers of the game's own): it would cost
    // tens of megabytes and extra threads for 56 squares.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A Wayland compositor finds the game's desktop entry, and its icon and
    // name, by the window's app_id. The user's own choice stands.
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", "invalid.blockdrop.blockdrop", 0);
    // The game draws at the display's scale itself, fractional ones
    // included. SDL 3 under SDL 2's interface (sdl2-compat) would otherwise
    // size the window in the display's pixels and hide the scale from it;
    // only the environment overrides that library's own setting.
    SDL_setenv("SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY", "0", 0);
    // Leave SIGINT and SIGTERM their default action, so they end the game at
    // any time, a dialog included.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Only video here: the pads' subsystem comes with its own polling
    // (shell/desktop/pads/desktop_pads.hpp).
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "blockdrop: cannot open the display (%s): %s\n",
                     blockdrop::displays_tried().c_str(), SDL_GetError());
        return 1;
    }
    if (blockdrop::drawn_nowhere()) {
        std::fprintf(stderr, "blockdrop: cannot open the display (%s)\n",
                     blockdrop::displays_tried().c_str());
        SDL_Quit();
        return 1;
    }
    SDL_StopTextInput();
    int status = 1;
    try {
        blockdrop::DesktopWindow window(*font);
        status = blockdrop::play(window);
        // Ending the program ends it at once: the X server frees the window
        // with the connection, while tearing SDL down first only sends
        // requests for a window that is already closing.
        std::fflush(nullptr);
        std::_Exit(status);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "blockdrop: %s\n", failure.what());
    }
    SDL_Quit();
    return status;
}
