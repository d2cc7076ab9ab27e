#include "shell/desktop/dialog/box_drawing.hpp"

#include "shell/design.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace blockdrop {

namespace {

PixelRect shrunk(const PixelRect& rect, int by)
{
    return PixelRect{rect.x + by, rect.y + by, rect.width - 2 * by, rect.height - 2 * by};
}

void add_button(Drawing& drawing, const PixelRect& button, int edge, std::string label,
                std::optional<PadMark> mark, int text_pixels)
{
    drawing.fills.push_back({button, box_frame});
    PixelRect face = shrunk(button, edge);
    drawing.fills.push_back({face, box_button});
    if (mark) {
        // The mark at the face's left, as tall as the text; the label
        // centred in what is left.
        const int side = std::min(text_pixels, face.height);
        const PixelRect square{face.x + edge + 1, face.y + (face.height - side) / 2, side, side};
        for (const PixelRect& rect : mark_fills(*mark, square))
            drawing.fills.push_back({rect, box_text});
        if (const char letter = mark_letter(*mark); letter != 0)
            drawing.texts.push_back({std::string(1, letter), box_title_text, square, std::nullopt});
        const int right_of_mark = square.x + square.width - face.x;
        face.x += right_of_mark;
        face.width -= right_of_mark;
    }
    drawing.texts.push_back({std::move(label), box_text, face, std::nullopt});
}

// Half the width of a circle of `diameter` at row `y` from its top, in
// pixels, measured through the row's middle.
double half_chord(int diameter, int y)
{
    const double radius = diameter / 2.0;
    const double from_centre = y + 0.5 - radius;
    return std::sqrt(std::max(radius * radius - from_centre * from_centre, 0.0));
}

// The characters of UTF-8 text; a stray byte or a cut character is U+FFFD.
std::u32string decoded(std::string_view text)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    std::u32string characters;
    for (std::size_t at = 0; at < text.size();) {
        const unsigned lead = byte(at++);
        const bool starts = lead < 0x80 || (lead >= 0xC0 && lead < 0xF8);
        const std::size_t more = lead < 0xC0 ? 0 : 1 + (lead >= 0xE0) + (lead >= 0xF0);
        char32_t code = more == 0 ? lead : lead & (0x3Fu >> more);
        std::size_t taken = 0;
        for (; taken < more && at + taken < text.size() && (byte(at + taken) & 0xC0) == 0x80;
             ++taken)
            code = (code << 6) | (byte(at + taken) & 0x3Fu);
        const bool whole = starts && taken == more;
        characters.push_back(whole ? code : 0xFFFD);
        at += whole ? more : 0;
    }
    return characters;
}

} // namespace

std::vector<PlacedGlyph> place_text(BoxGlyphs& font, const TextRun& run)
{
    const std::u32string line = decoded(run.text);
    // Where the pen stands for each character, from the line's start.
    std::vector<int> pens;
    pens.reserve(line.size());
    int width = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        width += i > 0 ? font.kerning(line[i - 1], line[i]) : 0;
        pens.push_back(width);
        width += font.glyph(line[i]).advance;
    }
    const PixelRect& band = run.band;
    const int start = run.left.value_or(band.x + (band.width - width) / 2);
    const int baseline =
        band.y + (band.height - (font.ascent() + font.descent())) / 2 + font.ascent();
    std::vector<PlacedGlyph> placed;
    placed.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Glyph& glyph = font.glyph(line[i]);
        placed.push_back({&glyph, start + pens[i] + glyph.left, baseline - glyph.top});
    }
    return placed;
}

std::vector<PixelRect> mark_fills(PadMark mark, const PixelRect& square)
{
    std::vector<PixelRect> rects;
    const int side = std::min(square.width, square.height);
    const int stroke = std::max(1, side / 7);
    const double middle = side / 2.0;
    for (int y = 0; y < side; ++y) {
        const int top = square.y + y;
        const auto span = [&](double from, double to) {
            const int left = static_cast<int>(std::lround(from));
            const int right = static_cast<int>(std::lround(to));
            if (right > left)
                rects.push_back(PixelRect{square.x + left, top, right - left, 1});
        };
        const double outer = half_chord(side, y);
        if (mark == PadMark::cross) {
            // The two diagonals, inset as far as the ring would be.
            const double inset = side / 6.0;
            if (y + 0.5 < inset || y + 0.5 > side - inset)
                continue;
            for (const double at : {y + 0.5, side - y - 0.5})
                span(at - stroke / 2.0, at + stroke / 2.0);
        } else if (mark == PadMark::circle) {
            const double inner = y < stroke || y >= side - stroke
                                     ? 0.0
                                     : half_chord(side - 2 * stroke, y - stroke);
            span(middle - outer, middle - inner);
            span(middle + inner, middle + outer);
        } else {
            span(middle - outer, middle + outer);
        }
    }
    return rects;
}

Drawing box_drawing(const BoxLayout& layout, const BoxText& text)
{
    Drawing drawing;
    drawing.fills = {{layout.frame, box_frame},
                     {shrunk(layout.frame, layout.border), box_face},
                     {layout.title_bar, box_title_bar}};
    drawing.texts = {{std::string(text.title), box_title_text, layout.title_bar, layout.text_left},
                     {std::string(text.prompt), box_text, layout.prompt, layout.text_left}};
    const auto mark = [&](PadMark PadMarks::*which) -> std::optional<PadMark> {
        return text.marks ? std::optional<PadMark>((*text.marks).*which) : std::nullopt;
    };
    add_button(drawing, layout.ok, 2 * layout.border, "OK", mark(&PadMarks::ok),
               layout.text_pixels);
    if (text.buttons == Buttons::ok_cancel)
        add_button(drawing, layout.cancel, layout.border, "Cancel", mark(&PadMarks::cancel),
                   layout.text_pixels);
    return drawing;
}

} // namespace blockdrop
