#pragma once

#include "shell/layout.hpp"

namespace blockdrop::libretro {

// The frame the core draws, for the frontend to scale: 4:3, the shape of
// most handhelds' screens, and whole on any TV.
inline constexpr PixelSize frame_size{640, 480};

// Where the board and a box go in the frame: the shared layout, at the
// scale of a 96-dpi screen.
Placement frame_placement();

// The size of a box's text in the frame, that its glyphs are drawn at when
// the core is built.
int frame_text_pixels();

} // namespace blockdrop::libretro
