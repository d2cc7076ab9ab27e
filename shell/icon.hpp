#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The game's icon as pixels, for every front end that draws one (the
// desktop's window icon, the Windows .ico). Its drawing, data/blockdrop.svg,
// is nothing but filled rectangles, some with round corners, so a small
// rasteriser reads it exactly; no SVG library is needed.
namespace blockdrop::icon {

struct Pixel {
    std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

// A square picture, rows from the top.
struct Picture {
    int size = 0;
    std::vector<Pixel> pixels;

    const Pixel& at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                      static_cast<std::size_t>(x)];
    }
};

// The drawing's `<rect>` elements painted in order at `size` x `size`
// pixels, each pixel the average of 4 x 4 samples. Throws on a drawing it
// cannot read.
Picture rasterise(std::string_view svg, int size);

// The text of data/blockdrop.svg, built into the program.
std::string_view drawing();

// The game's icon at `size` x `size` pixels: the drawing rasterised.
Picture game_icon(int size);

// The same as ARGB words, row by row, as X11's _NET_WM_ICON and SDL take
// it.
std::vector<std::uint32_t> argb_pixels(int size);

} // namespace blockdrop::icon
