#pragma once

namespace blockdrop {
struct Form1;
}

namespace blockdrop::web {

// Paints the board on the page's canvas: every shown cell as a filled square
// of its colour over the window's background, 15 twips to a CSS pixel. The
// canvas keeps one backing pixel per device pixel, so the squares stay sharp
// on high-density screens and under zoom.
void paint(const Form1& form);

// Takes the board off the page for good and says that the game has ended.
void take_down();

} // namespace blockdrop::web
