// The Windows front end: one window, one thread. The loop sleeps until the
// next message or the next point of the clock's grid, whichever comes first,
// and turns each into a call of the game's handlers.
#include "shell/test_build.hpp"
#include "shell/windows/pads.hpp"
#include "shell/windows/window.hpp"
#include "shell/windows/windows_platform.hpp"

#include <windows.h>

#include <chrono>
#include <exception>

namespace blockdrop::windows {
namespace {

// Not in mingw-w64's headers yet: a timer that keeps to the millisecond
// without raising the resolution of the whole system's clock.
constexpr DWORD high_resolution_timer = 0x00000002;

// A waitable timer for the grid's next point. Windows before 10 (and Wine)
// may refuse the high resolution; the timer then has the system's usual one.
HANDLE grid_timer()
{
    if (const HANDLE timer =
            CreateWaitableTimerExW(nullptr, nullptr, high_resolution_timer, TIMER_ALL_ACCESS))
        return timer;
    return CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
}

// Waits until a message comes or `wait_ms` has passed (-1: no limit).
void wait_for_message_or(HANDLE timer, int wait_ms)
{
    if (wait_ms == 0)
        return;
    if (wait_ms > 0 && timer != nullptr) {
        // Relative due times are negative, in 100 ns units.
        LARGE_INTEGER due{};
        due.QuadPart = -static_cast<LONGLONG>(wait_ms) * 10000;
        SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
        MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        CancelWaitableTimer(timer);
        return;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, wait_ms < 0 ? INFINITE : static_cast<DWORD>(wait_ms),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

int play(HINSTANCE instance)
{
    GameWindow window(instance);
    GameState state;
    WindowsPlatform platform(window, state);
    window.attach(platform);
    XInputReader xinput;
    WindowsPads pads(xinput);
    platform.attach(pads);
    prepare_test_build(platform);
    platform.load();
    window.show();

    const HANDLE timer = grid_timer();
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        wait_for_message_or(timer, earlier_wait(platform.wait_ms(now), pads.wait_ms(now)));
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        press_pad_keys(platform, pads.poll(std::chrono::steady_clock::now()));
        platform.tick(std::chrono::steady_clock::now());
    }
}

} // namespace
} // namespace blockdrop::windows

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*command_line*/,
                    int /*show*/)
{
    try {
        return blockdrop::windows::play(instance);
    } catch (const std::exception& failure) {
        MessageBoxA(nullptr, failure.what(), "Block Drop", MB_OK | MB_ICONERROR);
    }
    return 1;
}
