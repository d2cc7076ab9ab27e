#pragma once

namespace blockdrop {

struct Shape;

// A rectangle in device pixels.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where a cell is drawn, at `scale` device pixels to a 96-dpi pixel (the
// browser's devicePixelRatio; 1 on the desktop). Both edges are rounded, so
// neighbouring cells tile without gaps or overlaps at any scale.
PixelRect pixel_rect(const Shape& cell, double scale = 1.0);

// A length in twips as device pixels at `scale`, rounded to the nearest.
int scaled_pixels(int twips, double scale);

} // namespace blockdrop
