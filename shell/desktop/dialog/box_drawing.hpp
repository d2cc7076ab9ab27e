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

// A character as drawn: each pixel's coverage (0 to 255), where it lies from
// the pen on the baseline, and how far the pen moves on.
struct Glyph {
    int left = 0; // from the pen to the first column
    int top = 0;  // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int advance = 0;
    std::vector<unsigned char> coverage; // rows x width
};

// A typeface at one size, as a box's text is set in it.
class BoxGlyphs {
public:
    virtual ~BoxGlyphs() = default;
    // Pixels from the baseline up to the highest character's top, and down.
    virtual int ascent() const = 0;
    virtual int descent() const = 0;
    // The character `code`; blank when the face has none.
    virtual const Glyph& glyph(char32_t code) = 0;
    // The kerning between `left` and `right`, in pixels.
    virtual int kerning(char32_t left, char32_t right) const = 0;
};

// A character of a run and where its first row and column go.
struct PlacedGlyph {
    const Glyph* glyph = nullptr;
    int x = 0;
    int y = 0;
};

// Where each character of the UTF-8 `run` goes, set in `font` (a stray byte
// or a cut character is U+FFFD); clipping to the band is the painter's.
std::vector<PlacedGlyph> place_text(BoxGlyphs& font, const TextRun& run);

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
