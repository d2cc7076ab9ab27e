#pragma once

#include <windows.h>

namespace blockdrop::windows {

// The state of Shift, Ctrl and Alt as the game's key handler takes it, read
// from the keyboard state of the message being handled.
int modifier_state();

// Whether a key message's data says the key was already down: a repeat.
bool is_repeat(LPARAM key_data);

// The keys the system's message box may have: Return (the default button,
// OK), Escape (Cancel), Tab and Shift+Tab between the buttons and Space for
// the focused one. The box would also move its focus on the arrows, so that
// the player still pressing one when the loss comes would quit on Return.
bool box_takes_key(int key);

// Asks the game window to switch between full screen and its window: sent
// while a message box has the keys.
inline constexpr UINT switch_full_screen_message = WM_APP + 1;
// Asks the game window to move a box it owns (the lParam) beside the cells.
inline constexpr UINT place_box_message = WM_APP + 2;

// While one lives, the message boxes of the calling thread see no key-down
// or key-up but the box's keys: a filter on their modal loop (the system
// runs it on every message the loop takes) drops the others. System keys
// pass, so that Alt+F4 closes the box as its close button does; F11 and
// Alt+Return go to the box's owner, the game window, and never to the box.
class BoxKeyFilter {
public:
    BoxKeyFilter();
    ~BoxKeyFilter();
    BoxKeyFilter(const BoxKeyFilter&) = delete;
    BoxKeyFilter& operator=(const BoxKeyFilter&) = delete;

private:
    HHOOK hook_ = nullptr;
};

} // namespace blockdrop::windows
