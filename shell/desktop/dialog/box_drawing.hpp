#pragma once

#include "shell/desktop/dialog/box_layout.hpp"
#include "shell/layout.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace blockdrop {

// What a message box shows.
struct BoxText {
    std::string_view title;
    std::string_view prompt;
    Buttons buttons = Buttons::ok;
};

// A line of text, centred top to bottom in its band and clipped to it; from
// `left`, or centred across the band when that is nothing.
struct TextRun {
    std::string text;
    Colour colour;
    PixelRect band;
    std::optional<int> left;

    friend bool operator==(const TextRun&, const TextRun&) = default;
};

// A picture as a front end draws it: the fills in order, then the text.
struct Drawing {
    std::vector<Fill> fills;
    std::vector<TextRun> texts;
};

// The box in its layout: frame, face, title bar and buttons (the default one
// with a border twice as wide), then the title, the prompt and the labels.
Drawing box_drawing(const BoxLayout& layout, const BoxText& text);

} // namespace blockdrop
