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

// A point in device pixels.
struct PixelPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
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

// Where the game is drawn in a window of `window` device pixels. The window
// opens at its natural size, the client area at `natural` (the desktop's
// scale), and there the design holds: the board at the top left, a box
// 250 twips below it. At any other size the board is drawn at the largest
// scale at which it fits together with a room for a box beside it (to its
// right on a landscape window, below it on a portrait one), board and room
// centred as one, the background around them. The box has a scale of its
// own, the largest its room holds, never larger than the board's and never
// under the one that keeps its text 12 pixels high at `natural` 1 (while
// the window leaves room for that). No box ever covers a cell.
struct Placement {
    double scale = 1.0;     // the board's
    PixelRect board;        // the board's cells, 3465 x 4010 twips at `scale`
    double box_scale = 1.0; // the box's
    PixelRect box;          // where a box goes, 4800 x 1860 twips at `box_scale`
    // Where the design holds, the box's corner in twips from the client
    // area's: its parts are then rounded from that corner, as the cells are.
    PixelPoint box_twips;

    // The smallest rectangle that holds the board and the box.
    PixelRect picture() const;

    friend bool operator==(const Placement&, const Placement&) = default;
};
Placement lay_out(PixelSize window, double natural);

// The smallest window the game asks for at `natural`: the client area at
// three quarters of that scale, where the board and a box whose text is
// still 12 pixels high both fit.
PixelSize smallest_window(double natural);

// The parts of the picture at `scale` to paint again when `before` has
// become `after`: where each cell that was created, shown, hidden or
// recoloured lies.
// `origin`: where the board's top-left corner lies in the picture.
std::vector<PixelRect> changed_cells(const Form1& before, const Form1& after, double scale,
                                     PixelPoint origin = {});

// The picture of the board at `scale` on a surface of `area`, its top-left
// corner at `origin`'s, as every front end paints it: the background over
// the whole surface, then each shown cell in its colour. Filled in order,
// they are the picture; the front end only fills them and presents the
// result.
std::vector<Fill> board_fills(const Form1& form, double scale, PixelSize area,
                              PixelPoint origin = {});

} // namespace blockdrop
