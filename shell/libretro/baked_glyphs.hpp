#pragma once

#include <cstddef>

// The box's glyphs as the build draws them (make_glyphs.cpp writes their
// definitions), printable ASCII from the space on.
namespace blockdrop::libretro::baked {

inline constexpr char32_t first = 0x20;
inline constexpr char32_t last = 0x7E;

struct GlyphEntry {
    int left;
    int top;
    int width;
    int rows;
    int advance;
    std::size_t offset; // of its coverage, rows x width, in `coverage`
};

struct KernEntry {
    char32_t left;
    char32_t right;
    int pixels;
};

extern const int text_pixels;
extern const int ascent;
extern const int descent;
extern const GlyphEntry glyphs[last - first + 1];
extern const unsigned char coverage[];
extern const KernEntry kerning[];
extern const std::size_t kerning_count;

} // namespace blockdrop::libretro::baked
