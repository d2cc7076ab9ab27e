#pragma once

#include "board/colour.hpp"

namespace blockdrop {

// Design values of the game window that every front end draws to.
inline constexpr const char* window_caption = "Form1";
inline constexpr int client_width_twips = 6090;
inline constexpr int client_height_twips = 6360;

// Light grey behind the cells: none of the game's five colours, so white
// bucket cells and black walls both stand out from it.
inline constexpr Colour window_background = rgb(192, 192, 192);

// The desktop's own message box, in a classic dialog's colours: a dark
// frame, a light face, a navy title bar with white text, grey buttons.
inline constexpr Colour box_frame = rgb(64, 64, 64);
inline constexpr Colour box_face = rgb(240, 240, 240);
inline constexpr Colour box_title_bar = rgb(0, 0, 128);
inline constexpr Colour box_title_text = rgb(255, 255, 255);
inline constexpr Colour box_text = rgb(0, 0, 0);
inline constexpr Colour box_button = rgb(225, 225, 225);

// The game's own message box, in twips: 4800 x 1860, at the window's
// natural size 250 twips below the board and centred across the client
// area (its left edge 645 twips in).
inline constexpr int box_width_twips = 4800;
inline constexpr int box_height_twips = 1860;
inline constexpr int box_left_twips = 645;
inline constexpr int box_gap_twips = 250;

// Drawn at the standard 96 dots per inch: 15 twips to a pixel, so a cell is
// 33 pixels and the window's client area 406 x 424.
inline constexpr int twips_per_pixel = 15;

} // namespace blockdrop
