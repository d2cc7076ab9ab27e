#pragma once

#include "board/colour.hpp"

#include <vector>

namespace blockdrop {

struct Form1;
struct Shape;

// A rectangle in device pixels.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A size in device pixels.
struct PixelSize {
    int width = 0;
    int height = 0;

    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// A rectangle to fill with one colour.
struct Fill {
    PixelRect rect;
    Colour colour;

    friend bool operator==(const Fill&, const Fill&) = default;
};

// Device pixels to a 96-dpi pixel on a screen of `dpi` dots per inch.
double scale_at_dpi(double dpi);

// Where a cell is drawn, at `scale` device pixels to a 96-dpi pixel (the
// browser's devicePixelRatio; the desktop's dpi over 96). Both edges are
// rounded, so neighbouring cells tile without gaps or overlaps at any scale.
PixelRect pixel_rect(const Shape& cell, double scale = 1.0);

// A length in twips as device pixels at `scale`, rounded to the nearest.
int scaled_pixels(int twips, double scale);

// Twips from the client area's top to the bottom edge of the lowest cell
// the set-up places (4010).
int board_bottom_twips();
// Twips from its left to the right edge of the rightmost cell (3465).
int board_right_twips();

// The window's client area at `scale`: 406 x 424 at 1, 609 x 636 at 1.5.
PixelSize client_size(double scale);

// Where the client area is drawn in a window of `window` device pixels: at
// the largest scale at which it fits whole, centred, the background around
// it. A window of the client area's size at `natural` (the desktop's scale)
// keeps that scale, whatever the rounding of its edges.
struct Placement {
    double scale = 1.0;
    PixelRect rect;

    friend bool operator==(const Placement&, const Placement&) = default;
};
Placement fit_client(PixelSize window, double natural);

// The smallest window the game asks for at `natural`: the client area at
// three quarters of that scale, where the boxes' text is still legible.
PixelSize smallest_window(double natural);

// The parts of the picture at `scale` to paint again when `before` has
// become `after`: where each cell that was created, shown, hidden or
// recoloured lies.
std::vector<PixelRect> changed_cells(const Form1& before, const Form1& after, double scale);

// The picture of the board at `scale` on a surface of `area`, as every front
// end paints it: the background over the whole surface, then each shown
// cell in its colour. Filled in order, they are the picture; the front end
// only fills them and presents the result.
std::vector<Fill> board_fills(const Form1& form, double scale, PixelSize area);

} // namespace blockdrop
