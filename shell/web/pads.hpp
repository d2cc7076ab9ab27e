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

// The standard mapping's controls as the poller packs them, a bit each.
inline constexpr int pad_dpad_left = 1;
inline constexpr int pad_dpad_right = 2;
inline constexpr int pad_shoulder_left = 4;
inline constexpr int pad_shoulder_right = 8;
inline constexpr int pad_a = 16;
inline constexpr int pad_b = 32;
inline constexpr int pad_start = 64;

PadControls unpack_controls(int bits, double stick_x);

// Shifts go to the key handler; with a box up, the answer of the first
// action the box takes (answer_ok, answer_cancel), 0 when none does.
int act(WebPads& pads, const std::vector<PadAction>& actions);

// Tells the page's poller where the pads are; it starts polling then.
void start_pads(WebPads& pads);

} // namespace blockdrop::web
