#include "shell/layout.hpp"

#include "board/form.hpp"
#include "shell/design.hpp"

#include <cmath>

namespace blockdrop {

int scaled_pixels(int twips, double scale)
{
    return static_cast<int>(std::floor(twips * scale / twips_per_pixel + 0.5));
}

PixelRect pixel_rect(const Shape& cell, double scale)
{
    const int x = scaled_pixels(cell.Left, scale);
    const int y = scaled_pixels(cell.Top, scale);
    return PixelRect{x, y, scaled_pixels(cell.Left + cell.Width, scale) - x,
                     scaled_pixels(cell.Top + cell.Height, scale) - y};
}

} // namespace blockdrop
