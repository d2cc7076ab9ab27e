// The desktop front end: one SDL window, one thread. The loop sleeps until
// the next event or the next tick of the window's clock, and turns each into
// a call of the game's handlers.
#define SDL_MAIN_HANDLED
#include "shell/desktop/desktop_platform.hpp"
#include "shell/desktop/keys.hpp"
#include "shell/desktop/window.hpp"

#include <SDL.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <pthread.h>
#include <sys/prctl.h>

namespace blockdrop {
namespace {

// Handles one event; false when the window was closed.
bool handle(const SDL_Event& event, DesktopPlatform& platform, const DesktopWindow& window)
{
    switch (event.type) {
    case SDL_QUIT: return false;
    case SDL_KEYDOWN:
        if (event.key.windowID == window.id())
            platform.key_down(virtual_key(event.key.keysym.sym),
                              modifier_state(event.key.keysym.mod));
        return true;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SHOWN ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            platform.repaint();
        return true;
    default: return true;
    }
}

// SDL shows each message box from a forked child process. The child must
// not outlive the game: killed with a dialog up, the game would otherwise
// leave the dialog behind on the desktop.
void die_with_the_game()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

int play(DesktopWindow& window)
{
    WindowState state;
    DesktopPlatform platform(window, state);
    platform.load();
    window.show();

    try {
        for (;;) {
            const int wait = platform.wait_ms(std::chrono::steady_clock::now());
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, wait) == 1 && !handle(event, platform, window))
                return 0;
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
    pthread_atfork(nullptr, nullptr, blockdrop::die_with_the_game);
    // No GL behind the window surface: it would cost tens of megabytes and
    // extra threads for 56 squares.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Leave SIGINT and SIGTERM their default action, so they end the game at
    // any time, a dialog included.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Only video: the joystick subsystem would wake the loop up periodically.
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "blockdrop: cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_StopTextInput();
    int status = 1;
    try {
        blockdrop::DesktopWindow window;
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
