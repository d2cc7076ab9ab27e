#include "tests/support/invariants.hpp"

namespace blockdrop::testing {

namespace {

bool is_piece(Colour colour)
{
    return colour == red || colour == green || colour == blue;
}

void check_walls(const Form1& form, std::vector<std::string>& broken)
{
    for (int row = 0; row <= 4; ++row) {
        for (const int column : {0, 6}) {
            const Shape& cell = form.Block(column + 7 * row);
            if (!cell.Visible || cell.BackColor != black)
                broken.push_back("wall cell " + std::to_string(column + 7 * row) + " changed");
        }
    }
}

void check_bucket_position(const Form1& form, std::vector<std::string>& broken)
{
    int hidden_cells = 0;
    unsigned hidden_columns = 0;
    for (int column = 0; column <= 6; ++column) {
        int hidden_here = 0;
        for (int row = 5; row <= 7; ++row)
            hidden_here += form.Block(column + 7 * row).Visible ? 0 : 1;
        hidden_cells += hidden_here;
        if (hidden_here == 3)
            hidden_columns |= 1U << column;
        else if (hidden_here != 0)
            broken.push_back("bucket column " + std::to_string(column) + " partly hidden");
    }
    if (hidden_cells != 6)
        broken.push_back(std::to_string(hidden_cells) + " hidden bucket-row cells, not 6");
    const unsigned left = 0b1100000;
    const unsigned middle = 0b1000001;
    const unsigned right = 0b0000011;
    if (hidden_columns != left && hidden_columns != middle && hidden_columns != right)
        broken.emplace_back("the bucket stands in no valid position");
    if (form.Block(35).Visible && form.Block(41).Visible)
        broken.emplace_back("cells 35 and 41 both shown");
}

void check_shaft(const Form1& form, std::vector<std::string>& broken)
{
    for (int row = 0; row <= 4; ++row) {
        int pieces = 0;
        for (int column = 1; column <= 5; ++column) {
            const Shape& cell = form.Block(column + 7 * row);
            if (!cell.Visible)
                continue;
            ++pieces;
            if (!is_piece(cell.BackColor))
                broken.push_back("shaft cell " + std::to_string(column + 7 * row) +
                                 " shown without a piece colour");
        }
        if (pieces > 1)
            broken.push_back("shaft row " + std::to_string(row) + " holds " +
                             std::to_string(pieces) + " pieces");
    }
}

void check_filled_from_bottom(const Form1& form, std::vector<std::string>& broken)
{
    for (int column = 0; column <= 6; ++column) {
        bool filled_above = false;
        for (int row = 5; row <= 7; ++row) {
            const Colour colour = form.Block(column + 7 * row).BackColor;
            if (colour != white && !is_piece(colour))
                broken.push_back("bucket cell " + std::to_string(column + 7 * row) +
                                 " holds a colour no piece has");
            if (colour != white)
                filled_above = true;
            else if (filled_above)
                broken.push_back("bucket column " + std::to_string(column) +
                                 " has a white cell below a filled one");
        }
    }
}

} // namespace

std::vector<std::string> invariant_violations(const Form1& form)
{
    std::vector<std::string> broken;
    check_walls(form, broken);
    check_bucket_position(form, broken);
    check_shaft(form, broken);
    check_filled_from_bottom(form, broken);
    return broken;
}

} // namespace blockdrop::testing
