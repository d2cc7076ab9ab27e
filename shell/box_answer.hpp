#pragma once

#include "shell/platform.hpp"

#include <optional>

namespace blockdrop {

// The answer of a message box closed with no button, by Escape or its close
// box: Cancel, or OK on a box without Cancel.
int answer_without_button(Buttons buttons);

// The game's answer for what a box reports: answer_ok, or answer_cancel
// where the box has Cancel; anything else (no button, a box that could not
// be shown) is answer_without_button.
int box_answer(int pressed, Buttons buttons);

// The answer a key gives a box: Return (or Enter) answers OK, Escape as a
// box closed with no button; nothing for any other key. Takes the game's
// virtual-key codes.
std::optional<int> answer_for_key(int key_code, Buttons buttons);

} // namespace blockdrop
