#pragma once

#include "shell/desktop/dialog/box_layout.hpp"
#include "shell/layout.hpp"
#include "shell/pad_marks.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace blockdrop {

// What a message box shows; the marks of the pad's buttons beside OK and
// Cancel once the player has used a pad.
struct BoxText {
    std::string_view title;
    std::string_view prompt;
    Buttons buttons = Buttons::ok;
    std::optional<PadMarks> marks = std::nullopt;
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
// with a border twice as wide), then the title, the prompt and the labels,
// each after its pad mark where there are marks.
Drawing box_drawing(const BoxLayout& layout, const BoxText& text);

// A pad's mark drawn in `square` as rectangles, a row at a time: a disc for
// a letter (written over it), a ring for the circle, two strokes for the
// cross. No font's symbols, which a system may not have.
std::vector<PixelRect> mark_fills(PadMark mark, const PixelRect& square);

} // namespace blockdrop
