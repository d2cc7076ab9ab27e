#pragma once

#include <windows.h>

namespace blockdrop {

class FrontEnd;
struct Form1;

namespace windows {

// What the window tells the pads: the system's devices changed, or the
// timer that reads them while a message box is up has fired.
class PadEvents {
public:
    static constexpr UINT_PTR box_timer = 1;
    virtual ~PadEvents() = default;
    virtual void devices_changed() = 0;
    virtual void box_timer_fired() = 0;
};

// The game window: caption "Form1", a fixed client area of 6090 x 6360 twips
// at its monitor's DPI, the board drawn through a memory bitmap so that a
// repaint never shows a half-drawn frame. Key-downs go to the front end.
class GameWindow {
public:
    // Registers the window class and creates the window, hidden, sized for
    // the DPI of the monitor it opens on.
    explicit GameWindow(HINSTANCE instance);
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    // Where key-downs go from now on.
    void attach(FrontEnd& front) { front_ = &front; }
    void attach_pads(PadEvents& pads) { pads_ = &pads; }
    void show();

    // Draws the board and puts it on screen now; WM_PAINT draws it again
    // from the same board whenever the system asks, a message box included.
    void paint(const Form1& form);

    HWND handle() const { return window_; }

    // Takes out of the queue the key messages that came while a message box
    // was up: they belong to the game that just ended.
    void drop_queued_keys() const;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam);
    void fit_client();
    void draw(HDC dc) const;

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    unsigned dpi_ = 96;
    FrontEnd* front_ = nullptr;
    PadEvents* pads_ = nullptr;
    const Form1* shown_ = nullptr;
};

} // namespace windows
} // namespace blockdrop
