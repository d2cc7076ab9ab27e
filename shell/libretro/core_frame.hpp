#pragma once

#include "board/form.hpp"
#include "shell/desktop/dialog/box_drawing.hpp"
#include "shell/libretro/frame_layout.hpp"

#include <cstdint>
#include <optional>

namespace blockdrop::libretro {

// The box's typeface at frame_text_pixels(), from the glyphs drawn at build
// time: the core reads no font file, wherever it runs.
class BakedFont : public BoxGlyphs {
public:
    BakedFont();
    int ascent() const override;
    int descent() const override;
    // Printable ASCII, all the boxes say; blank for any other character.
    const Glyph& glyph(char32_t code) override;
    int kerning(char32_t left, char32_t right) const override;

private:
    std::vector<Glyph> glyphs_;
    Glyph blank_;
};

// Draws the frame into `pixels` (frame_size, XRGB8888, rows one after
// another): the board where the layout puts it, and the box that is up,
// with the RetroPad's marks beside its buttons.
void draw_frame(std::uint32_t* pixels, const Form1& form, const std::optional<BoxText>& box,
                BakedFont& font);

// The frame of a game that has ended: the background only.
void draw_ended(std::uint32_t* pixels);

} // namespace blockdrop::libretro
