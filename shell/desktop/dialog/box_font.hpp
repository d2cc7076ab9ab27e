#pragma once

#include "shell/desktop/dialog/box_drawing.hpp"

#include <SDL.h>

#include <map>
#include <optional>
#include <string>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace blockdrop {

// The boxes' typeface: DejaVu Sans from a file the package depends on, never
// the X server's fonts; drawn by FreeType, hinted at the box's size.
class BoxFont : public BoxGlyphs {
public:
    // The first readable DejaVu Sans where distributions put it, if any.
    static std::optional<std::string> find();

    // Opens the font at a size of `pixels`; throws if it cannot.
    BoxFont(const std::string& path, int pixels);
    ~BoxFont() override;
    BoxFont(const BoxFont&) = delete;
    BoxFont& operator=(const BoxFont&) = delete;

    // The same font at another size; throws if it cannot.
    void resize(int pixels);

    int ascent() const override;
    int descent() const override;
    // Drawn once and kept.
    const Glyph& glyph(char32_t code) override;
    int kerning(char32_t left, char32_t right) const override;

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
