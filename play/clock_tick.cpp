#include "play/clock_tick.hpp"

#include "board/form.hpp"
#include "outcome/outcome.hpp"
#include "shell/platform.hpp"

#include <cmath>

namespace blockdrop {

namespace {

bool is_piece(Colour colour)
{
    return colour == green || colour == red || colour == blue;
}

// Six bucket-row cells are always hidden, so the count reaches 21 exactly
// when all 15 cells of the bucket are filled.
bool bucket_full(const Form1& form)
{
    int count = 0;
    for (int column = 0; column <= 6; ++column) {
        for (int row = 5; row <= 7; ++row) {
            const Shape& cell = form.Block(column + 7 * row);
            if (!cell.Visible)
                ++count;
            if (cell.Visible && cell.BackColor != white)
                ++count;
        }
    }
    return count == 21;
}

// Moves the piece at the bottom of shaft column x into the bucket row below
// and lets it sink through white cells. The tests read colours only: a piece
// over a column the bucket has left falls into that column's hidden cells.
// Cells are looked up afresh after loser(), which may have reloaded the
// window; the later steps then work on the new board.
void land(Form1& form, Platform& platform, int x)
{
    const Shape& p = form.Block(x + 28);
    if (!p.Visible || !is_piece(p.BackColor))
        return;

    if (form.Block(x + 35).BackColor == white) {
        form.Block(x + 35).BackColor = form.Block(x + 28).BackColor;
        form.Block(x + 28).Visible = false;
    } else {
        loser(form, platform);
    }
    if (form.Block(x + 42).BackColor == white) {
        form.Block(x + 42).BackColor = form.Block(x + 35).BackColor;
        form.Block(x + 35).BackColor = white;
    }
    if (form.Block(x + 49).BackColor == white) {
        form.Block(x + 49).BackColor = form.Block(x + 42).BackColor;
        form.Block(x + 42).BackColor = white;
    }
}

// Drops every piece of shaft column x one row. Walking up from row 3 moves
// each piece exactly once; a piece that reaches row 4 lands on the next tick.
void fall(Form1& form, int x)
{
    for (int y = 3; y >= 0; --y) {
        const int s = x + 7 * y;
        const int t = s + 7;
        if (form.Block(s).Visible) {
            form.Block(t).BackColor = form.Block(s).BackColor;
            form.Block(s).Visible = false;
            form.Block(t).Visible = true;
        }
    }
}

// floor(r * count) for a draw r in [0, 1). A draw outside that range (a
// faulty generator, NaN included) is pulled to the nearest end instead of
// naming a wall or a cell past the board.
int pick(double r, int count)
{
    if (!(r >= 0.0))
        return 0;
    const double scaled = std::floor(r * count);
    return scaled >= count ? count - 1 : static_cast<int>(scaled);
}

void spawn(Form1& form, Platform& platform)
{
    const int n = pick(platform.Rnd(), 5) + 1;
    const int k = pick(platform.Rnd(), 3);
    const Colour colour = k == 0 ? red : k == 1 ? green : blue;
    form.Block(n).BackColor = colour;
    form.Block(n).Visible = true;
}

} // namespace

void Clock_Timer(Form1& form, Platform& platform)
{
    if (bucket_full(form))
        winner(form, platform);

    for (int x = 1; x <= 5; ++x) {
        land(form, platform, x);
        fall(form, x);
    }
    spawn(form, platform);
}

} // namespace blockdrop
