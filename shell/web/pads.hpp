#pragma once

#include "shell/gamepads.hpp"
#include "shell/web/web_platform.hpp"

#include <vector>

namespace blockdrop::web {

// The page's pads as the game reads them. The page's poller (gamepad.js)
// reads the Gamepad API while a pad is connected and the page is visible,
// and hands each pad's controls in through the exported functions of
// pads.cpp, with a pointer to this.
struct WebPads {
    WebPlatform& platform;
    Gamepads pads;
};

// The controls the game reads, by their index in the Gamepad API's
// standard mapping; the poller packs every button's state as bit `index`.
inline constexpr int standard_a = 0;
inline constexpr int standard_b = 1;
inline constexpr int standard_shoulder_left = 4;
inline constexpr int standard_shoulder_right = 5;
inline constexpr int standard_start = 9;
inline constexpr int standard_dpad_left = 14;
inline constexpr int standard_dpad_right = 15;

PadControls unpack_controls(int bits, double stick_x);

// Shifts go to the key handler; with a box up, the answer of the first
// action the box takes (answer_ok, answer_cancel), 0 when none does.
int act(WebPads& pads, const std::vector<PadAction>& actions);

// Tells the page's poller where the pads are; it starts polling then.
void start_pads(WebPads& pads);

} // namespace blockdrop::web
