#pragma once

#include "tests/on_screen/x_session.hpp"

#include <optional>
#include <string>

namespace blockdrop::window_testing {

// The background the window paints behind the cells.
inline constexpr Rgb background{192, 192, 192};

// The pixel rectangle of cell (column, row) at `scale` pixels to a 96-dpi
// pixel, worked out here from the cell's twips (495 a side, 495 apart, and a
// 50-twip strip between the shaft and the bucket rows) with both edges
// rounded, as the shared layout does: at scale 1 a cell is 33 pixels a side
// and the strip 3 pixels high.
struct CellBox {
    int x, y, width, height;
};
CellBox cell_box(int column, int row, double scale = 1.0);

// The board as read off the screen, one line of seven characters per row:
// K, o, R, G, B for a drawn cell of that colour, . where only the background
// shows, ? for anything else (a cell caught half drawn, or a wrong colour).
std::string screen_board(const Image& image, double scale = 1.0);

// Where a picture of the window's board part differs from the board that
// `board`'s codes describe drawn at `scale`: each cell its colour over its
// whole rectangle, the background everywhere else (the strip, the gaps the
// hidden cells leave). The first wrong pixel, or nothing.
std::optional<std::string> board_pixels_mismatch(const Image& image, const std::string& board,
                                                 double scale);

// The bucket's position as drawn: "left", "middle", "right" or "none".
std::string bucket_position(const std::string& board);

// The character for cell (column, row) of a board read off the screen.
char cell_at(const std::string& board, int column, int row);

// The shaft part of a board: its first five rows.
std::string shaft(const std::string& board);

// The set-up board with no piece yet.
extern const char* const fresh_board;

// The pieces (R, G, B) in a row of the shaft.
int pieces_in_row(const std::string& board, int row);

// A fresh game's board: the set-up, plus at most `pieces` pieces in row 0.
bool fresh_with_pieces(const std::string& board, int pieces);

// How many ticks a new game has run, going by its board: the set-up bucket
// under one piece in each of the shaft's top rows, a tick a row; nullopt
// for any other board (one whose first piece has landed included).
std::optional<int> ticks_of_new_game(const std::string& board);

// The pieces a new game shows, one a tick: 0 on the set-up board, -1 for a
// board no new game shows.
int pieces_of_new_game(const std::string& board);

// The board a loss leaves: a piece in the shaft's last row over a bucket
// cell that is taken or not there, every cell readable.
bool shows_loss(const std::string& board);

// Every bucket cell holds a piece.
bool bucket_full(const std::string& board);

} // namespace blockdrop::window_testing
