#pragma once

#include "shell/layout.hpp"

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

// While one lives, the message boxes of the calling thread open where the
// window's layout puts a box, beside or below the board's cells, never
// over them.
class BoxBesideBoard {
public:
    BoxBesideBoard();
    ~BoxBesideBoard();
    BoxBesideBoard(const BoxBesideBoard&) = delete;
    BoxBesideBoard& operator=(const BoxBesideBoard&) = delete;

private:
    HHOOK hook_ = nullptr;
};

// The game window: caption "Form1", opening with a client area of 6090 x
// 6360 twips at its monitor's DPI. It can be resized, maximised and put full
// screen (F11, Alt+Return); the board is drawn at the largest scale at which
// it fits with a box's room beside or below it (lay_out), through a memory
// bitmap so that a repaint never shows a half-drawn frame. Other key-downs
// go to the front end; minimised, the game waits.
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
    void switch_full_screen();
    void place_box(HWND box) const;
    // Where the board and a box go in the window as it is now.
    Placement placement() const;

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    unsigned dpi_ = 96;
    FrontEnd* front_ = nullptr;
    PadEvents* pads_ = nullptr;
    const Form1* shown_ = nullptr;
    bool full_screen_ = false;
    bool minimised_ = false;
    // The window to come back to from full screen.
    WINDOWPLACEMENT windowed_{};
};

} // namespace windows
} // namespace blockdrop
