#pragma once

namespace blockdrop {

// Whether a key-down switches the window to full screen and back: F11, or
// Alt with Return. The window takes it before the game or a box sees it, so
// Alt+Return never answers a box. Takes the game's virtual-key codes.
bool switches_full_screen(int key_code, int modifiers);

} // namespace blockdrop
