#include "shell/windows/window.hpp"

#include "shell/design.hpp"
#include "shell/front_end.hpp"
#include "shell/windows/draw.hpp"
#include "shell/windows/keys.hpp"
#include "shell/windows/resource.h"
#include "shell/windows/text.hpp"

#include "shell/window_keys.hpp"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace blockdrop::windows {
namespace {

constexpr const wchar_t* class_name = L"BlockDrop";
// A caption with the system menu, a sizing border, minimise and maximise;
// full screen is a bare popup over the whole monitor.
constexpr DWORD style = WS_OVERLAPPEDWINDOW;
constexpr DWORD ex_style = 0;

unsigned dpi_of(HWND window)
{
    if (const UINT dpi = GetDpiForWindow(window); dpi != 0)
        return dpi;
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 96U;
}

RECT monitor_of(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor) == 0)
        return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return monitor.rcMonitor;
}

SIZE frame_for(SIZE client, unsigned dpi)
{
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectExForDpi(&frame, style, FALSE, ex_style, dpi);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// A box the window owns, moved beside the cells where they are now, and
// raised: Wine maps a restyled window anew, on top of the screen, where the
// system's order of windows has not changed; the box is moved out of that
// order and back to be raised.
BOOL CALLBACK replace_if_owned(HWND window, LPARAM owner)
{
    if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner) && IsWindowVisible(window)) {
        SendMessageW(reinterpret_cast<HWND>(owner), place_box_message, 0,
                     reinterpret_cast<LPARAM>(window));
        for (const HWND order : {HWND_TOPMOST, HWND_NOTOPMOST})
            SetWindowPos(window, order, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return TRUE;
}

// A box about to show is placed by the window that owns it.
LRESULT CALLBACK place_shown_box(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HCBT_ACTIVATE) {
        const auto box = reinterpret_cast<HWND>(wparam);
        if (const HWND owner = GetWindow(box, GW_OWNER); owner != nullptr)
            SendMessageW(owner, place_box_message, 0, reinterpret_cast<LPARAM>(box));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

void register_class(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_BLOCKDROP));
    window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_BLOCKDROP),
                                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), 0));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // No background brush: every paint covers the whole client area itself.
    window_class.lpszClassName = class_name;
    if (RegisterClassExW(&window_class) == 0)
        throw std::runtime_error("cannot register the window class");
}

} // namespace

BoxBesideBoard::BoxBesideBoard()
    : hook_(SetWindowsHookExW(WH_CBT, &place_shown_box, nullptr, GetCurrentThreadId()))
{
}

BoxBesideBoard::~BoxBesideBoard()
{
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
}

GameWindow::GameWindow(HINSTANCE instance) : instance_(instance)
{
    register_class(instance, &GameWindow::procedure);
    const SIZE standard = client_pixels(96);
    window_ =
        CreateWindowExW(ex_style, class_name, wide(window_caption).c_str(), style, CW_USEDEFAULT,
                        CW_USEDEFAULT, standard.cx, standard.cy, nullptr, nullptr, instance, this);
    if (window_ == nullptr)
        throw std::runtime_error("cannot create the window");
    dpi_ = dpi_of(window_);
    fit_client();
}

GameWindow::~GameWindow()
{
    if (IsWindow(window_))
        DestroyWindow(window_);
    UnregisterClassW(class_name, instance_);
}

