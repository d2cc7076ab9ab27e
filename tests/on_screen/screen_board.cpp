#include "tests/on_screen/screen_board.hpp"

#include <cmath>
#include <utility>
#include <vector>

namespace blockdrop::window_testing {

namespace {

int pixels(int twips, double scale)
{
    return static_cast<int>(std::floor(twips * scale / 15 + 0.5));
}

} // namespace

CellBox cell_box(int column, int row, double scale)
{
    const int left = 495 * column;
    const int top = 495 * row + (row < 5 ? 0 : 50);
    const int x = pixels(left, scale);
    const int y = pixels(top, scale);
    return CellBox{x, y, pixels(left + 495, scale) - x, pixels(top + 495, scale) - y};
}

namespace {

// The screen notation's codes and the colours they stand for.
constexpr std::pair<char, Rgb> codes[] = {{'K', {0, 0, 0}},   {'o', {255, 255, 255}},
                                          {'R', {255, 0, 0}}, {'G', {0, 255, 0}},
                                          {'B', {0, 0, 255}}, {'.', background}};

char code_of(Rgb pixel)
{
    for (const auto& [code, colour] : codes) {
        if (pixel == colour)
            return code;
    }
    return '?';
}

Rgb colour_of(char wanted)
{
    for (const auto& [code, colour] : codes) {
        if (code == wanted)
            return colour;
    }
    return background;
}

} // namespace

std::string screen_board(const Image& image, double scale)
{
    std::string board;
    for (int row = 0; row <= 7; ++row) {
        for (int column = 0; column <= 6; ++column) {
            const CellBox box = cell_box(column, row, scale);
            const char centre = code_of(image.at(box.x + box.width / 2, box.y + box.height / 2));
            const char corner = code_of(image.at(box.x, box.y));
            const char far_corner =
                code_of(image.at(box.x + box.width - 1, box.y + box.height - 1));
            board += centre == corner && centre == far_corner ? centre : '?';
        }
        if (row < 7)
            board += '\n';
    }
    return board;
}

std::optional<std::string> board_pixels_mismatch(const Image& image, const std::string& board,
                                                 double scale)
{
    const CellBox corner = cell_box(6, 7, scale);
    const int width = corner.x + corner.width;
    const int height = corner.y + corner.height;
    if (image.width < width || image.height < height)
        return "a picture of " + std::to_string(image.width) + "x" + std::to_string(image.height);
    const auto at = [width](int x, int y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x);
    };
    std::vector<Rgb> wanted(at(0, height), background);
    for (int row = 0; row <= 7; ++row) {
        for (int column = 0; column <= 6; ++column) {
            const CellBox box = cell_box(column, row, scale);
            for (int y = box.y; y < box.y + box.height; ++y) {
                for (int x = box.x; x < box.x + box.width; ++x)
                    wanted[at(x, y)] = colour_of(cell_at(board, column, row));
            }
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!(image.at(x, y) == wanted[at(x, y)]))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    }
    return std::nullopt;
}

std::string bucket_position(const std::string& board)
{
    const auto drawn = [&](int column) { return cell_at(board, column, 5) != '.'; };
    if (drawn(0) && drawn(4) && !drawn(5) && !drawn(6))
        return "left";
    if (!drawn(0) && drawn(1) && drawn(5) && !drawn(6))
        return "middle";
    if (!drawn(0) && !drawn(1) && drawn(2) && drawn(6))
        return "right";
    return "none";
}

char cell_at(const std::string& board, int column, int row)
{
    return board[static_cast<std::size_t>(row) * 8 + static_cast<std::size_t>(column)];
}

std::string shaft(const std::string& board)
{
    return board.substr(0, 5 * 8 - 1);
}

const char* const fresh_board = "K.....K\n"
                                "K.....K\n"
                                "K.....K\n"
                                "K.....K\n"
                                "K.....K\n"
                                ".ooooo.\n"
                                ".ooooo.\n"
                                ".ooooo.";

namespace {

bool is_piece(char c)
{
    return c == 'R' || c == 'G' || c == 'B';
}

} // namespace

int pieces_in_row(const std::string& board, int row)
{
    int pieces = 0;
    for (int column = 1; column <= 5; ++column)
        pieces += is_piece(cell_at(board, column, row)) ? 1 : 0;
    return pieces;
}

namespace {

// The board with the pieces of the shaft's top `rows` rows taken off.
std::string without_pieces(const std::string& board, int rows)
{
    std::string without = board;
    for (int row = 0; row < rows; ++row) {
        for (int column = 1; column <= 5; ++column) {
            char& c = without[static_cast<std::size_t>(row) * 8 + static_cast<std::size_t>(column)];
            if (is_piece(c))
                c = '.';
        }
    }
    return without;
}

} // namespace

bool fresh_with_pieces(const std::string& board, int pieces)
{
    return board.size() == 63 && pieces_in_row(board, 0) <= pieces &&
           without_pieces(board, 1) == fresh_board;
}

std::optional<int> ticks_of_new_game(const std::string& board)
{
    if (board.size() != 63)
        return std::nullopt;
    int ticks = 0;
    while (ticks < 5 && pieces_in_row(board, ticks) == 1)
        ++ticks;
    if (ticks == 0 || without_pieces(board, ticks) != fresh_board)
        return std::nullopt;
    return ticks - 1;
}

int pieces_of_new_game(const std::string& board)
{
    return board == fresh_board ? 0 : ticks_of_new_game(board).value_or(-2) + 1;
}

bool shows_loss(const std::string& board)
{
    if (board.size() != 63 || board.find('?') != std::string::npos)
        return false;
    for (int column = 1; column <= 5; ++column) {
        if (is_piece(cell_at(board, column, 4)) && cell_at(board, column, 5) != 'o')
            return true;
    }
    return false;
}

bool bucket_full(const std::string& board)
{
    if (board.size() != 63)
        return false;
    for (int row = 5; row <= 7; ++row) {
        int pieces = 0;
        for (int column = 0; column <= 6; ++column)
            pieces += is_piece(cell_at(board, column, row)) ? 1 : 0;
        if (pieces != 5)
            return false;
    }
    return true;
}

} // namespace blockdrop::window_testing
