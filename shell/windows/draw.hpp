#pragma once

#include <windows.h>

namespace blockdrop {

struct Form1;

namespace windows {

// The client area's size in pixels at `dpi` dots per inch: 406 x 424 at 96,
// 609 x 636 at 144.
SIZE client_pixels(unsigned dpi);

// Paints the background and every shown cell of the board at `dpi` into the
// top-left `size` of `dc`.
void draw_board(HDC dc, const Form1& form, unsigned dpi, SIZE size);

} // namespace windows
} // namespace blockdrop
