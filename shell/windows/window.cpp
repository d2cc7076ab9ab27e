#include "shell/windows/window.hpp"

#include "shell/design.hpp"
#include "shell/front_end.hpp"
#include "shell/windows/draw.hpp"
#include "shell/windows/keys.hpp"
#include "shell/windows/resource.h"
#include "shell/windows/text.hpp"

#include <stdexcept>

namespace blockdrop::windows {
namespace {

constexpr const wchar_t* class_name = L"BlockDrop";
// A fixed-size window: a caption with the system menu and minimise, no
// sizing border, no maximise.
constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
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
    const SIZE client = client_pixels(dpi_);
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectExForDpi(&frame, style, FALSE, ex_style, dpi_);
    SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    const SIZE size{client.right, client.bottom};
    if (shown_ == nullptr || size.cx <= 0 || size.cy <= 0)
        return;
    // Drawn off screen and copied in one go: no frame with the background
    // over a cell ever reaches the screen.
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, size.cx, size.cy);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    draw_board(memory, *shown_, dpi_, size);
    BitBlt(dc, 0, 0, size.cx, size.cy, memory, 0, 0, SRCCOPY);
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
        if (front_ != nullptr)
            front_->key_down(static_cast<int>(wparam), modifier_state());
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+arrow moves the bucket too; the system still gets the key, so
        // that Alt+F4 closes the window and Alt+Space opens its menu.
        if (front_ != nullptr)
            front_->key_down(static_cast<int>(wparam), modifier_state());
        break;
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
