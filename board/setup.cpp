#include "board/setup.hpp"

#include "board/form.hpp"
#include "shell/platform.hpp"

#include <algorithm>
#include <iterator>

namespace blockdrop {

namespace {

bool is_wall(int index)
{
    constexpr int walls[] = {0, 6, 7, 13, 14, 20, 21, 27, 28, 34};
    return std::find(std::begin(walls), std::end(walls), index) != std::end(walls);
}

} // namespace

void Form_Load(Form1& form, Platform& platform)
{
    platform.Randomize();
    loadshapes(form);
    loadlevel(form);
}

void loadshapes(Form1& form)
{
    for (int column = 0; column <= 6; ++column) {
        for (int row = 0; row <= 7; ++row) {
            const int i = column + 7 * row;
            if (i > 0)
                form.Block.create(i);
            Shape& cell = form.Block(i);
            cell.Visible = true;
            cell.Left = 495 * column;
            // A 50-twip strip separates the shaft from the bucket rows.
            if (row < 5)
                cell.Top = 495 * row;
            if (row > 4)
                cell.Top = 495 * row + 50;
            cell.BackColor = white;
            if (is_wall(i))
                cell.BackColor = black;
        }
    }
}

void loadlevel(Form1& form)
{
    for (int column = 0; column <= 6; ++column) {
        for (int row = 0; row <= 7; ++row) {
            const int i = column + 7 * row;
            if (row < 5 && column != 0 && column != 6)
                form.Block(i).Visible = false;
            if (row > 4 && (column == 0 || column == 6))
                form.Block(i).Visible = false;
        }
    }
    form.Clock.Enabled = true;
}

void load_window(Form1& form, Platform& platform)
{
    form = Form1{};
    Form_Load(form, platform);
}

} // namespace blockdrop
