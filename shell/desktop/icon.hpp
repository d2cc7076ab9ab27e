#pragma once

#include <cstdint>
#include <vector>

namespace blockdrop {

// One filled rectangle of the game's icon, on its 64 x 64 design grid.
struct IconRect {
    int x, y, width, height;
    std::uint32_t argb;
};

// The rectangles of data/blockdrop.svg, in its order: a grey tile with
// rounded corners (radius 6), the shaft's walls, two falling pieces and the
// bucket with three of them.
const std::vector<IconRect>& icon_shapes();
inline constexpr int icon_design_size = 64;
inline constexpr int icon_corner_radius = 6;

// The icon as `size` x `size` pixels in ARGB, row by row, the design
// scaled and each edge rounded; transparent outside the rounded corners.
std::vector<std::uint32_t> icon_pixels(int size);

} // namespace blockdrop