void GameWindow::show()
{
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

void GameWindow::fit_client()
{
    const SIZE frame = frame_for(client_pixels(dpi_), dpi_);
    SetWindowPos(window_, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GameWindow::switch_full_screen()
{
    const LONG_PTR current = GetWindowLongPtrW(window_, GWL_STYLE);
    if (!full_screen_) {
        windowed_.length = sizeof windowed_;
        if (GetWindowPlacement(window_, &windowed_) == 0)
            return;
        const RECT monitor = monitor_of(window_);
        SetWindowLongPtrW(window_, GWL_STYLE, (current & ~static_cast<LONG_PTR>(style)) | WS_POPUP);
        // Its place in the stacking stays, so that a box it owns stays above it.
        SetWindowPos(window_, nullptr, monitor.left, monitor.top, monitor.right - monitor.left,
                     monitor.bottom - monitor.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    } else {
        SetWindowLongPtrW(window_, GWL_STYLE, (current & ~static_cast<LONG_PTR>(WS_POPUP)) | style);
        SetWindowPlacement(window_, &windowed_);
        SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE |
                         SWP_FRAMECHANGED);
    }
    full_screen_ = !full_screen_;
    EnumThreadWindows(GetCurrentThreadId(), &replace_if_owned, reinterpret_cast<LPARAM>(window_));
    InvalidateRect(window_, nullptr, FALSE);
}

void GameWindow::place_box(HWND box) const
{
    // The system's box has a size of its own: it goes where the layout puts
    // a box, its edge next to the board on the layout's (beside the board,
    // centred top to bottom; below it, centred across).
    const Placement placed = placement();
    const bool beside = placed.box.x >= placed.board.x + placed.board.width;
    POINT room{placed.box.x, placed.box.y};
    MapWindowPoints(window_, nullptr, &room, 1);
    RECT frame{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetWindowRect(box, &frame) == 0 ||
        GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor) == 0)
        return;
    const RECT& screen = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    POINT at = beside ? POINT{room.x, room.y + (placed.box.height - height) / 2}
                      : POINT{room.x + (placed.box.width - width) / 2, room.y};
    at.x = std::max(screen.left, std::min(at.x, screen.right - width));
    at.y = std::max(screen.top, std::min(at.y, screen.bottom - height));
    SetWindowPos(box, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Placement GameWindow::placement() const
{
    RECT client{};
    GetClientRect(window_, &client);
    // What the monitor can show of a window larger than it (another
    // program's doing): the picture then fits the monitor, at the top left.
    const RECT monitor = monitor_of(window_);
    const PixelSize shown{std::min(client.right, monitor.right - monitor.left),
                          std::min(client.bottom, monitor.bottom - monitor.top)};
    return lay_out(shown, scale_at_dpi(dpi_));
}

void GameWindow::paint(const Form1& form)
{
    shown_ = &form;
    if (!IsWindow(window_))
        return;
    const HDC dc = GetDC(window_);
    draw(dc);
    ReleaseDC(window_, dc);
    // What was just drawn needs no WM_PAINT of its own.
    ValidateRect(window_, nullptr);
}

void GameWindow::draw(HDC dc) const
{
    RECT client{};
    GetClientRect(window_, &client);
    if (shown_ == nullptr || client.right <= 0 || client.bottom <= 0)
        return;
    const Placement placed = placement();
    const PixelRect& at = placed.board;
    // The background around the board, in bands that never cover it.
    const int right = at.x + at.width;
    const int bottom = at.y + at.height;
    for (const RECT& band : {RECT{0, 0, client.right, at.y}, RECT{0, bottom, client.right, client.bottom},
                             RECT{0, at.y, at.x, bottom}, RECT{right, at.y, client.right, bottom}})
        fill_background(dc, band);
    if (at.width <= 0 || at.height <= 0)
        return;
    // Drawn off screen and copied in one go: no frame with the background
    // over a cell ever reaches the screen.
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, at.width, at.height);
    if (bitmap == nullptr) {
        DeleteDC(memory);
        return;
    }
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    draw_board(memory, *shown_, placed.scale, SIZE{at.width, at.height});
    BitBlt(dc, at.x, at.y, at.width, at.height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

void GameWindow::drop_queued_keys() const
{
    MSG message;
    while (PeekMessageW(&message, window_, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) != 0) {
    }
}

LRESULT CALLBACK GameWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        auto* self = static_cast<GameWindow*>(creation->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<GameWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(window, message, wparam, lparam);
    return self->on_message(message, wparam, lparam);
}

LRESULT GameWindow::on_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (switches_full_screen(static_cast<int>(wparam), modifier_state())) {
            if (!is_repeat(lparam))
                switch_full_screen();
            return 0;
        }
        if (front_ != nullptr)
            front_->key_down(static_cast<int>(wparam), modifier_state());
        // Alt+arrow moves the bucket too; the system still gets the key, so
        // that Alt+F4 closes the window and Alt+Space opens its menu.
        if (message == WM_SYSKEYDOWN)
            break;
        return 0;
    case WM_SYSCHAR:
        // Alt+Return has switched full screen; the system would beep at it.
        if (wparam == VK_RETURN)
            return 0;
        break;
    case switch_full_screen_message: switch_full_screen(); return 0;
    case place_box_message: place_box(reinterpret_cast<HWND>(lparam)); return 0;
    case WM_GETMINMAXINFO: {
        const PixelSize smallest = smallest_window(scale_at_dpi(dpi_));
        const SIZE frame = frame_for(SIZE{smallest.width, smallest.height}, dpi_);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
        limits->ptMinTrackSize = POINT{frame.cx, frame.cy};
        return 0;
    }
    case WM_SIZE:
        // Minimised, the game waits for the player; restored or maximised,
        // it goes on, and a box that is up goes back where the layout puts
        // it, above the window (which Wine shows anew on top of it).
        if (front_ != nullptr && wparam == SIZE_MINIMIZED)
            front_->away(std::chrono::steady_clock::now());
        else if (front_ != nullptr)
            front_->back(std::chrono::steady_clock::now());
        if (minimised_ && wparam != SIZE_MINIMIZED)
            EnumThreadWindows(GetCurrentThreadId(), &replace_if_owned,
                              reinterpret_cast<LPARAM>(window_));
        minimised_ = wparam == SIZE_MINIMIZED;
        InvalidateRect(window_, nullptr, FALSE);
        return 0;
    case WM_SYSCOMMAND:
        // Alt or F10 pressed on its own would put the window into menu mode,
        // where the arrows walk a menu instead of moving the bucket.
        if ((wparam & 0xFFF0U) == SC_KEYMENU && lparam == 0)
            return 0;
        break;
    case WM_DEVICECHANGE:
        if (pads_ != nullptr)
            pads_->devices_changed();
        break;
    case WM_TIMER:
        if (wparam == PadEvents::box_timer && pads_ != nullptr) {
            pads_->box_timer_fired();
            return 0;
        }
        break;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint_info;
        const HDC dc = BeginPaint(window_, &paint_info);
        draw(dc);
        EndPaint(window_, &paint_info);
        return 0;
    }
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wparam);
        if (full_screen_) {
            InvalidateRect(window_, nullptr, FALSE);
            return 0;
        }
        const auto* suggested = reinterpret_cast<const RECT*>(lparam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(window_, nullptr, FALSE);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

} // namespace blockdrop::windows
