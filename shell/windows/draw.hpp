#pragma once

#include <windows.h>

namespace blockdrop {

struct Form1;

namespace windows {

// The client area's size in pixels at `dpi` dots per inch: 406 x 424 at 96,
// 609 x 636 at 144.
SIZE client_pixels(unsigned dpi);

// Paints the background and every shown cell of the board at `scale` (device
// pixels to a 96-dpi pixel) into the top-left `size` of `dc`.
void draw_board(HDC dc, const Form1& form, double scale, SIZE size);

// Fills `area` of `dc` with the window's background.
void fill_background(HDC dc, const RECT& area);

} // namespace windows
} // namespace blockdrop
