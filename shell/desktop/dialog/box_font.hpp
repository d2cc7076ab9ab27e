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

// The boxes' typeface: DejaVu Sans from a file the package depends on, never
// the X server's fonts; drawn by FreeType, hinted at the box's size.
class BoxFont {
public:
    // The first readable DejaVu Sans where distributions put it, if any.
    static std::optional<std::string> find();

    // Opens the font at a size of `pixels`; throws if it cannot.
    BoxFont(const std::string& path, int pixels);
    ~BoxFont();
    BoxFont(const BoxFont&) = delete;
    BoxFont& operator=(const BoxFont&) = delete;

    // The same font at another size; throws if it cannot.
    void resize(int pixels);

    // Pixels from the baseline up to the highest character's top, and down.
    int ascent() const;
    int descent() const;

    // The character `code`, drawn once and kept; blank when the font has none.
    const Glyph& glyph(char32_t code);

    // The kerning between `left` and `right`, in pixels.
    int kerning(char32_t left, char32_t right) const;

private:
    FT_LibraryRec_* library_ = nullptr;
    FT_FaceRec_* face_ = nullptr;
    std::map<char32_t, Glyph> glyphs_;
};

// Writes the run onto `surface` (32-bit pixels), inside its band only.
void draw_text(SDL_Surface* surface, BoxFont& font, const TextRun& run);

// Draws `drawing` from (`left`, `top`) on onto `part` (32-bit pixels).
void draw(SDL_Surface* part, int left, int top, const Drawing& drawing, BoxFont& font);

} // namespace blockdrop
