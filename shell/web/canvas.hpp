#pragma once

namespace blockdrop {
struct Form1;
}

namespace blockdrop::web {

// Paints the board on the page's canvas: every shown cell as a filled square
// of its colour over the window's background, laid out as every front end
// lays it out (lay_out) in the room the page's buttons and help line leave,
// with a box's room beside or below it where the page's dialog goes. The
// canvas holds the board alone, one backing pixel per device pixel, and the
// cells' edges fall on device pixels, so the squares stay sharp on
// high-density screens, under zoom and at any size.
void paint(const Form1& form);

// Takes the board off the page for good; the page says that the game has
// ended and offers another.
void take_down();

} // namespace blockdrop::web
