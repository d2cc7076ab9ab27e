#pragma once

#include "shell/desktop/dialog/box_drawing.hpp"

#include <SDL.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace blockdrop {

// One character as the font draws it: how much of each pixel it covers
// (0 to 255), where that lies from the pen on the baseline, and how far the
// pen moves on.
struct Glyph {
    int left = 0; // from the pen to the first column
    int top = 0;  // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int advance = 0;
    std::vector<unsigned char> coverage; // rows x width
};

// The typeface of the message boxes: DejaVu Sans, from a file that the
// game's package depends on, so that a box never needs the X server's fonts.
// Drawn by FreeType, anti-aliased and hinted at the box's size in pixels.
class BoxFont {
public:
    // The font file, the first of the places the distributions put DejaVu
    // Sans that holds a readable file; nothing when there is none.
    static std::optional<std::string> find();

    // Opens the font at a size of `pixels`; throws if it cannot.
    BoxFont(const std::string& path, int pixels);
    ~BoxFont();
    BoxFont(const BoxFont&) = delete;
    BoxFont& operator=(const BoxFont&) = delete;

    // The same font at another size, for another scale; throws if it
    // cannot.
    void resize(int pixels);

    // Pixels from the baseline up to the top of the highest character, and
    // down to the bottom of the lowest.
    int ascent() const;
    int descent() const;

    // The character `code` at the font's size, drawn once and kept; the
    // font's blank when it has none.
    const Glyph& glyph(char32_t code);

    // Pixels the pen moves from `left` to `right` written one after the
    // other (the pair's kerning).
    int kerning(char32_t left, char32_t right) const;

private:
    FT_LibraryRec_* library_ = nullptr;
    FT_FaceRec_* face_ = nullptr;
    std::map<char32_t, Glyph> glyphs_;
};

// Writes the run onto `surface`, whose pixels are 32-bit, inside its band;
// what lies outside is left as it was.
void draw_text(SDL_Surface* surface, BoxFont& font, const TextRun& run);

// Draws the rows of `drawing` from `top` down onto `part`, whose pixels are
// 32-bit: its fills in order, then its text.
void draw(SDL_Surface* part, int top, const Drawing& drawing, BoxFont& font);

} // namespace blockdrop
