#include "shell/libretro/core_frame.hpp"

#include "shell/desktop/dialog/box_layout.hpp"
#include "shell/design.hpp"
#include "shell/libretro/baked_glyphs.hpp"

#include <algorithm>
#include <cstddef>

namespace blockdrop::libretro {

namespace {

std::uint32_t xrgb(Colour colour)
{
    return static_cast<std::uint32_t>(colour.red) << 16 |
           static_cast<std::uint32_t>(colour.green) << 8 | colour.blue;
}

PixelRect inside_frame(const PixelRect& rect)
{
    const int left = std::max(rect.x, 0);
    const int top = std::max(rect.y, 0);
    const int right = std::min(rect.x + rect.width, frame_size.width);
    const int bottom = std::min(rect.y + rect.height, frame_size.height);
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

std::uint32_t* row(std::uint32_t* pixels, int y)
{
    return pixels + static_cast<std::ptrdiff_t>(y) * frame_size.width;
}

void fill(std::uint32_t* pixels, const Fill& fill)
{
    const PixelRect rect = inside_frame(fill.rect);
    for (int y = rect.y; y < rect.y + rect.height; ++y)
        std::fill_n(row(pixels, y) + rect.x, rect.width, xrgb(fill.colour));
}

// The glyph laid over the frame in `colour` as it covers each pixel, inside
// `clip` only.
void blend(std::uint32_t* pixels, const PixelRect& clip, const PlacedGlyph& placed, Colour colour)
{
    const Glyph& glyph = *placed.glyph;
    for (int y = 0; y < glyph.rows; ++y) {
        const int at_y = placed.y + y;
        if (at_y < clip.y || at_y >= clip.y + clip.height)
            continue;
        for (int x = 0; x < glyph.width; ++x) {
            const int at_x = placed.x + x;
            const unsigned cover =
                glyph.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(glyph.width) +
                               static_cast<std::size_t>(x)];
            if (cover == 0 || at_x < clip.x || at_x >= clip.x + clip.width)
                continue;
            std::uint32_t& pixel = row(pixels, at_y)[at_x];
            const auto mix = [&](int shift, unsigned over) {
                const unsigned under = (pixel >> shift) & 0xFFu;
                return ((under * (255 - cover) + over * cover + 127) / 255) << shift;
            };
            pixel = mix(16, colour.red) | mix(8, colour.green) | mix(0, colour.blue);
        }
    }
}

} // namespace

BakedFont::BakedFont()
{
    for (const baked::GlyphEntry& entry : baked::glyphs) {
        Glyph& glyph = glyphs_.emplace_back();
        glyph.left = entry.left;
        glyph.top = entry.top;
        glyph.width = entry.width;
        glyph.rows = entry.rows;
        glyph.advance = entry.advance;
        const unsigned char* from = baked::coverage + entry.offset;
        glyph.coverage.assign(from, from + static_cast<std::ptrdiff_t>(entry.width) * entry.rows);
    }
}

int BakedFont::ascent() const
{
    return baked::ascent;
}

int BakedFont::descent() const
{
    return baked::descent;
}

const Glyph& BakedFont::glyph(char32_t code)
{
    if (code < baked::first || code > baked::last)
        return blank_;
    return glyphs_[code - baked::first];
}

int BakedFont::kerning(char32_t left, char32_t right) const
{
    const auto* end = baked::kerning + baked::kerning_count;
    const auto* found = std::find_if(baked::kerning, end, [&](const baked::KernEntry& entry) {
        return entry.left == left && entry.right == right;
    });
    return found == end ? 0 : found->pixels;
}

void draw_frame(std::uint32_t* pixels, const Form1& form, const std::optional<BoxText>& box,
                BakedFont& font)
{
    const Placement placed = frame_placement();
    for (const Fill& part :
         board_fills(form, placed.scale, frame_size, {placed.board.x, placed.board.y}))
        fill(pixels, part);
    if (!box)
        return;
    const Drawing drawing = box_drawing(box_layout(box->buttons, placed), *box);
    for (const Fill& part : drawing.fills)
        fill(pixels, part);
    for (const TextRun& run : drawing.texts) {
        const PixelRect clip = inside_frame(run.band);
        for (const PlacedGlyph& placed_glyph : place_text(font, run))
            blend(pixels, clip, placed_glyph, run.colour);
    }
}

void draw_ended(std::uint32_t* pixels)
{
    fill(pixels, {PixelRect{0, 0, frame_size.width, frame_size.height}, window_background});
}

} // namespace blockdrop::libretro
