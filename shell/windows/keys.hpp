#pragma once

#include <windows.h>

namespace blockdrop::windows {

// The state of Shift, Ctrl and Alt as the game's key handler takes it, read
// from the keyboard state of the message being handled.
int modifier_state();

// The keys the system's message box may have: Return (the default button,
// OK), Escape (Cancel), Tab and Shift+Tab between the buttons and Space for
// the focused one. The box would also move its focus on the arrows, so that
// the player still pressing one when the loss comes would quit on Return.
bool box_takes_key(int key);

// While one lives, the message boxes of the calling thread see no key-down
// or key-up but the box's keys: a filter on their modal loop (the system
// runs it on every message the loop takes) drops the others. System keys
// pass, so that Alt+F4 closes the box as its close button does.
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
