#pragma once

#include "shell/layout.hpp"
#include "shell/platform.hpp"

#include <optional>

namespace blockdrop {

// The game's message box in device pixels at `scale`, its frame's top-left
// corner at `at`; designed in twips and rounded edge by edge like the cells
// (from `twips`, the corner's place in the design where that holds), so it
// is as crisp at any scale. Where it goes, beside or below the board
// and never over a cell, is the window's layout's (lay_out).
struct BoxLayout {
    PixelRect frame;      // the whole box, its border included
    int border = 1;       // width of the frame's and a button's border
    PixelRect title_bar;  // inside the border, holds the title
    PixelRect prompt;     // the band that holds the prompt, one line
    int text_left = 0;    // x where the title and the prompt start
    PixelRect ok;         // the OK button, the default one
    PixelRect cancel;     // the Cancel button; empty on an OK-only box
    int text_pixels = 13; // the font's size in pixels
};

BoxLayout box_layout(Buttons buttons, double scale, PixelPoint at = {}, PixelPoint twips = {});

// The box where `placed` puts it, in the window's device pixels.
BoxLayout box_layout(Buttons buttons, const Placement& placed);

// The answer of the button at (x, y) in the window, if any.
std::optional<int> button_at(const BoxLayout& layout, int x, int y);

} // namespace blockdrop
