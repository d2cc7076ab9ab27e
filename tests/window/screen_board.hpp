#pragma once

#include "tests/window/x_session.hpp"

#include <string>

namespace blockdrop::window_testing {

// The background the window paints behind the cells.
inline constexpr Rgb background{192, 192, 192};

// The pixel rectangle of cell (column, row): 33 pixels a side, with the
// 3-pixel strip between the shaft and the bucket rows.
struct CellBox {
    int x, y, size;
};
CellBox cell_box(int column, int row);

// The board as read off the screen, one line of seven characters per row:
// K, o, R, G, B for a drawn cell of that colour, . where only the background
// shows, ? for anything else (a cell caught half drawn, or a wrong colour).
std::string screen_board(const Image& image);

// The bucket's position as drawn: "left", "middle", "right" or "none".
std::string bucket_position(const std::string& board);

// The character for cell (column, row) of a board read off the screen.
char cell_at(const std::string& board, int column, int row);

// The shaft part of a board: its first five rows.
std::string shaft(const std::string& board);

} // namespace blockdrop::window_testing
