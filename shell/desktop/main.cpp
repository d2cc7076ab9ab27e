// The desktop front end: one SDL window, one thread, whose loop sleeps until
// the next event or tick and turns each into a call of the game's handlers.
#define SDL_MAIN_HANDLED
#include "shell/desktop/desktop_platform.hpp"
#include "shell/desktop/display_server.hpp"
#include "shell/desktop/pads/desktop_pads.hpp"
#include "shell/desktop/pads/pad_input_file.hpp"
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

int play(DesktopWindow& window)
{
    GameState game;
    DesktopPads pads(pad_input_file);
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
    // Without the boxes' font the game must not start, not fail at a box.
    const auto font = blockdrop::BoxFont::find();
    if (!font) {
        std::fprintf(stderr, "blockdrop: cannot find the font DejaVu Sans (DejaVuSans.ttf, in "
                             "Debian's package fonts-dejavu-core)\n");
        return 1;
    }
    // No GL behind SDL's window surface: tens of megabytes for 56 squares.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The app_id names the desktop entry, and so the icon; the user's wins.
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", "invalid.blockdrop.blockdrop", 0);
    // The game draws at the display's scale itself; sdl2-compat would size
    // the window in display pixels, and only the environment overrides it.
    SDL_setenv("SDL_VIDEO_WAYLAND_SCALE_TO_DISPLAY", "0", 0);
    // SIGINT and SIGTERM end the game at any time, a box up included.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Only video: the pads start with their own polling (DesktopPads).
    // SDL falls back to drivers that draw nowhere when no display answers;
    // asked for by name, they are the user's choice.
    blockdrop::survive_x_errors();
    const bool opened = SDL_Init(SDL_INIT_VIDEO) == 0;
    if (!opened || (std::getenv("SDL_VIDEODRIVER") == nullptr &&
                    blockdrop::current_video_driver() == blockdrop::VideoDriver::nowhere)) {
        std::fprintf(stderr, "blockdrop: cannot open the display (%s)%s%s\n",
                     blockdrop::displays_tried().c_str(), opened ? "" : ": ",
                     opened ? "" : SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_StopTextInput();
    int status = 1;
    try {
        blockdrop::DesktopWindow window(*font);
        status = blockdrop::play(window);
        // The server frees the window with the connection; tearing SDL down
        // first would only send requests for a window already closing.
        std::fflush(nullptr);
        std::_Exit(status);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "blockdrop: %s\n", failure.what());
    }
    SDL_Quit();
    return status;
}
