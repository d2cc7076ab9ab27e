#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The game's icon for Windows, made from data/blockdrop.svg at build time.
// That drawing is nothing but filled rectangles, some with round corners,
// so a small rasteriser reads it exactly; no SVG library is needed.
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

// An .ico file holding the pictures as 32-bit images with alpha.
std::string ico_file(const std::vector<Picture>& pictures);

} // namespace blockdrop::icon
