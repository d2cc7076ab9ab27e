#pragma once

#include <cstdint>
#include <vector>

namespace blockdrop {

// The game's icon (shell/icon.hpp) as `size` x `size` pixels in ARGB, row
// by row, as X11's _NET_WM_ICON and SDL take it.
std::vector<std::uint32_t> icon_pixels(int size);

} // namespace blockdrop
