#pragma once

namespace blockdrop::windows {

// The state of Shift, Ctrl and Alt as the game's key handler takes it, read
// from the keyboard state of the message being handled.
int modifier_state();

// The game's answer for what MessageBoxW returned: IDOK and IDCANCEL are
// already the game's 1 and 2. Anything else (the call failed) is a refusal
// where there is one to make.
int game_answer(int pressed, bool with_cancel);

} // namespace blockdrop::windows
